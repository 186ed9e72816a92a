#!/usr/bin/env bash
# Draws the two wheel pictures of the setting sheet and writes them as GIF
# files beside this script: "セッティング左.GIF" and "セッティング右.GIF".
# Needs qt6-base-dev, cmake, g++ and imagemagick.
set -euo pipefail
here="$(dirname "$(readlink -f "$0")")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake -S "$here/art" -B "$work/build" >/dev/null
cmake --build "$work/build" >/dev/null
QT_QPA_PLATFORM=offscreen "$work/build/wheelart" "$work/left.png" "$work/right.png"
# Qt writes no GIF; ImageMagick turns the drawings into 32-colour GIFs.
convert "$work/left.png" -colors 32 "$here/セッティング左.GIF"
convert "$work/right.png" -colors 32 "$here/セッティング右.GIF"
echo "wrote $here/セッティング左.GIF $here/セッティング右.GIF"
