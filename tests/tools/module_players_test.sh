#!/usr/bin/env bash
# The game's module as a second, independent player sees it: libxmp's xmp recognises it as
# Impulse Tracker and finds a length. (libopenmpt's view is in tests/audio/bass_mix_test.cpp.)
#   module_players_test.sh <module.it>
set -euo pipefail
loaded=$(xmp --load-only "$1" 2>&1)
grep -q '^Module type *: Impulse Tracker' <<<"$loaded" && grep -q '^Duration *: [0-9]*min[0-9]*s' <<<"$loaded" ||
  { echo "xmp does not load it:"; echo "$loaded"; exit 1; }
