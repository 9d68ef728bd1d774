# Shared by the benchmark scripts: a work folder removed on exit, a clock in
# nanoseconds and the median of a list of numbers.
# Usage: source "$(dirname "$0")/lib/timing.sh" NAME
work=$(mktemp -d "/tmp/$1-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
