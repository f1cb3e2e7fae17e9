#!/usr/bin/env bash
# Starts the real program on a virtual X display and ends it with SIGTERM,
# SIGINT and SIGHUP in turn: each must close its windows through the normal
# path, so the program ends on its own with status 0 (not killed by the
# signal) within a few seconds.
set -euo pipefail
program=${1:?usage: signal_test.sh PROGRAM}
title='Digital Step Attenuator    (Ver.  A8)'
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb-lib.sh"

work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"

# Wait until the X server takes connections (again, after the program
# before has left).
wait_for_display() {
    for _ in $(seq 100); do
        DISPLAY="$XVFB_DISPLAY" xwininfo -root >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "The X server does not take connections."
    return 1
}

for signal in TERM INT HUP; do
    wait_for_display
    # A background job of a script starts with SIGINT ignored; a program run
    # from a terminal does not.
    (cd "$work" && exec env --default-signal=INT DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb \
        "$program" >"$work/app.log" 2>&1) &
    APP_PID=$!
    if ! wait_for_window "$title" "$APP_PID" >/dev/null; then
        echo "The main window did not appear."
        cat "$work/app.log"
        exit 1
    fi
    kill -s "$signal" "$APP_PID"
    for _ in $(seq 100); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$APP_PID" 2>/dev/null; then
        echo "SIG$signal: the program was still running after 10 seconds."
        exit 1
    fi
    status=0
    wait "$APP_PID" || status=$?
    APP_PID=
    if [ "$status" -ne 0 ]; then
        echo "SIG$signal: the program ended with status $status instead of closing its windows."
        cat "$work/app.log"
        exit 1
    fi
    echo "SIG$signal closes the program normally"
done
