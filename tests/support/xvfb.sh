# Sourced by the test scripts that need a screen.
#
# start_xvfb DIR [SECONDS]: an X server of the test's own on a virtual
# 1024 x 768 screen. Xvfb takes the first free display number itself and
# writes it to DIR/display; DISPLAY is then exported, and xvfb holds the
# server's process for the caller's clean-up. The server ends by itself after
# SECONDS (default half an hour), should the clean-up never come. Calls the
# caller's fail when no server starts.
start_xvfb() {
    timeout "${2:-1800}" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" \
        2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$1/display" ] && break
        sleep 0.1
    done
    [ -s "$1/display" ] || fail "Xvfb did not start"
    DISPLAY=:$(cat "$1/display")
    export DISPLAY
}
