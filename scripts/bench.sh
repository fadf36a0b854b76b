#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them: every one, or those whose program name
# contains the first argument. Further arguments go to Google Benchmark, e.g.
#   scripts/bench.sh blit --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
filter=${1:-}
[ $# -gt 0 ] && shift
# Only the programs asked for are built: the machine may be shared.
programs=()
for source in bench/bench_*.cpp; do
  name=$(basename "$source" .cpp)
  case $name in *"$filter"*) programs+=("$name") ;; esac
done
[ ${#programs[@]} -gt 0 ] || { echo "no benchmark program matches '$filter'" >&2; exit 2; }
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_TESTS=OFF >/dev/null
cmake --build build/bench --target "${programs[@]}"
for name in "${programs[@]}"; do
  echo "=== $name"
  "build/bench/bench/$name" "$@"
done
