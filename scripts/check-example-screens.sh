#!/usr/bin/env bash
# Runs example programs on the X server of its environment (Xvfb) and checks that the screen
# shows what each program drew: on Direct3D 8, and on DirectDraw at 8 bits.
#   check-example-screens.sh OUT PROGRAM...   (each PROGRAM in WAY/EXAMPLE/, started there)
# The layer writes every screen it shows to KESTRIX_SCREEN_FILE (Direct3D: the 800×600 back
# buffer; DirectDraw: the 320×240 mode in RGB). The program is held still (SIGSTOP) while a
# screenshot is taken and that file copied, then let go; this repeats until the two agree,
# within a deadline: the program may have been stopped between drawing a screen and showing
# it. Direct3D's back buffer is scaled to the screen keeping its aspect, filtered linearly,
# so its pixels may differ a little; DirectDraw shows each pixel as a whole square, exactly.
# Then Right is held, which must change the screen, and Escape must end the program with 0.
set -euo pipefail
out=$1
shift
mkdir -p "$out"
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

now() { date +%s.%N; }
before() { awk -v end="$1" -v t="$(now)" 'BEGIN { exit !(t < end) }'; }
deadline() { awk -v s="$1" -v t="$(now)" 'BEGIN { printf "%.3f", t + s }'; }

# differing <a> <b> <fuzz>: how many pixels differ by more than fuzz (all of them when the
# comparison fails, e.g. for pictures of different sizes).
differing() {
  local count
  count=$(compare -metric AE -fuzz "$3" "$1" "$2" null: 2>&1 || true)
  count=${count%% *}
  if [[ $count =~ ^[0-9.e+]+$ ]]; then printf '%.0f\n' "$count"; else echo 999999999; fi
}

# expected <capture> <screenshot> <whole> <result>: the screen the capture should give on a
# screen of the screenshot's size: scaled to fit keeping its aspect (by a whole factor when
# whole is 1), centred on black.
expected() {
  local screen scaled place filter=Triangle
  screen=$(identify -format '%wx%h' "$2")
  read -r scaled place < <(identify -format "%w %h ${screen/x/ }" "$1" | awk -v whole="$3" '{
    f = $3 / $1; if ($4 / $2 < f) f = $4 / $2; if (whole) f = int(f)
    w = int($1 * f + 0.5); h = int($2 * f + 0.5)
    printf "%dx%d +%d+%d\n", w, h, ($3 - w) / 2, ($4 - h) / 2 }')
  [ "$3" = 1 ] && filter=Point
  convert -size "$screen" xc:black \( "$1" -filter "$filter" -resize "$scaled!" \) -geometry "$place" -composite "$4"
}

# run <name> <program> <whole> <fuzz> <allowed> <settings...>
run() {
  local name=$1 program=$2 whole=$3 fuzz=$4 allowed=$5
  shift 5
  local capture=$out/$name-screen.ppm
  rm -f "$capture"
  env -C "$(dirname "$program")" KESTRIX_SCREEN_FILE="$capture" "$@" "./$(basename "$program")" \
    >"$out/$name.log" 2>&1 &
  local pid=$! end differ=-1 status
  end=$(deadline 30)
  while before "$end" && kill -0 "$pid" 2>/dev/null; do
    if [ -s "$capture" ]; then
      kill -STOP "$pid"
      import -window root "$out/$name-shot.png"
      cp "$capture" "$out/$name-drawn.ppm"
      kill -CONT "$pid"
      expected "$out/$name-drawn.ppm" "$out/$name-shot.png" "$whole" "$out/$name-expected.png"
      differ=$(differing "$out/$name-shot.png" "$out/$name-expected.png" "$fuzz")
      [ "$differ" -le "$allowed" ] && break
    fi
    sleep 0.2
  done
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" && status=0 || status=$?
    fail "$name: ended with code $status before the check; see $out/$name.log"
    return
  fi
  echo "$name: screen of $(identify -format '%wx%h, %k colours' "$out/$name-drawn.ppm"): $differ pixels" \
    "of the screenshot beyond $fuzz (at most $allowed)"
  [ "$differ" -ge 0 ] && [ "$differ" -le "$allowed" ] || fail "$name: the screen is not what the program drew"

  # The keyboard follows the pointer where no window manager runs: put it on the program.
  xdotool mousemove 512 384 keydown Right sleep 0.3 keyup Right
  sleep 0.3
  cp "$capture" "$out/$name-moved.ppm"
  [ "$(differing "$out/$name-drawn.ppm" "$out/$name-moved.ppm" 0)" -gt 0 ] || fail "$name: Right changed nothing"

  xdotool key Escape
  end=$(deadline 15)
  while before "$end" && kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "$name: Escape did not end it"
  fi
  wait "$pid" && status=0 || status=$?
  [ "$status" -eq 0 ] || fail "$name: exit code $status after Escape; see $out/$name.log"
}

for program in "$@"; do
  name=$(basename "$(dirname "$(dirname "$program")")")-$(basename "$program")  # way-example
  # Direct3D 8 at 800×600; the screen is the back buffer scaled by 1.28, filtered: a
  # renderer's rounding may put a few pixels (at most 0.01%) 2% off.
  run "$name-direct3d" "$program" 0 2% 80
  [ "$(identify -format '%wx%h' "$out/$name-direct3d-drawn.ppm" 2>/dev/null)" = 800x600 ] ||
    fail "$name-direct3d: not on Direct3D's 800x600 back buffer"
  # DirectDraw at 8 bits, dithered into the 3-3-2 palette; each pixel a 3×3 square.
  run "$name-directdraw8" "$program" 1 0 0 KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=8
  [ "$(identify -format '%wx%h' "$out/$name-directdraw8-drawn.ppm" 2>/dev/null)" = 320x240 ] ||
    fail "$name-directdraw8: not on DirectDraw's 320x240 mode"
  [ "$(identify -format '%k' "$out/$name-directdraw8-drawn.ppm" 2>/dev/null)" -le 256 ] ||
    fail "$name-directdraw8: more colours than an 8-bit mode shows"
done

if [ $failures -ne 0 ]; then
  echo "$failures checks of the example screens failed; pictures in $out" >&2
  exit 1
fi
echo "Each example showed what it drew, on Direct3D 8 and on DirectDraw at 8 bits."
