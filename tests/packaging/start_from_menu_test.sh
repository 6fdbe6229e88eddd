#!/bin/sh
# The menu entry's command starts the program in $XDG_DATA_HOME/corvasine (by default
# ~/.local/share/corvasine), made when missing, and refuses to start it anywhere else.
#   start_from_menu_test.sh START_FROM_MENU
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prefix/libexec/corvasine" "$work/prefix/bin" "$work/home"
cp "$1" "$work/prefix/libexec/corvasine/start-from-menu"
# Stands in for the program: tells the directory it was started in.
printf '#!/bin/sh\npwd\n' >"$work/prefix/bin/corvasine-barometer"
chmod +x "$work/prefix/bin/corvasine-barometer"
start="$work/prefix/libexec/corvasine/start-from-menu"
failed=0

# expect NAME DIRECTORY ENV...: started with the environment ENV only, the program runs in DIRECTORY.
expect() {
    name=$1 want=$2
    shift 2
    got=$(cd / && env -i "$@" "$start" 2>&1)
    if [ "$got" != "$want" ] || [ ! -d "$want" ]; then
        echo "FAIL: $name: started in '$got', expected '$want'" >&2
        failed=1
    fi
}

# refuse NAME ENV...: the command fails and the program is not started.
refuse() {
    name=$1
    shift
    if got=$(cd / && env -i "$@" "$start" 2>/dev/null) || [ -n "$got" ]; then
        echo "FAIL: $name: the program was started (in '$got')" >&2
        failed=1
    fi
}

home=$work/home
expect "XDG_DATA_HOME given" "$work/data/corvasine" HOME="$home" XDG_DATA_HOME="$work/data"
expect "XDG_DATA_HOME unset" "$home/.local/share/corvasine" HOME="$home"
expect "XDG_DATA_HOME empty" "$home/.local/share/corvasine" HOME="$home" XDG_DATA_HOME=
expect "XDG_DATA_HOME relative" "$home/.local/share/corvasine" HOME="$home" XDG_DATA_HOME=data
touch "$work/file"
refuse "data directory cannot be made" HOME="$home" XDG_DATA_HOME="$work/file"
refuse "no HOME" PATH=/usr/bin:/bin
[ "$failed" -eq 0 ] && echo "start-from-menu: starts in the data directory"
exit "$failed"
