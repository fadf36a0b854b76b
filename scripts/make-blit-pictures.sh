#!/usr/bin/env bash
# Remakes the library guide's pictures of the five blit modes (docs/blit-*.png) from the running
# sprites example: on DirectDraw at 32 bits under Xvfb the screen the layer writes
# (KESTRIX_SCREEN_FILE) is the program's own frame, pixel for pixel; each monster is cut out
# of it with 8 pixels around, and enlarged twice.
#   scripts/make-blit-pictures.sh [SPRITES]   (default: the one scripts/check-package.sh built)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/test-package/find-package/sprites/sprites}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The frame once the first screen is there; Escape then ends the program.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  env -C "$(dirname "$1")" KESTRIX_SCREEN_FILE="$2" KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=32 "$1" &
  pid=$!
  for _ in $(seq 100); do [ -s "$2" ] && break; sleep 0.1; done
  xdotool mousemove 512 384 key Escape
  wait "$pid"' - "$program" "$work/frame.ppm"

# The row of monsters starts at (8, 96), 48 pixels each, 64 apart.
modes=(copy keyed add-saturate add-channels invert)
for i in "${!modes[@]}"; do
  picture=docs/blit-${modes[$i]}.png
  convert "$work/frame.ppm" -crop "64x64+$((64 * i))+88" +repage -filter point -resize 200% "png:$picture.part"
  mv "$picture.part" "$picture"
done
echo "docs/blit-{$(IFS=,; echo "${modes[*]}")}.png written"
