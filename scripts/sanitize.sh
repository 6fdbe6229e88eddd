#!/usr/bin/env bash
# Runs the model tests again under AddressSanitizer with UndefinedBehaviorSanitizer, and the
# tests that use threads under ThreadSanitizer. Each pass builds only the tests it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# run_pass BUILD_DIR SANITIZERS LABEL...
run_pass() {
    local dir=$1 sanitizers=$2
    shift 2
    local labels=("$@")
    # Line tables are all a sanitizer's report needs, at a fraction of the full debug information.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
        -DCORV_GUI=OFF -DCORV_WERROR=ON -DCORV_SANITIZE="$sanitizers"
    cmake --build "$dir" --target "${labels[@]/#/tests-}"
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j 2 \
        -L "^($(IFS='|'; echo "${labels[*]}"))\$"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
run_pass build-asan address,undefined unit pty
run_pass build-tsan thread unit pty
