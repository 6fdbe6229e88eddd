#!/usr/bin/env bash
# Runs the model tests again under AddressSanitizer with UndefinedBehaviorSanitizer, and the
# tests that use threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

run_pass() {
    local dir=$1 sanitizers=$2 labels=$3
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORV_GUI=OFF -DCORV_WERROR=ON \
        -DCORV_SANITIZE="$sanitizers"
    cmake --build "$dir"
    ctest --test-dir "$dir" --output-on-failure -j 2 -L "$labels"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
run_pass build-asan address,undefined 'unit|pty'
run_pass build-tsan thread 'unit|pty'
