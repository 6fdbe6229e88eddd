# Installs the Debian packages that are missing, as root or through sudo.
# Usage: source scripts/packages.sh; ensure_packages pkg...
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What CPack needs beside the build to make the Debian package (file for its library look-up).
PACKAGE_PACKAGES=(file dpkg-dev)
BUILD_PACKAGES=(build-essential cmake ninja-build ccache pkg-config qt6-base-dev qt6-svg-dev
    libqt6svg6 fonts-liberation fonts-dejavu-core librsvg2-bin libmosquitto-dev
    libsqlite3-dev libcpp-httplib-dev libjs-chart.js)
TEST_PACKAGES=(libgtest-dev googletest libbenchmark-dev xvfb xauth clang libclang-rt-14-dev
    "${PACKAGE_PACKAGES[@]}" lintian desktop-file-utils appstream man-db systemd mosquitto
    mosquitto-clients openssl openbox libxcb1-dev python3 sqlite3
    chromium chromium-driver prometheus npm)

# The accessibility checker the page's browser test runs (Debian has no package of it), from
# npm into DIR/node_modules, once.
ensure_axe_core() {
    [ -f "$1/node_modules/axe-core/axe.min.js" ] && return 0
    npm install --prefix "$1" --no-save --no-audit --no-fund --loglevel=error axe-core@4.8.4
}
