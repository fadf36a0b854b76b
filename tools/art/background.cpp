// The background: a dusk sky from deep blue to orange, stars, a crescent moon and two rows
// of hills. Integer arithmetic only, so the picture is the same on every machine.
#include <array>
#include <cstdint>

#include "tools/art/art.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

struct Rgb {
  int r, g, b;
};

std::uint32_t pack(Rgb c) {
  return static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | static_cast<std::uint32_t>(c.b);
}

struct Stop {
  int y;
  Rgb colour;
};
constexpr std::array<Stop, 5> skyStops = {{
    {0, {0x0c, 0x10, 0x30}},
    {90, {0x30, 0x20, 0x58}},
    {150, {0x7a, 0x38, 0x70}},
    {195, {0xd8, 0x68, 0x58}},
    {239, {0xf8, 0xb0, 0x68}},
}};

Rgb skyAt(int y) {
  for (std::size_t i = 0; i + 1 < skyStops.size(); ++i) {
    const Stop& a = skyStops[i];
    const Stop& b = skyStops[i + 1];
    if (y >= a.y && y <= b.y) {
      const int t = y - a.y;
      const int span = b.y - a.y;
      return {a.colour.r + (b.colour.r - a.colour.r) * t / span, a.colour.g + (b.colour.g - a.colour.g) * t / span,
              a.colour.b + (b.colour.b - a.colour.b) * t / span};
    }
  }
  return skyStops.back().colour;
}

// A ridge line through control points, eased between them (smoothstep in 1/256ths).
struct Point {
  int x, y;
};
int ridgeAt(const Point* points, std::size_t count, int x) {
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const Point a = points[i];
    const Point b = points[i + 1];
    if (x >= a.x && x <= b.x) {
      const int t = (x - a.x) * 256 / (b.x - a.x);
      const int s = t * t * (768 - 2 * t) / 65536;
      return a.y + (b.y - a.y) * s / 256;
    }
  }
  return points[count - 1].y;
}

constexpr Point farHills[] = {{0, 176}, {40, 160}, {90, 172}, {140, 150}, {200, 168}, {250, 148}, {300, 166}, {320, 160}};
constexpr Point nearHills[] = {{0, 204}, {30, 196}, {80, 212}, {130, 194}, {180, 206}, {230, 190}, {280, 204}, {320, 198}};

}  // namespace

Picture paintBackground(const std::string& name) {
  Picture picture{name, width, height, std::vector<std::uint32_t>(width * height)};
  auto at = [&](int x, int y) -> std::uint32_t& { return picture.pixels[static_cast<std::size_t>(y * width + x)]; };

  for (int y = 0; y < height; ++y) {
    const std::uint32_t colour = pack(skyAt(y));
    for (int x = 0; x < width; ++x) at(x, y) = colour;
  }

  // Stars in the upper sky from a fixed pseudo-random sequence; some twinkle in a cross.
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = (seed * 1103515245u + 12345u) & 0x7fffffffu;
    return static_cast<int>(seed >> 8);
  };
  constexpr std::array<Rgb, 3> starColours = {{{0xff, 0xff, 0xf0}, {0xc0, 0xc8, 0xff}, {0xff, 0xe8, 0xa0}}};
  for (int i = 0; i < 70; ++i) {
    const int x = next() % width;
    const int y = next() % 140;
    const Rgb c = starColours[static_cast<std::size_t>(next() % 3)];
    at(x, y) = pack(c);
    if (next() % 5 == 0 && x > 0 && x < width - 1 && y > 0) {
      const std::uint32_t dim = pack({c.r * 2 / 3, c.g * 2 / 3, c.b * 2 / 3});
      at(x + 1, y) = dim;
      at(x - 1, y) = dim;
      at(x, y + 1) = dim;
      at(x, y - 1) = dim;
    }
  }

  // A crescent: the moon's disc minus a disc shifted to the lower left.
  constexpr int moonX = 262, moonY = 92, radius = 14;
  for (int y = moonY - radius; y <= moonY + radius; ++y) {
    for (int x = moonX - radius; x <= moonX + radius; ++x) {
      const int inDisc = (x - moonX) * (x - moonX) + (y - moonY) * (y - moonY) <= radius * radius;
      const int inShadow = (x - moonX + 6) * (x - moonX + 6) + (y - moonY - 3) * (y - moonY - 3) <= (radius - 1) * (radius - 1);
      if (inDisc && !inShadow) at(x, y) = 0xf8f0c8;
    }
  }

  for (int x = 0; x < width; ++x) {
    const int farTop = ridgeAt(farHills, std::size(farHills), x);
    const int nearTop = ridgeAt(nearHills, std::size(nearHills), x);
    for (int y = farTop; y < height; ++y) at(x, y) = y < nearTop ? 0x4a2c5c : 0x261a3a;
  }
  return picture;
}
