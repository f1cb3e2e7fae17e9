#!/usr/bin/env bash
# Starts the real program with --simulate on a virtual X display and checks
# that the main window and the Test board window both appear, that the program
# keeps running, and that without the option no Test board window appears.
# --help and --version must answer without any display.
set -euo pipefail
program=${1:?usage: simulate_test.sh PROGRAM}
main_title='Digital Step Attenuator    (Ver.  A8)'
board_title='Test board'
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb-lib.sh"

fail() {
    echo "$1"
    echo "--- program output"; cat "$work/app.log" 2>/dev/null || true
    echo "--- windows"; DISPLAY="$XVFB_DISPLAY" xwininfo -root -tree || true
    exit 1
}

help=$(env -u DISPLAY QT_QPA_PLATFORM= "$program" --help) || fail "--help failed without a display"
grep -q -- '--simulate' <<<"$help" || fail "--help does not mention --simulate"
env -u DISPLAY QT_QPA_PLATFORM= "$program" --version | grep -q '^digital-step-attenuator ' ||
    fail "--version does not name the program"
# Qt's own options are taken out before the program reads its options; a bad
# option ends the program with status 1 whether or not Qt took any out.
help=$(env -u DISPLAY QT_QPA_PLATFORM= "$program" -platform offscreen --help) ||
    fail "--help after -platform failed"
grep -q -- '--simulate' <<<"$help" || fail "--help after -platform does not mention --simulate"
for qt_options in "" "-platform offscreen"; do
    status=0
    # shellcheck disable=SC2086 # the options are words
    error=$(QT_QPA_PLATFORM=offscreen "$program" $qt_options --simulte 2>&1 >/dev/null) || status=$?
    [[ $status -eq 1 ]] || fail "--simulte after '$qt_options' ended with status $status, not 1"
    grep -q simulte <<<"$error" || fail "--simulte after '$qt_options' was not named: $error"
done

work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"

# Without the option: the main window only.
start_program_on_display "$program" "$work"
wait_for_window "$main_title" "$APP_PID" >/dev/null || fail "The main window did not appear."
sleep 1
if DISPLAY="$XVFB_DISPLAY" xwininfo -root -tree | grep -qF "\"$board_title\""; then
    fail "A Test board window appeared without --simulate."
fi
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true

# With it: both windows, with the board answering at the saved address.
printf '378\r\n' >"$work/IOaddress.001"
start_program_on_display "$program" "$work" --simulate
wait_for_window "$main_title" "$APP_PID" >/dev/null || fail "The main window did not appear with --simulate."
wait_for_window "$board_title" "$APP_PID" >/dev/null || fail "The Test board window did not appear."
sleep 1
kill -0 "$APP_PID" 2>/dev/null || fail "The program ended on its own after showing its windows."
echo "windows \"$main_title\" and \"$board_title\" are shown"
