// What the processor running the program offers beyond the base instruction set, asked at
// run time: a loop built for wider instructions (through a function attribute) is called
// only where its check here holds. Every check is false where the build is not for x86.
#pragma once

namespace base {

bool hasSsse3();     // SSSE3: byte shuffles in the 16-byte registers
bool hasAvx2();      // AVX2: integer work in the 32-byte registers
bool hasAvx512bw();  // AVX-512F and AVX-512BW: byte and word work in the 64-byte registers

}  // namespace base
