#!/usr/bin/env bash
# Builds and runs every test: a warnings-as-errors build, then the same tests under
# AddressSanitizer with UndefinedBehaviorSanitizer, then the threaded ones under
# ThreadSanitizer. KESTRIX_TEST_CONFIGS picks a subset, e.g. "release asan".
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)
configs=${KESTRIX_TEST_CONFIGS:-"release asan tsan"}

build() {  # build <dir> <cmake options...>
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DKESTRIX_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

for config in $configs; do
  echo "=== $config"
  case $config in
    release)
      build build/test-release -DCMAKE_BUILD_TYPE=RelWithDebInfo
      ctest --test-dir build/test-release --output-on-failure -j "$jobs"
      ;;
    asan)
      build build/test-asan -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=address,undefined -DKESTRIX_BENCH=OFF
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build/test-asan --output-on-failure -j "$jobs" -L unit
      ;;
    tsan)
      build build/test-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIX_SANITIZE=thread -DKESTRIX_BENCH=OFF
      TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        ctest --test-dir build/test-tsan --output-on-failure -j "$jobs" -L threads
      ;;
    *)
      echo "unknown configuration: $config" >&2
      exit 2
      ;;
  esac
done
echo "All tests passed."
