#!/usr/bin/env bash
# Renders the hicolor PNG icons from the scalable one. The PNGs are committed, so that
# building needs no SVG renderer; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || scripts/install-deps.sh librsvg2-bin
icons=data/icons/hicolor
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$icons/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$icons/scalable/apps/trawl.svg" \
    -o "$icons/${size}x${size}/apps/trawl.png"
done
ls "$icons"
