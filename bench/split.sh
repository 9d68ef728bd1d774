#!/usr/bin/env bash
# Splits a 1 GiB file (1.44MB preset: 1,421,000 bytes) three ways, alternating
# on the same machine with a sync before every run: with the split engine
# writing its manifest (the default), with the engine without it
# (--no-checksum) and with split -b 1421000. Every run of the engine is
# checked: its pieces are the source, its manifest passes sha256sum -c.
# Prints the medians, the ratios, the engine's processor time and its peak
# memory. Usage: bench/split.sh <build folder>
set -euo pipefail
build=$1
bin=$build/bench/split/split_bench
runs=${SPLIT_BENCH_RUNS:-5}
[ -x "$bin" ] || { echo "split.sh: $bin is not built" >&2; exit 1; }

source "$(dirname "$0")/lib/timing.sh" split
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

checked_ns=() plain_ns=() split_ns=() checked_cpu=() plain_cpu=()
for ((r = 1; r <= runs; r++)); do
  rm -rf "$work/engine"; mkdir "$work/engine"
  timed_engine "$bin" "$work/movie.avi" "$work/engine/" 1421000
  checked_ns+=("$t"); checked_cpu+=("$cpu")
  check_set "$work/engine" movie "$work/movie.avi" manifest
  rm -rf "$work/engine"; mkdir "$work/engine"
  timed_engine "$bin" --no-checksum "$work/movie.avi" "$work/engine/" 1421000
  plain_ns+=("$t"); plain_cpu+=("$cpu")
  check_set "$work/engine" movie "$work/movie.avi"
  [ ! -e "$work/engine/movie.sha256" ] || fail "--no-checksum wrote a manifest"
  rm -rf "$work/engine" "$work/split"; mkdir "$work/split"
  timed split -b 1421000 "$work/movie.avi" "$work/split/movie."
  split_ns+=("$t")
  rm -rf "$work/split"
done

awk -v c="$(median "${checked_ns[@]}")" -v p="$(median "${plain_ns[@]}")" -v s="$(median "${split_ns[@]}")" \
    -v cc="$(median "${checked_cpu[@]}")" -v pc="$(median "${plain_cpu[@]}")" -v peak="$peak" -v runs="$runs" 'BEGIN {
  printf "split 1 GiB at 1,421,000 bytes, median of %d alternating runs:\n", runs
  printf "  engine with the manifest %.3f s (processor %.3f s), without %.3f s (processor %.3f s), split %.3f s\n",
         c / 1e9, cc / 1e3, p / 1e9, pc / 1e3, s / 1e9
  printf "  with the manifest / split %.2f (goal 1.2), without / split %.2f (goal 1.0)\n", c / s, p / s
  printf "  engine peak memory %.1f MiB (goal under 10)\n", peak / 1024 }'
