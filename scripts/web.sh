#!/usr/bin/env bash
# The game and the examples for the web (WebAssembly, emscripten from Debian).
#   scripts/web.sh [build]   builds build/web/: the game's page (index.html) and the examples'
#                            (hello-frame.html, sprites.html, paint.html)
#   scripts/web.sh deps      only the dependencies: SDL2, libopenmpt and libmpg123 built for
#                            WebAssembly from Debian's source packages, cached outside the
#                            checkout in ${KESTRIX_WEB_CACHE:-~/.cache/kestrix-web}/<versions>
#   scripts/web.sh serve [port]   serves build/web/ on http://127.0.0.1:port/ (8000)
#   scripts/web.sh test      builds the page, runs the display library's unit tests under
#                            node and plays the page in headless Chromium (tests/web/)
# Nothing is downloaded from outside Debian's archive.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export NODE_PATH=/usr/share/nodejs  # emcc's own scripts need Debian's acorn
cache=${KESTRIX_WEB_CACHE:-$HOME/.cache/kestrix-web}
jobs=$(nproc 2>/dev/null || echo 2)

# The version apt would give of a source package: the binary package's, without a binNMU's +bN.
source_version() {
  apt-cache policy "$1" | awk '/Candidate:/ { print $2 }' | sed 's/+b[0-9]*$//'
}

deps_key() {
  local emcc_version
  emcc_version=$(emcc --version | head -n 1 | awk '{ print $NF == "()" ? $(NF-1) : $NF }')
  echo "emcc-$emcc_version-sdl2-$(source_version libsdl2-dev)-openmpt-$(source_version libopenmpt-dev)-mpg123-$(source_version libmpg123-dev)" |
    tr -c 'A-Za-z0-9.+\n-' '_'
}

# Fetches Debian's source packages of the three libraries into $1 and unpacks them there.
fetch_sources() {
  local into=$1
  [ -f /etc/apt/sources.list.d/debian.sources ] || { echo "no /etc/apt/sources.list.d/debian.sources to copy" >&2; exit 1; }
  # A temporary deb-src entry (removed by remove_source_list, also on failure).
  sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$source_list"
  apt-get update -qq
  mkdir -p "$into"
  # mpg123's .dsc names a signature file that the archive does not serve: apt reports a
  # failure although the real files arrive, so each .dsc is checked instead.
  (cd "$into" && apt-get source --download-only -qq \
    "libsdl2=$(source_version libsdl2-dev)" "libopenmpt=$(source_version libopenmpt-dev)" \
    "mpg123=$(source_version libmpg123-dev)") || true
  local dsc
  for name in libsdl2 libopenmpt mpg123; do
    dsc=$(ls "$into"/${name}_*.dsc 2>/dev/null | head -n 1)
    [ -n "$dsc" ] || { echo "apt-get source $name brought no .dsc" >&2; exit 1; }
    (cd "$into" && dpkg-source -x --no-check "$(basename "$dsc")" "$name" >/dev/null)
  done
  remove_source_list
  # The archive's config.sub files predate the target; Debian's autotools-dev has a newer one.
  find "$into" -name config.sub -exec cp /usr/share/misc/config.sub {} \;
}

source_list=/etc/apt/sources.list.d/kestrix-web-src.sources
remove_source_list() {
  if [ -f "$source_list" ]; then
    rm -f "$source_list"
    apt-get update -qq || true
  fi
}

build_deps() {
  local key prefix
  key=$(deps_key)
  prefix=$cache/$key
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    return
  fi
  echo "Building the web dependencies into $prefix (about 8 minutes on 2 cores)" >&2
  local started=$SECONDS
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/build.XXXXXX")  # global: the exit trap removes it
  trap 'rm -rf "$work"; remove_source_list' EXIT
  fetch_sources "$work/src" >&2
  local staging=$work/prefix
  mkdir -p "$staging"
  # Every C++ library and the program catch exceptions the same way (libopenmpt throws).
  local flags="-O2 -fexceptions"

  echo "  SDL2" >&2
  emcmake cmake -S "$work/src/libsdl2" -B "$work/sdl2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$staging" -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF >"$work/sdl2.log" 2>&1 || { tail -n 30 "$work/sdl2.log" >&2; exit 1; }
  cmake --build "$work/sdl2" -j "$jobs" >>"$work/sdl2.log" 2>&1 || { tail -n 30 "$work/sdl2.log" >&2; exit 1; }
  cmake --install "$work/sdl2" >>"$work/sdl2.log" 2>&1
  # SDL found iconv in emscripten's libc, but names it as a library of its own, which
  # emscripten does not have: users link without it.
  sed -i 's/\\$<LINK_ONLY:iconv>;//; s/ -liconv//' "$staging/lib/cmake/SDL2/SDL2staticTargets.cmake" \
    "$staging/lib/pkgconfig/sdl2.pc"

  echo "  libopenmpt" >&2
  local openmpt=$work/src/libopenmpt
  (cd "$openmpt" && CFLAGS="$flags" CXXFLAGS="$flags" emconfigure ./configure --host=wasm32-unknown-emscripten \
    --prefix="$staging" --disable-shared --enable-static --disable-openmpt123 --disable-examples --disable-tests \
    --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
    --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sndfile --without-flac \
    && emmake make -j "$jobs" && emmake make install) >"$work/openmpt.log" 2>&1 || { tail -n 30 "$work/openmpt.log" >&2; exit 1; }

  echo "  libmpg123" >&2
  local mpg123=$work/src/mpg123
  (cd "$mpg123" && CFLAGS="-O2" emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$staging" \
    --disable-shared --enable-static --with-cpu=generic_fpu --disable-modules --with-audio=dummy --disable-network \
    && emmake make -j "$jobs" src/libmpg123/libmpg123.la) >"$work/mpg123.log" 2>&1 || { tail -n 30 "$work/mpg123.log" >&2; exit 1; }
  install -D -m 644 "$mpg123/src/libmpg123/.libs/libmpg123.a" "$staging/lib/libmpg123.a"
  install -D -m 644 "$mpg123/libmpg123.pc" "$staging/lib/pkgconfig/libmpg123.pc"
  for header in "$mpg123"/src/libmpg123/mpg123.h "$mpg123"/src/libmpg123/fmt123.h "$mpg123"/src/include/fmt123.h; do
    [ -f "$header" ] && install -D -m 644 "$header" "$staging/include/$(basename "$header")"
  done

  # The prefix appears whole or not at all; the .pc files name the staging folder, so they are
  # rewritten to pkg-config's own variable for the folder they are in.
  for pc in "$staging"/lib/pkgconfig/*.pc; do
    sed -i "s|^prefix=.*|prefix=\${pcfiledir}/../..|; s|$staging|\${prefix}|g" "$pc"
  done
  touch "$staging/.complete"
  rm -rf "$prefix"
  mv "$staging" "$prefix"
  echo "Built the web dependencies in $((SECONDS - started)) s" >&2
  echo "$prefix"
}

# Configures the project in $3 (the whole project, or examples/) for the web in $2 and
# builds the targets named after it (default: all).
build_programs() {
  local prefix=$1 dir=$2 source=$3
  shift 3
  # pkg-config looks only at the libraries built for WebAssembly, never at the system's.
  PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig emcmake cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTRIX_WERROR=ON -DKESTRIX_TOOLS=OFF -DKESTRIX_TESTS=OFF -DKESTRIX_BENCH=OFF -DKESTRIX_INSTALL=OFF \
    -DSDL2_DIR="$prefix/lib/cmake/SDL2" -DCMAKE_FIND_ROOT_PATH="$prefix" -DPAINT_ARCHIVE="${PAINT_ARCHIVE:-}" \
    >"$dir.configure.log" 2>&1 || { tail -n 40 "$dir.configure.log" >&2; exit 1; }
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig cmake --build "$dir" -j "$jobs" "${targets[@]}"
}

# The page folder: the game as index.html, each example as NAME.html, each with its .js,
# .wasm and .data. Made beside build/web and moved over it when complete.
assemble() {
  local out=build/web staging
  rm -rf build/web.??????  # what an earlier run left when it failed
  staging=$(mktemp -d build/web.XXXXXX)
  local run=build/web-cmake/run
  cp "$run/kestrix-example.js" "$run/kestrix-example.wasm" "$run/kestrix-example.data" "$staging/"
  cp "$run/kestrix-example.html" "$staging/index.html"
  for example in hello-frame sprites paint; do
    local built=build/web-examples/kestrix-examples/$example
    [ -d "$built" ] || built=build/web-examples/$example
    [ -f "$built/$example.html" ] || continue
    cp "$built/$example.html" "$built/$example.js" "$built/$example.wasm" "$staging/"
    [ -f "$built/$example.data" ] && cp "$built/$example.data" "$staging/"
  done
  chmod 755 "$staging"
  rm -rf "$out"
  mv "$staging" "$out"
}

# The native tools the pages need from a build of this machine: kestrix-pcx and kestrix-pak
# make paint's archive (build/web-paint/paint.pak), kestrix-snapshot the test's frames.
native_tools() {
  cmake -S . -B build/test-release -G Ninja -DKESTRIX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/test-release -j "$jobs" --target kestrix-snapshot kestrix-pcx kestrix-pak
  local tools=build/test-release/tools out=build/web-paint
  mkdir -p "$out"
  g++ -std=c++20 -O2 -Wall -Wextra -Werror -o "$out/make-brushes" examples/paint/brushes.cpp
  "$out/make-brushes" | "$tools/kestrix-pcx" to-pcx /dev/stdin "$out/brushes.pcx"
  "$tools/kestrix-pak" create "$out/paint.pak" "$out/brushes.pcx" assets/saltito.mp3
}

build_pages() {
  scripts/install-deps.sh test  # the native tools
  scripts/install-deps.sh web
  prefix=$(build_deps)
  mkdir -p build
  native_tools
  build_programs "$prefix" build/web-cmake . kestrix-example
  PAINT_ARCHIVE=$PWD/build/web-paint/paint.pak build_programs "$prefix" build/web-examples examples hello-frame sprites paint
  assemble
}

case "${1:-build}" in
  deps)
    build_deps
    ;;
  build)
    build_pages
    echo "Built build/web/ (scripts/web.sh serve, then open http://127.0.0.1:8000/)"
    ;;
  test)
    build_pages
    # The display library's unit tests, as WebAssembly under node (tests/web/CMakeLists.txt).
    build_programs "$prefix" build/web-unit tests/web
    ctest --test-dir build/web-unit --output-on-failure
    # The page in Chromium, against frames from the native kestrix-snapshot. The test's
    # screenshot goes to build/web-game.png (docs/web-game.png is one of them).
    (cd tests/web && npm ci --no-audit --no-fund --silent)
    node tests/web/page_test.mjs build/web build/test-release/tools/kestrix-snapshot assets build/web-game.png
    ;;
  serve)
    [ -f build/web/index.html ] || { echo "build/web/ is not built: run scripts/web.sh first" >&2; exit 1; }
    exec node scripts/web-serve.mjs build/web "${2:-8000}"
    ;;
  *)
    echo "usage: $0 [build|deps|test|serve [port]]" >&2
    exit 2
    ;;
esac
