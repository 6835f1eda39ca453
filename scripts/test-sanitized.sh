#!/usr/bin/env bash
# Builds the runtime tests with a sanitizer and runs them.
#   scripts/test-sanitized.sh                 AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/test-sanitized.sh thread          ThreadSanitizer
# Further arguments go to ctest (for example -L core).
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizers=address,undefined
if [ "${1:-}" = thread ]; then sanitizers=thread; shift; fi
build=build-${sanitizers//,/-}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRAWL_SANITIZE="$sanitizers" \
  -DTRAWL_BUILD_BENCHMARKS=OFF
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
