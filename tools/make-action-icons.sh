#!/bin/bash
# Draws the bundled action icons (resources/app/action-*.png), which the window uses where the
# desktop's icon theme has none. Needs ImageMagick; the PNGs are committed, so a build does not.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/app"
ink='#3d4852'

draw() { # name, ImageMagick draw arguments on a 64x64 canvas
    local name=$1
    shift
    convert -size 64x64 xc:none -strokewidth 5 "$@" -resize 32x32 "$out/action-$name.png"
}

draw new -fill white -stroke "$ink" -draw "polygon 12,6 38,6 50,18 50,58 12,58" \
    -stroke '#2e8b3e' -strokewidth 7 -draw "line 42,34 42,58" -draw "line 30,46 54,46"
draw copy -fill white -stroke "$ink" -draw "rectangle 6,6 38,44" -draw "rectangle 24,20 56,58"
draw rename -fill white -stroke "$ink" -draw "rectangle 4,18 60,46" \
    -stroke '#1f5fa8' -strokewidth 4 -draw "line 40,10 40,54" -draw "line 34,10 46,10" \
    -draw "line 34,54 46,54" -stroke "$ink" -draw "line 12,38 20,26" -draw "line 20,26 28,38"
draw delete -fill white -stroke "$ink" -draw "rectangle 16,18 48,58" -draw "line 8,14 56,14" \
    -draw "rectangle 26,6 38,14" -draw "line 26,26 26,50" -draw "line 38,26 38,50"
draw start -fill '#2e8b3e' -stroke '#1f5f2a' -draw "polygon 14,6 56,32 14,58"
draw stop -fill '#c0392b' -stroke '#7b241c' -draw "rectangle 10,10 54,54"
draw preferences -fill none -stroke "$ink" -draw "line 8,16 56,16" -draw "line 8,32 56,32" \
    -draw "line 8,48 56,48" -fill white -draw "circle 22,16 22,23" -draw "circle 42,32 42,39" \
    -draw "circle 28,48 28,55"
draw quit -fill none -stroke '#c0392b' -strokewidth 7 -draw "arc 8,10 56,58 -50,230" \
    -draw "line 32,4 32,30"
