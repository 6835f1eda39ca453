#!/usr/bin/env bash
# Builds test suites with a sanitizer and runs them.
#   scripts/test-sanitized.sh [thread] [suite...]
# Without "thread": AddressSanitizer + UndefinedBehaviorSanitizer. Suites are the folders
# under tests/ (core, io, images, ui, app, tools); default: core io images. "thread" runs
# ThreadSanitizer, which leaves out only Qt's own calls (tests/support/tsan.supp).
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizers=address,undefined
if [ "${1:-}" = thread ]; then sanitizers=thread; shift; fi
suites=("$@")
[ ${#suites[@]} -eq 0 ] && suites=(core io images)

build=build-${sanitizers//,/-}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRAWL_SANITIZE="$sanitizers" \
  -DTRAWL_BUILD_BENCHMARKS=OFF > /dev/null
targets=()
for s in "${suites[@]}"; do targets+=("trawl_${s}_tests"); done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

support=$PWD/tests/support
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$support/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Any report fails the run (exit code 66). Options given by the caller come after the
# suppressions, so they can replace them.
export TSAN_OPTIONS=suppressions=$support/tsan.supp:${TSAN_OPTIONS:-halt_on_error=1:exitcode=66:second_deadlock_stack=1}
export QT_QPA_PLATFORM=offscreen
failed=0
for s in "${suites[@]}"; do
  echo "== ${s} (${sanitizers})"
  "$build/tests/trawl_${s}_tests" --gtest_brief=1 || failed=1
done
exit $failed
