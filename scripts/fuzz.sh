#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in a folder of their own, replays each committed corpus,
# then fuzzes each target for a while. Exits non-zero on the first crash, leak, hang or
# sanitizer report; the input that caused it is kept under <build>/artifacts/.
#   scripts/fuzz.sh [seconds per target, default 20] [target...]
# Targets: catalogue pictures query headers text (default: all). TRAWL_FUZZ_BUILD names
# the build folder (default build-fuzz). Inputs found on the way go to a scratch folder:
# the committed corpora change only by hand, after a long run, keeping one input per new
# edge: <build>/tests/fuzz/fuzz_<target> -merge=1 -use_counters=0 tests/fuzz/corpus/<target> <run's folder>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(catalogue pictures query headers text)
build=${TRAWL_FUZZ_BUILD:-build-fuzz}

launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRAWL_FUZZ=ON "${launcher[@]}" > /dev/null
cmake --build "$build" -j "$(nproc)" --target trawl_fuzz

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
artifacts=$PWD/$build/artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$artifacts"

for target in "${targets[@]}"; do
  binary=$build/tests/fuzz/fuzz_$target
  corpus=tests/fuzz/corpus/$target
  mkdir -p "$scratch/$target"
  echo "== fuzz $target: replay $(ls "$corpus" | wc -l) inputs, then ${seconds} s"
  "$binary" -runs=0 -artifact_prefix="$artifacts/$target-" "$corpus" 2> "$scratch/$target.log" ||
    { tail -n 40 "$scratch/$target.log"; exit 1; }
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$scratch/$target" "$corpus" 2> "$scratch/$target.log" ||
    { tail -n 40 "$scratch/$target.log"; exit 1; }
  grep -E '^stat::number_of_executed_units' "$scratch/$target.log" | sed "s/^/   /"
done
