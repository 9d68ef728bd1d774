#!/usr/bin/env bash
# Runs every benchmark script under bench/ (bench/*.sh) with the build folder
# as its argument. Each prints its own ratios against the standard tools.
set -euo pipefail
build=$1
found=0
for script in bench/*.sh; do
  [ -e "$script" ] || continue
  found=1
  echo "== $script"
  bash "$script" "$build"
done
[ $found -eq 1 ] || { echo "no benchmark yet" >&2; exit 1; }
