#include "platform/directx/pixel_formats.h"

#include <cstring>

namespace platform::directx {
namespace {

std::uint32_t widen5(std::uint32_t v) { return (v << 3) | (v >> 2); }
std::uint32_t widen6(std::uint32_t v) { return (v << 2) | (v >> 4); }

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 16) | (g << 8) | b; }

}  // namespace

DWORD bytesPerPixel(ModeFormat format) { return format.bits / 8; }

DDPIXELFORMAT describe(ModeFormat format) {
  DDPIXELFORMAT description{};
  description.dwSize = sizeof(DDPIXELFORMAT);
  description.dwRGBBitCount = format.bits;
  if (format.bits == 8) {
    description.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    return description;
  }
  description.dwFlags = DDPF_RGB;
  if (format.bits == 16 && format.rgb555) {
    description.dwRBitMask = 0x7C00;
    description.dwGBitMask = 0x03E0;
    description.dwBBitMask = 0x001F;
  } else if (format.bits == 16) {
    description.dwRBitMask = 0xF800;
    description.dwGBitMask = 0x07E0;
    description.dwBBitMask = 0x001F;
  } else {
    description.dwRBitMask = 0xFF0000;
    description.dwGBitMask = 0x00FF00;
    description.dwBBitMask = 0x0000FF;
  }
  return description;
}

bool describes(const DDPIXELFORMAT& description, ModeFormat format) {
  const DDPIXELFORMAT own = describe(format);
  const DWORD kind = DDPF_RGB | DDPF_PALETTEINDEXED8;
  return description.dwRGBBitCount == own.dwRGBBitCount && (description.dwFlags & kind) == own.dwFlags &&
         description.dwRBitMask == own.dwRBitMask && description.dwGBitMask == own.dwGBitMask &&
         description.dwBBitMask == own.dwBBitMask;
}

void rowToRgb(const std::uint8_t* row, std::uint32_t* out, int width, ModeFormat format, const std::uint32_t* palette) {
  switch (format.bits) {
    case 32:
      for (int x = 0; x < width; ++x) {
        std::uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        out[x] = p & 0x00FFFFFF;
      }
      break;
    case 24:
      for (int x = 0; x < width; ++x) out[x] = rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = row[2 * x] | (row[2 * x + 1] << 8);
        if (format.rgb555) {
          out[x] = rgb(widen5((p >> 10) & 31), widen5((p >> 5) & 31), widen5(p & 31));
        } else {
          out[x] = rgb(widen5(p >> 11), widen6((p >> 5) & 63), widen5(p & 31));
        }
      }
      break;
    case 8:
      for (int x = 0; x < width; ++x) out[x] = palette[row[x]];
      break;
    default: break;
  }
}

}  // namespace platform::directx
