#!/usr/bin/env bash
# Makes docs/main-window.png and docs/test-board.png from the real program on
# a virtual X display.
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
stop_display "$work"

# The program with --simulate, driven by clicks as a user would: a serial
# model, 8.5 dB loaded on LE6, the model chosen afresh, 7 dB loaded on LE3.
work=$(mktemp -d)
trap 'stop_display "$work"' EXIT
start_xvfb "$work"
printf '378\r\n' >"$work/IOaddress.001"
start_program_on_display "$root/build/src/digital-step-attenuator" "$work" --simulate
id=$(wait_for_window 'Digital Step Attenuator    (Ver.  A8)' "$APP_PID")
board=$(wait_for_window 'Test board' "$APP_PID")
sleep 1
xdo() { DISPLAY="$XVFB_DISPLAY" xdotool "$@"; }
# Places in the main window, in pixels from its top-left corner.
click() { xdo mousemove --window "$id" "$1" "$2" click 1; sleep 0.3; }
model_box() { click 153 116; }
le_option() { click $((22 + 23 * ($1 - 1))) 232; }
step() { click "$1" 292; } # 252 is 0.5 dB, then 284, 318, 350, 383 for 1 to 8 dB
load() { click 479 263; }
model_box; xdo key Down; sleep 0.5 # the first list entry, a serial model
le_option 6; step 252; step 383; load
model_box; xdo key Down; sleep 0.3; xdo key Up; sleep 0.5
le_option 3; step 284; step 318; step 350; load
sleep 0.5
# Both windows on a plain background, as they stand on the screen.
geometry() { DISPLAY="$XVFB_DISPLAY" xwininfo -id "$1" |
    awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
         /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'; }
read -r mx my mw mh < <(geometry "$id")
read -r bx by bw bh < <(geometry "$board")
left=$((mx < bx ? mx : bx)); top=$((my < by ? my : by))
right=$((mx + mw > bx + bw ? mx + mw : bx + bw)); bottom=$((my + mh > by + bh ? my + mh : by + bh))
DISPLAY="$XVFB_DISPLAY" import -window "$id" "$work/main.png"
DISPLAY="$XVFB_DISPLAY" import -window "$board" "$work/board.png"
convert -size "$((right - left + 16))x$((bottom - top + 16))" xc:'#8c969f' \
    "$work/main.png" -geometry "+$((mx - left + 8))+$((my - top + 8))" -composite \
    "$work/board.png" -geometry "+$((bx - left + 8))+$((by - top + 8))" -composite \
    "$root/docs/test-board.png"
echo "wrote docs/test-board.png"
