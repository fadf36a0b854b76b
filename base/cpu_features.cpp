#include "base/cpu_features.h"

// The compiler's own checks, answered by GCC's runtime library (libgcc: Clang links it here
// too, and the mingw-w64 build has the same), which reads the processor's CPUID bits once.
// For AVX2 and AVX-512 they also cover the operating system: the feature counts only where
// the system saves the wider registers on a thread switch (CPUID's OSXSAVE bit, then
// XGETBV's XCR0: the SSE and AVX state for AVX2; those and the mask and 512-bit state for
// AVX-512). A processor that has the instructions under a system that does not keep their
// registers reads as lacking them. SSSE3 needs no more of the system than the base set's
// 16-byte registers.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

namespace base {

// The runtime reads the bits in a constructor of its own; a check made in another
// constructor may run before that one, so it has them read first (the second read is none).
bool hasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}

bool hasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

bool hasAvx512bw() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

}  // namespace base

#else  // not an x86 build with GCC or Clang

namespace base {

bool hasSsse3() { return false; }
bool hasAvx2() { return false; }
bool hasAvx512bw() { return false; }

}  // namespace base

#endif
