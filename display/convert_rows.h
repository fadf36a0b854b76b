// The per-row converters behind convertFrame: each turns width 0x00RRGGBB pixels into
// one destination row. The plain loops are the reference for the fast ones beside them.
#pragma once

#include <cstdint>

using ConvertRow = void (*)(const std::uint32_t* source, void* destination, int width);

// Plain loops, one pixel (or one group of four) at a time.
void rowTo32Plain(const std::uint32_t* source, void* destination, int width);
void rowTo24Plain(const std::uint32_t* source, void* destination, int width);
void rowTo565Plain(const std::uint32_t* source, void* destination, int width);
void rowTo555Plain(const std::uint32_t* source, void* destination, int width);

// The same rows with SSE2: sixteen pixels at a time at 24 bits, eight at 16 bits; the rest
// of a row goes through the plain loop. Builds without SSE2 get the plain loops here.
void rowTo24Sse2(const std::uint32_t* source, void* destination, int width);
void rowTo565Sse2(const std::uint32_t* source, void* destination, int width);
void rowTo555Sse2(const std::uint32_t* source, void* destination, int width);

// The 24-bit row with SSSE3 byte shuffles, sixteen pixels at a time. Call it only where
// base::hasSsse3() holds (it is the plain loop where the build is not for x86).
void rowTo24Ssse3(const std::uint32_t* source, void* destination, int width);

// The 16-bit rows with AVX2 multiply-adds, sixteen pixels at a time. Call them only where
// base::hasAvx2() holds (they are the plain loops where the build is not for x86).
void rowTo565Avx2(const std::uint32_t* source, void* destination, int width);
void rowTo555Avx2(const std::uint32_t* source, void* destination, int width);

// The same with AVX-512BW, sixteen pixels in one register. Call them only where
// base::hasAvx512bw() holds (they are the plain loops where the build is not for x86).
void rowTo565Avx512(const std::uint32_t* source, void* destination, int width);
void rowTo555Avx512(const std::uint32_t* source, void* destination, int width);
