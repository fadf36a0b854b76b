// 0x00RRGGBB pictures as 8-bit RGB PNG files, made in memory.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The first bytes of every PNG file.
constexpr std::string_view pngSignature{"\x89PNG\r\n\x1a\n", 8};

// Throws std::runtime_error when libpng fails.
std::vector<unsigned char> encodePng(const std::uint32_t* pixels, int width, int height);
