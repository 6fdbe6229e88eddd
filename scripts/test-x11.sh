#!/usr/bin/env bash
# Runs the window tests of a built tree (default: build) on an X server, as the program runs for
# its users: each window-test program whole, on Xvfb through the X11 platform. The test list sets
# the offscreen platform for every test, so the programs are started here rather than by ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build}
mapfile -t programs < <(ctest --test-dir "$tree" -L gui --show-only=json-v1 |
    python3 -c 'import json, sys
print("\n".join(sorted({t["command"][0] for t in json.load(sys.stdin)["tests"] if "command" in t})))')
failed=0
for program in "${programs[@]}"; do
    echo "--- ${program#"$PWD/"}"
    xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb "$program" \
        --gtest_brief=1 || failed=1
done
exit "$failed"
