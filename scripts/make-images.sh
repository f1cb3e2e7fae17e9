#!/usr/bin/env bash
# Draws the program's pictures into src/window/resources with ImageMagick:
#   banner.jpg        650 x 80 banner of the main window
#   icons/main.png    32 x 32, 16-colour main window icon
#   icons/help.png    32 x 32, 16-colour help window icon
#   icons/help-16.png 16 x 16, 16-colour help window icon
# The output carries no time stamps, so running it again changes nothing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/src/window/resources"
convert=${CONVERT:-convert}
fonts=/usr/share/fonts/truetype/liberation
bold="$fonts/LiberationSans-Bold.ttf"
regular="$fonts/LiberationSans-Regular.ttf"
for f in "$bold" "$regular"; do
    [ -r "$f" ] || { echo "missing font $f (Debian package fonts-liberation)" >&2; exit 1; }
done
mkdir -p "$out/icons"

png_options=(-strip -define png:exclude-chunks=date,time)

# Banner: a dark bench-instrument panel with a faint grid, the title on the left
# and, on the right, a signal whose level falls in equal steps.
grid=()
for x in $(seq 0 25 650); do grid+=(-draw "line $x,0 $x,80"); done
for y in $(seq 0 20 80); do grid+=(-draw "line 0,$y 650,$y"); done

# Open polylines drawn as separate segments ("polyline" would close the shape).
segments() {
    awk '{ for (i = 1; i < NF; i++) printf "line %s %s ", $i, $(i + 1) }' <<<"$1"
}
steps=$(segments "380,18 420,18 420,30 460,30 460,42 500,42 500,54 540,54 540,66 630,66")
# A carrier whose amplitude dies away as the attenuation grows.
wave=$(segments "$(awk 'BEGIN { for (i = 0; i <= 120; i++)
    printf "%d,%.1f ", 380 + 2 * i, 40 - 10 * exp(-i / 45) * sin(i / 3.2) }')")

"$convert" -size 650x80 gradient:'#0b1f3a-#14506e' \
    -stroke '#ffffff14' -strokewidth 1 "${grid[@]}" \
    -fill none -stroke '#ffb000' -strokewidth 3 -draw "$steps" \
    -stroke '#6fe3ff' -strokewidth 2 -draw "$wave" \
    -stroke '#6fe3ff' -strokewidth 1 -draw "line 370,10 370,72" -draw "line 370,72 640,72" \
    -stroke none -fill white -font "$bold" -pointsize 30 -annotate +18+42 'Digital Step Attenuator' \
    -fill '#9fd8ee' -font "$regular" -pointsize 13 \
    -annotate +20+64 'RF attenuation in weighted steps, sent to the test board' \
    -strip -quality 90 -sampling-factor 4:2:0 "$out/banner.jpg"

# Main window icon: falling steps over a panel, framed.
"$convert" -size 32x32 xc:none \
    -fill '#102a4c' -stroke '#6fe3ff' -strokewidth 1 -draw 'roundrectangle 0,0 31,31 5,5' \
    -fill none -stroke '#ffb000' -strokewidth 3 \
    -draw "$(segments '4,8 11,8 11,14 18,14 18,20 25,20 25,26 29,26')" \
    -colors 16 "${png_options[@]}" "PNG8:$out/icons/main.png"

# Help window icon: a question mark on a blue disc, in two sizes.
help_icon() {
    local size=$1 point=$2 offset=$3
    local r=$((size / 2 - 1)) c=$((size / 2))
    "$convert" -size "${size}x${size}" xc:none \
        -fill '#1f5fbf' -stroke '#0b1f3a' -strokewidth 1 -draw "circle $c,$c $c,$((c - r))" \
        -stroke none -fill white -font "$bold" -pointsize "$point" -gravity center \
        -annotate "+0+$offset" '?' \
        -colors 16 "${png_options[@]}" "PNG8:$4"
}
help_icon 32 24 1 "$out/icons/help.png"
help_icon 16 13 0 "$out/icons/help-16.png"

echo "wrote $out/banner.jpg and $out/icons/{main,help,help-16}.png"
