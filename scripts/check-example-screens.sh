#!/usr/bin/env bash
# Runs example programs on the X server of its environment (Xvfb) and checks that the screen
# shows what each program drew: on Direct3D 8, and on DirectDraw at 8 bits (paint at 32 too).
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

# shows <name> <pid> <whole> <fuzz> <allowed>: waits until the screen is what the program
# drew last, within a deadline; false when it is not, or the program ended.
shows() {
  local name=$1 pid=$2 whole=$3 fuzz=$4 allowed=$5 end differ=-1 status
  local capture=$out/$name-screen.ppm
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
    return 1
  fi
  echo "$name: screen of $(identify -format '%wx%h, %k colours' "$out/$name-drawn.ppm"): $differ pixels" \
    "of the screenshot beyond $fuzz (at most $allowed)"
  if [ "$differ" -lt 0 ] || [ "$differ" -gt "$allowed" ]; then
    fail "$name: the screen is not what the program drew"
    return 1
  fi
}

# colour <capture> <x> <y>: what the frame pixel (x, y) of paint's 480×270 frame shows in a
# screen the layer wrote (any whole multiple of the frame), told apart even when dithered
# into 3-3-2: red, blue, dark, paper or other.
colour() {
  convert "$1" -format "%[fx:int(255*p{$2*w/480,$3*h/270}.r)] %[fx:int(255*p{$2*w/480,$3*h/270}.b)]" info: |
    awk '{ r = $1; b = $2; c = "other"
      if (r > 150 && b < 120) c = "red"; else if (b > 150 && r < 100) c = "blue"
      else if (r < 100 && b < 120) c = "dark"; else if (r > 150 && b > 150) c = "paper"
      print c }'
}

# shown <name> <x> <y> <colour>: waits, within a deadline, until the frame pixel shows it.
shown() {
  local capture=$out/$1-screen.ppm end
  end=$(deadline 15)
  while before "$end"; do
    [ "$(colour "$capture" "$2" "$3" 2>/dev/null)" = "$4" ] && return 0
    sleep 0.1
  done
  return 1
}

# paint: the screen's centre is the frame's (240, 135) on both paths. A click there paints
# the first brush (round, red) under the pointer, which then leaves; two notches of the wheel
# away pick the third (square, blue). Escape asks "quit? (y/n)" over the centre, n goes on,
# Escape and y end it.
paint_checks() {
  local name=$1 pid=$2 whole=$3 fuzz=$4 allowed=$5
  xdotool mousemove 512 384 click 1 mousemove 200 650
  shown "$name" 240 135 red || fail "$name: a click did not paint the first brush under the pointer"
  xdotool click 4 click 4 mousemove 512 384 click 1 mousemove 200 650
  shown "$name" 240 135 blue || fail "$name: the wheel did not pick the third brush, or the click did not paint"
  shows "$name" "$pid" "$whole" "$fuzz" "$allowed" || return 0
  xdotool key Escape
  shown "$name" 190 135 dark || fail "$name: Escape did not ask"
  kill -0 "$pid" 2>/dev/null || fail "$name: Escape ended it without asking"
  xdotool key n
  shown "$name" 190 135 paper || fail "$name: n did not go on"
  xdotool key Escape
  shown "$name" 190 135 dark || fail "$name: Escape did not ask again"
  xdotool key y
}

# run <name> <program> <whole> <fuzz> <allowed> <settings...>
run() {
  local name=$1 program=$2 whole=$3 fuzz=$4 allowed=$5
  shift 5
  local capture=$out/$name-screen.ppm pid end status
  rm -f "$capture"
  env -C "$(dirname "$program")" KESTRIX_SCREEN_FILE="$capture" "$@" "./$(basename "$program")" \
    >"$out/$name.log" 2>&1 &
  pid=$!
  if ! shows "$name" "$pid" "$whole" "$fuzz" "$allowed"; then
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return
  fi

  # The keyboard follows the pointer where no window manager runs: put it on the program.
  xdotool mousemove 512 384
  if [ "$(basename "$program")" = paint ]; then
    paint_checks "$name" "$pid" "$whole" "$fuzz" "$allowed"
  else
    xdotool keydown Right sleep 0.3 keyup Right
    sleep 0.3
    cp "$capture" "$out/$name-moved.ppm"
    [ "$(differing "$out/$name-drawn.ppm" "$out/$name-moved.ppm" 0)" -gt 0 ] || fail "$name: Right changed nothing"
    xdotool key Escape
  fi

  end=$(deadline 15)
  while before "$end" && kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "$name: it did not end"
  fi
  wait "$pid" && status=0 || status=$?
  [ "$status" -eq 0 ] || fail "$name: exit code $status at its end; see $out/$name.log"
}

for program in "$@"; do
  name=$(basename "$(dirname "$(dirname "$program")")")-$(basename "$program")  # way-example
  buffer=800x600 mode=320x240  # paint's frame is 480×270, on a back buffer of its aspect
  [ "$(basename "$program")" = paint ] && buffer=960x540 mode=480x270
  # Direct3D 8; the screen is the back buffer scaled by 1.28 (paint's by 1.07), filtered: a
  # renderer's rounding may put a few pixels (at most 0.01%) 2% off.
  run "$name-direct3d" "$program" 0 2% 80
  [ "$(identify -format '%wx%h' "$out/$name-direct3d-drawn.ppm" 2>/dev/null)" = $buffer ] ||
    fail "$name-direct3d: not on Direct3D's $buffer back buffer"
  # DirectDraw at 8 bits, dithered into the 3-3-2 palette; each pixel a 3×3 square (paint's 2×2).
  run "$name-directdraw8" "$program" 1 0 0 KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=8
  [ "$(identify -format '%wx%h' "$out/$name-directdraw8-drawn.ppm" 2>/dev/null)" = $mode ] ||
    fail "$name-directdraw8: not on DirectDraw's $mode mode"
  [ "$(identify -format '%k' "$out/$name-directdraw8-drawn.ppm" 2>/dev/null)" -le 256 ] ||
    fail "$name-directdraw8: more colours than an 8-bit mode shows"
  # Paint, the program of another frame size, also on DirectDraw at 32 bits: exactly its frame.
  if [ "$(basename "$program")" = paint ]; then
    run "$name-directdraw32" "$program" 1 0 0 KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=32
  fi
done

if [ $failures -ne 0 ]; then
  echo "$failures checks of the example screens failed; pictures in $out" >&2
  exit 1
fi
echo "Each example showed what it drew, on Direct3D 8 and on DirectDraw at 8 bits (paint at 32 too)."
