#!/bin/sh
# The checks a packager runs on the Debian package, on the files as the package ships them.
#   package_check.sh build BUILD_DIR           make the package of the build tree and unpack it
#   package_check.sh CHECK BUILD_DIR [ARGS]    run one check on it (below)
#   package_check.sh clean BUILD_DIR           remove what build made, once the checks have run
# The package is made in a directory of the user's own outside the build tree, one for each
# build tree, so that a user who may not write into the build tree can run the checks too.
set -u
action=$1
build_dir=$(cd "$2" && pwd)
shift 2
work=${TMPDIR:-/tmp}/corvasine-package-check-$(id -u)-$(printf %s "$build_dir" | cksum | cut -d' ' -f1)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs a command; its messages on standard error fail the check even when its status is 0.
quiet() {
    messages=$("$@" 2>&1 >/dev/null) || fail "$* ended with an error: $messages"
    [ -z "$messages" ] || fail "$*: $messages"
}

build() {
    rm -rf "$work"
    mkdir -p "$work"
    cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
        fail "cpack: $(cat "$work/cpack.log")"
    deb=$(ls "$work"/corvasine_*.deb) || fail "no package made"
    dpkg-deb -x "$deb" "$work/root" || fail "cannot unpack $deb"
    echo "made $deb"
}

clean() {
    rm -rf "$work"
}

package() {
    ls "$work"/corvasine_*.deb
}

lintian_check() {
    deb=$(package)
    lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
}

# Every program has its manual page; the menu entry's command and icon are in the package.
contents() {
    root=$work/root
    for program in "$@"; do
        [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program missing"
    done
    for program in "$root"/usr/bin/*; do
        name=${program##*/}
        [ -f "$root/usr/share/man/man1/$name.1.gz" ] || fail "no manual page for $name"
    done
    for entry in "$root"/usr/share/applications/*.desktop; do
        command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
        [ -x "$root$command" ] || fail "$entry: its command $command is not in the package"
        icon=$(sed -n 's/^Icon=//p' "$entry")
        [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
            fail "$entry: no scalable icon $icon"
        for size in 16 32 48 64 128 256; do
            file "$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" |
                grep -q "PNG image data, $size x $size" || fail "$entry: no $size px icon $icon"
        done
    done
    [ -f "$root/usr/share/doc/corvasine/copyright" ] || fail "no copyright file"
}

desktop() {
    for entry in "$work"/root/usr/share/applications/*.desktop; do
        quiet desktop-file-validate "$entry"
    done
}

# The metainfo validates, and its newest release is the package's version.
metainfo() {
    version=$(dpkg-deb -f "$(package)" Version)
    for info in "$work"/root/usr/share/metainfo/*.metainfo.xml; do
        appstreamcli validate --no-net --pedantic "$info" || fail "$info does not validate"
        release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$info" | head -n 1)
        [ "$release" = "$version" ] || fail "$info: release $release, package $version"
    done
}

man_pages() {
    for page in "$work"/root/usr/share/man/man1/*.1.gz; do
        quiet env MANWIDTH=80 man --warnings -E UTF-8 -l "$page"
    done
}

# The service as installed, its command looked up in the package and its manual pages among
# the package's own; it waits for the network (the MQTT broker), does not restart on a bad option
# (status 2) and is hardened to an exposure below 2.0 as systemd-analyze scores it. The template
# for several modules passes the same checks as an instance, with the HTTP port of its name.
service() {
    root=$work/root
    for name in corvasine-logger corvasine-logger@; do
        [ -f "$root/usr/lib/systemd/system/$name.service" ] || fail "no $name.service in the package"
    done
    check_unit "$root/usr/lib/systemd/system/corvasine-logger.service" corvasine-logger.service
    template=$root/usr/lib/systemd/system/corvasine-logger@.service
    grep -q '^ExecStart=.*/var/lib/corvasine/%i/samples\.dat .*--http 127\.0\.0\.1:%i ' "$template" ||
        fail "the template's instance does not name its HTTP port and its own directory"
    check_unit "$template" corvasine-logger@8742.service
}

check_unit() {
    unit=$1
    grep -q '^ExecStart=/usr/bin/' "$unit" || fail "$2 does not start a program of /usr/bin"
    copy=$work/$2
    sed "s#^ExecStart=/usr/#ExecStart=$root/usr/#" "$unit" >"$copy"
    quiet env MANPATH="$root/usr/share/man" systemd-analyze verify "$copy"
    for line in '^Wants=.*network-online\.target' '^After=.*network-online\.target' \
        '^RestartPreventExitStatus=2$'; do
        grep -q "$line" "$unit" || fail "$2 has no line $line"
    done
    score=$(systemd-analyze security --offline=yes "$copy" 2>&1 |
        sed -n 's/^.*Overall exposure level for [^:]*: \([0-9.]*\) .*$/\1/p')
    [ -n "$score" ] || fail "systemd-analyze security gave no score for $2"
    awk -v score="$score" 'BEGIN { exit !(score < 2.0) }' ||
        fail "systemd-analyze security scores $2 $score, not below 2.0"
    echo "systemd-analyze security of $2: $score"
}

case $action in
build) build "$@" ;;
clean) clean ;;
lintian) lintian_check "$@" ;;
contents) contents "$@" ;;
desktop) desktop "$@" ;;
metainfo) metainfo "$@" ;;
man) man_pages "$@" ;;
service) service "$@" ;;
*) fail "unknown check $action" ;;
esac
