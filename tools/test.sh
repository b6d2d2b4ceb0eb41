#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the test suites, then builds the fuzz
# targets and runs each briefly (ZUVO_FUZZ_SECONDS each, 4 at a time; 0 skips
# them). A crash, leak or hang found there fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/sanitize"

# Set before the build: the build lists each suite's tests by running it.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/support/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZUVO_SANITIZE=ON >/dev/null
cmake --build "$build"

status=0
(cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 300) || status=$?

fuzz_seconds="${ZUVO_FUZZ_SECONDS:-30}"
if [ "$fuzz_seconds" -gt 0 ]; then
    "$root/tools/fuzz.sh" --all "$fuzz_seconds" 4 || status=1
fi
exit "$status"
