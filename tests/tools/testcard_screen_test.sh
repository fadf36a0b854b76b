#!/usr/bin/env bash
# The test card on a real X server (Xvfb, 1024×768) with SDL's default renderer, through
# Direct3D and through DirectDraw at 32 and 8 bits: a screenshot of the whole screen shows
# the card where each path puts it, in the colours each path gives it.
#   testcard_screen_test.sh <kestrix-testcard>   (run inside xvfb-run)
set -euo pipefail
card=$1
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

# shoot <name> [settings...]: the screen while the card runs.
shoot() {
  local name=$1
  shift
  env "$@" "$card" 3 >"$shots/$name.txt" 2>&1 &
  local pid=$!
  sleep 2
  import -window root "$shots/$name.png"
  wait "$pid" || { echo "$name: the test card failed:"; cat "$shots/$name.txt"; exit 1; }
}

# expect <name> <x> <y> <RRGGBB>
expect() {
  local shown
  shown=$(convert "$shots/$1.png" -format "%[hex:p{$2,$3}]" info:)
  [ "${shown:0:6}" = "$4" ] || { echo "$1: ($2, $3) shows $shown, not $4 ($(cat "$shots/$1.txt"))"; exit 1; }
}

shoot direct3d
grep -q '^Direct3D 8' "$shots/direct3d.txt"
expect direct3d 190 190 FFFF00  # the yellow bar, the back buffer scaled to the whole screen
expect direct3d 1010 100 000000  # the black bar reaches the right edge

shoot directdraw32 KESTRIX_DIRECT3D=0
grep -q '^DirectDraw: 320x240 at 32 bits' "$shots/directdraw32.txt"
expect directdraw32 212 204 FFFF00  # three screen pixels to a frame pixel, from (32, 24)
expect directdraw32 32 24 FFFFFF    # the card's white border
expect directdraw32 31 23 000000    # the black border around the mode
expect directdraw32 992 744 000000

shoot directdraw8 KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=8
grep -q '^DirectDraw: 320x240 at 8 bits' "$shots/directdraw8.txt"
expect directdraw8 212 204 E0E000  # yellow in the 3-3-2 palette
expect directdraw8 60 60 FFFFFF    # index 255 is white: DirectDraw keeps it
echo "Direct3D and DirectDraw at 32 and 8 bits show the test card where and as they should."
