# Shared by the benchmark scripts: a work folder removed on exit, a clock in
# nanoseconds, the median of a list of numbers and the checks of a result, so
# that a fast wrong answer cannot pass.
# Usage: source "$(dirname "$0")/lib/timing.sh" NAME
work=$(mktemp -d "/tmp/$1-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
fail() { echo "$(basename "$0"): $*" >&2; exit 1; }

# check_set FOLDER NAME SOURCE [manifest]: the pieces NAME.001 … that NAME.000
# counts are, end to end, the source; with "manifest", sha256sum -c passes on
# the folder's NAME.sha256.
check_set() {
  local folder=$1 name=$2 source=$3 count k
  count=$(head -c 3 "$folder/$name.000")
  for ((k = 1; k <= 10#$count; k++)); do cat "$(printf '%s/%s.%03d' "$folder" "$name" "$k")"; done |
    cmp -s - "$source" || fail "the pieces in $folder differ from the source"
  if [ "${4:-}" = manifest ]; then
    (cd "$folder" && sha256sum -c --quiet --strict "$name.sha256") || fail "the manifest in $folder does not check"
  fi
}

# Runs a command, timing it into $t (ns); a bench program's report
# ("peak-kib N cpu-ms M") goes into $cpu (ms) and raises $peak (KiB).
peak=0
timed_engine() {
  local t0 t1 report
  sync
  t0=$(now); report=$("$@"); t1=$(now)
  t=$((t1 - t0))
  set -- $report
  [ "$2" -gt "$peak" ] && peak=$2
  cpu=$4
}
timed() {
  local t0 t1
  sync
  t0=$(now); "$@"; t1=$(now)
  t=$((t1 - t0))
}
