#!/usr/bin/env bash
# Runs a window test on a virtual X display with the real X11 platform rather
# than the offscreen one, and exits with its status.
set -euo pipefail
test_program=${1:?usage: on_display.sh TEST-PROGRAM [ARGUMENTS]}
shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb-lib.sh"

work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"
status=0
(cd "$work" && env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb "$test_program" "$@") || status=$?
exit "$status"
