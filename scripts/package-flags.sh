# Configures a build tree in Release with the flags a Debian package gets from
# dpkg-buildpackage, its hardening included, so that the tests run against the code as it is
# packaged and one build serves the tests and the package.
# Usage: source scripts/package-flags.sh; configure_package_build DIR [cmake options...]
configure_package_build() {
    local dir=$1
    shift
    local -x DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORV_WERROR=ON \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@"
}
