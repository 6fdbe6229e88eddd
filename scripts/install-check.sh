#!/usr/bin/env bash
# Installs the Debian package with apt-get into a clean Debian 12 root (made by mmdebstrap, from
# the Debian mirror this machine's apt uses, with no build packages in it) and starts its programs
# there (tests/packaging/installed_check.sh), then removes and purges it and checks what is left
# (tests/packaging/removal_check.sh). The root is thrown away afterwards.
#   scripts/install-check.sh [PACKAGE.deb]    without a package, scripts/package.sh makes one
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
source scripts/packages.sh
ensure_packages mmdebstrap
deb=${1:-$(bash scripts/package.sh | tail -n 1)}
deb=$(realpath "$deb")
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' | awk '$2 == "bookworm" {print $1; exit}')
[ -n "$mirror" ] || { echo "apt knows no Debian 12 (bookworm) mirror" >&2; exit 1; }
# The command-line programs to ask: the logger once the source tree has it.
programs="corvasine-module-emulator"
[ -f logger/CMakeLists.txt ] && programs="$programs corvasine-logger"

echo "Installing $deb into a clean Debian 12 root from $mirror"
mmdebstrap --quiet --variant=apt --format=null \
    --customize-hook="mkdir \"\$1/tmp/check\"" \
    --customize-hook="copy-in $deb tests/packaging/installed_check.sh tests/packaging/program_info.sh tests/packaging/removal_check.sh /tmp/check" \
    --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/check/${deb##*/}" \
    --customize-hook="chroot \"\$1\" sh /tmp/check/installed_check.sh $programs" \
    --customize-hook="chroot \"\$1\" sh /tmp/check/removal_check.sh" \
    bookworm /dev/null "$mirror"
echo "install check passed in $(($(date +%s) - started)) s"
