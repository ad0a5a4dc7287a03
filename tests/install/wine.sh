# Sourced by the test scripts that run Windows programs under Wine. The
# caller defines fail (what to do when something is wrong) and sets work (its
# temporary folder) and shots (a folder for pictures, or "").
#
# wine_prefix: a Wine of the test's own in $work: its prefix, its home (Wine
# links the profile's folders to $HOME), Windows 10, Wine's fonts, no menu
# entries made on this machine, no Mono or Gecko; Italian where glibc's
# Italian locale can be made here, as Zelmora's users' Windows speaks it
# (message boxes say "Riprova" and "Annulla"). Sets profile (the user's
# folder, Windows' path) and profile_unix (the same for Unix).

wine=${ZELMORA_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver

wine_prefix() {
    export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
    export XDG_RUNTIME_DIR=$work/run
    mkdir -m 700 "$HOME" "$XDG_RUNTIME_DIR"
    wine_locale=C
    mkdir "$work/locale"
    if localedef -i it_IT -f UTF-8 "$work/locale/it_IT.UTF-8" >/dev/null 2>&1 ||
        [ -d "$work/locale/it_IT.UTF-8" ]; then
        export LOCPATH=$work/locale
        wine_locale=it_IT.UTF-8
    fi
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
}

# win SECONDS PROGRAM [ARGS...]: a Windows program, never waited on for ever.
win() {
    local seconds=$1
    shift
    LC_ALL=${wine_locale:-C} timeout "$seconds" "$wine" "$@"
}
# The output of a console program, without CR.
win_out() { win "$@" | tr -d '\r'; }
# win_status SECONDS COMMAND: the whole exit status of a Windows command
# line (a Unix exit status keeps only the lowest 8 bits), through cmd, which
# ends with that status too.
win_status() { { win_out "$1" cmd /v:on /c "$2 & echo !errorlevel!" || true; } | tail -n 1; }
# win_path_unix WINDOWS-PATH: the same path on the Unix side.
win_path_unix() {
    local path
    path=$(win_out 60 winepath -u "$1")
    printf '%s\n' "${path%/}"
}
# reg_value KEY NAME: a value of the registry, as reg shows it.
reg_value() {
    win_out 60 reg query "$1" /v "$2" 2>/dev/null | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
# shell_folder NAME: a folder of Explorer's (Startup, Desktop...), Unix path.
shell_folder() {
    win_path_unix "$(reg_value \
        'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' "$1")"
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
# shot NAME: a picture of the screen, when pictures are asked for.
shot() {
    if [ -n "$shots" ]; then import -window root "$shots/$1.png"; fi
}
