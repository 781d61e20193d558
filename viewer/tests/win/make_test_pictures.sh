#!/bin/bash
# Draws the pictures that the decoding and painting tests read, with
# ImageMagick, into the folder given as the first argument. Every file has
# known sizes, depths and colours that the tests check. With "large" as the
# second argument it draws only the 6000 x 4000 photo of the benchmark.
set -euo pipefail
out=$1
mkdir -p "$out"
# ImageMagick 6 under its own name where Debian installs it, else whatever
# "convert" is.
im=$(command -v convert-im6.q16 || command -v convert)
cd "$out"
if [ "${2:-}" = large ]; then
  "$im" -size 6000x4000 -seed 9 plasma:fractal -quality 90 large.jpg
  "$im" -size 4000x3000 -seed 4 plasma:fractal -quality 90 photo4000.jpg
  "$im" -size 1920x1080 -seed 5 plasma:fractal -quality 90 photo1920.jpg
  exit 0
fi
# Colour (red 200, green 100, blue 50) at alpha 128, and an opaque one.
"$im" -size 64x48 xc:"rgba(200,100,50,0.50196)" PNG32:alpha.png
"$im" -size 64x48 xc:"rgb(10,20,30)" PNG24:opaque.png
"$im" -size 64x48 gradient:white-black -quality 92 photo.jpg
"$im" -size 64x48 pattern:checkerboard -type Bilevel BMP3:depth1.bmp
"$im" -size 64x48 plasma:fractal -seed 5 -colors 12 -type Palette BMP3:depth4.bmp
"$im" -size 64x48 plasma:fractal -seed 5 -colors 200 -type Palette BMP3:depth8.bmp
"$im" -size 64x48 xc:"rgb(10,20,30)" -type TrueColor BMP3:depth24.bmp
"$im" -size 64x48 xc:"rgba(200,100,50,0.50196)" -define bmp3:alpha=true BMP3:depth32.bmp
"$im" -size 64x48 xc:"rgb(10,20,30)" -type TrueColor BMP2:core24.bmp
"$im" -size 64x48 xc:"rgb(10,20,30)" -type TrueColor BMP:v5.bmp
"$im" -size 40x30 xc:red still.gif
"$im" -size 40x30 xc:blue -depth 8 -compress None still.tif
# A photograph whose decode takes a held key's several presses.
"$im" -size 2400x1800 -seed 6 plasma:fractal -quality 90 slow.jpg
# A large half-transparent picture: its decoded copy alone is 256 MB.
"$im" -size 8000x8000 xc:"rgba(40,80,120,0.50196)" PNG32:huge.png
