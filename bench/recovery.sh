#!/usr/bin/env bash
# PAR2 recovery data on a 1 GiB file of 1,421,000-byte pieces (756 pieces),
# alternating on the same machine: carver-cli with -r 5% (38 recovery slices)
# against the same split without; mender-cli on that set with 5% of the pieces
# deleted against the join of the whole set; and par2 create with the same
# slices and count against what -r adds to the split; and the join that leaves
# the lost pieces as holes filled at the end (disk by disk: --removable, with
# every disk in one folder, いいえ for each piece lost). Prints medians, ratios,
# processor times (which other work on a shared machine moves less) and the
# peak memory of the recovery runs. With RECOVERY_BENCH_ONLY=join only the
# joins are timed.
# Usage: bench/recovery.sh <build folder>
set -euo pipefail
build=$1
carver=$build/carver/carver-cli mender=$build/mender/mender-cli
runs=${RECOVERY_BENCH_RUNS:-3}
only=${RECOVERY_BENCH_ONLY:-all}
[ -x "$carver" ] && [ -x "$mender" ] || { echo "recovery.sh: the CLIs are not built" >&2; exit 1; }
command -v par2 >/dev/null || { echo "recovery.sh: par2 is not installed" >&2; exit 1; }

source "$(dirname "$0")/lib/timing.sh" recovery
head -c $((1 << 30)) /dev/urandom > "$work/movie.avi"

with_ns=() without_ns=() repair_ns=() whole_ns=() holes_ns=() bydisk_ns=() par2_ns=() peak=0
with_cpu=() without_cpu=() repair_cpu=() whole_cpu=() holes_cpu=() bydisk_cpu=()
# Times a command (standard input from $input); its peak memory (KiB) goes
# into $peak when larger, its processor time (user and system, in ms) into $cpu.
input=/dev/null
timed() {
  sync
  t0=$(now); /usr/bin/time -f '%M %U %S' -o "$work/mem" "$@" <"$input" >/dev/null 2>&1; t1=$(now)
  read -r m u s < <(tail -1 "$work/mem"); [ "$m" -gt "$peak" ] && peak=$m
  cpu=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%d", (u + s) * 1000 }')
  return 0
}
# 38 of the 756 pieces, spread over the set.
lost() { for ((k = 1; k <= 756; k += 20)); do printf 'movie.%03d\n' "$k"; done; }
fresh() { rm -rf "$work/$1"; mkdir "$work/$1"; }
fresh set; fresh plain; fresh aside
if [ "$only" = join ]; then
  "$carver" -y -q --fixed -r 5% "$work/movie.avi" "$work/set"
  "$carver" -y -q --fixed "$work/movie.avi" "$work/plain"
fi
for ((r = 1; r <= runs; r++)); do
  if [ "$only" != join ]; then
    fresh set; timed "$carver" -y -q --fixed -r 5% "$work/movie.avi" "$work/set"; with_ns+=($((t1 - t0))) with_cpu+=("$cpu")
    fresh plain; timed "$carver" -y -q --fixed "$work/movie.avi" "$work/plain"; without_ns+=($((t1 - t0))) without_cpu+=("$cpu")
    fresh aside
  fi
  fresh out; timed "$mender" -y -q --fixed "$work/plain/movie.000" "$work/out"; whole_ns+=($((t1 - t0))); whole_cpu+=("$cpu")
  for name in $(lost); do [ -e "$work/aside/$name" ] || cp "$work/set/$name" "$work/aside/"; rm -f "$work/set/$name"; done
  fresh out; timed "$mender" -y -q --fixed "$work/set/movie.000" "$work/out"; repair_ns+=($((t1 - t0))); repair_cpu+=("$cpu")
  cmp -s "$work/out/movie.avi" "$work/movie.avi" || { echo "recovery.sh: the rebuilt file differs" >&2; exit 1; }
  # The same pieces lost again, now found lost during the join.
  for name in $(lost); do rm -f "$work/set/$name"; done
  printf 'n\n%.0s' {1..100} >"$work/answers"; input=$work/answers
  fresh out; timed "$mender" -y -q --removable "$work/set/movie.000" "$work/out"; holes_ns+=($((t1 - t0))); holes_cpu+=("$cpu")
  input=/dev/null
  cmp -s "$work/out/movie.avi" "$work/movie.avi" || { echo "recovery.sh: the file rebuilt into holes differs" >&2; exit 1; }
  # Disk by disk, the rebuilt file is synced before each disk question: the
  # hole way is measured against the whole set joined the same way.
  fresh out; timed "$mender" -y -q --removable "$work/plain/movie.000" "$work/out"; bydisk_ns+=($((t1 - t0))); bydisk_cpu+=("$cpu")
  for name in $(lost); do cp "$work/aside/$name" "$work/set/"; done
  [ "$only" = join ] && continue
  rm -f "$work/plain"/*.par2
  pieces=("$work"/plain/movie.[0-9][0-9][0-9]); pieces=("${pieces[@]:1}")  # not movie.000
  ( cd "$work/plain" && sync && t0=$(now) && par2 create -q -q -s1421312 -c38 movie.par2 "${pieces[@]##*/}" >/dev/null \
    && echo $(( $(now) - t0 )) > "$work/par2ns" )
  par2_ns+=("$(cat "$work/par2ns")")
done

load=$(cut -d' ' -f1-3 /proc/loadavg)
if [ "$only" != join ]; then
  awk -v w="$(median "${with_ns[@]}")" -v o="$(median "${without_ns[@]}")" -v p2="$(median "${par2_ns[@]}")" \
      -v wc="$(median "${with_cpu[@]}")" -v oc="$(median "${without_cpu[@]}")" -v runs="$runs" -v load="$load" 'BEGIN {
    printf "recovery data, 1 GiB at 1,421,000 bytes, median of %d alternating runs (load %s):\n", runs, load
    printf "  split -r 5%% %.2f s, without %.2f s: %.2f (goal 1.5)\n", w / 1e9, o / 1e9, w / o
    printf "  processor time of the split -r 5%% %.2f s, without %.2f s: %.2f\n", wc / 1e3, oc / 1e3, wc / oc
    printf "  par2 create -c38 %.2f s, what -r 5%% adds to the split %.2f s: par2 / ours %.2f (goal above 1)\n",
           p2 / 1e9, (w - o) / 1e9, p2 / (w - o) }'
fi
awk -v rp="$(median "${repair_ns[@]}")" -v wh="$(median "${whole_ns[@]}")" -v ho="$(median "${holes_ns[@]}")" \
    -v rc="$(median "${repair_cpu[@]}")" -v wc="$(median "${whole_cpu[@]}")" -v hc="$(median "${holes_cpu[@]}")" \
    -v bd="$(median "${bydisk_ns[@]}")" -v bc="$(median "${bydisk_cpu[@]}")" \
    -v peak="$peak" -v runs="$runs" -v load="$load" 'BEGIN {
  printf "joins, median of %d alternating runs (load %s; processor time in brackets):\n", runs, load
  printf "  join with 38 pieces deleted %.2f s (%.2f s), of the whole set %.2f s (%.2f s): %.2f (goal 2), processor %.2f\n",
         rp / 1e9, rc / 1e3, wh / 1e9, wc / 1e3, rp / wh, rc / wc
  printf "  disk by disk, the 38 left as holes and filled at the end %.2f s (%.2f s), the whole set %.2f s (%.2f s): %.2f, processor %.2f\n",
         ho / 1e9, hc / 1e3, bd / 1e9, bc / 1e3, ho / bd, hc / bc
  printf "  peak memory of the runs %.1f MiB (goal under 64)\n", peak / 1024 }'
