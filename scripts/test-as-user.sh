#!/usr/bin/env bash
# Runs the pty, window and broker tests of build/ (made by scripts/test.sh) again as an ordinary
# user: root opens ports and files that a user cannot, so a fault there stays hidden from a root
# run.
# Run as root; creates the user when it is missing. Usage: test-as-user.sh [user]
set -euo pipefail
cd "$(dirname "$0")/.."
user=${1:-corvtest}

if [[ $(id -u) -ne 0 ]]; then
    echo "test-as-user.sh: not root, the tests have already run as an ordinary user" >&2
    exit 0
fi
[[ -f build/CTestTestfile.cmake ]] || { echo "test-as-user.sh: no build/, run scripts/test.sh" >&2; exit 1; }
id -u "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
[[ -d $home ]] || install -d -o "$user" -g "$user" -m 700 "$home"

# The user reads the checkout and the build tree; every directory above them must let it pass.
repo=$(pwd -P)
chmod -R o+rX "$repo"
dir=$repo
while [[ $dir != / ]]; do
    dir=$(dirname "$dir")
    chmod o+x "$dir"
done
# ctest writes its logs into build/Testing.
mkdir -p build/Testing
chown -R "$user" build/Testing

# A temporary directory and a runtime directory of the user's own, removed at the end.
scratch=$(runuser -u "$user" -- mktemp -d)
trap 'rm -rf "$scratch"' EXIT
runtime=$scratch/runtime
runuser -u "$user" -- install -d -m 700 "$runtime"

cd "$scratch"
runuser -u "$user" -- env -i PATH="$PATH" HOME="$home" USER="$user" LOGNAME="$user" \
    TMPDIR="$scratch" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen LANG="${LANG:-C.UTF-8}" \
    ctest --test-dir "$repo/build" --output-on-failure --no-tests=error -j 2 -L 'pty|gui|mqtt'
