#!/usr/bin/env bash
# Every text the sources mark has a translation in each catalog (none
# missing, none fuzzy), every translation keeps its text's placeholders
# ({1}, {2} ... ; {1:wide} counts as {1}), msgfmt accepts the catalog, and no
# Japanese text in the code is left unmarked.
# Usage: check-catalogs.sh SOURCE_DIR CATALOG.po...
set -euo pipefail
source_dir=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$(dirname "$0")/extract-template.sh" "$source_dir" "$work/template.pot"
failures=0

# A Japanese text in quotes on a line that marks or translates nothing, its
# comments left out; a line that only continues a text ("..." alone) counts
# as part of the line before it. Not shown, so not marked: the batch file's
# lines (read on the system the set goes to) and the dialog error descriptions.
unmarked=$(cd "$source_dir" &&
    find runtime common par2 carver mender -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
    xargs awk 'FNR == 1 && held != "" { print held; held = "" }
               /^[[:space:]]*"/ && held != "" { sub(/^[[:space:]]*/, ""); held = held " " $0; next }
               { if (held != "") print held; held = FILENAME ":" FNR ":" $0 }
               END { if (held != "") print held }' |
    LC_ALL=C.UTF-8 grep -P '"[^"]*[\x{3000}-\x{30FF}\x{4E00}-\x{9FFF}\x{FF00}-\x{FFEF}]' |
    grep -v -e '^carver/BatchText.cpp:' -e '^common/CommonDlg.cpp:' |
    sed -E 's#^([^:]+:[0-9]+:)(.*[^ ])? *//.*$#\1\2#' |
    LC_ALL=C.UTF-8 grep -P '"[^"]*[\x{3000}-\x{30FF}\x{4E00}-\x{9FFF}\x{FF00}-\x{FFEF}]' |
    grep -vE 'N_\(|Tr\(|TrFormat\(|TrQ\(' || true)
if [[ -n $unmarked ]]; then
    echo "FAIL: Japanese texts not marked for the catalog (N_, Tr, TrFormat, TrQ):"
    echo "$unmarked"
    failures=$((failures + 1))
fi

for po in "$@"; do
    name=${po##*/}
    msgfmt --check --statistics -o /dev/null "$po" 2>"$work/stats" || { cat "$work/stats"; failures=$((failures + 1)); }
    if grep -qE 'fuzzy|untranslated' "$work/stats"; then
        echo "FAIL: $name: $(cat "$work/stats")"
        failures=$((failures + 1))
    fi
    # msgcmp names each text of the template that the catalog lacks.
    msgcmp "$po" "$work/template.pot" || failures=$((failures + 1))
    # Each text and its translation on one line each, then the placeholders compared.
    msgcat --no-wrap "$po" | awk -v name="$name" '
        function holders(s,   out, rest, m) {
            out = ""; rest = s
            while (match(rest, /\{[0-9]+(:wide)?\}/)) {
                m = substr(rest, RSTART, RLENGTH); sub(/:wide/, "", m)
                out = out m; rest = substr(rest, RSTART + RLENGTH)
            }
            return out
        }
        function sorted(s,   n, a, i, j, t, out) {
            n = split(s, a, "}")
            for (i = 1; i < n; i++) for (j = i + 1; j < n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
            out = ""; for (i = 1; i < n; i++) out = out a[i] "}"
            return out
        }
        /^msgid "/ { id = substr($0, 8, length($0) - 8) }
        /^msgstr "/ {
            str = substr($0, 9, length($0) - 9)
            if (id != "" && sorted(holders(id)) != sorted(holders(str))) {
                print "FAIL: " name ": placeholders differ: \"" id "\" -> \"" str "\""; bad = 1
            }
        }
        END { exit bad }' || failures=$((failures + 1))
done
exit $((failures > 0))
