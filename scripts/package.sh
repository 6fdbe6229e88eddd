#!/usr/bin/env bash
# Builds the Debian package in Release and prints the path of the .deb on its last line.
#   scripts/package.sh [--with-tests] [BUILD_DIR]    (default build-package/)
# --with-tests builds the tests too, with the package's flags, so that the build tree of
# scripts/test.sh also makes the package (CI does so). The build's progress goes to the terminal,
# its full output to BUILD_DIR/package.log.
set -euo pipefail
cd "$(dirname "$0")/.."
tests=OFF
if [[ ${1:-} == --with-tests ]]; then
    tests=ON
    shift
fi
dir=${1:-build-package}
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
mkdir -p "$dir"
log=$dir/package.log
: >"$log"

# Runs a step with its output in the log; shows ninja's progress lines ([done/total]) as they
# come, and the log's end when the step fails.
step() {
    echo "package.sh: $1" >&2
    shift
    if ! "$@" 2>&1 | tee -a "$log" | { grep --line-buffered -E '^\[[0-9]+/[0-9]+\]' >&2 || true; }; then
        tail -n 40 "$log" >&2
        echo "package.sh: failed, see $log" >&2
        return 1
    fi
}

source scripts/package-flags.sh
step "configuring $dir" configure_package_build "$dir" -DCORV_TESTS="$tests"
step "building in $dir" cmake --build "$dir"
rm -f "$dir"/corvasine_*.deb
step "making the package" bash -c 'cd "$1" && cpack -G DEB' _ "$dir"
ls "$(cd "$dir" && pwd)"/corvasine_*.deb
