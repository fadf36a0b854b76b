// Writing 0x00RRGGBB pictures as 8-bit RGB PNG files.
#pragma once

#include <cstdint>
#include <string>

// Throws std::runtime_error naming the file when it cannot be written.
void writePng(const std::string& path, const std::uint32_t* pixels, int width, int height);
