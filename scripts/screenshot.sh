#!/usr/bin/env bash
# Makes docs/main-window.png from the real program on a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/xvfb-lib.sh"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DDSA_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" -j2 --target digital-step-attenuator

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
(cd "$work" && exec env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb \
    "$root/build/src/digital-step-attenuator" >"$work/app.log" 2>&1) &
app_pid=$!
id=$(wait_for_window 'Digital Step Attenuator    (Ver.  A8)' "$app_pid")
sleep 1
mkdir -p "$root/docs"
DISPLAY="$XVFB_DISPLAY" import -window "$id" "$root/docs/main-window.png"
echo "wrote docs/main-window.png"
