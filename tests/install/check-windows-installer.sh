#!/usr/bin/env bash
# usage: check-windows-installer.sh SETUP.EXE ZIP [SCREENSHOTS]
#
# The Windows installer and the zip as a user meets them, in a fresh Wine
# prefix on a virtual screen (Xvfb):
#
# - a silent installation for this user: the programs (stripped, needing
#   only Windows' own DLLs), the entry of "Programs and Features", the
#   Start-menu shortcut, whose working folder is Documenti\Zelmora, made
#   with the guide and the sample phrases;
# - the installed program started from that folder at 96 DPI: its client
#   area, then through the shortcut in a Wine desktop that draws title
#   bars: the title, "Casuale", the colours dialog saving opzioni.txt with
#   CR LF lines, the info window, "OK";
# - a silent uninstallation that leaves the user's folder byte for byte;
# - a second installation, for all users, over a folder where the user
#   changed the phrases and deleted the guide: the phrases stay, the guide
#   comes back; the uninstallation again leaves them;
# - the zip: the same programs, and zelmora-oggi reads the phrases beside it.
#
# SCREENSHOTS, when given, receives a picture of each window. Skipped (77)
# where a tool is missing (scripts/install-deps windows-qt installs them).
set -euo pipefail
export LC_ALL=C

setup=$(realpath "$1")
zip=$(realpath "$2")
shots=${3:-}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
. "$source_dir/tests/support/xvfb.sh"
version=$(basename "$setup" | sed -n 's/^zelmora-\(.*\)-setup\.exe$/\1/p')
title="Zelmora (ver. $version)"

wine=${ZELMORA_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver
objdump=x86_64-w64-mingw32-objdump
for tool in "$wine" "$wineserver" Xvfb xdotool import convert perl cmake "$objdump" \
    /usr/share/wine/fonts; do
    if ! command -v "$tool" >/dev/null 2>&1 && ! [ -e "$tool" ]; then
        echo "skipped: $tool is missing (scripts/install-deps windows-qt)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb=""
cleanup() {
    timeout 30 "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    if [ -n "$shots" ]; then import -window root "$shots/failed.png" 2>/dev/null || true; fi
    exit 1
}
# expect WHAT ACTUAL EXPECTED
expect() {
    [ "$2" = "$3" ] || fail "$1: got \"$2\", expected \"$3\""
}
step() { echo "-- $*"; }
# A command that fails where no check says why still says where.
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR
set -o errtrace

# A Wine of our own: its prefix, its home (Wine links the profile's folders
# to $HOME), no menu entries made on this machine, no Mono or Gecko.
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$HOME" "$XDG_RUNTIME_DIR"
# win SECONDS PROGRAM [ARGS...]: a Windows program, never waited on for ever.
win() {
    local seconds=$1
    shift
    timeout "$seconds" "$wine" "$@"
}
# The output of a console program, without CR.
win_out() { win "$@" | tr -d '\r'; }

start_xvfb "$work"
if [ -n "$shots" ]; then mkdir -p "$shots" && rm -f "$shots"/*.png; fi

step "a fresh Wine prefix"
win 300 wineboot -i >/dev/null 2>&1 || fail "wineboot"
# Wine 8 says it is Windows 7, where Qt 6 does not run and the installer
# stops; Zelmora's users have Windows 10 or later.
win 60 winecfg /v win10 || fail "winecfg"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
profile=$(win_out 60 cmd /c 'echo %USERPROFILE%')
profile_unix=$(win_out 60 winepath -u "$profile")
profile_unix=${profile_unix%/}
# On Windows, Documents is a folder of its own, not the Unix home.
if [ -L "$profile_unix/Documents" ]; then
    rm "$profile_unix/Documents"
    mkdir "$profile_unix/Documents"
fi
folder_win="$profile\\Documents\\Zelmora"
folder=$profile_unix/Documents/Zelmora
shortcut=$profile_unix/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Zelmora.lnk
expect "dots per inch" "$(win_out 60 reg query \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels |
    sed -n 's/^ *LogPixels *REG_DWORD *//p')" 0x60

# The value NAME of the uninstall entry under ROOT (HKCU or HKLM).
entry=Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zelmora
entry_value() {
    win_out 60 reg query "$1\\$entry" /v "$2" 2>/dev/null |
        sed -n "s/^    $2    REG_[A-Z_]*    //p"
}

# The target and the working folder of a shell link (.lnk), one a line.
read_shortcut() {
    perl -e '
        local $/;
        open my $in, "<:raw", $ARGV[0] or die "$ARGV[0]: $!\n";
        my $lnk = <$in>;
        my $flags = unpack "V", substr($lnk, 20, 4);
        my $unicode = $flags & 0x80;
        my ($target, $folder, $at) = ("", "", 76);
        $at += 2 + unpack "v", substr($lnk, $at, 2) if $flags & 0x1;
        if ($flags & 0x2) {
            my ($size, undef, $info, undef, $base) = unpack "V5", substr($lnk, $at, 20);
            ($target) = unpack "Z*", substr($lnk, $at + $base) if $info & 0x1;
            $at += $size;
        }
        # Name, relative path, working folder: counted strings, in order.
        for my $bit (0x4, 0x8, 0x10) {
            next unless $flags & $bit;
            my $count = unpack "v", substr($lnk, $at, 2);
            my $bytes = $unicode ? 2 * $count : $count;
            my $text = substr($lnk, $at + 2, $bytes);
            $text = pack "U*", unpack "v*", $text if $unicode;
            $text =~ s/\0+$//;
            $folder = $text if $bit == 0x10;
            $at += 2 + $bytes;
        }
        binmode STDOUT, ":utf8";
        print "$target\n$folder\n";
    ' "$1"
}

# check_installed MODE ROOT PROGRAMS_WIN: the files, the programs' PE
# headers, the entry and the shortcut of an installation.
check_installed() {
    local mode=$1 root=$2 programs_win=$3 programs
    programs=$(win_out 60 winepath -u "$programs_win")
    programs=${programs%/}
    expect "$mode: installed files" "$(cd "$programs" && ls | tr '\n' ' ')" \
        "AVVISO-QT.txt COPYRIGHT-QT.txt GPL-3.txt LEGGIMI.txt LGPL-3.txt LICENSE.txt \
disinstalla.exe tesmiLeggimi.txt zelmora-oggi.exe zelmora.exe "
    local exe kind headers dll flag
    for exe in zelmora.exe:GUI zelmora-oggi.exe:CUI; do
        kind=${exe#*:} exe=${exe%:*}
        headers=$("$objdump" -p -h "$programs/$exe")
        ! grep -q '\.debug' <<<"$headers" || fail "$exe is not stripped"
        grep -q "^Subsystem.*(Windows $kind)" <<<"$headers" || fail "$exe is not a Windows $kind program"
        # Windows' own DLLs only: one of Qt or of the compiler would be missing.
        for dll in $(sed -n 's/^\tDLL Name: //p' <<<"$headers"); do
            grep -qiE '^(advapi32|authz|comdlg32|d3d11|d3d9|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|ws2_32|wtsapi32|api-ms-win-core-[a-z0-9-]+)\.dll$' <<<"$dll" ||
                fail "$exe needs $dll, which Windows does not have"
        done
        for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
            grep -q "^[[:space:]]*$flag\$" <<<"$headers" || fail "$exe lacks $flag"
        done
    done

    expect "$mode: DisplayName" "$(entry_value "$root" DisplayName)" Zelmora
    expect "$mode: DisplayVersion" "$(entry_value "$root" DisplayVersion)" "$version"
    expect "$mode: Publisher" "$(entry_value "$root" Publisher)" "Gli autori di Zelmora"
    expect "$mode: DisplayIcon" "$(entry_value "$root" DisplayIcon)" "$programs_win\\zelmora.exe,0"
    expect "$mode: InstallLocation" "$(entry_value "$root" InstallLocation)" "$programs_win"
    expect "$mode: UninstallString" "$(entry_value "$root" UninstallString)" \
        "\"$programs_win\\disinstalla.exe\""
    expect "$mode: QuietUninstallString" "$(entry_value "$root" QuietUninstallString)" \
        "\"$programs_win\\disinstalla.exe\" /S"
    expect "$mode: NoModify" "$(entry_value "$root" NoModify)" 0x1
    expect "$mode: NoRepair" "$(entry_value "$root" NoRepair)" 0x1
    local size
    size=$(entry_value "$root" EstimatedSize)
    [ $((size)) -ge $(($(du -sk "$programs" | cut -f1) * 9 / 10)) ] ||
        fail "$mode: EstimatedSize $size KiB is less than the programs' folder"

    expect "$mode: shortcut" "$(read_shortcut "$shortcut")" \
        "$programs_win\\zelmora.exe"$'\n'"$folder_win"
}

# uninstall MODE ROOT: the uninstaller as "Programs and Features" runs it
# silently. It copies itself away and returns at once; the copy is done when
# Wine has no program left.
uninstall() {
    local mode=$1 root=$2 programs quiet program
    programs=$(win_out 60 winepath -u "$(entry_value "$root" InstallLocation)")
    quiet=$(entry_value "$root" QuietUninstallString)
    program=$(printf '%s' "$quiet" | sed -n 's/^"\(.*\)" \/S$/\1/p')
    win 120 "$program" /S || fail "$mode: the uninstaller failed"
    timeout 120 "$wineserver" -w || fail "$mode: the uninstaller did not end"
    [ ! -e "$programs" ] || fail "$mode: $programs is still there: $(ls "$programs")"
    [ ! -e "$shortcut" ] || fail "$mode: the shortcut is still there"
    [ -z "$(entry_value "$root" DisplayName)" ] || fail "$mode: the uninstall entry is still there"
}

# window NAME: the visible window of that exact title, waited for.
window() {
    local pattern
    pattern="^$(printf '%s' "$1" | sed 's/[][().*^$\\]/\\&/g')\$"
    timeout 60 xdotool search --sync --onlyvisible --name "$pattern" >"$work/found" &&
        head -n 1 "$work/found"
}
# gone NAME: waits until no window has that title.
gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window \"$1\" did not close"
}
shot() {
    if [ -n "$shots" ]; then import -window root "$shots/$1.png"; fi
}
# The phrase's label of the main window as raw pixels (client x=16, y=32,
# 457 x 185), to see the phrase change.
phrase_pixels() {
    import -window root -crop "457x185+$((client_x + 16))+$((client_y + 32))" rgb:-
}
phrase_painted() {
    [ "$(phrase_pixels | convert -size 457x185 -depth 8 rgb:- -format %k info:)" -gt 1 ]
}

# --- Installed for this user -----------------------------------------------
step "silent installation for this user"
win 180 "$setup" /S || fail "the installer failed"
# Whatever the installer started (an elevated copy of itself) has ended too.
timeout 120 "$wineserver" -w || fail "the installer did not end"
programs_win="$profile\\AppData\\Local\\Programs\\Zelmora"
check_installed "per user" HKCU "$programs_win"
expect "the user's folder" "$(ls "$folder" | tr '\n' ' ')" "tesmi.txt tesmiLeggimi.txt "
cmp "$folder/tesmi.txt" "$source_dir/examples/tesmi.txt" || fail "the sample phrases"
cmp "$folder/tesmiLeggimi.txt" "$source_dir/examples/tesmiLeggimi.txt" || fail "the guide"

step "the program started in the user's folder: the client area"
(cd "$folder" && exec timeout 120 "$wine" "$programs_win\\zelmora.exe") &
program=$!
main=$(window "$title") || fail "no window \"$title\""
# Without a window manager Wine leaves the frame out: the X window is the
# client area.
eval "$(xdotool getwindowgeometry --shell "$main")"
expect "client area" "${WIDTH}x$HEIGHT" 489x273
# "OK" at x=344, y=232, 65 x 33.
xdotool mousemove --window "$main" $((344 + 32)) $((232 + 16)) click 1
status=0
wait "$program" || status=$?
expect "OK: exit status" "$status" 0

step "through the shortcut, on a Wine desktop with title bars"
# The desktop ends with its last program.
win 120 explorer /desktop=zelmora,1024x768 start "$(win_out 60 winepath -w "$shortcut")" &
desktop=$!
main=$(window "$title") || fail "no window \"$title\" on the Wine desktop"
# Wine draws the frame itself here: borders alike left, right and below,
# the title bar above.
eval "$(xdotool getwindowgeometry --shell "$main")"
border=$(((WIDTH - 489) / 2))
top=$((HEIGHT - 273 - border))
[ "$border" -ge 0 ] && [ "$top" -gt "$border" ] ||
    fail "the frame ${WIDTH}x$HEIGHT does not hold a client area of 489x273"
xdotool mousemove --window "$main" 0 0
eval "$(xdotool getmouselocation --shell)"
client_x=$((X + border)) client_y=$((Y + top))
# click_main X Y W H: the middle of a control given in client coordinates.
click_main() {
    xdotool mousemove --window "$main" $((border + $1 + $3 / 2)) $((top + $2 + $4 / 2)) click 1
}
for _ in $(seq 100); do
    phrase_painted && break
    sleep 0.1
done
phrase_painted || fail "no phrase on show"
shot 1-main
before=$(phrase_pixels | cksum)

step "Casuale shows another phrase"
click_main 256 232 65 33
for _ in $(seq 50); do
    [ "$(phrase_pixels | cksum)" != "$before" ] && break
    sleep 0.1
done
[ "$(phrase_pixels | cksum)" != "$before" ] || fail "Casuale left the phrase as it was"
shot 2-casuale

step "the colours dialog saves opzioni.txt"
click_main 424 240 20 20
window "SCEGLI I COLORI" >/dev/null || fail "no colours dialog"
shot 3-colours
# Enter presses "OK", the default button.
xdotool key Return
gone "SCEGLI I COLORI"
cmp "$folder/opzioni.txt" <(printf '16576\r\n-2147483633\r\n') ||
    fail "opzioni.txt: $(od -An -c "$folder/opzioni.txt")"

step "the info window"
click_main 456 240 16 16
window "INFO" >/dev/null || fail "no info window"
shot 4-info
xdotool key Return
gone "INFO"

step "OK ends the program"
click_main 344 232 65 33
status=0
wait "$desktop" || status=$?
[ "$status" -ne 124 ] || fail "the program did not end"
timeout 60 "$wineserver" -w || fail "Wine did not end"

# The zip holds the same programs; the portable zelmora-oggi reads the
# phrases beside it.
step "the zip"
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
portable=$work/zip/zelmora-$version
expect "the zip's files" "$(cd "$portable" && ls | tr '\n' ' ')" \
    "AVVISO-QT.txt COPYRIGHT-QT.txt GPL-3.txt LEGGIMI.txt LGPL-3.txt LICENSE.txt \
tesmi.txt tesmiLeggimi.txt zelmora-oggi.exe zelmora.exe "
programs=$profile_unix/AppData/Local/Programs/Zelmora
for file in zelmora.exe zelmora-oggi.exe LICENSE.txt AVVISO-QT.txt; do
    cmp "$portable/$file" "$programs/$file" || fail "the zip's $file is not the installed one"
done
phrase=$(cd "$portable" && win_out 60 zelmora-oggi.exe -q)
phrase=${phrase%%$'\n'*}
[ -n "$phrase" ] && tr -d '\r' <"$portable/tesmi.txt" | grep -xF -- "$phrase" >/dev/null ||
    fail "the portable zelmora-oggi printed \"$phrase\""

step "silent uninstallation for this user"
cp -a "$folder" "$work/kept"
uninstall "per user" HKCU
diff -r "$work/kept" "$folder" || fail "the uninstaller changed the user's folder"

# --- Installed for all users, over the user's own files --------------------
step "silent installation for all users over the user's changes"
printf 'Una frase tutta mia.\r\n----\r\n' >>"$folder/tesmi.txt"
rm "$folder/tesmiLeggimi.txt"
rm -rf "$work/kept"
cp -a "$folder" "$work/kept"
win 180 "$setup" /S /AllUsers || fail "the installer for all users failed"
timeout 120 "$wineserver" -w || fail "the installer for all users did not end"
check_installed "all users" HKLM 'C:\Program Files\Zelmora'
[ -z "$(entry_value HKCU DisplayName)" ] || fail "all users: an entry for this user too"
cmp "$folder/tesmiLeggimi.txt" "$source_dir/examples/tesmiLeggimi.txt" ||
    fail "all users: the deleted guide did not come back"
rm "$folder/tesmiLeggimi.txt"
diff -r "$work/kept" "$folder" || fail "all users: the installer changed the user's files"
cp "$source_dir/examples/tesmiLeggimi.txt" "$folder/"
rm -rf "$work/kept"
cp -a "$folder" "$work/kept"

step "silent uninstallation for all users"
uninstall "all users" HKLM
diff -r "$work/kept" "$folder" || fail "all users: the uninstaller changed the user's folder"

echo "passed"
