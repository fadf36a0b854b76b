#!/usr/bin/env bash
# Compiles the floor, the game, the display library, the audio clips and the examples against
# the real Windows SDK headers of mingw-w64 (syntax only), so the mirror headers in
# platform/include cannot drift from the real API. Only the audio library's header comes
# from this project.
set -euo pipefail
cd "$(dirname "$0")/.."
compiler=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
status=0
# base/output_file.cpp is plain POSIX: the Windows program writes no files.
for source in $(ls base/*.cpp | grep -v output_file) game/*.cpp display/*.cpp audio/*.cpp examples/*/main.cpp; do
  if ! "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I. -Iplatform/bass/include "$source"; then
    echo "does not compile against the Windows SDK: $source" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "base/, game/, display/, audio/ and examples/ compile against the Windows SDK headers."
exit $status
