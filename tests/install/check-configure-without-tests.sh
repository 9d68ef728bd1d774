#!/usr/bin/env bash
# With BUILD_TESTING=OFF the project configures where GoogleTest cannot be
# found, and nothing it would build links against it.
# Usage: check-configure-without-tests.sh CMAKE SOURCE_DIR WITH_QT(ON|OFF)
set -euo pipefail
cmake=$1 source=$2 with_qt=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cmake" -S "$source" -B "$work" -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    -DCARVER_WITH_QT="$with_qt" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; echo "FAIL: the project does not configure without GoogleTest"; exit 1; }
if grep -rlq 'gtest' "$work" --include=link.txt --include=build.make; then
    echo "FAIL: something still links against GoogleTest:"
    grep -rl 'gtest' "$work" --include=link.txt --include=build.make
    exit 1
fi
targets=$("$cmake" --build "$work" --target help)
grep -q 'carver-cli' <<<"$targets" || { echo "FAIL: no carver-cli to build"; exit 1; }
