#include "tests/e2e/frame_match.h"

#include <algorithm>
#include <cstdlib>

#include "display/convert.h"
#include "display/display.h"
#include "display/resource.h"
#include "game/assets.h"
#include "game/level_map.h"
#include "platform/directx/pixel_formats.h"

namespace e2e {
namespace {

constexpr int width = 320;
constexpr int height = 240;

}  // namespace

std::vector<DisplayPath> everyDisplayPath() {
  return {
      {"Direct3D", {}, 0, false},
      {"DirectDraw32", {"KESTRIX_DIRECT3D=0"}, 32, false},
      {"DirectDraw24", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=24,16,8"}, 24, false},
      {"DirectDraw16", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=16,8"}, 16, false},
      {"DirectDraw16_555", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=16", "KESTRIX_16BIT=555"}, 16, true},
      {"DirectDraw8", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=8"}, 8, false},
  };
}

const DisplayPath& directDraw32() {
  static const DisplayPath path = everyDisplayPath()[1];
  return path;
}

void loadExpectedPictures() {
  if (assets != nullptr) return;
  static std::string archive = std::string(KESTRIX_ASSETS_DIR) + "/kestrix.pak";
  archivePath = archive.c_str();
  loadAssets();
}

Frame composeFor(const Player& state, const std::vector<Bubble>& bubbles) {
  loadExpectedPictures();
  *player = state;
  for (Bubble& slot : bubblePool->slots) slot = Bubble{freeSlotMarker, freeSlotMarker, 0, 0};
  for (std::size_t i = 0; i < bubbles.size() && i < bubblePoolSize; ++i) bubblePool->slots[i] = bubbles[i];
  const std::uint32_t* frame = composeFrame();
  return Frame(frame, frame + width * height);
}

Frame asShownOn(const Frame& frame, const DisplayPath& path) {
  if (path.depth == 0) return frame;
  const DisplaySettings saved = displaySettings;
  displaySettings.displayDepth = path.depth;
  displaySettings.green6Bit = path.rgb555 ? 0 : 1;
  const int bytes = path.depth == 24 ? 3 : path.depth / 8;
  std::vector<std::uint8_t> surface(static_cast<std::size_t>(width) * bytes * height);
  convertFrame(frame.data(), surface.data(), width * bytes);
  displaySettings = saved;

  // The 3-3-2 palette as the display holds it: DirectDraw keeps entries 0 and 255 for
  // black and white.
  PALETTEENTRY entries[256];
  fillPalette332(entries);
  std::uint32_t palette[256];
  for (int i = 0; i < 256; ++i) {
    palette[i] = std::uint32_t{entries[i].peRed} << 16 | std::uint32_t{entries[i].peGreen} << 8 | entries[i].peBlue;
  }
  palette[0] = 0x000000;
  palette[255] = 0xFFFFFF;

  Frame shown(frame.size());
  const platform::directx::ModeFormat format{static_cast<DWORD>(path.depth), path.rgb555};
  for (int y = 0; y < height; ++y) {
    platform::directx::rowToRgb(surface.data() + static_cast<std::size_t>(y) * width * bytes,
                                shown.data() + static_cast<std::size_t>(y) * width, width, format, palette);
  }
  return shown;
}

Frame frameOnScreen(const Screen& screen, const DisplayPath& path) {
  Frame frame(static_cast<std::size_t>(width) * height);
  if (path.depth != 0) {
    const int factor = std::max(1, std::min(screen.width / width, screen.height / height));
    const int left = (screen.width - width * factor) / 2;
    const int top = (screen.height - height * factor) / 2;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) frame[y * width + x] = screen.at(left + x * factor + factor / 2, top + y * factor + factor / 2);
    }
    return frame;
  }
  const double scale = std::min(screen.width / 800.0, screen.height / 600.0);
  const double left = (screen.width - 800 * scale) / 2;
  const double top = (screen.height - 600 * scale) / 2;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // The middle of the frame pixel: 2.5 device pixels to a frame pixel.
      const int sx = static_cast<int>(left + (x + 0.5) * 2.5 * scale);
      const int sy = static_cast<int>(top + (y + 0.5) * 2.5 * scale);
      frame[y * width + x] = screen.at(std::min(sx, screen.width - 1), std::min(sy, screen.height - 1));
    }
  }
  return frame;
}

int mismatches(const Frame& shown, const Frame& expected, const DisplayPath& path) {
  int count = 0;
  if (path.depth != 0) {
    for (std::size_t i = 0; i < shown.size(); ++i) count += shown[i] != expected[i];
    return count;
  }
  // Direct3D's linear filter mixes a pixel with its neighbours: each channel shown must lie
  // within the range of that channel around the expected pixel, give or take a little.
  constexpr int slack = 8;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = shown[y * width + x];
      for (int shift = 0; shift < 24; shift += 8) {
        int low = 255;
        int high = 0;
        for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
          for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
            const int channel = static_cast<int>((expected[ny * width + nx] >> shift) & 0xFF);
            low = std::min(low, channel);
            high = std::max(high, channel);
          }
        }
        const int value = static_cast<int>((pixel >> shift) & 0xFF);
        if (value < low - slack || value > high + slack) {
          ++count;
          break;
        }
      }
    }
  }
  return count;
}

int allowedMismatches(const DisplayPath& path) { return path.depth == 0 ? width * height / 200 : 0; }

PlayerSeen findPlayer(const Frame& shown, const DisplayPath& path, int xLow, int xHigh, int yLow, int yHigh) {
  PlayerSeen best;
  for (int y = yLow; y <= yHigh; ++y) {
    for (int x = xLow; x <= xHigh; ++x) {
      for (int facing : {1, -1}) {
        for (int fire : {0, 1}) {
          Player candidate;
          candidate.x = x;
          candidate.y = y;
          candidate.facing = facing;
          candidate.fireTimer = fire;
          const int count = mismatches(shown, asShownOn(composeFor(candidate), path), path);
          if (count < best.mismatches) best = PlayerSeen{candidate, count};
        }
      }
    }
  }
  return best;
}

PlayerSeen findPlayerOnTheFloor(const Frame& shown, const DisplayPath& path) {
  Player away;
  away.x = -100;
  const Frame empty = asShownOn(composeFor(away), path);
  // Direct3D's filter spreads an edge over a pixel or two: only clear differences count.
  // The walls (one block each side) are never walked into.
  const int threshold = path.depth == 0 ? 48 : 0;
  for (int x = levelCellSize; x < width - levelCellSize; ++x) {
    for (int y = 231 - spriteSize; y < 231; ++y) {
      const std::uint32_t a = shown[y * width + x];
      const std::uint32_t b = empty[y * width + x];
      for (int shift = 0; shift < 24; shift += 8) {
        const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(difference) > threshold) {
          // The sprite's first drawn column lies up to a sprite's width right of the
          // player's x; at 8 bits the dither carries a change down and to the left too.
          return findPlayer(shown, path, std::max(0, x - spriteSize), x + spriteSize, 231, 231);
        }
      }
    }
  }
  return PlayerSeen{};
}

bool bubbleShown(const Frame& shown) {
  loadExpectedPictures();
  const std::uint32_t* sprite = assets->bubble;
  for (int top = 0; top + spriteSize <= height; ++top) {
    for (int left = 0; left + spriteSize <= width; ++left) {
      bool all = true;
      for (int i = 0; i < spriteSize * spriteSize && all; ++i) {
        if (sprite[i] == 0) continue;
        all = shown[(top + i / spriteSize) * width + left + i % spriteSize] == sprite[i];
      }
      if (all) return true;
    }
  }
  return false;
}

}  // namespace e2e
