// The PCX writer: its files come back through the loader as they went in, in every
// combination of planes, encoding and width, and its run-length codes follow the format.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "tests/support/pcx_bytes.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

using ::testing::ElementsAre;

// Three kinds of content: long runs, short runs, and values at and above 0xC0.
std::uint32_t pixelAt(int kind, std::uint32_t x, std::uint32_t y) {
  if (kind == 0) return (x / 40) % 2 ? 0x00FF00u : 0x102030u;
  if (kind == 1) return (x / 2 * 3 % 256) << 16 | y << 8 | 0xC0;
  return ((x * 73856093u ^ y * 19349663u) * 2654435761u) >> 8;
}

TEST(PcxWriter, PicturesComeBackThroughTheLoader) {
  for (const int width : {1, 2, 63, 64, 65, 127, 320}) {
    for (const int kind : {0, 1, 2}) {
      for (const bool runLength : {true, false}) {
        SCOPED_TRACE(testing::Message() << "width " << width << " kind " << kind << " rle " << runLength);
        std::vector<std::uint32_t> rgb;
        std::vector<std::uint8_t> indices;
        for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(width) * 5; ++i) {
          rgb.push_back(pixelAt(kind, i % static_cast<std::uint32_t>(width), i / static_cast<std::uint32_t>(width)));
          indices.push_back(static_cast<std::uint8_t>(rgb.back() >> 4));
        }
        EXPECT_EQ(decodePixels(encodePcx3(rgb.data(), width, 5, runLength), rgb.size()), rgb);

        std::vector<unsigned char> palette(768), gotPalette(768);
        for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 11 + kind);
        std::vector<std::uint8_t> got(indices.size());
        decodePcx(encodePcx1(indices.data(), width, 5, runLength, palette.data()), got.data(), got.size(),
                  gotPalette.data());
        EXPECT_EQ(got, indices);
        EXPECT_EQ(gotPalette, palette);
      }
    }
  }
}

TEST(PcxWriter, RunsStayInTheirRowWhichIsPaddedToAnEvenLength) {
  std::vector<unsigned char> out;
  const std::vector<unsigned char> row = {5, 0xC0, 0xFF, 0xFF, 7, 7, 7};
  appendRunLength(row.data(), static_cast<int>(row.size()), out);
  // Values from 0xC0 on are always runs, even single ones; a literal stands alone.
  EXPECT_THAT(out, ElementsAre(5, 0xC1, 0xC0, 0xC2, 0xFF, 0xC3, 7));
  out.clear();
  const std::vector<unsigned char> flat(130, 9);
  appendRunLength(flat.data(), static_cast<int>(flat.size()), out);
  EXPECT_THAT(out, ElementsAre(0xFF, 9, 0xFF, 9, 0xC4, 9));  // runs of at most 63

  const std::uint8_t indices[] = {1, 1, 1, 2, 2, 2};  // 3 × 2
  const std::vector<unsigned char> file = encodePcx1(indices, 3, 2, true, nullptr);
  EXPECT_EQ(file[66] | file[67] << 8, 4);
  EXPECT_THAT(std::vector<unsigned char>(file.begin() + 128, file.end()), ElementsAre(0xC3, 1, 0, 0xC3, 2, 0));
  const std::uint32_t pixel = 0;  // sizes the header cannot hold
  EXPECT_THROW(encodePcx3(&pixel, 0, 1, true), std::invalid_argument);
  EXPECT_THROW(encodePcx3(&pixel, 1, 65537, true), std::invalid_argument);
}

}  // namespace
