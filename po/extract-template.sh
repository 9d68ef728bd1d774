#!/usr/bin/env bash
# Extracts the catalog template from the sources: every text marked with N_,
# Tr, TrFormat or TrQ in the programs' folders.
# Usage: extract-template.sh SOURCE_DIR OUTPUT.pot
set -euo pipefail
source_dir=$1
output=$2
cd "$source_dir"
find runtime common par2 carver mender -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
    xgettext --files-from=- --from-code=UTF-8 --language=C++ \
        --keyword=N_ --keyword=Tr --keyword=TrFormat:1 --keyword=TrQ \
        --add-comments=TRANSLATORS: --no-wrap --no-location --sort-output \
        --package-name=carver-mender --msgid-bugs-address=dev@carver.local \
        --output="$output"
