#!/usr/bin/env bash
# Builds and runs every test: the game and the library compiled against the real Windows
# SDK headers (mingw-w64), and the Windows program cross-built and run under Wine; a
# warnings-as-errors build with every test; the unit tests under AddressSanitizer with
# UndefinedBehaviorSanitizer; the threaded ones under ThreadSanitizer; both sanitizer
# builds also play a scripted session of the real game under Xvfb; the fuzz targets, each
# for a minute (the PCX loader, the opener, and the tools' PPM, archive and key-script
# readers); the library installed as a package, the examples built against it three ways
# and run under Xvfb. KESTRIX_TEST_CONFIGS picks a subset, e.g. "release asan"; "web" (not
# in the default list) builds the game's page and plays it in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)
configs=${KESTRIX_TEST_CONFIGS:-"windows release asan tsan fuzz package"}

build() {  # build <dir> <cmake options...>
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DKESTRIX_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

for config in $configs; do
  echo "=== $config"
  case $config in
    windows)
      scripts/check-windows-headers.sh
      if command -v wine >/dev/null; then
        scripts/check-wine.sh
      else
        echo "wine is not installed: the Windows program is neither built nor run"
      fi
      ;;
    release)
      build build/test-release -DCMAKE_BUILD_TYPE=RelWithDebInfo
      ctest --test-dir build/test-release --output-on-failure -j "$jobs"
      ;;
    asan)
      build build/test-asan -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=address,undefined -DKESTRIX_BENCH=OFF
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build/test-asan --output-on-failure -j "$jobs" -L 'unit|session'
      ;;
    tsan)
      build build/test-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIX_SANITIZE=thread -DKESTRIX_BENCH=OFF
      TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        ctest --test-dir build/test-tsan --output-on-failure -j "$jobs" -L 'threads|session'
      ;;
    fuzz)
      # libFuzzer needs clang; only the fuzz targets and their seed writer are built.
      cmake -S . -B build/test-fuzz -G Ninja -DKESTRIX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKESTRIX_FUZZ=ON -DKESTRIX_TESTS=OFF \
        -DKESTRIX_BENCH=OFF >/dev/null
      cmake --build build/test-fuzz -j "$jobs" --target fuzz_pcx fuzz_resource fuzz_ppm fuzz_pak fuzz_keys fuzz_seeds
      fuzz_dir=$PWD/build/test-fuzz/fuzz
      "$fuzz_dir/fuzz_seeds" "$fuzz_dir/seeds"
      for target in pcx resource ppm pak keys; do
        rm -rf "$fuzz_dir/corpus-$target"
        mkdir -p "$fuzz_dir/corpus-$target"
        # Any finding (crash, sanitizer report, leak, timeout) ends the run with non-zero.
        log=$fuzz_dir/fuzz_$target.log
        if ! "$fuzz_dir/fuzz_$target" -max_total_time="${KESTRIX_FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 \
          -print_final_stats=1 -artifact_prefix="$fuzz_dir/finding-$target-" \
          "$fuzz_dir/corpus-$target" "$fuzz_dir/seeds/$target" >"$log" 2>&1; then
          tail -n 60 "$log" >&2
          echo "fuzz_$target found a fault: see $log and $fuzz_dir/finding-$target-*" >&2
          exit 1
        fi
        echo "fuzz_$target: $(grep -E '^Done ' "$log")"
      done
      ;;
    package)
      scripts/check-package.sh
      ;;
    web)
      scripts/web.sh test
      ;;
    *)
      echo "unknown configuration: $config" >&2
      exit 2
      ;;
  esac
done
echo "All tests passed."
