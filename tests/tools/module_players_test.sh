#!/usr/bin/env bash
# The game's module as two independent players see it: libopenmpt's openmpt123 and
# libxmp's xmp both recognise it as Impulse Tracker and find the whole tune, and
# openmpt123 reports nothing wrong.
#   module_players_test.sh <module.it>
set -euo pipefail
module=$1

info=$(openmpt123 --info "$module" 2>&1)
grep -q '^Type\.*: it ' <<<"$info" || { echo "openmpt123 does not see an IT module:"; echo "$info"; exit 1; }
if grep -i -E 'warn|error' <<<"$info"; then echo "openmpt123 complains"; exit 1; fi
duration=$(sed -n 's/^Duration\.*: \([0-9]*\):\([0-9]*\).*/\1 \2/p' <<<"$info")
read -r minutes seconds <<<"$duration"
(( 10#$minutes * 60 + 10#$seconds >= 30 )) || { echo "openmpt123: shorter than 30 s: $duration"; exit 1; }

loaded=$(xmp --load-only "$module" 2>&1)
grep -q '^Module type *: Impulse Tracker' <<<"$loaded" || { echo "xmp does not load it:"; echo "$loaded"; exit 1; }
grep -q '^Duration *: [0-9]*min[0-9]*s' <<<"$loaded" || { echo "xmp finds no duration:"; echo "$loaded"; exit 1; }
echo "openmpt123 and xmp both load it; length ${minutes}:${seconds}"
