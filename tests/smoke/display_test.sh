#!/usr/bin/env bash
# The virtual display the window tests share (scripts/xvfb-lib.sh) must not
# reset when its last client leaves: a reset drops the connection of a program
# that is just starting, which then aborts. A root window property set by one
# client must still be there for the next.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb-lib.sh"

work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"

DISPLAY="$XVFB_DISPLAY" xprop -root -f DSA_DISPLAY_TEST 8s -set DSA_DISPLAY_TEST kept
# xprop has left; a resetting server needs a moment to start over.
sleep 0.5
value=$(DISPLAY="$XVFB_DISPLAY" xprop -root DSA_DISPLAY_TEST 2>&1) || true
if [ "$value" != 'DSA_DISPLAY_TEST(STRING) = "kept"' ]; then
    echo "The X server reset when its last client left (root property now: $value)."
    echo "--- Xvfb log"; cat "$work/xvfb.log"
    exit 1
fi
echo "the virtual display keeps its state between clients"
