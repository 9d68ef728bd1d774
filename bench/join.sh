#!/usr/bin/env bash
# Joins a 1 GiB split set of 1,421,000-byte pieces, alternating on the same
# machine with a sync before every run: with the join engine checking the
# set's manifest (a line per piece, as the split writes it), with the engine
# on the same set without it, and with cat; then the engine deleting the set
# as it goes (-d, which syncs before each deletion) against cat followed by a
# sync of the file, and against cat, sync and rm of the pieces (the same work
# done by the tools). Every rebuilt file is compared with the source. Prints
# the medians, the ratios, the engine's processor time and its peak memory.
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
(cd "$work/set" && sha256sum movie.[0-9][0-9][0-9] | grep -v ' movie\.000$') > "$work/movie.sha256"

same() { cmp -s "$1" "$work/movie.avi" || fail "$1 differs from the source"; }
checked_ns=() plain_ns=() cat_ns=() deleting_ns=() synced_ns=() removed_ns=() checked_cpu=() plain_cpu=() deleting_cpu=()
for ((r = 1; r <= runs; r++)); do
  cp "$work/movie.sha256" "$work/set/movie.sha256"
  rm -f "$work/engine/movie.avi"
  timed_engine "$bin" "$work/set/movie.000" "$work/engine/"
  checked_ns+=("$t"); checked_cpu+=("$cpu")
  same "$work/engine/movie.avi"
  rm -f "$work/set/movie.sha256" "$work/engine/movie.avi"
  timed_engine "$bin" "$work/set/movie.000" "$work/engine/"
  plain_ns+=("$t"); plain_cpu+=("$cpu")
  same "$work/engine/movie.avi"
  rm -f "$work/cat/movie.avi"
  timed sh -c 'cat "$@" > "$0"' "$work/cat/movie.avi" "${pieces[@]}"
  cat_ns+=("$t")
  same "$work/cat/movie.avi"

  # A copy of the set (with its manifest) for the engine to delete.
  rm -rf "$work/copy" "$work/engine/movie.avi" "$work/cat/movie.avi"
  cp -r "$work/set" "$work/copy"; cp "$work/movie.sha256" "$work/copy/"
  timed_engine "$bin" -d "$work/copy/movie.000" "$work/engine/"
  deleting_ns+=("$t"); deleting_cpu+=("$cpu")
  same "$work/engine/movie.avi"
  [ -z "$(ls -A "$work/copy")" ] || fail "-d left $(ls "$work/copy" | head -3)"
  rm -f "$work/engine/movie.avi"
  timed sh -c 'cat "$@" > "$0" && sync "$0"' "$work/cat/movie.avi" "${pieces[@]}"
  synced_ns+=("$t")
  same "$work/cat/movie.avi"
  # The same work done by the tools: the pieces deleted once the file is safe.
  rm -rf "$work/copy" "$work/cat/movie.avi"
  cp -r "$work/set" "$work/copy"
  copies=(); for p in "${pieces[@]}"; do copies+=("$work/copy/${p##*/}"); done
  timed sh -c 'cat "$@" > "$0" && sync "$0" && rm "$@"' "$work/cat/movie.avi" "${copies[@]}"
  removed_ns+=("$t")
  same "$work/cat/movie.avi"
done

awk -v c="$(median "${checked_ns[@]}")" -v p="$(median "${plain_ns[@]}")" -v s="$(median "${cat_ns[@]}")" \
    -v d="$(median "${deleting_ns[@]}")" -v y="$(median "${synced_ns[@]}")" -v x="$(median "${removed_ns[@]}")" \
    -v cc="$(median "${checked_cpu[@]}")" -v pc="$(median "${plain_cpu[@]}")" -v dc="$(median "${deleting_cpu[@]}")" \
    -v peak="$peak" -v n="$count" -v runs="$runs" 'BEGIN {
  printf "join 1 GiB in %d pieces, median of %d alternating runs:\n", n, runs
  printf "  engine checking the manifest %.3f s (processor %.3f s), without %.3f s (processor %.3f s), cat %.3f s\n",
         c / 1e9, cc / 1e3, p / 1e9, pc / 1e3, s / 1e9
  printf "  checking / cat %.2f (goal 1.3), without / cat %.2f (goal 1.05)\n", c / s, p / s
  printf "  deleting as it goes (-d) %.3f s (processor %.3f s), cat + sync %.3f s: %.2f (goal 1.0)\n",
         d / 1e9, dc / 1e3, y / 1e9, d / y
  printf "  cat + sync + rm of the pieces %.3f s: -d against it %.2f\n", x / 1e9, d / x
  printf "  engine peak memory %.1f MiB (goal under 10)\n", peak / 1024 }'
