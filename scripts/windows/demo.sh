#!/usr/bin/env bash
# The headless demo of the Windows build: cross-builds trawl.exe and
# trawl-catalogue-server.exe (scripts/windows/build.sh), then runs both under Wine on a
# virtual screen and drives Trawl with xdotool like a user: start-up notice, query, check
# all, download.
# Exits 0 only when every picture of the sample catalogue was saved and marked;
# screenshots go to OUTPUT_FOLDER (default build-windows/demo-output).
#
#   scripts/windows/demo.sh [--readme] [OUTPUT_FOLDER]
#     --readme  also renews docs/windows-filled-list.png and docs/windows-finished-run.png
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/windows/build.sh >/dev/null
export TRAWL_WINDOWS_BUILD_DIR=${TRAWL_WINDOWS_BUILD_DIR:-build-windows}
readme=()
[ "${1:-}" = --readme ] && { readme=(--readme); shift; }
exec scripts/demo-headless.sh --windows "${readme[@]}" "${1:-$TRAWL_WINDOWS_BUILD_DIR/demo-output}"
