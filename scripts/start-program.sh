#!/usr/bin/env bash
# Starts one of the two windows from a build folder, or says why it cannot.
set -euo pipefail
build=$1 program=$2
exe="$build/$program/$program"
if [ ! -x "$exe" ]; then
  echo "$program: the window is not built yet (no $exe); the command-line front ends are in $build" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "$program: no display; starting under xvfb-run" >&2
  exec xvfb-run -a "$exe"
fi
exec "$exe"
