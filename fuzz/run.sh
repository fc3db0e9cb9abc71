#!/usr/bin/env bash
# Builds the fuzzers into build-fuzz/ with clang and runs them all at once for the seconds given
# (default 120), seeded with fuzz/corpus/<area>/, then prints each one's runs and findings.
# Usage: bash fuzz/run.sh [SECONDS [AREA...]]
# New inputs go to build-fuzz/fuzz-work/<area>/, findings to build-fuzz/fuzz-work/<area>-crash-*
# (or -leak-, -timeout-, -oom-), the output to build-fuzz/fuzz-work/<area>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
shift || true
areas=("$@")
[ ${#areas[@]} -gt 0 ] || areas=(wire sender money sjis inifile gamefile)

if ! command -v clang++ >/dev/null; then
    echo "clang++ is missing: apt-get install clang libclang-rt-14-dev" >&2
    exit 1
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTROV_FUZZ=ON -DTROV_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzzers

export QT_QPA_PLATFORM=offscreen
# The settings harness writes a file each run: memory-backed folders make that much faster.
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
work=build-fuzz/fuzz-work
mkdir -p "$work"
pids=()
for area in "${areas[@]}"; do
    mkdir -p "$work/$area"
    rm -f "$work/$area"-{crash,leak,timeout,oom}-*
    # libFuzzer stops by itself after -max_total_time; timeout only guards against a hang.
    timeout $((seconds + 60)) "build-fuzz/fuzz/fuzz_$area" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$work/$area-" \
        "$work/$area" "fuzz/corpus/$area" >"$work/$area.log" 2>&1 &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || true; done

printf '%-10s %8s %12s %9s\n' area seconds executions findings
for area in "${areas[@]}"; do
    log="$work/$area.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    found=$(find "$work" -maxdepth 1 -name "$area-*-*" -type f | wc -l)
    printf '%-10s %8s %12s %9s\n' "$area" "${time:-?}" "${runs:-?}" "$found"
done
