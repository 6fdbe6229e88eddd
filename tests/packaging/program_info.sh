#!/bin/sh
# Checks a command-line program's --version and --help: each ends with status 0, prints on
# standard output only, --version exactly "NAME VERSION", --help a usage line naming the program.
#   program_info.sh PROGRAM NAME VERSION
set -u
program=$1 name=$2 version=$3
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failed=0

fail() {
    echo "FAIL: $name $1" >&2
    failed=1
}

run() {
    "$program" "$1" >"$out" 2>"$err"
    status=$?
    [ "$status" -eq 0 ] || fail "$1 ended with status $status"
    [ ! -s "$err" ] || fail "$1 wrote to standard error: $(cat "$err")"
}

run --version
[ "$(cat "$out")" = "$name $version" ] || fail "--version printed '$(cat "$out")'"
run --help
head -n 1 "$out" | grep -qi "^usage: $name " || fail "--help printed no usage line: $(head -n 1 "$out")"
grep -q -- "--version" "$out" || fail "--help does not list --version"
[ "$failed" -eq 0 ] && echo "$name: --version and --help answer"
exit "$failed"
