#!/usr/bin/env bash
# Plays the built game under Xvfb on each display path for SECONDS (default 30), pressing a
# key now and then, and prints the figures the program writes at exit (KESTRIX_STATS):
# frames per second, CPU per frame, peak memory, start-up to first frame, tick periods and
# key-to-screen times, refreshes missed; then a table of the main figures. Needs a build of
# kestrix-example in build/release (./run.sh makes it), or the run folder KESTRIX_RUN_DIR.
#   scripts/measure-game.sh [SECONDS] [PATH...]   paths: d3d d3d-soft dd32 dd24 dd16 dd8, and
#   d3d-renderer: Direct3D through SDL's renderer even where it works on the CPU
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${KESTRIX_UNDER_XVFB:-}" ]; then
  KESTRIX_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
seconds=${1:-30}
shift || true
paths=${*:-"d3d d3d-soft dd32 dd24 dd16 dd8"}
run_dir=${KESTRIX_RUN_DIR:-$PWD/build/release/run}
out_dir=${KESTRIX_MEASURE_DIR:-$PWD/build/measure}
mkdir -p "$out_dir"

for path in $paths; do
  env=(SDL_AUDIODRIVER=dummy)
  case $path in
    d3d) ;;
    d3d-soft) env+=(SDL_RENDER_DRIVER=software) ;;
    d3d-renderer) env+=(KESTRIX_DIRECT3D_SOFTWARE=0) ;;
    dd32) env+=(KESTRIX_DIRECT3D=0) ;;
    dd24) env+=(KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=24) ;;
    dd16) env+=(KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=16) ;;
    dd8) env+=(KESTRIX_DIRECT3D=0 KESTRIX_DISPLAY_DEPTHS=8) ;;
    *) echo "unknown path: $path" >&2; exit 2 ;;
  esac
  stats=$out_dir/$path.txt
  rm -f "$stats"
  (cd "$run_dir" && exec env "${env[@]}" KESTRIX_STATS="$stats" ./kestrix-example) &
  game=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --name "Ejemplo de Kestrix" 2>/dev/null | head -n1) && [ -n "$window" ] && break
    sleep 0.1
  done
  end=$((SECONDS + seconds))
  keys=(Right Left Up space)
  i=0
  while [ $SECONDS -lt "$end" ]; do
    xdotool key --delay 0 "${keys[$((i % 4))]}" || true
    i=$((i + 1))
    sleep 0.25
  done
  xdotool key Escape
  status=0
  wait "$game" || status=$?
  echo "== $path (exit $status)"
  tr '\n' ' ' <"$stats"
  echo
done

figure() { awk -v name="$2" '$1 == name { print $2 }' "$out_dir/$1.txt"; }
printf '\n%-9s %8s %18s %18s %16s\n' path fps cpu_per_frame_ms key_to_screen_ms missed_refreshes
for path in $paths; do
  printf '%-9s %8s %18s %18s %16s\n' "$path" "$(figure "$path" fps)" "$(figure "$path" process_cpu_per_frame_ms)" \
    "$(figure "$path" key_to_screen_median_ms)" "$(figure "$path" missed_refreshes)"
done
