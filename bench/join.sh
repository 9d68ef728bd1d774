#!/usr/bin/env bash
# Joins a 1 GiB split set of 1,421,000-byte pieces three ways, alternating on
# the same machine: with the join engine checking the set's manifest
# (movie.sha256: a line per piece and one for the whole file), with the engine
# on the same set without it, and with cat. Prints the median time of each,
# the two ratios, the engine's processor time and its peak memory.
# Usage: bench/join.sh <build folder>
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
(cd "$work/set" && sha256sum movie.[0-9][0-9][0-9] | grep -v ' movie\.000$' && cd .. && sha256sum movie.avi) > "$work/movie.sha256"
rm -f "$work/movie.avi"

checked_ns=() plain_ns=() cat_ns=() checked_cpu=() plain_cpu=()
peak=0
# Runs the engine into $work/engine.
engine() {
  rm -f "$work/engine/movie.avi"
  sync
  t0=$(now); report=$("$bin" "$work/set/movie.000" "$work/engine/"); t1=$(now)
  set -- $report
  [ "$2" -gt "$peak" ] && peak=$2
  cpu=$4
}
for ((r = 1; r <= runs; r++)); do
  cp "$work/movie.sha256" "$work/set/movie.sha256"
  engine
  checked_ns+=($((t1 - t0))); checked_cpu+=("$cpu")
  if [ "$r" -eq 1 ]; then
    cat "${pieces[@]}" | cmp -s - "$work/engine/movie.avi" || { echo "join.sh: the engine's file differs" >&2; exit 1; }
  fi
  rm -f "$work/set/movie.sha256"
  engine
  plain_ns+=($((t1 - t0))); plain_cpu+=("$cpu")
  rm -f "$work/cat/movie.avi"
  sync
  t0=$(now); cat "${pieces[@]}" > "$work/cat/movie.avi"; t1=$(now)
  cat_ns+=($((t1 - t0)))
done

awk -v c="$(median "${checked_ns[@]}")" -v p="$(median "${plain_ns[@]}")" -v s="$(median "${cat_ns[@]}")" \
    -v cc="$(median "${checked_cpu[@]}")" -v pc="$(median "${plain_cpu[@]}")" -v peak="$peak" -v n="$count" -v runs="$runs" 'BEGIN {
  printf "join 1 GiB in %d pieces, median of %d alternating runs:\n", n, runs
  printf "  engine checking the manifest %.3f s (processor %.3f s), without %.3f s (processor %.3f s), cat %.3f s\n",
         c / 1e9, cc / 1e3, p / 1e9, pc / 1e3, s / 1e9
  printf "  checking / cat %.2f (goal 1.20), with / without %.2f (goal 1.05)\n", c / s, c / p
  printf "  engine peak memory %.1f MiB (goal under 10)\n", peak / 1024 }'
