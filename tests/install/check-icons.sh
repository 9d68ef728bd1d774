#!/usr/bin/env bash
# The committed PNG icons are the SVGs as scripts/render-icons.sh renders them
# today: an SVG changed without rendering again fails here.
# Usage: check-icons.sh HICOLOR_DIR
set -euo pipefail
hicolor=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
for svg in "$hicolor"/scalable/apps/*.svg; do
    name=$(basename "${svg%.svg}")
    for size in 16 32 48 64 128; do
        png=$hicolor/${size}x$size/apps/$name.png
        [[ -f $png ]] || { echo "FAIL: $png is missing"; failures=$((failures + 1)); continue; }
        rsvg-convert --width "$size" --height "$size" "$svg" -o "$work/fresh.png"
        # Pixels apart by more than a rounding step, allowing for another renderer build.
        differing=$(compare -metric AE -fuzz 3% "$png" "$work/fresh.png" null: 2>&1) || true
        if ! [[ $differing =~ ^[0-9]+$ ]] || ((differing * 100 > size * size)); then
            echo "FAIL: $png is not what $name.svg renders to ($differing pixels differ); run scripts/render-icons.sh"
            failures=$((failures + 1))
        fi
    done
done
exit $((failures > 0))
