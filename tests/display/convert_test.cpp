// Frame conversion: the row loops, convertFrame's formats and pitch, the 3-3-2 palette.
#include "display/convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "display/display.h"
#include "tests/support/convert_reference.h"

namespace {

using convertcheck::appendReference;
using convertcheck::sentinel;

TEST(ConvertRows, EveryColourAndEveryShortWidthInEveryFormat) { EXPECT_EQ(convertcheck::firstFault(), ""); }

// Every depth on an odd-sized frame: rows at their pitch, the gaps untouched.
TEST(ConvertFrame, RowsGoToTheirPitchInTheFormatOfTheDepth) {
  const DisplaySettings saved = displaySettings;
  constexpr int width = 37, height = 5;
  std::vector<std::uint32_t> frame;
  for (int i = 0; i < width * height; ++i) frame.push_back(static_cast<std::uint32_t>(i) * 2654435761u);
  std::vector<unsigned char> dithered(static_cast<std::size_t>(width * height));
  ditherTo332(frame.data(), dithered.data(), width, width, height);
  const auto convert = [&](int w, int depth, int green6Bit, LONG pitch) {
    displaySettings.frameWidth = w;
    displaySettings.frameHeight = height;
    displaySettings.displayDepth = depth;
    displaySettings.green6Bit = green6Bit;
    std::vector<unsigned char> out(static_cast<std::size_t>(pitch * height), sentinel);
    convertFrame(frame.data(), out.data(), pitch);
    return out;
  };
  const int formats[][5] = {{32, 1, 4, 0, 32}, {32, 1, 4, 7, 32}, {24, 1, 3, 7, 24}, {16, 1, 2, 7, 565},
                            {16, 0, 2, 7, 555}, {8, 1, 1, 7, 8}};
  for (auto [depth, green6Bit, bytes, gap, format] : formats) {
    const LONG pitch = width * bytes + gap;
    std::vector<unsigned char> expected;
    for (int i = 0; i < width * height; ++i) {
      if (depth == 8) expected.push_back(dithered[i]);
      else appendReference(format, frame[i], expected);
      if (i % width == width - 1) expected.resize(expected.size() + static_cast<std::size_t>(gap), sentinel);
    }
    EXPECT_EQ(convert(width, depth, green6Bit, pitch), expected) << depth << " " << format;
  }
  const std::vector<unsigned char> untouched(static_cast<std::size_t>(width * 4 * height), sentinel);
  for (int depth : {0, 1, 4, 15, 31, 48, -8}) EXPECT_EQ(convert(width, depth, 1, width * 4), untouched) << depth;
  EXPECT_EQ(convert(0, 32, 1, width * 4), untouched);  // an empty frame
  displaySettings = saved;
}

// Entry i holds levels only (no low bits, no flags) that quantise back to i.
TEST(Palette332, EntryIShowsTheLevelsThatMapToIndexI) {
  PALETTEENTRY entries[256];
  std::memset(entries, 0x77, sizeof entries);
  fillPalette332(entries);
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& e = entries[i];
    EXPECT_EQ((e.peRed & 0x1F) | (e.peGreen & 0x1F) | (e.peBlue & 0x3F) | e.peFlags, 0) << i;
    EXPECT_EQ(e.peRed | e.peGreen >> 3 | e.peBlue >> 6, i);
  }
}

}  // namespace
