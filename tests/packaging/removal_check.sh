#!/bin/sh
# Runs as root inside the clean root after installed_check.sh: the package made the logger's
# directory for its user; an enabled service is removed with the package, and the purge leaves
# no unit, no enable link or mask and no empty directory behind. The system user stays.
set -eu

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

dir=/var/lib/corvasine
[ "$(stat -c '%U:%G %a' "$dir")" = "corvasine:corvasine 750" ] ||
    fail "$dir is $(stat -c '%U:%G %a' "$dir"), not corvasine:corvasine 750"
# Enabled as the administrator's systemctl enable does it.
mkdir -p /etc/systemd/system/multi-user.target.wants
ln -s /usr/lib/systemd/system/corvasine-logger.service /etc/systemd/system/multi-user.target.wants/

apt-get remove -y -q corvasine >/dev/null
[ "$(dpkg-query -W -f='${db:Status-Abbrev}' corvasine)" = "rc " ] || fail "not removed"
[ ! -e /usr/bin/corvasine-logger ] || fail "the logger is left after the removal"
[ ! -e /usr/lib/systemd/system/corvasine-logger.service ] || fail "the unit is left"

apt-get purge -y -q corvasine >/dev/null
dpkg-query -W corvasine >/dev/null 2>&1 && fail "the package is still known after the purge"
left=$(find /etc/systemd -name corvasine-logger.service 2>/dev/null)
[ -z "$left" ] || fail "left after the purge: $left"
[ ! -e "$dir" ] || fail "the empty $dir is left after the purge"
getent passwd corvasine >/dev/null || fail "the purge removed the system user"
echo "corvasine: removed and purged, nothing of the service left"
