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
std::uint32_t pixelAt(int kind, int x, int y) {
  switch (kind) {
    case 0: return (x / 40) % 2 ? 0x00FF00u : 0x102030u;
    case 1: return static_cast<std::uint32_t>(x / 2 * 3 % 256) << 16 | static_cast<std::uint32_t>(y) << 8 | 0xC0;
    default: return ((static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u) * 2654435761u) >> 8;
  }
}

TEST(PcxWriter, PicturesComeBackThroughTheLoader) {
  for (const int width : {1, 2, 63, 64, 65, 127, 320}) {
    for (const int kind : {0, 1, 2}) {
      for (const bool runLength : {true, false}) {
        SCOPED_TRACE(testing::Message() << "width " << width << " kind " << kind << " rle " << runLength);
        const int height = 5;
        std::vector<std::uint32_t> rgb(static_cast<std::size_t>(width * height));
        std::vector<std::uint8_t> indices(rgb.size());
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            rgb[static_cast<std::size_t>(y * width + x)] = pixelAt(kind, x, y);
            indices[static_cast<std::size_t>(y * width + x)] = static_cast<std::uint8_t>(pixelAt(kind, x, y) >> 4);
          }
        }
        EXPECT_EQ(decodePixels(encodePcx3(rgb.data(), width, height, runLength), rgb.size()), rgb);

        std::vector<unsigned char> palette(768), gotPalette(768);
        for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 11 + kind);
        std::vector<std::uint8_t> got(indices.size());
        decodePcx(encodePcx1(indices.data(), width, height, runLength, palette.data()), got.data(), got.size(),
                  gotPalette.data());
        EXPECT_EQ(got, indices);
        EXPECT_EQ(gotPalette, palette);
      }
    }
  }
}

TEST(PcxWriter, RunLengthCodesFollowTheFormat) {
  std::vector<unsigned char> out;
  const std::vector<unsigned char> row = {5, 0xC0, 0xFF, 0xFF, 7, 7, 7};
  appendRunLength(row.data(), static_cast<int>(row.size()), out);
  // Values from 0xC0 on are always runs, even single ones; a literal stands alone.
  EXPECT_THAT(out, ElementsAre(5, 0xC1, 0xC0, 0xC2, 0xFF, 0xC3, 7));

  out.clear();
  const std::vector<unsigned char> flat(130, 9);
  appendRunLength(flat.data(), static_cast<int>(flat.size()), out);
  EXPECT_THAT(out, ElementsAre(0xFF, 9, 0xFF, 9, 0xC4, 9));  // runs of at most 63
}

TEST(PcxWriter, RowsArePaddedToAnEvenLengthAndRunsStayInTheirRow) {
  const std::uint8_t indices[] = {1, 1, 1, 2, 2, 2};  // 3 × 2
  const std::vector<unsigned char> file = encodePcx1(indices, 3, 2, true, nullptr);
  EXPECT_EQ(file[66] | file[67] << 8, 4);
  EXPECT_THAT(std::vector<unsigned char>(file.begin() + 128, file.end()), ElementsAre(0xC3, 1, 0, 0xC3, 2, 0));
}

TEST(PcxWriter, RefusesSizesTheHeaderCannotHold) {
  const std::uint32_t pixel = 0;
  EXPECT_THROW(encodePcx3(&pixel, 0, 1, true), std::invalid_argument);
  EXPECT_THROW(encodePcx3(&pixel, 1, 65537, true), std::invalid_argument);
}

}  // namespace
