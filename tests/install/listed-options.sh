#!/usr/bin/env bash
# Prints the long options PROGRAM's --help defines, one a line: those that
# open a line ("  -s, --size", "      --fixed"), not those named in the prose.
set -euo pipefail
"$1" --help | grep -oE '^ *(-[[:alnum:]], *)?--[a-z][a-z-]*' | grep -oE -- '--[a-z][a-z-]*' | sort -u
