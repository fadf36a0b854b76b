#!/usr/bin/env bash
# Kestrix as a library, checked from outside: the package installed from a build without
# tools, tests or benchmarks; the three examples built against it three ways (find_package,
# pkg-config with a plain compiler line, and Kestrix built inside the examples' own project
# with add_subdirectory); every program run under Xvfb on Direct3D 8 and on DirectDraw at 8
# bits (scripts/check-example-screens.sh); the mouse probe built against it and clicked on
# every display path. Everything stays in build/test-package/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/test-package
prefix="$out/prefix with space"  # as a user's home may be
jobs=$(nproc 2>/dev/null || echo 2)
examples=(hello-frame sprites paint)
pictures=(assets/fondo.pcx assets/malo1.pcx assets/pompa.pcx)  # those examples/sprites packs

# The package, as a user without the test packages builds and installs it.
cmake -S . -B "$out/kestrix" -G Ninja -DKESTRIX_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
  -DKESTRIX_TESTS=OFF -DKESTRIX_BENCH=OFF -DKESTRIX_TOOLS=OFF >/dev/null
cmake --build "$out/kestrix" -j "$jobs"
rm -rf "$prefix"
cmake --install "$out/kestrix" --prefix "$prefix" >/dev/null
echo "package built and installed: ${SECONDS} s"
SECONDS=0
programs=()

# 1. find_package(Kestrix), with the prefix on CMake's search path.
for example in "${examples[@]}"; do
  cmake -S "examples/$example" -B "$out/find-package/$example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
  cmake --build "$out/find-package/$example"
  programs+=("$out/find-package/$example/$example")
done

# 2. pkg-config and one compiler line each; kestrix-pak from the package's bindir.
# pkg-config writes the prefix's space as "\ ": the line is read anew (eval), as the library guide says.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
for example in "${examples[@]}"; do
  mkdir -p "$out/pkg-config/$example"
  eval "g++ -std=c++20 -O2 -Wall -Wextra -Werror -o \"$out/pkg-config/$example/$example\" \"examples/$example/main.cpp\" \
    $(pkg-config --cflags --libs kestrix)"
  programs+=("$out/pkg-config/$example/$example")
done
# A program of the user's built with AddressSanitizer ends cleanly with the package's leak
# suppressions (the system libraries' own leaks); it runs on both paths below.
mkdir -p "$out/asan/hello-frame"
eval "g++ -std=c++20 -g -fsanitize=address -fno-omit-frame-pointer -Wall -Wextra -Werror \
  -o \"$out/asan/hello-frame/hello-frame\" examples/hello-frame/main.cpp $(pkg-config --cflags --libs kestrix)"
programs+=("$out/asan/hello-frame/hello-frame")
eval "suppressions=$(pkg-config --variable=lsan_suppressions kestrix)"
LSAN_OPTIONS="suppressions='$suppressions':fast_unwind_on_malloc=0"  # quoted: the path has a space
export LSAN_OPTIONS
eval "bindir=$(pkg-config --variable=bindir kestrix)"
"$bindir/kestrix-pak" create "$out/pkg-config/sprites/sprites.pak" "${pictures[@]}"
# paint's archive: the brushes drawn by its generator, converted by the package's kestrix-pcx.
g++ -std=c++20 -O2 -Wall -Wextra -Werror -o "$out/pkg-config/paint/make-brushes" examples/paint/brushes.cpp
"$out/pkg-config/paint/make-brushes" | "$bindir/kestrix-pcx" to-pcx /dev/stdin "$out/pkg-config/paint/brushes.pcx"
"$bindir/kestrix-pak" create "$out/pkg-config/paint/paint.pak" "$out/pkg-config/paint/brushes.pcx" assets/saltito.mp3

# 3. add_subdirectory: examples/CMakeLists.txt builds Kestrix from its sources along with
# the examples. No build type is given: Kestrix must not set one in the examples' cache,
# and must build neither the game nor its tools in the examples' build (paint's archive
# builds the two data tools it uses).
rm -f "$out/add-subdirectory/CMakeCache.txt"  # a fresh cache; the objects may stay
cmake -S examples -B "$out/add-subdirectory" -G Ninja >/dev/null
cmake --build "$out/add-subdirectory" -j "$jobs"
grep -qx 'CMAKE_BUILD_TYPE:STRING=' "$out/add-subdirectory/CMakeCache.txt" ||
  { echo "Kestrix set the build type of the project that includes it" >&2; exit 1; }
# Without a build type Kestrix's own code is still compiled optimised (the examples' is not).
ninja -C "$out/add-subdirectory" -t commands | grep -E -- '-c [^ ]*/display/blit\.cpp' | grep -q -- ' -O2 ' ||
  { echo "Kestrix's own code was compiled unoptimised in the project that includes it" >&2; exit 1; }
if [ -e "$out/add-subdirectory/kestrix/run/kestrix-example" ]; then
  echo "Kestrix built its game inside the project that includes it" >&2
  exit 1
fi
for example in "${examples[@]}"; do programs+=("$out/add-subdirectory/$example/$example"); done
echo "examples built three ways: ${SECONDS} s"
SECONDS=0

xvfb-run -a -s "-screen 0 1024x768x24" scripts/check-example-screens.sh "$out/screens" "${programs[@]}"
echo "screens checked: ${SECONDS} s"
# The mouse probe (a 400×300 frame, text, the mouse), built against the package and clicked
# on every display path by the end-to-end test of the release configuration's build.
e2e=$root/build/test-release/tests/game_e2e_tests
if [ -x "$e2e" ]; then
  SECONDS=0
  eval "g++ -std=c++20 -O2 -Wall -Wextra -Werror -o \"$out/pkg-config/mouse-probe\" tests/e2e/mouse_probe.cpp \
    $(pkg-config --cflags --libs kestrix)"
  KESTRIX_MOUSE_PROBE="$out/pkg-config/mouse-probe" xvfb-run -a -s "-screen 0 1024x768x24" "$e2e" \
    --gtest_filter='*MouseOnEveryPath*' --gtest_brief=1
  echo "mouse probe clicked on every path: ${SECONDS} s"
else
  echo "the mouse probe is clicked only after the release configuration's build ($e2e)"
fi
