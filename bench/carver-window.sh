#!/usr/bin/env bash
# Splits a 1 GiB file through Carver's window (offscreen, 1.44MB, the question
# answered OK) and with carver-cli, alternating on the same machine with a
# sync before every run; every run's pieces and manifest are checked. Prints
# the median times and their ratio, and fails when the window takes more than
# 1.5 times as long (the goal is 1.2). Usage: bench/carver-window.sh <build folder>
set -euo pipefail
build=$1
window=$build/bench/carver_window/carver-window-bench
cli=$build/carver/carver-cli
runs=${WINDOW_BENCH_RUNS:-5}
for exe in "$window" "$cli"; do [ -x "$exe" ] || { echo "carver-window.sh: $exe is not built" >&2; exit 1; }; done

source "$(dirname "$0")/lib/timing.sh" window
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

window_ns=() cli_ns=()
for ((r = 1; r <= runs; r++)); do
  rm -rf "$work/win" "$work/cli"; mkdir "$work/win" "$work/cli"
  QT_QPA_PLATFORM=offscreen timed "$window" "$work/movie.avi" "$work/win" 2>/dev/null
  window_ns+=("$t")
  check_set "$work/win" movie "$work/movie.avi" manifest
  timed "$cli" -y "$work/movie.avi" "$work/cli" 2>/dev/null
  cli_ns+=("$t")
  check_set "$work/cli" movie "$work/movie.avi" manifest
done

w=$(median "${window_ns[@]}") c=$(median "${cli_ns[@]}")
awk -v a="$w" -v b="$c" -v runs="$runs" 'BEGIN {
  printf "split 1 GiB, median of %d alternating runs: window %.3f s, carver-cli %.3f s, ratio %.2f (goal 1.2)\n",
         runs, a / 1e9, b / 1e9, a / b
  exit (a / b > 1.5) ? 1 : 0 }'
