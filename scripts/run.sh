#!/usr/bin/env bash
# Builds the program and runs it in the current directory (where it keeps setup.ini).
#
# Unless --no-emulator is given, the module emulator plays a module on an emulated port while the
# program runs and ends with it. A real module still wins: the search tries LPT1 and every real
# serial port before the emulated range, so the emulator is found only when no module answers.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S "$repo" -B "$repo/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORV_TESTS=OFF \
    -DCORV_WERROR=ON
cmake --build "$repo/build-release" --target corvasine-barometer corvasine-module-emulator

emulator_pid=""
stop_emulator() {
    if [ -n "$emulator_pid" ]; then
        kill "$emulator_pid" 2>/dev/null || true
        wait "$emulator_pid" 2>/dev/null || true
    fi
}
trap stop_emulator EXIT

if [ "${1:-}" != "--no-emulator" ]; then
    log="$repo/build-release/emulator.log"
    "$repo/build-release/emulator/corvasine-module-emulator" --weather --pace \
        --conversion-ms 70 --humidity-ms 265 </dev/null >"$log" 2>&1 &
    emulator_pid=$!
    for _ in $(seq 50); do
        grep -q '^COM' "$log" && break
        sleep 0.1
    done
    echo "Module emulator: $(head -n 1 "$log")"
fi
"$repo/build-release/app/corvasine-barometer"
