#!/usr/bin/env bash
# The Debian package as Debian's checker sees it: lintian finds no error and
# no warning but the placeholder maintainer's mail host (in the control file
# and the changelog), and no missing
# hardening. Skipped (77) where the package tools are not installed.
# Usage: check-package.sh CPACK BUILD_DIR
set -euo pipefail
cpack=$1 build=$2
for tool in lintian dpkg-deb dpkg-shlibdeps; do
    command -v $tool >/dev/null || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: the package could not be built"; exit 1; }
deb=$(echo "$work"/*.deb)
[[ -f $deb ]] || { echo "FAIL: no package in $work"; exit 1; }

# Every tag, whatever its level (lintian also checks that the programs are
# stripped, position-independent, linked with relro and -z now, and fortified).
lintian --display-info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
bad=$(grep -E '^[EW]: |^[IN]: [^ ]+: hardening-' "$work/lintian.log" |
      grep -vE ': bogus-mail-host(-in-debian-changelog)? ' || true)
if [[ -n $bad ]]; then
    echo "FAIL: lintian finds:"
    echo "$bad"
    exit 1
fi

echo "the package passes lintian: $(basename "$deb")"
