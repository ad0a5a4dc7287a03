#!/bin/sh
# Installs the build into a temporary prefix and checks what the desktop and
# the package need: every installed file in its place, the desktop entry and
# the AppStream metainfo valid and naming the application id, and the
# installed terminal command running on the installed sample phrases.
#
# usage: check-install.sh CMAKE BUILD_DIR CONFIG APP_ID BINDIR DATADIR DOCDIR
# (the directories relative to the prefix, as GNUInstallDirs gives them)
set -eu

if [ $# -ne 7 ]; then
    echo "usage: $0 CMAKE BUILD_DIR CONFIG APP_ID BINDIR DATADIR DOCDIR" >&2
    exit 2
fi
cmake=$1 build=$2 config=$3 id=$4 bindir=$5 datadir=$6 docdir=$7

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool not found (Debian packages desktop-file-utils and appstream; see scripts/install-deps)"
        exit 1
    fi
done

prefix=$(mktemp -d "${TMPDIR:-/tmp}/zelmora-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT INT TERM

echo "== cmake --install into $prefix"
if ! "$cmake" --install "$build" --config "$config" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log"
    rm -f "$prefix.log"
    echo "FAIL: cmake --install failed"
    exit 1
fi
rm -f "$prefix.log"

echo "== installed files"
desktop="$datadir/applications/$id.desktop"
metainfo="$datadir/metainfo/$id.metainfo.xml"
expected="$bindir/zelmora $bindir/zelmora-oggi $desktop $metainfo"
for size in 16 32 48 64 128 256; do
    expected="$expected $datadir/icons/hicolor/${size}x$size/apps/$id.png"
done
expected="$expected $datadir/icons/hicolor/scalable/apps/$id.svg"
expected="$expected $docdir/tesmiLeggimi.txt $docdir/tesmi.txt"
for file in $expected; do
    if [ ! -s "$prefix/$file" ]; then
        fail "$file is missing or empty"
    else
        echo "ok   $file"
    fi
done
for program in zelmora zelmora-oggi; do
    [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program is not executable"
done
for size in 16 32 48 64 128 256; do
    icon="$prefix/$datadir/icons/hicolor/${size}x$size/apps/$id.png"
    [ -f "$icon" ] || continue
    # The size is in the PNG header: width and height, big-endian, at 16..23.
    dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x$size" ] || fail "$icon is $dims, not ${size}x$size"
done

echo "== desktop-file-validate $desktop"
if [ -f "$prefix/$desktop" ]; then
    desktop-file-validate "$prefix/$desktop" || fail "desktop-file-validate reported errors"
    grep -qx "Icon=$id" "$prefix/$desktop" || fail "the desktop entry's Icon is not $id"
fi

echo "== appstreamcli validate --no-net $metainfo"
if [ -f "$prefix/$metainfo" ]; then
    # Errors and warnings fail; infos and pedantic remarks are shown only.
    appstreamcli validate --no-net --no-color "$prefix/$metainfo" ||
        fail "appstreamcli reported errors or warnings"
    grep -q "<id>$id</id>" "$prefix/$metainfo" || fail "the metainfo's id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/$metainfo" ||
        fail "the metainfo does not launch $id.desktop"
fi

echo "== installed zelmora-oggi on the installed sample phrases"
if [ -x "$prefix/$bindir/zelmora-oggi" ] && [ -f "$prefix/$docdir/tesmi.txt" ]; then
    if output=$(cd "$prefix/$docdir" && "$prefix/$bindir/zelmora-oggi" 2>&1); then
        printf '%s\n' "$output"
        [ -n "$output" ] || fail "zelmora-oggi printed nothing"
    else
        printf '%s\n' "$output"
        fail "zelmora-oggi failed on the installed tesmi.txt"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "== $failures check(s) failed"
    exit 1
fi
echo "== all install checks passed"
