#!/usr/bin/env bash
# `cmake --install` into a fresh prefix puts exactly the expected files there
# and registers the join-info file type under it; the installed programs split
# a file and join it back from the prefix's own bin/.
# Usage: check-installed-tree.sh CMAKE BUILD_DIR WITH_QT(ON|OFF)
set -euo pipefail
cmake=$1 build=$2 with_qt=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

id=io.github.carvermender
expected=(
    bin/carver-cli bin/mender-cli
    share/man/man1/carver-cli.1.gz share/man/man1/mender-cli.1.gz
    share/man/ja/man1/carver-cli.1.gz share/man/ja/man1/mender-cli.1.gz
    share/bash-completion/completions/carver-cli share/bash-completion/completions/mender-cli
    share/doc/carver-mender/copyright share/doc/carver-mender/changelog.gz
    share/locale/en/LC_MESSAGES/carver-mender.mo
)
if [[ $with_qt == ON ]]; then
    expected+=(bin/carver bin/mender share/man/man1/carver.1.gz share/man/man1/mender.1.gz
               share/man/ja/man1/carver.1.gz share/man/ja/man1/mender.1.gz
               share/mime/packages/$id.xml
               share/kio/servicemenus/$id.split.desktop share/kio/servicemenus/$id.join.desktop)
    for app in Carver Mender; do
        expected+=(share/applications/$id.$app.desktop share/metainfo/$id.$app.metainfo.xml
                   share/icons/hicolor/scalable/apps/$id.$app.svg)
        for size in 16 32 48 64 128; do
            expected+=(share/icons/hicolor/${size}x$size/apps/$id.$app.png)
        done
    done
fi
# The MIME database and cache that the install rebuilds are checked below.
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' |
            grep -vE '^share/mime/[^p]|^share/applications/mimeinfo.cache$' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [[ $installed != "$wanted" ]]; then
    echo "FAIL: installed files differ from the expected ones (< installed, > expected):"
    diff <(echo "$installed") <(echo "$wanted") || true
    exit 1
fi

if [[ $with_qt == ON ]]; then
    grep -qx "application/x-carver-join-info:\*\.000" <(cut -d: -f2- "$prefix/share/mime/globs2") ||
        { echo "FAIL: *.000 is not registered as a join-info file"; exit 1; }
    grep -qx "application/x-carver-join-info text/plain" "$prefix/share/mime/subclasses" ||
        { echo "FAIL: the join-info type is not a kind of text/plain"; exit 1; }
    grep -qx "application/x-carver-join-info=$id.Mender.desktop;" "$prefix/share/applications/mimeinfo.cache" ||
        { echo "FAIL: Mender is not registered to open join-info files"; exit 1; }
    grep -qx "application/octet-stream=$id.Carver.desktop;" "$prefix/share/applications/mimeinfo.cache" ||
        { echo "FAIL: Carver is not offered in Open With for any file"; exit 1; }
    grep -qx "application/x-carver-first-piece:\*\.001" <(cut -d: -f2- "$prefix/share/mime/globs2") ||
        { echo "FAIL: *.001 is not registered as a first piece"; exit 1; }
    # On a system with nothing else installed, neither program becomes the
    # default of an ordinary type, a first piece included; Mender opens .000.
    if command -v xdg-mime >/dev/null; then
        for type in video/mp4 application/zip text/plain application/x-carver-first-piece application/x-carver-join-info; do
            default=$(env -i PATH="$PATH" HOME="$work" XDG_DATA_HOME="$work/none" XDG_CONFIG_HOME="$work/none" \
                      XDG_CONFIG_DIRS="$work/none" XDG_DATA_DIRS="$prefix/share" xdg-mime query default $type)
            wanted=
            [[ $type == application/x-carver-join-info ]] && wanted=$id.Mender.desktop
            [[ $default == "$wanted" ]] || { echo "FAIL: the default for $type is '$default'"; exit 1; }
        done
    fi
fi

# A split into several pieces and the join back, with the installed programs.
mkdir "$work/set" "$work/joined"
head -c 2500000 /dev/urandom >"$work/source.bin"
"$prefix/bin/carver-cli" -y -s 1000KB "$work/source.bin" "$work/set" </dev/null
"$prefix/bin/mender-cli" -y "$work/set/source.000" "$work/joined" </dev/null
[[ -f $work/set/source.003 ]] || { echo "FAIL: the split did not make three pieces"; exit 1; }
cmp "$work/source.bin" "$work/joined/source.bin"

# The installed programs find their catalog below their own prefix.
question=$(LANGUAGE= LC_ALL=en_US.UTF-8 "$prefix/bin/carver-cli" "$work/source.bin" "$work/set" </dev/null 2>&1 || true)
[[ $question == *"Split into 2 pieces"* ]] || { echo "FAIL: the installed carver-cli shows no English: $question"; exit 1; }
