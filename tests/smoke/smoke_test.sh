#!/usr/bin/env bash
# Starts the real program on a virtual X display and checks that its main
# window appears with the right title and that the program keeps running.
set -euo pipefail
program=${1:?usage: smoke_test.sh PROGRAM}
title='Digital Step Attenuator    (Ver.  A8)'
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb-lib.sh"

work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"

# The port address file is read from the working directory: start in an empty one.
start_program_on_display "$program" "$work"

if ! wait_for_window "$title" "$APP_PID" >/dev/null; then
    echo "The main window \"$title\" did not appear."
    echo "--- program output"; cat "$work/app.log"
    echo "--- windows"; DISPLAY="$XVFB_DISPLAY" xwininfo -root -tree || true
    exit 1
fi
sleep 1
if ! kill -0 "$APP_PID" 2>/dev/null; then
    echo "The program ended on its own after showing its window."
    cat "$work/app.log"
    exit 1
fi
echo "main window \"$title\" is shown"
