#!/usr/bin/env bash
# Draws the benchmark icon (16, 32 and 64 pixels) into benchmark.ico beside this script (ImageMagick).
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Drawn at 256 pixels, then reduced: four score bars rising on a base line, the last one highlighted.
convert -size 256x256 xc:none \
  -fill 'rgb(92,3,134)' -draw 'roundrectangle 0,0 255,255 50,50' \
  -fill white -draw 'rectangle 40,133 73,210' -draw 'rectangle 86,95 119,210' -draw 'rectangle 132,113 165,210' \
  -fill 'rgb(255,140,140)' -draw 'rectangle 178,51 211,210' \
  -fill 'rgb(255,200,60)' -draw 'rectangle 30,210 226,220' \
  "$tmp/big.png"
for s in 16 32 64; do convert "$tmp/big.png" -filter Lanczos -resize ${s}x$s "$tmp/$s.png"; done
convert "$tmp/64.png" "$tmp/32.png" "$tmp/16.png" benchmark.ico
