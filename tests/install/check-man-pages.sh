#!/usr/bin/env bash
# Every man page in MAN_DIR renders without a warning from man or groff, and
# names a NAME line that whatis can read; each PROGRAM's page mentions every
# option its --help lists.
# Usage: check-man-pages.sh MAN_DIR PROGRAM...
set -euo pipefail
man_dir=$1
shift
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

pages=("$man_dir"/*.1)
[[ -e ${pages[0]} ]] || { echo "FAIL: no pages in $man_dir"; exit 1; }
for page in "${pages[@]}"; do
    # "w" turns on every groff warning ("all" leaves out undefined macros).
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "${page##*/}: $warnings"
    lexgrog "$page" >/dev/null 2>&1 || fail "${page##*/}: whatis cannot read its NAME section"
done

for program in "$@"; do
    page=$man_dir/${program##*/}.1
    [[ -f $page ]] || { fail "${program##*/} has no page"; continue; }
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null)
    options=$("$(dirname "$0")/listed-options.sh" "$program")
    for option in $options; do
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || fail "${page##*/} does not document $option"
    done
done
exit $((failures > 0))
