// The two loops behind ditherTo332. The plain one runs over two static rows of 32-bit error
// slots exactly as the shares are laid out, and is the reference. The SSE2 one holds the
// three channels of a pixel in one register, carries each row's open shares in registers
// and works on two rows at once; ditherTo332 uses it where SSE2 is built in. Both take ditherTo332's
// arguments, write the same bytes and keep to the same limits.
#pragma once

#include <windows.h>

#include <cstdint>

void ditherTo332Plain(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height);

// False, with nothing written, on builds without SSE2.
bool ditherTo332Sse2(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height);
