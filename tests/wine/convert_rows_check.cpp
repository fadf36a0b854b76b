// The frame converters' rows as the Windows program runs them, where GCC cannot align the
// stack for the AVX2 and AVX-512 rows' spills: every row the processor has, over all 2^24
// colours, against the reference. Run under Wine by scripts/check-wine.sh; exit 1 on a fault.
#include <cstdio>

#include "tests/support/convert_reference.h"

int main() {
  const std::string fault = convertcheck::firstFault();
  if (!fault.empty()) {
    std::fprintf(stderr, "convert-rows-check: %s differs from the reference\n", fault.c_str());
    return 1;
  }
  for (const convertcheck::RowLoop& loop : convertcheck::rowLoops()) if (loop.runs) std::printf("%s, ", loop.name);
  const bool written = std::printf("agree with the reference over all 2^24 colours\n") > 0;
  return written && std::fflush(stdout) == 0 ? 0 : 1;
}
