#!/usr/bin/env bash
# Builds the Debian package in Release (build-package/) and prints the path of the .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
mkdir -p build-package
log=build-package/package.log
# Debian's hardening flags, as a package built by dpkg-buildpackage gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORV_TESTS=OFF -DCORV_WERROR=ON \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >"$log"
cmake --build build-package >>"$log"
rm -f build-package/corvasine_*.deb
(cd build-package && cpack -G DEB) >>"$log"
ls "$PWD"/build-package/corvasine_*.deb
