#!/usr/bin/env bash
# Sets everything up, builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test headless, then the fuzz targets
# (tests/fuzz/run.sh, in build-fuzz/). Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" --for-tests
build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DDSA_SANITIZE=ON -DDSA_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen
# Qt and fontconfig keep caches alive until exit; leaks are not what these runs look for.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j2
# The parsers of untrusted input under libFuzzer, a bounded number of runs each.
bash "$root/tests/fuzz/run.sh"
