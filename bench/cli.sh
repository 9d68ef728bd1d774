#!/usr/bin/env bash
# Splits a 1 GiB file with carver-cli (1.44MB preset) and with split, and joins
# it with mender-cli and with cat, alternating on the same machine; prints the
# median times and the ratios; every run's set and joined file are checked. Usage: bench/cli.sh <build folder>
set -euo pipefail
build=$1
carver=$build/carver/carver-cli
mender=$build/mender/mender-cli
runs=${CLI_BENCH_RUNS:-5}
for exe in "$carver" "$mender"; do [ -x "$exe" ] || { echo "cli.sh: $exe is not built" >&2; exit 1; }; done

source "$(dirname "$0")/lib/timing.sh" cli
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

carver_ns=() split_ns=() mender_ns=() cat_ns=()
for ((r = 1; r <= runs; r++)); do
  rm -rf "$work/set" "$work/std" "$work/joined"; mkdir "$work/set" "$work/std" "$work/joined"
  sync
  t0=$(now); "$carver" -y "$work/movie.avi" "$work/set" 2>/dev/null; t1=$(now)
  carver_ns+=($((t1 - t0)))
  sync
  t0=$(now); split -b 1421000 -d -a 3 --numeric-suffixes=1 "$work/movie.avi" "$work/std/movie."; t1=$(now)
  split_ns+=($((t1 - t0)))
  rm -rf "$work/std"; sync
  t0=$(now); "$mender" -y "$work/set/movie.000" "$work/joined" 2>/dev/null; t1=$(now)
  mender_ns+=($((t1 - t0)))
  sync
  pieces=("$work"/set/movie.[0-9][0-9][0-9]); pieces=("${pieces[@]:1}")  # without movie.000
  t0=$(now); cat "${pieces[@]}" > "$work/cat.avi"; t1=$(now)
  cat_ns+=($((t1 - t0)))
  check_set "$work/set" movie "$work/movie.avi" manifest
  cmp -s "$work/movie.avi" "$work/joined/movie.avi" || fail "the joined file differs"
  rm -f "$work/cat.avi"
done

report() {
  awk -v a="$2" -v b="$3" -v what="$1" -v runs="$runs" 'BEGIN {
    printf "%s, median of %d alternating runs: %.3f s against %.3f s, ratio %.2f\n", what, runs, a / 1e9, b / 1e9, a / b }'
}
report "split 1 GiB: carver-cli against split -b 1421000" "$(median "${carver_ns[@]}")" "$(median "${split_ns[@]}")"
report "join 1 GiB: mender-cli against cat" "$(median "${mender_ns[@]}")" "$(median "${cat_ns[@]}")"
