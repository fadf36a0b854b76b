#!/usr/bin/env bash
# Builds the game and starts it from its run folder, beside its data files.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF -DKESTRIX_BENCH=OFF \
  -DKESTRIX_TOOLS=OFF >/dev/null
cmake --build build/release --target kestrix-example
cd build/release/run
exec ./kestrix-example "$@"
