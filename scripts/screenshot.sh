#!/usr/bin/env bash
# Makes docs/main-window.png from the real program on a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/xvfb-lib.sh"
bash "$root/scripts/setup.sh" --for-display
cmake -S "$root" -B "$root/build" -DDSA_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" -j2 --target digital-step-attenuator

work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"
start_program_on_display "$root/build/src/digital-step-attenuator" "$work"
id=$(wait_for_window 'Digital Step Attenuator    (Ver.  A8)' "$APP_PID")
sleep 1
mkdir -p "$root/docs"
DISPLAY="$XVFB_DISPLAY" import -window "$id" "$root/docs/main-window.png"
echo "wrote docs/main-window.png"
