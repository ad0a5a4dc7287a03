#!/bin/sh
# Installs the build into a temporary prefix and checks what the desktop and
# the package need: every installed file in its place, the desktop entry and
# the AppStream metainfo valid and naming the application id, a copy of the
# desktop entry made for starting at login as the manual pages tell, the
# compressed manual pages and changelog, the bash completion of zelmora-oggi,
# the guide and the sample phrases where they stay without /usr/share/doc
# (the window's fallback for the guide among them), the terminal command
# running on the installed sample phrases, and the guide's line for
# ~/.bashrc with and without ~/tesmi.txt and zelmora-oggi.
#
# usage: check-install.sh CMAKE BUILD_DIR CONFIG APP_ID BINDIR DATADIR DOCDIR MANDIR GUIDE
# (GUIDE: where the window looks for the installed guide, from BINDIR)
# (the directories relative to the prefix, as GNUInstallDirs gives them)
# A cross build names in ZELMORA_EMULATOR the command that runs its programs
# here (qemu for ARM); the installed zelmora-oggi is started through it.
set -eu

if [ $# -ne 9 ]; then
    echo "usage: $0 CMAKE BUILD_DIR CONFIG APP_ID BINDIR DATADIR DOCDIR MANDIR GUIDE" >&2
    exit 2
fi
cmake=$1 build=$2 config=$3 id=$4 bindir=$5 datadir=$6 docdir=$7 mandir=$8 guide=$9

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
datafolder="$datadir/zelmora"
expected="$expected $datafolder/tesmiLeggimi.txt $datafolder/tesmi.txt"
expected="$expected $docdir/tesmiLeggimi.txt $docdir/tesmi.txt"
expected="$expected $docdir/copyright $docdir/changelog.Debian.gz"
manpages="$mandir/man1/zelmora.1.gz $mandir/man1/zelmora-oggi.1.gz"
completion="$datadir/bash-completion/completions/zelmora-oggi"
expected="$expected $manpages $completion"
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
    # A copy left in ~/.config/autostart after the package is removed is then
    # skipped, not started in vain.
    grep -qx "TryExec=zelmora" "$prefix/$desktop" || fail "the desktop entry has no TryExec=zelmora"
fi

echo "== the desktop entry copied for starting at login, with -C and giorni"
# As zelmora(1), the README and the guide tell: a copy in
# ~/.config/autostart/ whose Exec= line names the folder of tesmi.txt and the
# days. It must stay one valid [Desktop Entry] with that one Exec= line.
if [ -f "$prefix/$desktop" ]; then
    mkdir -p "$prefix/autostart"
    cp "$prefix/$desktop" "$prefix/autostart/"
    HOME=$prefix sh -c 'sed -i "s|^Exec=.*|Exec=zelmora -C $HOME/Frasi 7|" "$1"' sh \
        "$prefix/autostart/$id.desktop"
    desktop-file-validate "$prefix/autostart/$id.desktop" ||
        fail "the autostart copy with -C and giorni is not a valid desktop entry"
    [ "$(grep '^Exec=' "$prefix/autostart/$id.desktop")" = "Exec=zelmora -C $prefix/Frasi 7" ] ||
        fail "the autostart copy's Exec= line is not the one the guide gives"
fi

echo "== compressed manual pages and changelog"
for file in $manpages $docdir/changelog.Debian.gz; do
    [ -f "$prefix/$file" ] || continue
    gzip -t "$prefix/$file" 2>&1 || fail "$file is not a whole gzip file"
done

echo "== bash completion of zelmora-oggi"
if [ -f "$prefix/$completion" ]; then
    mkdir -p "$prefix/frasi/Le mie frasi" "$prefix/frasi/altro"
    # Completes the long options, and after -C the folders only (the blank in
    # a folder's name included). Each offer is printed in brackets, sorted.
    if ! result=$(cd "$prefix/frasi" && : >file.txt && bash -c '
        source "$1" || exit 1
        complete -p zelmora-oggi || exit 1
        offers() {
            COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
            _zelmora_oggi
            printf "[%s]\n" "${COMPREPLY[@]}" | sort | tr -d "\n"
            echo
        }
        offers zelmora-oggi --h
        offers zelmora-oggi --
        offers zelmora-oggi -C "Le"
        offers zelmora-oggi -C ""' sh "$prefix/$completion" 2>&1); then
        printf '%s\n' "$result"
        fail "sourcing $completion does not define the completion of zelmora-oggi"
    else
        printf '%s\n' "$result"
        expected_result=$(printf '%s\n' "complete -F _zelmora_oggi zelmora-oggi" "[--help]" \
            "[--casuale][--help][--una-volta][--version]" "[Le mie frasi]" "[Le mie frasi][altro]")
        [ "$result" = "$expected_result" ] ||
            fail "the completion of zelmora-oggi offers the wrong words"
    fi
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

echo "== the guide and the sample phrases without /usr/share/doc"
# The documentation folder only links to the program's data; systems that
# strip it (dpkg path excludes, containers) still have the guide that "Altre
# INFO" opens for a folder without one, and the sample phrases.
for file in tesmiLeggimi.txt tesmi.txt; do
    [ -L "$prefix/$docdir/$file" ] || fail "$docdir/$file is not a link"
    cmp -s "$prefix/$docdir/$file" "$prefix/$datafolder/$file" ||
        fail "$docdir/$file does not lead to $datafolder/$file"
done
rm -rf "${prefix:?}/$docdir"
case "$bindir/$guide" in
*/../"$datafolder"/tesmiLeggimi.txt) ;;
*) fail "the window looks for the guide at $bindir/$guide, not in $datafolder" ;;
esac
[ -f "$prefix/$bindir/$guide" ] || fail "no guide at $bindir/$guide, where the window looks"
grep -q 'tesmi\.txt' "$prefix/$datafolder/tesmiLeggimi.txt" || fail "the guide does not name the sample file"
grep -q "$datafolder/tesmi.txt" "$prefix/$datafolder/tesmiLeggimi.txt" ||
    fail "the guide does not say where the sample phrases are"

echo "== installed zelmora-oggi on the installed sample phrases"
if [ -x "$prefix/$bindir/zelmora-oggi" ] && [ -f "$prefix/$datafolder/tesmi.txt" ]; then
    # shellcheck disable=SC2086 # the emulator is a command and its options
    if output=$(cd "$prefix/$datafolder" && ${ZELMORA_EMULATOR:-} "$prefix/$bindir/zelmora-oggi" 2>&1); then
        printf '%s\n' "$output"
        [ -n "$output" ] || fail "zelmora-oggi printed nothing"
    else
        printf '%s\n' "$output"
        fail "zelmora-oggi failed on the installed tesmi.txt"
    fi
fi

echo "== the guide's line for ~/.bashrc"
# Run as bash runs it at the end of ~/.bashrc: the phrase when there is a
# ~/tesmi.txt; nothing, and a status of 0 for the first prompt, when there
# is none and when zelmora-oggi is not installed (any more).
line=$(tr -d '\r' <"$prefix/$datafolder/tesmiLeggimi.txt" | grep -m1 '^ *if command -v zelmora-oggi ' || true)
if [ -z "$line" ]; then
    fail "the guide gives no guarded line for ~/.bashrc"
elif [ -x "$prefix/$bindir/zelmora-oggi" ]; then
    mkdir -p "$prefix/bashrc/bin" "$prefix/bashrc/home" "$prefix/bashrc/none"
    printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${ZELMORA_EMULATOR:-}" "$prefix/$bindir/zelmora-oggi" \
        >"$prefix/bashrc/bin/zelmora-oggi"
    chmod +x "$prefix/bashrc/bin/zelmora-oggi"
    bashrc() { # FOLDER_ON_PATH HOME
        (cd / && PATH="$1:/usr/bin:/bin" HOME="$2" bash --norc -c "$line" 2>&1; echo "status $?")
    }
    result=$(bashrc "$prefix/bashrc/bin" "$prefix/bashrc/home")
    [ "$result" = "status 0" ] || fail "without ~/tesmi.txt the line gives: $result"
    result=$(bashrc "$prefix/bashrc/none" "$prefix/bashrc/home")
    [ "$result" = "status 0" ] || fail "without zelmora-oggi the line gives: $result"
    printf 'Una frase per il terminale.\n----\n' >"$prefix/bashrc/home/tesmi.txt"
    result=$(bashrc "$prefix/bashrc/bin" "$prefix/bashrc/home")
    [ "$result" = "$(printf 'Una frase per il terminale.\nstatus 0')" ] ||
        fail "with ~/tesmi.txt the line gives: $result"
fi

if [ "$failures" -ne 0 ]; then
    echo "== $failures check(s) failed"
    exit 1
fi
echo "== all install checks passed"
