#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them: every one, or those whose program name
# contains the first argument. Further arguments go to Google Benchmark, e.g.
#   scripts/bench.sh blit --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF >/dev/null
cmake --build build/bench
filter=${1:-}
[ $# -gt 0 ] && shift
for program in build/bench/bench/bench_*; do
  [ -x "$program" ] || continue
  case $(basename "$program") in *"$filter"*) ;; *) continue ;; esac
  echo "=== $(basename "$program")"
  "$program" "$@"
done
