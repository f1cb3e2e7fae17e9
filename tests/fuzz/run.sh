#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a bounded number
# of inputs, starting from a temporary copy of its seed corpus: nothing is
# written into the repository. Prints each target's final "DONE cov: ft:" line;
# exits non-zero on any crash, printing the crashing input in hex and where it
# was kept.
#   run.sh [target...]     targets: scpi_syntax address_file hex_address number_text
# FUZZ_RUNS (200000) and FUZZ_SECONDS (120) bound each target's run.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
runs=${FUZZ_RUNS:-200000}
seconds=${FUZZ_SECONDS:-120}
all=(scpi_syntax address_file hex_address number_text)
targets=("${@:-${all[@]}}")

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDSA_FUZZ=ON -DDSA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d "${TMPDIR:-/tmp}/dsa-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Qt keeps caches alive until exit; leaks are not what these runs look for.
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

passed=0
failed=0
for t in "${targets[@]}"; do
    corpus="$work/corpus/$t"
    artifacts="$work/artifacts/$t"
    mkdir -p "$corpus" "$artifacts"
    cp "$root/tests/fuzz/corpus/$t/." "$corpus/" -R
    log="$work/$t.log"
    status=0
    (cd "$work" && "$build/tests/fuzz/fuzz_$t" -runs="$runs" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -detect_leaks=0 -artifact_prefix="$artifacts/" \
        "$corpus") >"$log" 2>&1 || status=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
    if [ "$status" -eq 0 ] && [ -n "$done_line" ]; then
        echo "$t: $done_line"
        passed=$((passed + 1))
        continue
    fi
    failed=$((failed + 1))
    echo "$t: FAILED (exit status $status)" >&2
    grep -E 'check failed|ERROR: |runtime error|SUMMARY' -A 2 "$log" | head -n 40 >&2 || true
    for crash in "$artifacts"/*; do
        [ -f "$crash" ] || continue
        keep="$root/build-fuzz/crashes/$t"
        mkdir -p "$keep"
        cp "$crash" "$keep/"
        echo "$t: crashing input, kept as $keep/$(basename "$crash"):" >&2
        od -An -tx1 -v "$crash" | head -n 16 >&2
    done
    echo "$t: whole log: tail of $log" >&2
    tail -n 20 "$log" >&2
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
