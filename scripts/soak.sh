#!/usr/bin/env bash
# A long game under Xvfb with random keys (run by hand, not in CI): samples the game's
# resident memory every 30 seconds, ends it with Escape and prints its exit code and the
# figures it measured of itself. Needs build/release (./run.sh makes it).
#   scripts/soak.sh [MINUTES] [SETTING=value...]   e.g. scripts/soak.sh 10 KESTRIX_DIRECT3D=0
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${KESTRIX_UNDER_XVFB:-}" ]; then
  KESTRIX_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
minutes=${1:-10}
shift || true
out=$PWD/build/soak
mkdir -p "$out"
stats=$out/stats.txt
rm -f "$stats"
(cd build/release/run && exec env SDL_AUDIODRIVER=dummy KESTRIX_STATS="$stats" "$@" ./kestrix-example) \
  2>"$out/stderr.txt" &
game=$!
sleep 2
rss() { awk '/VmRSS/ {print $2}' "/proc/$game/status"; }
echo "start: $(rss) kB"
keys=(Left Right Up space)
end=$((SECONDS + minutes * 60))
next_sample=$((SECONDS + 30))
while [ $SECONDS -lt $end ]; do
  key=${keys[$((RANDOM % 4))]}
  xdotool keydown "$key"
  sleep "0.$((RANDOM % 5))$((RANDOM % 10))"
  xdotool keyup "$key"
  if [ $SECONDS -ge $next_sample ]; then
    echo "$((SECONDS / 60))m$((SECONDS % 60))s: $(rss) kB"
    next_sample=$((next_sample + 30))
  fi
done
xdotool key Escape
status=0
wait "$game" || status=$?
echo "exit code $status"
cat "$stats"
