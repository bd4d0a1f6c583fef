#!/usr/bin/env bash
# The sanitizer and fuzz lanes: a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer runs the unit and integration tests, then every fuzz target
# for a while on its seed corpus. The first argument is the seconds per target (30).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORB_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
seconds="${1:-30}"
fuzzers=(fuzz_settings fuzz_answers fuzz_gif fuzz_dates fuzz_url)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DORB_SANITIZE=ON -DORB_FUZZ=ON -DORB_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j2

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest --output-on-failure -j2 --timeout 300 -L "unit|integration")

# New inputs go to the build folder; the seeds in the repository stay as they are.
mkdir -p "$build/fuzz-artifacts"
for fuzzer in "${fuzzers[@]}"; do
    mkdir -p "$build/fuzz-corpus/$fuzzer"
    log="$build/fuzz-artifacts/$fuzzer.log"
    status=0
    "$build/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-artifacts/$fuzzer-" \
        "$build/fuzz-corpus/$fuzzer" "$root/fuzz/corpus/${fuzzer#fuzz_}" >"$log" 2>&1 || status=$?
    echo "== $fuzzer: $(grep -E '^stat::number_of_executed_units' "$log" | tr -dc 0-9) runs in ${seconds} s"
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        exit "$status"
    fi
done
