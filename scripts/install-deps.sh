#!/usr/bin/env bash
# Installs the Debian packages that a task needs and the machine lacks.
#   scripts/install-deps.sh run    what building and playing the game, and building and
#                                  installing the library, need (no tools, tests or benchmarks)
#   scripts/install-deps.sh test   that, plus what the tools, tests, fuzzers and benchmarks need
#   scripts/install-deps.sh web    what the web build needs (scripts/web.sh): emscripten, the
#                                  tools to unpack Debian's sources, and Chromium, Node.js,
#                                  npm and GoogleTest's sources for its tests
# Uses sudo when not run as root. Does nothing when everything is there.
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libx11-dev libopenmpt-dev libmpg123-dev
)
test_packages=(
  libmp3lame-dev libpng-dev libsdl2-image-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  xvfb xauth xfonts-base xdotool imagemagick x11-utils
  openmpt123 xmp
  g++-mingw-w64-x86-64-posix wine wine64 libgl1-mesa-dri
)
web_packages=(emscripten dpkg-dev autotools-dev pkg-config cmake ninja-build chromium nodejs googletest)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
  web) wanted=("${web_packages[@]}") ;;
  *) echo "usage: $0 run|test|web" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
# npm by its command: a Node.js from elsewhere (NodeSource's) brings its own and refuses Debian's.
if [ "$1" = web ] && ! command -v npm >/dev/null; then missing+=(npm); fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
