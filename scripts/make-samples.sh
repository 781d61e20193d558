#!/bin/bash
# Draws the bundled sample pictures in samples/ with ImageMagick and libwebp's
# cwebp. The pictures are committed; this script says how they were made.
set -euo pipefail
out=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/samples
mkdir -p "$out"
convert -seed 7 -size 800x533 plasma:steelblue-orange -blur 0x2 \
  -fill '#ffffff60' -draw "circle 560,170 560,230" -quality 85 "$out/01-dawn.jpg"
convert -size 480x480 xc:none -fill '#2e8b57c0' -draw "ellipse 240,240 200,110 0,360" \
  -fill '#ffd700e0' -draw "circle 240,240 240,300" "$out/02-leaf.png"
convert -size 80x50 pattern:checkerboard -scale 400% -modulate 100,0 \
  -fill '#c04040' -draw "rectangle 60,40 200,160" -type TrueColor "$out/03-tiles.bmp"
convert -size 200x200 xc:white \( +clone -fill navy -draw "rectangle 20,20 100,100" \) \
  \( -clone 0 -fill navy -draw "rectangle 100,20 180,100" \) \
  \( -clone 0 -fill navy -draw "rectangle 100,100 180,180" \) \
  \( -clone 0 -fill navy -draw "rectangle 20,100 100,180" \) -delete 0 \
  -set delay 40 -loop 0 "$out/04-turn.gif"
convert -seed 3 -size 640x360 plasma:seagreen-lightyellow "$out/.waves.png"
cwebp -quiet -q 80 "$out/.waves.png" -o "$out/05-waves.webp"
rm -f "$out/.waves.png"
