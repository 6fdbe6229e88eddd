#!/usr/bin/env bash
# Runs the pty, window and broker tests of build/ (made by scripts/test.sh) again as an ordinary
# user: root opens ports and files that a user cannot, so a fault there stays hidden from a root
# run. The tests run in the environment the user's login gives (its PATH has no /usr/sbin), not
# in root's.
# Run as root. A user that is missing is made for the run and removed afterwards with its files;
# directories opened to the user and build/Testing get their modes and owner back at the end.
#   test-as-user.sh [user]    (default corvtest)
set -euo pipefail
cd "$(dirname "$0")/.."
user=${1:-corvtest}

if [[ $(id -u) -ne 0 ]]; then
    echo "test-as-user.sh: not root, the tests have already run as an ordinary user" >&2
    exit 0
fi
[[ -f build/CTestTestfile.cmake ]] || { echo "test-as-user.sh: no build/, run scripts/test.sh" >&2; exit 1; }
repo=$(pwd -P)
state=$(mktemp -d)
made_user=""
scratch=""

restore() {
    # Modes first: the list holds every path whose mode the run changed, with its old mode.
    while IFS=$'\t' read -r mode path; do
        chmod "$mode" "$path"
    done <"$state/modes"
    # What the user made or was given in the build tree goes back to the tree's owner.
    [[ -f $state/owner ]] && find build -user "$user" -exec chown "$(cat "$state/owner")" {} +
    [[ -n $scratch ]] && rm -rf "$scratch"
    if [[ -n $made_user ]]; then
        local uid pid
        uid=$(id -u "$user")
        for pid in $(pgrep -u "$uid" || true); do kill -KILL "$pid" 2>/dev/null || true; done
        userdel --remove "$user" 2>/dev/null || true
        find /tmp /var/tmp /dev/shm -xdev -uid "$uid" -delete 2>/dev/null || true
    fi
    rm -rf "$state"
}
trap restore EXIT
: >"$state/modes"

if ! id -u "$user" >/dev/null 2>&1; then
    useradd --create-home --shell /bin/bash "$user"
    made_user=$user
fi

# Opens a path to the user (`bits` for others) and notes its old mode when that changes it.
open_to_user() {
    local path=$1 bits=$2
    find "$path" -maxdepth 0 ! -perm "-o+$bits" -printf '%m\t%p\n' >>"$state/modes"
    chmod "o+$bits" "$path"
}
# The user reads the checkout and the build tree; every directory above them must let it pass.
dir=$repo
while [[ $dir != / ]]; do
    dir=$(dirname "$dir")
    open_to_user "$dir" x
done
find "$repo" -printf '%m\t%p\n' >"$state/before"
chmod -R o+rX "$repo"
find "$repo" -printf '%m\t%p\n' |
    awk -F'\t' 'NR == FNR { mode[$2] = $1; next } mode[$2] != $1 { print mode[$2] "\t" $2 }' \
        "$state/before" - >>"$state/modes"
# ctest writes its logs into build/Testing.
mkdir -p build/Testing
stat -c %u:%g build >"$state/owner"
chown -R "$user" build/Testing

# A temporary directory and a runtime directory of the user's own, removed at the end.
scratch=$(runuser -u "$user" -- mktemp -d)
runtime=$scratch/runtime
runuser -u "$user" -- install -d -m 700 "$runtime"

command=(env TMPDIR="$scratch" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen
    LANG="${LANG:-C.UTF-8}" ctest --test-dir "$repo/build" --output-on-failure --no-tests=error
    -j 2 -L 'pty|gui|mqtt')
runuser --login "$user" --command "cd $(printf %q "$scratch") && $(printf '%q ' "${command[@]}")"
