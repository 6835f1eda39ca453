#!/usr/bin/env bash
# Installs what is missing, builds Trawl and runs every test suite with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${TRAWL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
