#!/usr/bin/env bash
# Splits a 1 GiB file (1.44MB preset: 1,421,000 bytes) three ways, alternating
# on the same machine: with the split engine writing its manifests (the
# default), with the engine without them (--no-checksum) and with
# split -b 1421000. Prints the median time of each, the two ratios, the
# engine's processor time and its peak memory. Usage: bench/split.sh <build folder>
set -euo pipefail
build=$1
bin=$build/bench/split/split_bench
runs=${SPLIT_BENCH_RUNS:-5}
[ -x "$bin" ] || { echo "split.sh: $bin is not built" >&2; exit 1; }

source "$(dirname "$0")/lib/timing.sh" split
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

checked_ns=() plain_ns=() split_ns=() checked_cpu=() plain_cpu=()
peak=0
# Runs the engine into $work/engine; its report ("peak-kib N cpu-ms M") goes to $report.
engine() {
  rm -rf "$work/engine"
  mkdir "$work/engine"
  sync
  t0=$(now); report=$("$bin" "$@" "$work/movie.avi" "$work/engine/" 1421000); t1=$(now)
  set -- $report
  [ "$2" -gt "$peak" ] && peak=$2
  cpu=$4
}
for ((r = 1; r <= runs; r++)); do
  engine
  checked_ns+=($((t1 - t0))); checked_cpu+=("$cpu")
  if [ "$r" -eq 1 ]; then
    count=$(head -c 3 "$work/engine/movie.000")
    pieces=()
    for ((k = 1; k <= 10#$count; k++)); do pieces+=("$(printf '%s/engine/movie.%03d' "$work" "$k")"); done
    cat "${pieces[@]}" | cmp -s - "$work/movie.avi" || { echo "split.sh: the engine's pieces differ" >&2; exit 1; }
    # Every line of the manifest, the whole file's through a link to the source.
    ln -s ../movie.avi "$work/engine/movie.avi"
    (cd "$work/engine" && sha256sum -c --quiet movie.sha256) || { echo "split.sh: the manifest does not check" >&2; exit 1; }
  fi
  engine --no-checksum
  plain_ns+=($((t1 - t0))); plain_cpu+=("$cpu")
  rm -rf "$work/engine" "$work/split"
  mkdir "$work/split"
  sync
  t0=$(now); split -b 1421000 "$work/movie.avi" "$work/split/movie."; t1=$(now)
  split_ns+=($((t1 - t0)))
  rm -rf "$work/split"
done

awk -v c="$(median "${checked_ns[@]}")" -v p="$(median "${plain_ns[@]}")" -v s="$(median "${split_ns[@]}")" \
    -v cc="$(median "${checked_cpu[@]}")" -v pc="$(median "${plain_cpu[@]}")" -v peak="$peak" -v runs="$runs" 'BEGIN {
  printf "split 1 GiB at 1,421,000 bytes, median of %d alternating runs:\n", runs
  printf "  engine with manifests %.3f s (processor %.3f s), without %.3f s (processor %.3f s), split %.3f s\n",
         c / 1e9, cc / 1e3, p / 1e9, pc / 1e3, s / 1e9
  printf "  with manifests / split %.2f (goal 1.10), with / without %.2f (goal 1.05)\n", c / s, c / p
  printf "  engine peak memory %.1f MiB (goal under 10)\n", peak / 1024 }'
