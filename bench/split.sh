#!/usr/bin/env bash
# Splits a 1 GiB file with the split engine (1.44MB preset: 1,421,000 bytes)
# and with split -b 1421000, alternating on the same machine, and prints the
# median time of each and their ratio. Usage: bench/split.sh <build folder>
set -euo pipefail
build=$1
bin=$build/bench/split/split_bench
runs=${SPLIT_BENCH_RUNS:-5}
[ -x "$bin" ] || { echo "split.sh: $bin is not built" >&2; exit 1; }

source "$(dirname "$0")/lib/timing.sh" split
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

engine_ns=()
split_ns=()
for ((r = 1; r <= runs; r++)); do
  rm -rf "$work/engine" "$work/split"
  mkdir "$work/engine" "$work/split"
  sync
  t0=$(now); "$bin" "$work/movie.avi" "$work/engine/" 1421000; t1=$(now)
  engine_ns+=($((t1 - t0)))
  if [ "$r" -eq 1 ]; then
    count=$(head -c 3 "$work/engine/movie.000")
    pieces=()
    for ((k = 1; k <= 10#$count; k++)); do pieces+=("$(printf '%s/engine/movie.%03d' "$work" "$k")"); done
    cat "${pieces[@]}" | cmp -s - "$work/movie.avi" || { echo "split.sh: the engine's pieces differ" >&2; exit 1; }
  fi
  rm -rf "$work/engine"
  sync
  t0=$(now); split -b 1421000 "$work/movie.avi" "$work/split/movie."; t1=$(now)
  split_ns+=($((t1 - t0)))
done

engine=$(median "${engine_ns[@]}")
plain=$(median "${split_ns[@]}")
awk -v e="$engine" -v s="$plain" -v runs="$runs" 'BEGIN {
  printf "split 1 GiB at 1,421,000 bytes, median of %d alternating runs: engine %.3f s, split %.3f s, ratio %.2f\n",
         runs, e / 1e9, s / 1e9, e / s }'
