#!/usr/bin/env bash
# Cross-builds the Windows program (mingw-w64) and checks it under Wine inside Xvfb: its
# frame converters' rows agree with the reference over all colours; it starts, shows the
# game's first frame on Direct3D 8 and, with d3d8.dll made unavailable, on DirectDraw at
# 32 bits; a held Right arrow walks the player; Escape ends it with exit code 0. Each
# screenshot is compared with the Linux build's frame (kestrix-snapshot). The Direct3D run
# has a stand-in bass.dll beside it whose log shows the audio calls.
# Screenshots, references and differences stay in build/wine-check/.
#
# Wine accepts the game's first DirectDraw depth, 32 bits, so the 16- and 8-bit paths are
# not reached here; the Linux layer checks them (KESTRIX_DISPLAY_DEPTHS).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/wine-check
run_dir=$root/build/windows/run
linux_build=${KESTRIX_LINUX_BUILD:-build/test-release}

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f s", b - a }'; }

jobs=$(nproc 2>/dev/null || echo 2)
start=$(now)
cmake --no-warn-unused-cli -S . -B build/windows -G Ninja -DKESTRIX_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j "$jobs"
echo "cross build: $(since "$start")"

# The reference: the first frame as the Linux build composes it.
cmake -S . -B "$linux_build" -G Ninja -DKESTRIX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$linux_build" -j "$jobs" --target kestrix-snapshot
rm -rf "$out"
mkdir -p "$out"
(cd assets && "$root/$linux_build/tools/kestrix-snapshot" "$out/linux-frame.png" </dev/null)

# A copy of the game with a stand-in bass.dll beside it that logs the calls made to it;
# the plain build/windows/run has none, so the game there runs silent.
mkdir -p "$out/with-bass"
cp "$run_dir"/* "$out/with-bass/"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -Iplatform/bass/include -shared \
  -static -s -o "$out/with-bass/bass.dll" tests/wine/bass_log_dll.cpp

# One X server of its own for the whole check (its number picked by the server itself, so
# other X servers on the machine do not matter); the game's modes fit in its 1024×768.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" 2>"$out/xvfb.log" &
xvfb_pid=$!
cleanup() {
  [ -z "${WINEPREFIX:-}" ] || timeout 30 wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$out/display" ] && break
  sleep 0.1
done
[ -s "$out/display" ] || { cat "$out/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$out/display")

export WINEPREFIX=$root/build/wine-prefix
export WINEDEBUG=-all
# No debugger (a crash would wait in it forever), no Mono or Gecko installers, no menus.
base_overrides="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d"
export WINEDLLOVERRIDES=$base_overrides

start=$(now)
rm -rf "$WINEPREFIX"
timeout 180 wineboot -i >"$out/wineboot.log" 2>&1
# A virtual desktop: plain Xvfb has one screen mode, and Wine refuses full-screen mode
# changes without one.
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
timeout 60 wineserver -w
echo "Wine prefix: $(since "$start")"

# The frame converters' rows as built for Windows, the AVX2 and AVX-512 ones too where the
# processor has them: the game itself only reaches them at 16 bits, which Wine is not asked for.
start=$(now)
if timeout 300 wine build/windows/convert-rows-check.exe >"$out/convert-rows.log" 2>&1; then
  echo "convert rows: $(tr -d '\r' <"$out/convert-rows.log") ($(since "$start"))"
else
  cat "$out/convert-rows.log" >&2
  echo "FAILED: the Windows build's converter rows differ from the reference" >&2
  exit 1
fi

# The Direct3D reference: the frame drawn as the display library draws its quad. The quad
# (±1 at z 1.15, seen from z −1.25 through a 45° field of view) reaches ±cot(22.5°)/2.4 =
# ±1.00592 of the screen, so it overfills the 800×600 back buffer by 2.37 pixels on each
# side and 1.78 above and below; Direct3D 8 samples at whole pixel positions, half a pixel
# before the centres; the texture is filtered linearly.
awk 'BEGIN {
  k = 1 / (sin(atan2(1, 1) / 2) / cos(atan2(1, 1) / 2) * 2.4)
  printf "%.6f,0,0,%.6f,%.5f,%.5f\n", 2.5 * k, 2.5 * k, 400 * (1 - k) + 0.5, 300 * (1 - k) + 0.5
}' >"$out/d3d-geometry.txt"
convert "$out/linux-frame.png" -filter point -interpolate bilinear -virtual-pixel edge \
  -define distort:viewport=800x600+0+0 +distort AffineProjection "$(cat "$out/d3d-geometry.txt")" +repage \
  "$out/linux-frame-d3d.png"

# differing <a> <b> <fuzz>: how many pixels differ by more than fuzz.
differing() {
  local count
  count=$(compare -metric AE -fuzz "$3" "$1" "$2" null: 2>&1 || true)
  count=${count%% *}
  # A failed comparison (a missing picture, another size) counts as all different.
  if [[ $count =~ ^[0-9.e+]+$ ]]; then printf '%.0f\n' "$count"; else echo 999999999; fi
}
# rmse <a> <b>: the normalised root-mean-square difference, 0 to 1.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true; }

# shot <name> <width> <height>: the screen's top-left corner, where the virtual desktop
# shows the mode.
shot() {
  import -window root "$out/$1-screen.png"
  convert "$out/$1-screen.png" -crop "$2x$3+0+0" +repage "$out/$1.png"
}

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# check_run <name> <folder> <extra overrides> <width> <height> <reference> <fuzz> <allowed pixels>
check_run() {
  local name=$1 folder=$2 overrides=$3 width=$4 height=$5 reference=$6 fuzz=$7 allowed=$8
  local started pid status differ moved box
  started=$(now)
  (cd "$folder" && WINEDLLOVERRIDES="$base_overrides${overrides:+;$overrides}" timeout 240 wine kestrix-example.exe \
    >"$out/$name.log" 2>&1) &
  pid=$!

  # The first frame, once drawn: poll, as a fixed wait can catch a black screen under load.
  differ=-1
  for _ in $(seq 60); do
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || break
    shot "$name-start" "$width" "$height"
    differ=$(differing "$out/$name-start.png" "$reference" "$fuzz")
    [ "$differ" -le "$allowed" ] && break
  done
  echo "$name: first frame after $(since "$started"): $differ pixels beyond $fuzz" \
    "(at most $allowed), RMSE $(rmse "$out/$name-start.png" "$reference")"
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" && status=0 || status=$?
    fail "$name: the program ended early with code $status; see $out/$name.log"
    return
  fi
  [ "$differ" -ge 0 ] && [ "$differ" -le "$allowed" ] || fail "$name: the first frame differs from $reference"

  # Right held: the player walks; only the bottom band, where he stands, changes. The
  # keyboard follows the pointer (there is no window manager): put it on the game.
  xdotool mousemove $((width / 2)) $((height / 2))
  xdotool keydown Right
  sleep 0.5
  xdotool keyup Right
  sleep 0.5
  shot "$name-right" "$width" "$height"
  moved=$(differing "$out/$name-start.png" "$out/$name-right.png" "$fuzz")
  compare -fuzz "$fuzz" -highlight-color white -lowlight-color black \
    "$out/$name-start.png" "$out/$name-right.png" "$out/$name-right-diff.png" 2>/dev/null || true
  box=$(convert "$out/$name-right-diff.png" -format '%@' info:)
  echo "$name: after Right: $moved pixels changed, within $box"
  local top=${box##*+}
  [ "$moved" -gt 20 ] && [ "$top" -ge $((height * 3 / 4)) ] || fail "$name: Right did not walk the player"

  # Up: a jump, which plays the jump sound.
  xdotool keydown Up
  sleep 0.1
  xdotool keyup Up
  sleep 0.3

  started=$(now)
  xdotool key Escape
  wait "$pid" && status=0 || status=$?
  echo "$name: exit code $status, $(since "$started") after Escape"
  [ "$status" -eq 0 ] || fail "$name: exit code $status after Escape (124: did not end)"
}

# Direct3D 8 at 800×600, linearly filtered: each pixel may differ a little by the
# renderer's rounding; 3% fuzz with at most 0.1% of the pixels beyond it (walking right
# changes ~1800 of them).
start=$(now)
check_run d3d "$out/with-bass" "" 800 600 "$out/linux-frame-d3d.png" 3% 480
echo "d3d run: $(since "$start")"

# The audio calls of that run, through the DLL beside the program: the start-up's, in its
# order; the jump sound; at Escape, the output stopped and freed.
calls=$out/with-bass/bass-calls.log
expected_start="BASS_Init -1 44100 0
BASS_MusicLoad cagadon.it 1
BASS_Init -1 44100 0
BASS_StreamCreateFile saltito.mp3 0
BASS_Start
BASS_MusicPlayEx 1 0 -1 1"
if [ ! -s "$calls" ]; then
  fail "d3d: no call reached bass.dll"
else
  echo "d3d: bass.dll got $(wc -l <"$calls") calls: $(tr '\n' ';' <"$calls")"
  [ "$(head -n 6 "$calls")" = "$expected_start" ] || fail "d3d: the start-up's audio calls differ from: $expected_start"
  tail -n +7 "$calls" | grep -qx "BASS_StreamPlay 2 0 0" || fail "d3d: the jump played no sound"
  [ "$(tail -n 2 "$calls" | tr '\n' ' ')" = "BASS_Stop BASS_Free " ] || fail "d3d: Escape did not stop and free the audio"
fi

# DirectDraw 7 at 320×240, 32 bits: a straight copy of the frame, so every pixel matches.
start=$(now)
check_run ddraw32 "$run_dir" "d3d8=" 320 240 "$out/linux-frame.png" 0 0
echo "ddraw32 run: $(since "$start")"

if [ $failures -ne 0 ]; then
  echo "The Wine check failed ($failures); screenshots in $out" >&2
  exit 1
fi
echo "The Windows program runs under Wine on Direct3D 8 and DirectDraw (32 bits); screenshots in $out"
