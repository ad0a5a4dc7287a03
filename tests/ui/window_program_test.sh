#!/bin/sh
# usage: window_program_test.sh ZELMORA ZELMORA_OGGI
#
# The window program as a user starts it, main() and all: what it answers
# without a screen or into an output that cannot be written, and on a real X
# server (Xvfb) the display named by -display alone, a platform that is not
# there, the start-up with one of Qt's own options before the days per
# phrase, the phrase copied with Ctrl+C, and "OK" while the desktop's opener
# is still at work: the opener (the editor it runs) outlives the window and
# whatever it writes. Skipped (77) where Xvfb, xdotool or xclip is missing.
#
# It takes no display of the machine for granted: the one that must not
# answer is a socket name in the test's own folder, and its Xvfb picks a
# free number. Every program it starts has a time limit of its own, and its
# folder goes on every way out, a signal from ctest included.
set -eu

zelmora=$1
oggi=$2
. "$(dirname "$0")/../support/xvfb.sh"

for tool in Xvfb xdotool xclip; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed (scripts/install-deps test)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb=
program=
cleanup() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || :
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || :
    [ ! -s "$work/opener.pid" ] || kill "$(cat "$work/opener.pid")" 2>/dev/null || :
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Each program the test starts, with a time limit of its own.
limited() {
    timeout -k 5 30 "$@"
}

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# expect NAME ACTUAL EXPECTED
expect() {
    [ "$2" = "$3" ] || fail "$1: got \"$2\", expected \"$3\""
}

# --- Without a screen --------------------------------------------------------
nodisplay() {
    limited env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$zelmora" "$@"
}
expect "--version" "$(nodisplay --version)" "zelmora 2.0"
nodisplay --help | head -n 1 | grep -q '^Uso: zelmora \[-C CARTELLA\] \[giorni\]$' || fail "--help"

# -C names a folder that is not there: said before any screen is needed.
status=0
err=$(nodisplay -C "$work/non-esiste" 7 2>&1 >/dev/null) || status=$?
expect "-C a missing folder: status" "$status" 1
expect "-C a missing folder: message" "$err" "zelmora: la cartella “$work/non-esiste” non esiste"

status=0
err=$(nodisplay 7 2>&1 >/dev/null) || status=$?
expect "no display: status" "$status" 1
expect "no display: message" "$err" "zelmora: nessuno schermo disponibile (DISPLAY non impostato)"

# Output that cannot be written is told, and is not a success.
status=0
err=$(nodisplay --help 2>&1 >/dev/full) || status=$?
expect "--help into a full disk: status" "$status" 3
expect "--help into a full disk: message" "$err" "zelmora: errore di scrittura: spazio esaurito sul disco"
status=0
err=$(nodisplay --version 2>&1 >&-) || status=$?
expect "--version with no output: status" "$status" 3
expect "--version with no output: message" "$err" "zelmora: errore di scrittura: l’uscita è chiusa"

# A display named but not there: Qt finds out while it starts. The name is
# the path of a socket in the test's folder, which no server listens on.
status=0
err=$(limited env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$work/X0" "$zelmora" 2>&1 \
    >/dev/null) || status=$?
expect "unreachable display: status" "$status" 1
expect "unreachable display: message" "$err" \
    "zelmora: nessuno schermo disponibile (impossibile collegarsi a DISPLAY=$work/X0)"

# Wayland asked for, with no compositor answering: the Wayland display is
# named, by WAYLAND_DISPLAY or as wayland-0, whatever DISPLAY says.
# As a desktop session has it; Qt warns without one.
mkdir -m 700 "$work/run"
XDG_RUNTIME_DIR=$work/run
export XDG_RUNTIME_DIR
case $(nodisplay -platform nonesuch 2>&1) in
*wayland*)
    status=0
    err=$(limited env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland "$zelmora" 2>&1 \
        >/dev/null) || status=$?
    expect "Wayland without a compositor: status" "$status" 1
    expect "Wayland without a compositor: message" "$err" "zelmora: nessuno schermo disponibile \
(impossibile collegarsi al display Wayland wayland-0 (WAYLAND_DISPLAY non impostato))"
    status=0
    err=$(limited env -u QT_QPA_PLATFORM DISPLAY="$work/X0" WAYLAND_DISPLAY="$work/wayland-1" \
        "$zelmora" -platform wayland 2>&1 >/dev/null) || status=$?
    expect "WAYLAND_DISPLAY without a compositor: status" "$status" 1
    expect "WAYLAND_DISPLAY without a compositor: message" "$err" "zelmora: nessuno schermo \
disponibile (impossibile collegarsi a WAYLAND_DISPLAY=$work/wayland-1)"
    ;;
*) echo "note: Qt's platform wayland is not installed (qt6-wayland): not tried" ;;
esac

# --- On a screen -------------------------------------------------------------
start_xvfb "$work" 120
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# A platform that is not there is not the display's fault: it is named, with
# the ones there are.
status=0
err=$(limited "$zelmora" -platform nonesuch 2>&1 >/dev/null) || status=$?
expect "-platform nonesuch: status" "$status" 1
case $err in
"zelmora: la piattaforma grafica “nonesuch” non è disponibile (disponibili: "*xcb*")") ;;
*) fail "-platform nonesuch: got \"$err\"" ;;
esac

# -display names the display as DISPLAY would: the window opens there.
mkdir "$work/vuota"
(cd "$work/vuota" && exec timeout 60 env -u DISPLAY "$zelmora" -display "$DISPLAY") &
program=$!
window=$(limited xdotool search --sync --onlyvisible --name '^Zelmora \(ver\. 2\.0\)$' |
    head -n 1)
[ -n "$window" ] || fail "-display without DISPLAY: no window"
limited xdotool windowfocus --sync "$window" key Return
status=0
wait "$program" || status=$?
program=
expect "-display without DISPLAY: status" "$status" 0

# 400 phrases: keeping each 7 days gives another phrase than one a day.
mkdir "$work/frasi" "$work/bin"
i=1
while [ $i -le 400 ]; do
    printf 'frase %d\r\n----\r\n' $i
    i=$((i + 1))
done >"$work/frasi/tesmi.txt"
expected=$(cd "$work/frasi" && limited "$oggi" -q 7)

# The desktop's opener, running the editor in the foreground as Debian's
# xdg-open does outside GNOME and KDE: still at work when the window closes,
# it then writes a warning, as editors do, and saves.
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
echo \$\$ > '$work/opener.pid'
for _ in \$(seq 600); do
    [ -e '$work/go' ] && break
    sleep 0.1
done
echo "avviso dell'editor" >&2
echo "avviso dell'editor"
echo salvato > '$work/saved'
EOF
chmod +x "$work/bin/xdg-open"

cd "$work/frasi"
PATH="$work/bin:/usr/bin:/bin" timeout 60 "$zelmora" -style fusion 7 2>"$work/stderr" &
program=$!
window=$(limited xdotool search --sync --onlyvisible --name '^Zelmora \(ver\. 2\.0\)$' |
    head -n 1)
[ -n "$window" ] || fail "the main window did not show"
limited xdotool windowfocus --sync "$window"

# Qt took -style fusion for itself; the 7 was the days per phrase.
# The copy is the program's to make: on a slow machine (or an emulated one)
# it owns the clipboard some time after the key.
limited xdotool key ctrl+c
copied=
for _ in $(seq 100); do
    copied=$(limited xclip -o -selection clipboard 2>/dev/null) && break
    sleep 0.1
done
expect "the phrase kept 7 days" "$copied" "$expected"

# "Apri file" (Tab from "OK"), its message closed with Enter: the opener
# starts and waits. Then "OK" (Shift+Tab back to it) ends the program.
limited xdotool key Tab Return
limited xdotool search --sync --onlyvisible --name '^apri il file delle tesmi$' >/dev/null ||
    fail "the instructions of \"Apri file\" did not show"
limited xdotool key Return
for _ in $(seq 100); do
    [ -s "$work/opener.pid" ] && break
    sleep 0.1
done
[ -s "$work/opener.pid" ] || fail "the desktop's opener was not started"
limited xdotool windowfocus --sync "$window"
limited xdotool key shift+Tab Return

status=0
wait "$program" || status=$?
program=
expect "OK with the opener at work: status" "$status" 0
kill -0 "$(cat "$work/opener.pid")" 2>/dev/null || fail "the opener was stopped with the program"
expect "nothing said at the end" "$(cat "$work/stderr")" ""
: >"$work/go"
for _ in $(seq 100); do
    [ -e "$work/saved" ] && break
    sleep 0.1
done
[ -e "$work/saved" ] || fail "the editor did not live to save after the window closed"
echo "passed"
