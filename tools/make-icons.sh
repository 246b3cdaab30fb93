#!/usr/bin/env bash
# Makes the installed application icons (resources/desktop/icons/SIZE.png) from the window's
# orange icon with ImageMagick. Run it again after that icon changes and commit the result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source_icon=$root/resources/app/VOIconOrange.png
for size in 16 32 48 64 128 256; do
  convert "$source_icon" -filter Lanczos -resize "${size}x${size}" -depth 8 -strip \
    -define png:exclude-chunks=date,time "PNG32:$root/resources/desktop/icons/$size.png"
done
