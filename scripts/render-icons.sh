#!/usr/bin/env bash
# Renders the programs' PNG icons from their SVGs. The PNGs are committed, so
# the build needs no renderer; run this after changing an SVG.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons/hicolor"
command -v rsvg-convert >/dev/null || { echo "render-icons: rsvg-convert not found (apt install librsvg2-bin)" >&2; exit 1; }
for svg in scalable/apps/*.svg; do
  for size in 16 32 48 64 128; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert --width "$size" --height "$size" "$svg" -o "${size}x${size}/apps/$(basename "${svg%.svg}").png"
  done
done
