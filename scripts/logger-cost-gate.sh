#!/usr/bin/env bash
# The logger's hot path guarded: bench_logger measures the logger at TS = 1 for two minutes against
# the module emulated at the wire rate, and this fails when a sample costs more than twice the
# CPU time of the README's performance table (its bench_logger row measured on the CI machine,
# "... ms a sample").
#
#   scripts/logger-cost-gate.sh [BUILD-DIR]     (default build, the tree of scripts/test.sh)
#
# Builds bench_logger there first when it is missing or out of date. LOGGER_GATE_SPAN sets the
# measured seconds (default 120).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
span=${LOGGER_GATE_SPAN:-120}

readme_ms=$(sed -n 's/^| `bench_logger` | CPU time .*[( ]\([0-9.]*\) ms a sample.*| CI |$/\1/p' README.md | head -1)
if [ -z "$readme_ms" ]; then
    echo "logger cost gate: no \"ms a sample\" figure in the README's bench_logger row" >&2
    exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORV_WERROR=ON -DCORV_BENCH=ON >/dev/null
cmake --build "$build" --target bench_logger

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/bench/bench_logger" --span "$span" --warmup 10 --every "$span" | tee "$out"
measured_ms=$(sed -n 's/^CPU in the span .* = \([0-9.]*\) ms per sample.*/\1/p' "$out")
if [ -z "$measured_ms" ]; then
    echo "logger cost gate: bench_logger gave no figure" >&2
    exit 1
fi
if awk -v m="$measured_ms" -v r="$readme_ms" 'BEGIN { exit !(m > 2 * r) }'; then
    echo "logger cost gate: FAILED, $measured_ms ms a sample, more than twice the README's $readme_ms ms" >&2
    exit 1
fi
echo "logger cost gate: passed, $measured_ms ms a sample (README $readme_ms ms, limit twice that)"
