#!/usr/bin/env bash
# Joins a 1 GiB split set of 1,421,000-byte pieces with the join engine and
# with cat, alternating on the same machine, and prints the median time of
# each and their ratio. Usage: bench/join.sh <build folder>
set -euo pipefail
build=$1
bin=$build/bench/join/join_bench
runs=${JOIN_BENCH_RUNS:-5}
[ -x "$bin" ] || { echo "join.sh: $bin is not built" >&2; exit 1; }

source "$(dirname "$0")/lib/timing.sh" join
mkdir "$work/set" "$work/engine" "$work/cat"

head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"
split -b 1421000 -d -a 3 --numeric-suffixes=1 "$work/movie.avi" "$work/set/movie."
count=$(find "$work/set" -name 'movie.[0-9][0-9][0-9]' | wc -l)
printf '%03d\r\nmovie.avi\r\n' "$count" > "$work/set/movie.000"
pieces=()
for ((k = 1; k <= count; k++)); do pieces+=("$(printf '%s/set/movie.%03d' "$work" "$k")"); done

engine_ns=()
cat_ns=()
for ((r = 1; r <= runs; r++)); do
  rm -f "$work/engine/movie.avi" "$work/cat/movie.avi"
  sync
  t0=$(now); "$bin" "$work/set/movie.000" "$work/engine/"; t1=$(now)
  engine_ns+=($((t1 - t0)))
  sync
  t0=$(now); cat "${pieces[@]}" > "$work/cat/movie.avi"; t1=$(now)
  cat_ns+=($((t1 - t0)))
  if [ "$r" -eq 1 ]; then
    cmp -s "$work/movie.avi" "$work/engine/movie.avi" || { echo "join.sh: the engine's file differs" >&2; exit 1; }
    rm -f "$work/movie.avi"
  fi
done

engine=$(median "${engine_ns[@]}")
plain=$(median "${cat_ns[@]}")
awk -v e="$engine" -v c="$plain" -v n="$count" -v runs="$runs" 'BEGIN {
  printf "join 1 GiB in %d pieces, median of %d alternating runs: engine %.3f s, cat %.3f s, ratio %.2f\n",
         n, runs, e / 1e9, c / 1e9, e / c }'
