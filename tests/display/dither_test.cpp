// Error diffusion into the 3-3-2 palette: both loops against the reference, worked examples, pitch, size limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "display/convert.h"
#include "display/dither332_loops.h"
#include "tests/e2e/expected_screen.h"

namespace {

// The 3-3-2 index of each pixel the screen reference shows (white is index 255 either way).
std::vector<unsigned char> referenceDither(const std::vector<std::uint32_t>& frame, int width, int height) {
  std::vector<unsigned char> out;
  for (std::uint32_t c : expected::dithered(frame, width, height)) {
    out.push_back(static_cast<unsigned char>((c >> 16 & 0xE0) | (c >> 11 & 0x1C) | (c >> 6 & 0x03)));
  }
  return out;
}

using DitherFunction = decltype(&ditherTo332);
const std::pair<const char*, DitherFunction> everyLoop[] = {{"ditherTo332", ditherTo332}, {"plain", ditherTo332Plain}};

auto dither(DitherFunction d, const std::vector<std::uint32_t>& frame, int width, int height, int pitch = 0) {
  std::vector<unsigned char> out(static_cast<std::size_t>(std::max(pitch, width) * height), 0xCD);
  d(frame.data(), out.data(), std::max(pitch, width), width, height);
  return out;
}

std::vector<std::uint32_t> noise(std::uint32_t pixels) {
  std::vector<std::uint32_t> frame;
  for (std::uint32_t i = 0; i < pixels; ++i) frame.push_back(i * 2654435761u);
  return frame;
}

TEST(Dither332, WorkedExamples) {
  using V = std::vector<unsigned char>;
  const auto frame = noise(30);
  auto pitched = referenceDither(frame, 10, 3);  // rows at a pitch of 16, nothing written between
  for (int y = 2; y >= 0; --y) pitched.insert(pitched.begin() + 10 * (y + 1), 6, 0xCD);
  const std::vector<std::uint32_t> white(2 * (ditherMaxWidth + 1), 0x00FFFFFF);
  for (auto [name, d] : everyLoop) {
    SCOPED_TRACE(name);
    // The capped sums keep white at the top level although errors of 31, 31, 63 move on.
    EXPECT_EQ(dither(d, white, 13, 5), V(65, 0xFF));
    EXPECT_EQ(dither(d, std::vector<std::uint32_t>(65, 0xFF808080), 13, 5), V(65, 0x92));  // top byte ignored
    EXPECT_EQ(dither(d, std::vector<std::uint32_t>(8, 0x00303030), 4, 2),
              (V{0x24, 0x25, 0x24, 0x25, 0x24, 0x49, 0x49, 0x24}));
    EXPECT_EQ(dither(d, frame, 10, 3, 16), pitched);
    for (auto [w, h] : {std::pair{ditherMaxWidth + 1, 2}, {100000, 1}, {0, 2}, {-1, 2}, {4, 0}, {4, -3}}) {
      V out(white.size(), 0xCD);  // sizes outside the error rows write nothing
      d(white.data(), out.data(), ditherMaxWidth + 1, w, h);
      EXPECT_EQ(out, V(out.size(), 0xCD)) << w << "x" << h;
    }
  }
}

TEST(Dither332, BothLoopsMatchTheReferenceAndCarryNothingFromOneCallToTheNext) {
  // All 2^24 colours; in order neighbours differ in blue, shuffled rows bring every kind.
  std::vector<std::uint32_t> frame(std::size_t{1} << 24);
  for (std::uint32_t c = 0; c < frame.size(); ++c) frame[c] = c;
  std::mt19937 rng(13);
  for (std::size_t y = 1; y < 8192; y += 2) std::shuffle(frame.begin() + y * 2048, frame.begin() + (y + 1) * 2048, rng);
  const auto expected = referenceDither(frame, 2048, 8192);
  for (auto [name, d] : everyLoop) EXPECT_TRUE(dither(d, frame, 2048, 8192) == expected) << name;

  // Random frames of odd and even heights, each after a wider one that leaves errors beyond its width.
  const auto before = noise(80 * 14);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 300; ++n) {
    const int width = n < 2 ? 4095 + n : pick(1, 70), height = pick(1, 12);  // up to the widest frame
    const auto base = static_cast<std::uint32_t>(rng());
    frame.resize(static_cast<std::size_t>(width * height));
    for (auto& p : frame) {  // noise, white, black and smooth stretches
      const auto r = static_cast<std::uint32_t>(rng());
      p = std::array{r, 0x00FFFFFFu, 0u, base ^ (r & 0x0F0F0Fu)}[pick(0, 3)];
    }
    const auto want = referenceDither(frame, width, height);
    for (auto [name, d] : everyLoop) {
      dither(d, before, 80, 14);
      ASSERT_EQ(dither(d, frame, width, height), want) << name << " " << width << "x" << height;
    }
  }
}

}  // namespace
