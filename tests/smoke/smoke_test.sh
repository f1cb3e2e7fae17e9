#!/usr/bin/env bash
# Starts the real program on a virtual X display and checks that its main
# window appears with the right title and that the program keeps running.
set -euo pipefail
program=${1:?usage: smoke_test.sh PROGRAM}
title='Digital Step Attenuator    (Ver.  A8)'
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb-lib.sh"

work=$(mktemp -d)
XVFB_PID=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work"

# The port address file is read from the working directory: start in an empty one.
(cd "$work" && exec env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb "$program" \
    >"$work/app.log" 2>&1) &
app_pid=$!

if ! wait_for_window "$title" "$app_pid" >/dev/null; then
    echo "The main window \"$title\" did not appear."
    echo "--- program output"; cat "$work/app.log"
    echo "--- windows"; DISPLAY="$XVFB_DISPLAY" xwininfo -root -tree || true
    exit 1
fi
sleep 1
if ! kill -0 "$app_pid" 2>/dev/null; then
    echo "The program ended on its own after showing its window."
    cat "$work/app.log"
    exit 1
fi
echo "main window \"$title\" is shown"
