#!/usr/bin/env bash
# Builds everything with the package's flags and runs every test; the same build tree then makes
# the package (scripts/package.sh --with-tests build).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/package-flags.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
configure_package_build build -DCORV_TESTS=ON -DCORV_BENCH=ON
ensure_axe_core build/tests/web
cmake --build build
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j 2
