#!/usr/bin/env bash
# Splits a 1 GiB file through Carver's window (offscreen, 1.44MB, the question
# answered OK) and with carver-cli, alternating on the same machine; prints the
# median times and their ratio, and fails when the window takes more than 1.5
# times as long. Usage: bench/carver-window.sh <build folder>
set -euo pipefail
build=$1
window=$build/bench/carver_window/carver-window-bench
cli=$build/carver/carver-cli
runs=${WINDOW_BENCH_RUNS:-3}
for exe in "$window" "$cli"; do [ -x "$exe" ] || { echo "carver-window.sh: $exe is not built" >&2; exit 1; }; done

source "$(dirname "$0")/lib/timing.sh" window
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

window_ns=() cli_ns=()
for ((r = 1; r <= runs; r++)); do
  rm -rf "$work/win" "$work/cli"; mkdir "$work/win" "$work/cli"
  sync
  t0=$(now); QT_QPA_PLATFORM=offscreen "$window" "$work/movie.avi" "$work/win" 2>/dev/null; t1=$(now)
  window_ns+=($((t1 - t0)))
  sync
  t0=$(now); "$cli" -y "$work/movie.avi" "$work/cli" 2>/dev/null; t1=$(now)
  cli_ns+=($((t1 - t0)))
  if [ "$r" -eq 1 ]; then
    for f in "$work"/win/movie.[0-9][0-9][0-9]; do [ "${f##*.}" = 000 ] || cat "$f"; done | cmp -s - "$work/movie.avi" \
      || { echo "carver-window.sh: the window's pieces differ from the source" >&2; exit 1; }
  fi
done

w=$(median "${window_ns[@]}") c=$(median "${cli_ns[@]}")
awk -v a="$w" -v b="$c" -v runs="$runs" 'BEGIN {
  printf "split 1 GiB, median of %d alternating runs: window %.3f s, carver-cli %.3f s, ratio %.2f\n", runs, a / 1e9, b / 1e9, a / b
  exit (a / b > 1.5) ? 1 : 0 }'
