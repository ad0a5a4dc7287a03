#!/usr/bin/env bash
# usage: check-windows-installer.sh SETUP.EXE ZIP [SCREENSHOTS]
#
# The Windows installer and the zip as a user meets them, in a fresh Wine
# prefix (in Italian where a locale can be made) on a virtual screen (Xvfb):
#
# - the installer driven page by page: for this user, the programs
#   (stripped, needing only Windows' own DLLs), the entry of "Programs and
#   Features", the Start-menu and Startup shortcuts, whose working folder is
#   Documenti\Zelmora, made with the guide for Windows and the sample
#   phrases; every text begins with the UTF-8 byte-order mark;
# - while the Zelmora the last page started runs: a silent installation
#   and the uninstaller, asked and silent, stop with a clear status and
#   leave everything whole;
# - the installed program started from that folder at 96 DPI: its client
#   area, then through the shortcut in a Wine desktop that draws title
#   bars: the title, "Casuale", the colours dialog with Windows' colour
#   picker, saving opzioni.txt with CR LF lines, the info window, the guide
#   in Notepad, "OK";
# - the zip: the same programs and texts, zelmora-oggi reads the phrases
#   beside it and a file of mixed encodings, zelmora.exe --version writes
#   into a file;
# - the uninstaller driven page by page, leaving the user's folder byte for
#   byte;
# - silent installations without the Startup shortcut, over the user's
#   changes, and upgrades keeping the choice either way; a silent
#   uninstallation removing it;
# - an earlier installation for all users: reported, nothing installed.
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
# Wine speaks Italian, as Zelmora's users' Windows does (message boxes say
# "Riprova" and "Annulla"), where glibc's Italian locale can be made here.
wine_locale=C
mkdir "$work/locale"
if localedef -i it_IT -f UTF-8 "$work/locale/it_IT.UTF-8" >/dev/null 2>&1 ||
    [ -d "$work/locale/it_IT.UTF-8" ]; then
    export LOCPATH=$work/locale
    wine_locale=it_IT.UTF-8
fi
# win SECONDS PROGRAM [ARGS...]: a Windows program, never waited on for ever.
win() {
    local seconds=$1
    shift
    LC_ALL=$wine_locale timeout "$seconds" "$wine" "$@"
}
# The output of a console program, without CR.
win_out() { win "$@" | tr -d '\r'; }
# win_status SECONDS COMMAND: the whole exit status of a Windows command
# line (a Unix exit status keeps only the lowest 8 bits), through cmd, which
# ends with that status too.
win_status() { { win_out "$1" cmd /v:on /c "$2 & echo !errorlevel!" || true; } | tail -n 1; }

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
programs_win="$profile\\AppData\\Local\\Programs\\Zelmora"
programs=$profile_unix/AppData/Local/Programs/Zelmora
shortcut=$profile_unix/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Zelmora.lnk
startup=$(win_out 60 reg query \
    'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Startup |
    sed -n 's/^ *Startup *REG_SZ *//p')
startup=$(win_out 60 winepath -u "$startup")
startup=${startup%/}/Zelmora.lnk
expect "dots per inch" "$(win_out 60 reg query \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels |
    sed -n 's/^ *LogPixels *REG_DWORD *//p')" 0x60
# cmd runs the installer by a path without blanks.
setup_win="C:\\$(basename "$setup")"
cp "$setup" "$WINEPREFIX/drive_c/"

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

# texts_for_windows DIR FILE...: each begins with the byte-order mark and
# ends its lines with CR LF.
texts_for_windows() {
    local dir=$1 file
    shift
    for file; do
        expect "$dir/$file: first bytes" "$(head -c 3 "$dir/$file" | od -An -tx1)" " ef bb bf"
        ! grep -q $'[^\r]$' "$dir/$file" || fail "$dir/$file has a line without CR"
    done
}

# check_installed MODE STARTUP: the files, the programs' PE headers, the
# entry and the shortcuts of an installation; STARTUP 1 with the Startup
# shortcut, 0 without.
check_installed() {
    local mode=$1
    expect "$mode: installed files" "$(cd "$programs" && ls | tr '\n' ' ')" \
        "AVVISO-QT.txt COPYRIGHT-QT.txt GPL-3.txt LEGGIMI.txt LGPL-3.txt LICENSE.txt \
disinstalla.exe tesmiLeggimi.txt zelmora-oggi.exe zelmora.exe "
    texts_for_windows "$programs" LEGGIMI.txt tesmiLeggimi.txt AVVISO-QT.txt
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

    expect "$mode: DisplayName" "$(entry_value HKCU DisplayName)" Zelmora
    expect "$mode: DisplayVersion" "$(entry_value HKCU DisplayVersion)" "$version"
    expect "$mode: Publisher" "$(entry_value HKCU Publisher)" "Gli autori di Zelmora"
    expect "$mode: DisplayIcon" "$(entry_value HKCU DisplayIcon)" "$programs_win\\zelmora.exe,0"
    expect "$mode: InstallLocation" "$(entry_value HKCU InstallLocation)" "$programs_win"
    expect "$mode: UninstallString" "$(entry_value HKCU UninstallString)" \
        "\"$programs_win\\disinstalla.exe\""
    expect "$mode: QuietUninstallString" "$(entry_value HKCU QuietUninstallString)" \
        "\"$programs_win\\disinstalla.exe\" /S"
    expect "$mode: NoModify" "$(entry_value HKCU NoModify)" 0x1
    expect "$mode: NoRepair" "$(entry_value HKCU NoRepair)" 0x1
    expect "$mode: AvvioAutomatico" "$(entry_value HKCU AvvioAutomatico)" "0x$2"
    local size
    size=$(entry_value HKCU EstimatedSize)
    [ $((size)) -ge $(($(du -sk "$programs" | cut -f1) * 9 / 10)) ] ||
        fail "$mode: EstimatedSize $size KiB is less than the programs' folder"
    [ -z "$(entry_value HKLM DisplayName)" ] || fail "$mode: an entry for all users"

    local target="$programs_win\\zelmora.exe"$'\n'"$folder_win"
    expect "$mode: Start-menu shortcut" "$(read_shortcut "$shortcut")" "$target"
    if [ "$2" = 1 ]; then
        expect "$mode: Startup shortcut" "$(read_shortcut "$startup")" "$target"
    else
        [ ! -e "$startup" ] || fail "$mode: a Startup shortcut"
    fi
}

# What an installation is made of: the programs' files with their times,
# the entry, the shortcuts. Two alike: nothing was changed.
installation() {
    ls -l --time-style=+%s.%N "$programs"
    win_out 60 reg query "HKCU\\$entry"
    read_shortcut "$shortcut"
    [ ! -e "$startup" ] || read_shortcut "$startup"
}

# uninstalled MODE: nothing of the programs is left.
uninstalled() {
    [ ! -e "$programs" ] || fail "$1: $programs is still there: $(ls "$programs" || true)"
    [ ! -e "$shortcut" ] || fail "$1: the Start-menu shortcut is still there"
    [ ! -e "$startup" ] || fail "$1: the Startup shortcut is still there"
    [ -z "$(entry_value HKCU DisplayName)" ] || fail "$1: the uninstall entry is still there"
}

# uninstall MODE: the uninstaller as "Programs and Features" runs it
# silently. It copies itself away and returns at once; the copy is done when
# Wine has no program left.
uninstall() {
    local quiet program
    quiet=$(entry_value HKCU QuietUninstallString)
    program=$(printf '%s' "$quiet" | sed -n 's/^"\(.*\)" \/S$/\1/p')
    win 120 "$program" /S || fail "$1: the uninstaller failed"
    timeout 120 "$wineserver" -w || fail "$1: the uninstaller did not end"
    uninstalled "$1"
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

# installer_window page|box: waits for a window of the installer or the
# uninstaller: a page is 497 x 361 at 96 DPI, a message box (of the same
# title) is smaller. Sets found_id, found_x and found_y.
installer_window() {
    local id size
    for _ in $(seq 300); do
        for id in $(xdotool search --onlyvisible --name 'nstallazione di Zelmora' 2>/dev/null || true); do
            WIDTH="" HEIGHT=""
            eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null || true)"
            size=box
            [ "${WIDTH}x$HEIGHT" = 497x361 ] && size=page
            if [ "$size" = "$1" ]; then
                found_id=$id found_x=$X found_y=$Y
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}
# The page on show, whose buttons are clicked where they stand.
wizard() {
    installer_window page || fail "no installer or uninstaller window"
    wizard_id=$found_id wizard_x=$found_x wizard_y=$found_y
}
wizard_pixels() { import -window root -crop "497x361+$wizard_x+$wizard_y" rgb:- | cksum; }
# The last page, like the first, has a dark picture on the left where the
# others are light (the one that shows the progress too).
picture_on_left() {
    [ "$(import -window root -crop "1x1+$((wizard_x + 20))+$((wizard_y + 150))" png:- |
        convert - -format '%[fx:intensity<0.5]' info:)" = 1 ]
}
# page [NAME [last]]: waits until the wizard shows a page other than the one
# before, painted whole (alike for 0.3 seconds, less than a blink of the
# caret), and the last page if asked; takes its picture NAME.
page() {
    local now="" before same=0
    wizard
    for _ in $(seq 300); do
        before=$now
        now=$(wizard_pixels)
        if [ "$now" != "$shown_page" ] && [ "$now" = "$before" ] &&
            { [ "${2:-}" != last ] || picture_on_left; }; then
            same=$((same + 1))
            [ "$same" -ge 3 ] && break
        else
            same=0
        fi
        sleep 0.1
    done
    [ "$same" -ge 3 ] || fail "the page \"${1:-}\" did not come"
    shown_page=$now
    [ -z "${1:-}" ] || shot "$1"
}
shown_page=""
# next: "Avanti", "Installa", "Disinstalla" or "Chiudi", at x=324, y=327, 75 x 23.
next() { xdotool mousemove --window "$wizard_id" 361 338 click 1; }
# The message box of the installer or uninstaller, waited for.
message_box() {
    installer_window box || fail "no message box"
    echo "$found_id"
}
# Waits until the uninstaller's copy of itself (Un.exe) has ended.
uninstaller_ended() {
    for _ in $(seq 300); do
        xdotool search --class '^Un\.exe$' >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    fail "the uninstaller did not end"
}

# --- The installer driven page by page ---------------------------------------
step "the installer, page by page"
win 300 "$setup" &
installer=$!
page setup-1-welcome
next
page setup-2-components
next
page setup-3-folder
next
# The last page: "Avvia Zelmora" is chosen, "Chiudi" starts it.
page setup-4-finish last
next
status=0
wait "$installer" || status=$?
expect "the installer: exit status" "$status" 0
check_installed "installed" 1
expect "the user's folder" "$(ls "$folder" | tr '\n' ' ')" "tesmi.txt tesmiLeggimi.txt "
texts_for_windows "$folder" tesmi.txt tesmiLeggimi.txt
cmp "$folder/tesmi.txt" <(printf '\xef\xbb\xbf' && cat "$source_dir/examples/tesmi.txt") ||
    fail "the sample phrases"
cmp "$folder/tesmiLeggimi.txt" "$programs/tesmiLeggimi.txt" || fail "the guide"
# The guide for Windows: its own sections, and those it shares with Linux's.
! grep -qE 'bashrc|config/autostart|man zelmora' "$folder/tesmiLeggimi.txt" ||
    fail "the guide for Windows speaks of Linux"
grep -q "^IL BLOCCO NOTE" "$folder/tesmiLeggimi.txt" || fail "the guide is not the one for Windows"
colours_section() { sed -n '/^IL FILE DEI COLORI/,/^\r$/p' "$1"; }
diff <(colours_section "$source_dir/examples/tesmiLeggimi.txt") \
    <(colours_section "$folder/tesmiLeggimi.txt") || fail "the guide's shared section"

# --- While Zelmora runs -------------------------------------------------------
# The installer's last page started Zelmora: it stays open while installing
# and uninstalling are tried, which must change nothing.
step "installing and uninstalling while Zelmora runs"
main=$(window "$title") || fail "the last page did not start Zelmora"
before=$(installation)
# Asked after the folder, the installer ends on "Annulla".
{ win 120 "$setup" || exit $?; } &
installer=$!
for _ in welcome components folder; do
    page
    next
done
box=$(message_box)
shot setup-6-running
xdotool key --window "$box" Escape 2>/dev/null
status=0
wait "$installer" || status=$?
expect "installing over a running Zelmora, cancelled: exit status" "$status" 32
expect "installing over a running Zelmora, cancelled" "$(installation)" "$before"
expect "installing over a running Zelmora: exit status" \
    "$(win_status 120 "$setup_win /S")" 32
expect "installing over a running Zelmora" "$(installation)" "$before"
win 60 "$programs_win\\disinstalla.exe" || fail "the uninstaller did not start"
box=$(message_box)
shot uninstall-1-running
# Escape is "Annulla".
xdotool key --window "$box" Escape 2>/dev/null
uninstaller_ended
expect "uninstalling a running Zelmora, cancelled" "$(installation)" "$before"
# _?= keeps the uninstaller where it is, so that its status is seen.
expect "uninstalling a running Zelmora silently: exit status" \
    "$(win_status 120 "$programs_win\\disinstalla.exe /S _?=$programs_win")" 32
expect "uninstalling a running Zelmora silently" "$(installation)" "$before"
# "OK" at x=344, y=232, 65 x 33 (see below).
xdotool mousemove --window "$main" $((344 + 32)) $((232 + 16)) click 1
gone "$title"
timeout 60 "$wineserver" -w || fail "Zelmora did not end"

step "the program started in the user's folder: the client area"
(cd "$folder" && LC_ALL=$wine_locale exec timeout 120 "$wine" "$programs_win\\zelmora.exe") &
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
{ win 120 explorer /desktop=zelmora,1024x768 start "$(win_out 60 winepath -w "$shortcut")" ||
    exit $?; } &
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

step "the colours dialog: Windows' colour picker, then OK saves opzioni.txt"
click_main 424 240 20 20
window "SCEGLI I COLORI" >/dev/null || fail "no colours dialog"
shot 3-colours
# Tab from "OK" to "Annulla", then "scegli PRIMO PIANO": Windows' own colour
# dialog (comdlg32), not Qt's "Seleziona colore". Cancelled, it changes
# nothing.
xdotool key Tab Tab Return
picker=$(timeout 30 xdotool search --sync --onlyvisible --name '^(Colore|Colori|Color)$' |
    head -n 1) || true
[ -n "$picker" ] || fail "scegli PRIMO PIANO opened no Windows colour dialog"
shot 3-colour-picker
xdotool key Escape
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^(Colore|Colori|Color)$' >/dev/null 2>&1 || break
    sleep 0.1
done
# Back to "OK", the default button, which Enter presses.
xdotool key shift+Tab shift+Tab Return
gone "SCEGLI I COLORI"
cmp "$folder/opzioni.txt" <(printf '16576\r\n-2147483633\r\n') ||
    fail "opzioni.txt: $(od -An -c "$folder/opzioni.txt")"

step "the info window, then the guide in Notepad"
click_main 456 240 16 16
window "INFO" >/dev/null || fail "no info window"
shot 4-info
# Tab takes the focus from "OK" to "Altre INFO".
xdotool key Tab Return
gone "INFO"
timeout 60 xdotool search --sync --onlyvisible --name '^tesmiLeggimi\.txt - ' >/dev/null ||
    fail "Altre INFO did not open the guide in Notepad"
shot 5-guide
win 60 taskkill /f /im notepad.exe >/dev/null

step "Altre INFO in a folder without the guide: the installed one in Notepad"
# Notepad would offer to create an empty one; the guide beside zelmora.exe
# opens instead, and nothing is made in the folder.
mv "$folder/tesmiLeggimi.txt" "$work/guide-aside"
click_main 456 240 16 16
window "INFO" >/dev/null || fail "no info window"
xdotool key Tab Return
gone "INFO"
timeout 60 xdotool search --sync --onlyvisible --name '^tesmiLeggimi\.txt - ' >/dev/null ||
    fail "Altre INFO did not open the installed guide in Notepad"
shot 5-installed-guide
win 60 taskkill /f /im notepad.exe >/dev/null
[ ! -e "$folder/tesmiLeggimi.txt" ] || fail "Altre INFO made a guide in the folder"
mv "$work/guide-aside" "$folder/tesmiLeggimi.txt"

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
portable_win=$(win_out 60 winepath -w "$portable")
expect "the zip's files" "$(cd "$portable" && ls | tr '\n' ' ')" \
    "AVVISO-QT.txt COPYRIGHT-QT.txt GPL-3.txt LEGGIMI.txt LGPL-3.txt LICENSE.txt \
tesmi.txt tesmiLeggimi.txt zelmora-oggi.exe zelmora.exe "
for file in zelmora.exe zelmora-oggi.exe LICENSE.txt AVVISO-QT.txt LEGGIMI.txt tesmiLeggimi.txt; do
    cmp "$portable/$file" "$programs/$file" || fail "the zip's $file is not the installed one"
done
cmp "$portable/tesmi.txt" "$folder/tesmi.txt" || fail "the zip's tesmi.txt is not the installed one"
phrase=$(cd "$portable" && win_out 60 zelmora-oggi.exe -q)
phrase=${phrase%%$'\n'*}
# The byte-order mark stands before the first phrase's first line.
[ -n "$phrase" ] && tr -d '\r' <"$portable/tesmi.txt" | sed '1s/^\xEF\xBB\xBF//' |
    grep -xF -- "$phrase" >/dev/null ||
    fail "the portable zelmora-oggi printed \"$phrase\""

# A file an older Notepad added a phrase to in Windows-1252: both phrases
# read right, whichever is today's.
mkdir "$work/mixed"
printf '\xEF\xBB\xBFcaff\xC3\xA8\r\n----\r\nperch\xE9\r\n----\r\n' >"$work/mixed/tesmi.txt"
phrase=$(cd "$work/mixed" && win_out 60 "$portable_win\\zelmora-oggi.exe" -q)
case $phrase in
caffè | perché) ;;
*) fail "a file of mixed encodings printed as \"$phrase\"" ;;
esac

# --help and --version typed into a file are written there.
expect "zelmora.exe --version into a file" \
    "$(cd "$portable" && win 60 zelmora.exe --version >"$work/version.txt" && tr -d '\r' <"$work/version.txt")" \
    "zelmora $version"

step "the uninstaller, page by page"
cp -a "$folder" "$work/kept"
win 60 "$programs_win\\disinstalla.exe" || fail "the uninstaller did not start"
page uninstall-2-confirm
next
# The last page says the phrases and colours were kept.
page uninstall-3-finish last
next
timeout 120 "$wineserver" -w || fail "the uninstaller did not end"
uninstalled "the uninstaller"
diff -r "$work/kept" "$folder" || fail "the uninstaller changed the user's folder"

# --- Silent installations: the Startup shortcut as the user chose -------------
step "a file in the place of the folder of phrases stops the installation"
mv "$folder" "$work/folder"
touch "$folder"
expect "no folder of phrases: exit status" "$(win_status 180 "$setup_win /S")" 2
rm "$folder"
mv "$work/folder" "$folder"
# Stopped half-way, it has its entry, and can be uninstalled.
uninstall "stopped half-way"

step "silent installation without the Startup shortcut, over the user's changes"
printf 'Una frase tutta mia.\r\n----\r\n' >>"$folder/tesmi.txt"
rm "$folder/tesmiLeggimi.txt"
rm -rf "$work/kept"
cp -a "$folder" "$work/kept"
expect "/AVVIO=2: exit status" "$(win_status 120 "$setup_win /S /AVVIO=2")" 87
[ -z "$(entry_value HKCU DisplayName)" ] || fail "/AVVIO=2 installed"
expect "/AVVIO=0: exit status" "$(win_status 180 "$setup_win /S /AVVIO=0")" 0
check_installed "/AVVIO=0" 0
cmp "$folder/tesmiLeggimi.txt" "$programs/tesmiLeggimi.txt" || fail "the deleted guide did not come back"
rm "$folder/tesmiLeggimi.txt"
diff -r "$work/kept" "$folder" || fail "the installer changed the user's files"
cp "$programs/tesmiLeggimi.txt" "$folder/"

step "upgrades keep the choice"
expect "upgrade: exit status" "$(win_status 180 "$setup_win /S")" 0
check_installed "upgrade without it" 0
expect "/AVVIO=1: exit status" "$(win_status 180 "$setup_win /S /AVVIO=1")" 0
check_installed "/AVVIO=1" 1
expect "upgrade: exit status" "$(win_status 180 "$setup_win /S")" 0
check_installed "upgrade with it" 1

step "silent uninstallation"
rm -rf "$work/kept"
cp -a "$folder" "$work/kept"
uninstall "silent uninstallation"
diff -r "$work/kept" "$folder" || fail "the silent uninstaller changed the user's folder"

# --- An earlier installation for all users -----------------------------------
step "an earlier installation for all users is reported"
win 60 reg add "HKLM\\$entry" /v DisplayName /d Zelmora /f >/dev/null
win 60 reg add "HKLM\\$entry" /v UninstallString \
    /d '"C:\Program Files\Zelmora\disinstalla.exe"' /f >/dev/null
expect "for all users: exit status" "$(win_status 120 "$setup_win /S")" 1638
{ win 120 "$setup" || exit $?; } &
installer=$!
box=$(message_box)
shot setup-5-all-users
xdotool key --window "$box" Return 2>/dev/null
status=0
wait "$installer" || status=$?
expect "for all users, asked: exit status" "$status" $((1638 % 256))
[ ! -e "$programs" ] && [ -z "$(entry_value HKCU DisplayName)" ] ||
    fail "installed beside the installation for all users"
expect "the installation for all users" "$(entry_value HKLM DisplayName)" Zelmora

echo "passed"
