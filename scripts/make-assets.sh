#!/usr/bin/env bash
# Remakes the data files in assets/ with the project's own tools:
#   scripts/make-assets.sh [BUILD_FOLDER]   (default build/dev; built first)
# The pictures come from kestrix-art and go into the archive kestrix.pak, in the order
# the game loads them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target kestrix-art kestrix-pak
"$build/tools/kestrix-art" assets
pictures=(pacoi1 pacoi2 pacod1 pacod2 pacoif pacodf fondo pompa malo1 bloque)
"$build/tools/kestrix-pak" create assets/kestrix.pak $(printf "assets/%s.pcx " "${pictures[@]}")
