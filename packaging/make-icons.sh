#!/usr/bin/env bash
# Draws the desktop icon of the installed program into packaging/icons/ at the
# sizes of the hicolor icon theme, with ImageMagick. It is the main window icon
# (src/window/resources/icons/main.png, drawn by scripts/make-images.sh on a
# 32 x 32 grid) drawn again at each size, so that large sizes stay sharp.
# The output carries no time stamps, so running it again changes nothing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/packaging/icons"
convert=${CONVERT:-convert}
mkdir -p "$out"

# The icon's corner points on the 32 x 32 grid: frame, then the falling steps.
steps='4,8 11,8 11,14 18,14 18,20 25,20 25,26 29,26'

# scale SIZE COORDS: moves pixel centres of the 32 grid to the SIZE grid.
scale() {
    awk -v s="$1" '{ for (i = 1; i <= NF; i++) { split($i, p, ",");
        printf "%.2f,%.2f ", (p[1] + 0.5) * s / 32 - 0.5, (p[2] + 0.5) * s / 32 - 0.5 } }' <<<"$2"
}

# segments POINTS: an open polyline as separate lines ("polyline" would fill the
# shape); square caps close the corners.
segments() {
    awk '{ for (i = 1; i < NF; i++) printf "line %s %s ", $i, $(i + 1) }' <<<"$1"
}

for size in 16 32 48 64 128 256; do
    last=$((size - 1))
    frame=$(awk -v s="$size" 'BEGIN { w = s / 32; printf "%.2f", (w < 1 ? 1 : w) }')
    step_width=$(awk -v s="$size" 'BEGIN { printf "%.2f", 3 * s / 32 }')
    radius=$(awk -v s="$size" 'BEGIN { printf "%.2f", 5 * s / 32 }')
    inset=$(awk -v f="$frame" 'BEGIN { printf "%.2f", (f - 1) / 2 }')
    "$convert" -size "${size}x${size}" xc:none \
        -fill '#102a4c' -stroke '#6fe3ff' -strokewidth "$frame" \
        -draw "roundrectangle $inset,$inset $(awk -v l="$last" -v i="$inset" 'BEGIN { printf "%.2f,%.2f", l - i, l - i }') $radius,$radius" \
        -fill none -stroke '#ffb000' -strokewidth "$step_width" \
        -draw "stroke-linecap square $(segments "$(scale "$size" "$steps")")" \
        -strip -define png:exclude-chunks=date,time "PNG32:$out/digital-step-attenuator-$size.png"
done
echo "wrote $out/digital-step-attenuator-{16,32,48,64,128,256}.png"
