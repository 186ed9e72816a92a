#!/usr/bin/env bash
# Draws the program icon (a blue rounded square with "車高") at every size
# the package installs and writes it to icons/<N>x<N>/ashimemo.png beside
# this script; the 128 px one is also the window icon (assets/ashimemo.png).
# Needs imagemagick and fonts-ipafont-gothic.
set -euo pipefail
here="$(dirname "$(readlink -f "$0")")"
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
for n in 16 22 24 32 48 64 128 256; do
  # Drawn at 8x and scaled down, so that small sizes stay smooth.
  s=$((n * 8)) r=$((n * 8 * 14 / 128)) m=$((n * 8 * 3 / 128))
  mkdir -p "$here/icons/${n}x${n}"
  convert -size ${s}x${s} xc:none -fill 'rgb(26,58,138)' \
    -draw "roundrectangle $m,$m $((s - m - 1)),$((s - m - 1)) $r,$r" \
    -font "$font" -fill white -pointsize $((s * 46 / 128)) -gravity center -annotate +0+0 '車高' \
    -resize ${n}x${n} -strip -define png:bit-depth=8 "$here/icons/${n}x${n}/ashimemo.png"
done
cp "$here/icons/128x128/ashimemo.png" "$here/../assets/ashimemo.png"
echo "wrote $here/icons/*/ashimemo.png"
