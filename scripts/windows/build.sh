#!/usr/bin/env bash
# Cross-builds Trawl for 64-bit Windows with mingw-w64 into BUILD (build-windows by
# default): the dependencies first (scripts/windows/build-deps.sh, cached), then the
# project with TRAWL_PLATFORM=win32. The programs are linked statically.
#
#   scripts/windows/build.sh [BUILD] [cmake options...]
set -euo pipefail
source_root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$source_root/build-windows}")
shift $(($# > 0 ? 1 : 0))

"$source_root/scripts/windows/build-deps.sh" "$build"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$source_root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$source_root/cmake/toolchain-mingw64.cmake" \
  -DTRAWL_WINDOWS_DEPS="$build/deps/root" -DTRAWL_PLATFORM=win32 "${launcher[@]}" "$@"
nice -n 10 cmake --build "$build" -j "$(nproc)"
