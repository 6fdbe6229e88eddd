#!/usr/bin/env bash
# Runs every fuzzer for the given number of seconds (default 600) on a copy of its corpus.
# New findings are written to build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORV_GUI=OFF -DCORV_TESTS=OFF -DCORV_FUZZ=ON -DCORV_SANITIZE=address,undefined -DCORV_WERROR=ON
cmake --build build-fuzz
mkdir -p build-fuzz/findings
for fuzzer in build-fuzz/fuzz/fuzz_*; do
    name=${fuzzer##*/fuzz_}
    work=build-fuzz/work/$name
    mkdir -p "$work"
    echo "== $name"
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
        "$work" "fuzz/corpus/$name" 2>&1 | grep -E '^(stat::|Done|==|SUMMARY)' || true
done
