# Shared by the smoke test and the screenshot script: a private virtual X
# display and a way to wait for a window by its title. Source it; it sets
# XVFB_PID and XVFB_DISPLAY.

# start_xvfb WORKDIR
start_xvfb() {
    local work=$1
    # Let the X server pick a free display number and tell us which. Without
    # -noreset the server resets whenever its last client leaves and drops every
    # connection still in its handshake: a program starting while a short
    # client such as xwininfo (wait_for_window) disconnects would then fail to
    # open the display and abort.
    exec 3>"$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    # Up to 30 seconds: a busy machine may take that long to start it.
    for _ in $(seq 300); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    XVFB_DISPLAY=":$(head -n1 "$work/display")"
    if [ "$XVFB_DISPLAY" = ":" ]; then
        echo "Xvfb did not start within 30 seconds" >&2
        cat "$work/xvfb.log" >&2
        return 1
    fi
}

# wait_for_window TITLE PID: prints the window id once a window with exactly
# that title exists; fails if PID ends first or after 30 seconds.
wait_for_window() {
    local title=$1 pid=$2 id
    for _ in $(seq 300); do
        id=$(DISPLAY="$XVFB_DISPLAY" xwininfo -root -tree 2>/dev/null |
            grep -F "\"$title\"" | awk '{print $1; exit}')
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# start_program_on_display PROGRAM WORKDIR [ARGUMENTS...]: starts the program
# with its arguments on the virtual display, in WORKDIR (where its port address
# file lives); sets APP_PID. Its output goes to WORKDIR/app.log.
start_program_on_display() {
    local program=$1 work=$2
    shift 2
    (cd "$work" && exec env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb "$program" "$@" \
        >"$work/app.log" 2>&1) &
    APP_PID=$!
}

# stop_display WORKDIR: ends the program and the X server and removes WORKDIR.
stop_display() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$1"
}
