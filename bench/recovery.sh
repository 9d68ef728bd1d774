#!/usr/bin/env bash
# PAR2 recovery data on a 1 GiB file of 1,421,000-byte pieces (756 pieces),
# alternating on the same machine: carver-cli with -r 5% (38 recovery slices)
# against the same split without; mender-cli on that set with 5% of the pieces
# deleted against the join of the whole set; and par2 create with the same
# slices and count against what -r adds to the split. Prints medians, ratios
# (of the split also in processor time, which other work on a shared machine
# moves less) and the peak memory of the recovery runs.
# Usage: bench/recovery.sh <build folder>
set -euo pipefail
build=$1
carver=$build/carver/carver-cli mender=$build/mender/mender-cli
runs=${RECOVERY_BENCH_RUNS:-3}
[ -x "$carver" ] && [ -x "$mender" ] || { echo "recovery.sh: the CLIs are not built" >&2; exit 1; }
command -v par2 >/dev/null || { echo "recovery.sh: par2 is not installed" >&2; exit 1; }

source "$(dirname "$0")/lib/timing.sh" recovery
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

with_ns=() without_ns=() repair_ns=() whole_ns=() par2_ns=() with_cpu=() without_cpu=() peak=0
# Times a command; its peak memory (KiB) goes into $peak when larger, its
# processor time (user and system, in ms) into $cpu.
timed() {
  sync
  t0=$(now); /usr/bin/time -f '%M %U %S' -o "$work/mem" "$@" >/dev/null 2>&1; t1=$(now)
  read -r m u s < <(tail -1 "$work/mem")
  [ "$m" -gt "$peak" ] && peak=$m
  cpu=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%d", (u + s) * 1000 }')
  return 0
}
fresh() { rm -rf "$work/$1"; mkdir "$work/$1"; }
for ((r = 1; r <= runs; r++)); do
  fresh set; timed "$carver" -y -q --fixed -r 5% "$work/movie.avi" "$work/set"; with_ns+=($((t1 - t0))) with_cpu+=("$cpu")
  fresh plain; timed "$carver" -y -q --fixed "$work/movie.avi" "$work/plain"; without_ns+=($((t1 - t0))) without_cpu+=("$cpu")
  fresh out; timed "$mender" -y -q --fixed "$work/plain/movie.000" "$work/out"; whole_ns+=($((t1 - t0)))
  # 38 of the 756 pieces gone, spread over the set.
  for ((k = 1; k <= 756; k += 20)); do rm -f "$(printf '%s/set/movie.%03d' "$work" "$k")"; done
  fresh out; timed "$mender" -y -q --fixed "$work/set/movie.000" "$work/out"; repair_ns+=($((t1 - t0)))
  cmp -s "$work/out/movie.avi" "$work/movie.avi" || { echo "recovery.sh: the rebuilt file differs" >&2; exit 1; }
  rm -f "$work/plain"/*.par2
  pieces=("$work"/plain/movie.[0-9][0-9][0-9]); pieces=("${pieces[@]:1}")  # not movie.000
  ( cd "$work/plain" && sync && t0=$(now) && par2 create -q -q -s1421312 -c38 movie.par2 "${pieces[@]##*/}" >/dev/null \
    && echo $(( $(now) - t0 )) > "$work/par2ns" )
  par2_ns+=("$(cat "$work/par2ns")")
done

awk -v w="$(median "${with_ns[@]}")" -v o="$(median "${without_ns[@]}")" -v rp="$(median "${repair_ns[@]}")" \
    -v wh="$(median "${whole_ns[@]}")" -v p2="$(median "${par2_ns[@]}")" -v peak="$peak" -v runs="$runs" \
    -v wc="$(median "${with_cpu[@]}")" -v oc="$(median "${without_cpu[@]}")" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
  printf "recovery data, 1 GiB at 1,421,000 bytes, median of %d alternating runs (load %s):\n", runs, load
  printf "  split -r 5%% %.2f s, without %.2f s: %.2f (goal 1.5)\n", w / 1e9, o / 1e9, w / o
  printf "  processor time of the split -r 5%% %.2f s, without %.2f s: %.2f\n", wc / 1e3, oc / 1e3, wc / oc
  printf "  join with 38 pieces deleted %.2f s, of the whole set %.2f s: %.2f (goal 2)\n", rp / 1e9, wh / 1e9, rp / wh
  printf "  par2 create -c38 %.2f s, what -r 5%% adds to the split %.2f s: par2 / ours %.2f (goal above 1)\n",
         p2 / 1e9, (w - o) / 1e9, p2 / (w - o)
  printf "  peak memory of the runs %.1f MiB (goal under 64)\n", peak / 1024 }'
