#!/usr/bin/env bash
# Bash completion of the two CLIs, run in a folder of known files: options,
# sizes after -s, SOURCE / JOIN_INFO as the first operand, FOLDER as the
# second. Then: every option the programs' --help lists is offered.
# Usage: check-completion.sh COMPLETION_DIR CARVER_CLI MENDER_CLI
set -euo pipefail
export LC_ALL=C
completions=$1 carver_cli=$2 mender_cli=$3
source "$completions/carver-cli"
source "$completions/mender-cli"
compopt() { :; }  # the builtin works only while bash itself completes

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir sub 'my dir'
touch src.bin 'two words.avi' movie.000 movie.001 movie.002 notes.txt -- -odd

failures=0
# Completes the last of WORDS with FUNCTION; the replies, sorted, joined by "|".
replies() {
    local function=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    "$function"
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|'
}

# expected replies ; function ; the words as bash splits them, | between words
while IFS=';' read -r expected function line; do
    IFS='|' read -r -a words <<<"$line"
    got=$(replies "$function" "${words[@]}")
    if [[ $got != "$expected" ]]; then
        echo "FAIL: '${words[*]}' gave '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
done <<'EOF_CASES'
--size=;_carver_cli;carver-cli|--si
--no-checksum|--number=;_carver_cli;carver-cli|--n
fat32;_carver_cli;carver-cli|-s|f
;_carver_cli;carver-cli|-yn|
my dir;_carver_cli;carver-cli|-n|3|src.bin|m
my dir;_carver_cli;carver-cli|--number|=|3|src.bin|m
1.25MB|1.44MB;_carver_cli;carver-cli|-s|1.
1.25MB|1.44MB|100MB|128MB;_carver_cli;carver-cli|--size|=|1
640KB|640MB;_carver_cli;carver-cli|--size|=|64
720KB;_carver_cli;carver-cli|-bs|7
src.bin|sub;_carver_cli;carver-cli|s
two words.avi;_carver_cli;carver-cli|tw
sub;_carver_cli;carver-cli|src.bin|s
my dir;_carver_cli;carver-cli|-s|10M|src.bin|m
my dir;_carver_cli;carver-cli|--size|=|10M|-b|src.bin|m
my dir;_carver_cli;carver-cli|-s10M|src.bin|m
;_carver_cli;carver-cli|src.bin|sub|s
-odd;_carver_cli;carver-cli|--|-o
--delete;_mender_cli;mender-cli|--d
movie.000|movie.001|my dir;_mender_cli;mender-cli|m
;_mender_cli;mender-cli|n
my dir;_mender_cli;mender-cli|movie.000|m
sub;_mender_cli;mender-cli|-d|movie.000|s
;_mender_cli;mender-cli|movie.000|sub|s
EOF_CASES

for pair in "_carver_cli $carver_cli" "_mender_cli $mender_cli"; do
    function=${pair%% *} program=${pair#* }
    offered=$(replies "$function" "${program##*/}" --)
    options=$("$(dirname "$0")/listed-options.sh" "$program")
    for option in $options; do
        if [[ "|$offered|" != *"|$option|"* && "|$offered|" != *"|$option=|"* ]]; then
            echo "FAIL: ${program##*/} --help lists $option, the completion does not offer it"
            failures=$((failures + 1))
        fi
    done
done
exit $((failures > 0))
