#!/usr/bin/env bash
# usage: check-windows-installer.sh SETUP.EXE ZIP FILES.NSH [SCREENSHOTS]
#
# The Windows installer as a user meets it, in a fresh Wine prefix on a
# virtual screen (Xvfb). FILES.NSH is the list of shipped files the
# installer was made with (packaging/windows/shipped-files.cmake).
#
# - installed page by page for this user: the shipped files, the programs
#   (stripped, Windows' own DLLs only, a manifest each), the entry of
#   "Programs and Features", the Start-menu and Startup shortcuts working in
#   Documenti\Zelmora, which gets the guide and the sample phrases;
# - started by the last page: the window's client area of 489 x 273, a
#   silent installation and uninstallation refused while it runs, Enter on
#   "OK" ending it;
# - uninstalled page by page, the user's folder left byte for byte;
# - silently: a wrong option refused, the Startup and desktop shortcuts as
#   asked; an upgrade keeping the shortcuts as the user changed, made or
#   deleted them; a second folder refused while the first installation is
#   there, allowed once it is gone, never an orphan; a silent uninstallation
#   removing every shortcut;
# - the zip: the shipped files and the sample phrases, the same bytes.
#
# The window's own behaviour is tried by the window tests. SCREENSHOTS, when
# given, receives a picture of each page. Skipped (77) where a tool is
# missing (scripts/install-deps windows-qt installs them).
set -euo pipefail
export LC_ALL=C

setup=$(realpath "$1")
zip=$(realpath "$2")
files_nsh=$(realpath "$3")
shots=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
. "$source_dir/tests/support/xvfb.sh"
. "$here/wine.sh"
version=$(basename "$setup" | sed -n 's/^zelmora-\(.*\)-setup\.exe$/\1/p')
title="Zelmora (ver. $version)"

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

# The files the installation folder holds: the shipped ones and the
# uninstaller.
shipped=$(sed -n 's/^ *File "${STAGE}\\\(.*\)"$/\1/p' "$files_nsh" | sort)
[ -n "$shipped" ] || fail "$files_nsh lists no file"
installed_files=$(printf '%s\ndisinstalla.exe\n' "$shipped" | sort | tr '\n' ' ')

start_xvfb "$work"
if [ -n "$shots" ]; then mkdir -p "$shots" && rm -f "$shots"/*.png; fi

step "a fresh Wine prefix"
wine_prefix
expect "dots per inch" "$(reg_value \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' LogPixels)" 0x60
folder_win="$profile\\Documents\\Zelmora"
folder=$profile_unix/Documents/Zelmora
programs_win="$profile\\AppData\\Local\\Programs\\Zelmora"
programs=$profile_unix/AppData/Local/Programs/Zelmora
menu=$profile_unix/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Zelmora.lnk
startup=$(shell_folder Startup)/Zelmora.lnk
desktop=$(shell_folder Desktop)/Zelmora.lnk
# cmd runs the installer by a path without blanks.
setup_win="C:\\$(basename "$setup")"
cp "$setup" "$WINEPREFIX/drive_c/"

entry=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zelmora
read_shortcut() { perl "$here/read-lnk.pl" "$1"; }
# The shortcut as the installer makes it: zelmora.exe, no arguments, the
# folder of phrases.
made_shortcut="$programs_win\\zelmora.exe"$'\n\n'"$folder_win"

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

# check_installed MODE: the files, the programs' PE headers and manifests,
# the entry and the Start-menu shortcut of an installation.
check_installed() {
    local mode=$1
    expect "$mode: installed files" "$(cd "$programs" && ls | tr '\n' ' ')" "$installed_files"
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
        # The manifest is kept as it was written, inside the resources.
        for flag in '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' \
            '>PerMonitorV2<' '<longPathAware' 'name="Microsoft.Windows.Common-Controls"'; do
            grep -qaF "$flag" "$programs/$exe" || fail "$exe: no $flag in its manifest"
        done
    done

    expect "$mode: DisplayName" "$(reg_value "$entry" DisplayName)" Zelmora
    expect "$mode: DisplayVersion" "$(reg_value "$entry" DisplayVersion)" "$version"
    expect "$mode: DisplayIcon" "$(reg_value "$entry" DisplayIcon)" "$programs_win\\zelmora.exe,0"
    expect "$mode: InstallLocation" "$(reg_value "$entry" InstallLocation)" "$programs_win"
    expect "$mode: QuietUninstallString" "$(reg_value "$entry" QuietUninstallString)" \
        "\"$programs_win\\disinstalla.exe\" /S"
    local size
    size=$(reg_value "$entry" EstimatedSize)
    [ $((size)) -ge $(($(du -sk "$programs" | cut -f1) * 9 / 10)) ] ||
        fail "$mode: EstimatedSize $size KiB is less than the programs' folder"
    [ -e "$menu" ] || fail "$mode: no Start-menu shortcut"
}

# shortcuts MODE MENU STARTUP DESKTOP: each shortcut as expected: "made" as
# the installer makes it, "none" absent, or the three lines read-lnk.pl
# prints.
shortcuts() {
    local mode=$1 name path wanted
    shift
    for name in menu startup desktop; do
        path=${!name} wanted=$1
        shift
        [ "$wanted" = made ] && wanted=$made_shortcut
        if [ "$wanted" = none ]; then
            [ ! -e "$path" ] || fail "$mode: a $name shortcut"
        else
            [ -e "$path" ] || fail "$mode: no $name shortcut"
            expect "$mode: the $name shortcut" "$(read_shortcut "$path")" "$wanted"
        fi
    done
}

# What an installation is made of: the programs' files with their times,
# the entry, the shortcuts. Two alike: nothing was changed.
installation() {
    ls -l --time-style=+%s.%N "$programs"
    win_out 60 reg query "$entry"
    local path
    for path in "$menu" "$startup" "$desktop"; do
        [ ! -e "$path" ] || cksum <"$path"
    done
}

# uninstalled MODE: nothing of the programs is left.
uninstalled() {
    [ ! -e "$programs" ] || fail "$1: $programs is still there: $(ls "$programs" || true)"
    shortcuts "$1" none none none
    [ -z "$(reg_value "$entry" DisplayName)" ] || fail "$1: the uninstall entry is still there"
}

# uninstall MODE: the uninstaller as "Programs and Features" runs it
# silently. It copies itself away and returns at once; the copy is done when
# Wine has no program left.
uninstall() {
    local program
    program=$(reg_value "$entry" QuietUninstallString | sed -n 's/^"\(.*\)" \/S$/\1/p')
    win 120 "$program" /S || fail "$1: the uninstaller failed"
    timeout 120 "$wineserver" -w || fail "$1: the uninstaller did not end"
    uninstalled "$1"
}

# A shortcut as the user changes it in its Properties (or as Zelmora's menu
# makes it): through Windows Script Host. make_shortcut PATH TARGET ARGS FOLDER
make_shortcut() {
    cat >"$work/shortcut.js" <<'JS'
var shell = new ActiveXObject("WScript.Shell");
var link = shell.CreateShortcut(WScript.Arguments(0));
link.TargetPath = WScript.Arguments(1);
link.Arguments = WScript.Arguments(2);
link.WorkingDirectory = WScript.Arguments(3);
link.Save();
JS
    win 60 cscript //nologo "$(win_out 60 winepath -w "$work/shortcut.js")" \
        "$(win_out 60 winepath -w "$1")" "$2" "$3" "$4" >/dev/null ||
        fail "Windows Script Host could not write $1"
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
wizard_pixels() { import -window root -crop "497x361+$wizard_x+$wizard_y" rgb:- | cksum; }
# The last page, like the first, has a dark picture on the left where the
# others are light (the one that shows the progress too).
picture_on_left() {
    [ "$(import -window root -crop "1x1+$((wizard_x + 20))+$((wizard_y + 150))" png:- |
        convert - -format '%[fx:intensity<0.5]' info:)" = 1 ]
}
# page NAME [last]: waits until the wizard shows a page other than the one
# before, painted whole (alike for 0.3 seconds, less than a blink of the
# caret), and the last page if asked; takes its picture NAME.
page() {
    local now="" before same=0
    installer_window page || fail "no installer or uninstaller window"
    wizard_id=$found_id wizard_x=$found_x wizard_y=$found_y
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
    [ "$same" -ge 3 ] || fail "the page \"$1\" did not come"
    shown_page=$now
    shot "$1"
}
shown_page=""
# next: "Avanti", "Installa", "Disinstalla" or "Chiudi", at x=324, y=327, 75 x 23.
next() { xdotool mousemove --window "$wizard_id" 361 338 click 1; }

# --- Installed page by page, started by the last page -------------------------
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
check_installed "installed"
shortcuts "installed" made made none
expect "the user's folder" "$(ls "$folder" | tr '\n' ' ')" "tesmi.txt tesmiLeggimi.txt "
texts_for_windows "$folder" tesmi.txt tesmiLeggimi.txt
cmp "$folder/tesmi.txt" <(printf '\xef\xbb\xbf' && cat "$source_dir/examples/tesmi.txt") ||
    fail "the sample phrases"
cmp "$folder/tesmiLeggimi.txt" "$programs/tesmiLeggimi.txt" || fail "the guide"

# The zip holds the shipped files and the sample phrases, the installer's
# bytes.
step "the zip"
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
portable=$work/zip/zelmora-$version
expect "the zip's files" "$(cd "$portable" && ls | tr '\n' ' ')" \
    "$(printf '%s\ntesmi.txt\n' "$shipped" | sort | tr '\n' ' ')"
for file in $shipped; do
    cmp "$portable/$file" "$programs/$file" || fail "the zip's $file is not the installed one"
done
cmp "$portable/tesmi.txt" "$folder/tesmi.txt" || fail "the zip's tesmi.txt is not the installed one"

step "started by the last page: its window, nothing changed while it runs, OK ends it"
main=$(window "$title") || fail "the last page did not start Zelmora"
# Without a window manager Wine leaves the frame out: the X window is the
# client area.
eval "$(xdotool getwindowgeometry --shell "$main")"
expect "client area" "${WIDTH}x$HEIGHT" 489x273
shot 1-main
before=$(installation)
expect "installing over a running Zelmora: exit status" \
    "$(win_status 120 "$setup_win /S")" 32
expect "uninstalling a running Zelmora: exit status" \
    "$(win_status 120 "$programs_win\\disinstalla.exe /S _?=$programs_win")" 32
expect "installing and uninstalling while Zelmora runs" "$(installation)" "$before"
# "OK" has the focus and is the default button.
xdotool windowfocus --sync "$main" key Return
gone "$title"
timeout 60 "$wineserver" -w || fail "Zelmora did not end"

step "the uninstaller, page by page"
cp -a "$folder" "$work/kept"
win 60 "$programs_win\\disinstalla.exe" || fail "the uninstaller did not start"
page uninstall-1-confirm
next
# The last page says the phrases and colours were kept.
page uninstall-2-finish last
next
timeout 120 "$wineserver" -w || fail "the uninstaller did not end"
uninstalled "the uninstaller"
diff -r "$work/kept" "$folder" || fail "the uninstaller changed the user's folder"

# --- Silent installations: the shortcuts as the user chose --------------------
step "a file in the place of the folder of phrases stops the installation"
mv "$folder" "$work/folder"
touch "$folder"
expect "no folder of phrases: exit status" "$(win_status 180 "$setup_win /S")" 2
rm "$folder"
mv "$work/folder" "$folder"
# Stopped half-way, it has its entry, and can be uninstalled.
uninstall "stopped half-way"

step "silently, without the Startup shortcut, with the desktop one, over the user's changes"
printf 'Una frase tutta mia.\r\n----\r\n' >>"$folder/tesmi.txt"
rm -rf "$work/kept"
cp -a "$folder" "$work/kept"
for option in /AVVIO=2 /DESKTOP=si; do
    expect "$option: exit status" "$(win_status 120 "$setup_win /S $option")" 87
    [ -z "$(reg_value "$entry" DisplayName)" ] || fail "$option installed"
done
expect "/AVVIO=0 /DESKTOP=1: exit status" "$(win_status 180 "$setup_win /S /AVVIO=0 /DESKTOP=1")" 0
check_installed "/AVVIO=0 /DESKTOP=1"
shortcuts "/AVVIO=0 /DESKTOP=1" made none made
diff -r "$work/kept" "$folder" || fail "the installer changed the user's files"

step "an upgrade keeps the shortcuts as the user left them"
# The Start-menu shortcut changed by hand: another folder of phrases, a
# phrase a week. The Startup one made as Zelmora's own menu makes it.
mkdir "$profile_unix/Frasi"
make_shortcut "$menu" "$programs_win\\zelmora.exe" 7 "$profile\\Frasi"
changed="$programs_win\\zelmora.exe"$'\n7\n'"$profile\\Frasi"
make_shortcut "$startup" "$programs_win\\zelmora.exe" "" "$folder_win"
expect "upgrade: exit status" "$(win_status 180 "$setup_win /S")" 0
check_installed "upgrade"
shortcuts "upgrade" "$changed" made made
# Deleted by the user: an upgrade leaves them out, /AVVIO=1 and /DESKTOP=1
# make them again.
rm "$startup" "$desktop" "$menu"
expect "upgrade: exit status" "$(win_status 180 "$setup_win /S")" 0
shortcuts "upgrade after deleting them" made none none
make_shortcut "$menu" "$programs_win\\zelmora.exe" 7 "$profile\\Frasi"
expect "/AVVIO=1 /DESKTOP=1: exit status" "$(win_status 180 "$setup_win /S /AVVIO=1 /DESKTOP=1")" 0
shortcuts "/AVVIO=1 /DESKTOP=1" "$changed" made made

step "one installation at a time: another folder is refused while this one is there"
before=$(installation)
expect "another folder: exit status" "$(win_status 180 "$setup_win /S /D=C:\\Altrove")" 1638
expect "another folder" "$(installation)" "$before"
[ ! -e "$WINEPREFIX/drive_c/Altrove" ] || fail "another folder: C:\\Altrove was made"
expect "the same folder named by /D=: exit status" \
    "$(win_status 180 "$setup_win /S /D=$programs_win")" 0

step "a silent uninstallation removes every shortcut, keeps the user's files"
rm -rf "$work/kept"
cp -a "$folder" "$work/kept"
uninstall "silent uninstallation"
diff -r "$work/kept" "$folder" || fail "the silent uninstaller changed the user's folder"

step "then another folder, and nothing left of either"
programs_win='C:\Altrove' programs=$WINEPREFIX/drive_c/Altrove
expect "another folder, nothing installed: exit status" \
    "$(win_status 180 "$setup_win /S /D=$programs_win")" 0
check_installed "another folder"
uninstall "another folder"
[ ! -e "$profile_unix/AppData/Local/Programs/Zelmora" ] || fail "the first folder is left"

echo "passed"
