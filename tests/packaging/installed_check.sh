#!/bin/sh
# Runs as root inside a clean root where the package has just been installed: the system user is
# there, the service is not enabled, the command-line programs answer --version and --help, and
# the desktop program, started as the menu starts it by an ordinary user, shows its main window.
#   installed_check.sh PROGRAM...    the command-line programs to ask
set -eu
here=$(cd "$(dirname "$0")" && pwd)
version=$(dpkg-query -W -f='${Version}' corvasine)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

getent passwd corvasine >/dev/null || fail "no system user corvasine"
if [ -e /usr/lib/systemd/system/corvasine-logger.service ] &&
    [ -n "$(find /etc/systemd -name corvasine-logger.service 2>/dev/null)" ]; then
    fail "the service was enabled on installation"
fi
for program in "$@"; do
    sh "$here/program_info.sh" "/usr/bin/$program" "$program" "$version"
done

# The main window is shown once Qt has drawn all of it and handed it to the platform: its
# painting log then tells the flush of the window's whole area.
adduser --quiet --disabled-password --gecos "" tester
log=$(mktemp)
chmod 666 "$log"
setpriv --reuid=tester --regid=tester --init-groups env -i HOME=/home/tester PATH=/usr/bin:/bin \
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=qt.widgets.painting=true \
    /usr/libexec/corvasine/start-from-menu >"$log" 2>&1 &
pid=$!
shown=""
for _ in $(seq 300); do
    if grep -q 'Flushing QRegion(0,0 [0-9]*x[0-9]*) of TWmain(' "$log"; then
        shown=yes
        break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
alive=yes
kill -0 "$pid" 2>/dev/null || alive=""
[ -z "$alive" ] || kill -TERM "$pid"
status=0
wait "$pid" || status=$?
if [ -z "$shown" ]; then
    grep -v '^qt\.widgets\.painting' "$log" >&2 || true
    fail "the desktop program showed no main window (ended with status $status)"
fi
[ -n "$alive" ] || fail "the desktop program ended with status $status before it was closed"
# SIGTERM ends it as "Exit" answered Yes does: status 0, the settings saved (autosave is on).
[ "$status" -eq 0 ] || fail "the desktop program ended with status $status on SIGTERM"
data=/home/tester/.local/share/corvasine
[ -d $data ] || fail "the menu start made no data directory"
[ -f $data/setup.ini ] || fail "SIGTERM did not save the settings to $data/setup.ini"
echo "corvasine-barometer: main window shown in $data, closed by SIGTERM with its settings saved"
