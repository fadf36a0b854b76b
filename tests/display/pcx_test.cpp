// The PCX loader's decoding: run-length codes across plane rows and image rows, encodings,
// padded rows, one-plane pictures and their palette, and pictures of any width; every
// picture lands in a buffer with nothing written past it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "display/pcx.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/temp_folder.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::uint32_t rgb(unsigned r, unsigned g, unsigned b) { return r << 16 | g << 8 | b; }

TEST(PcxThreePlanes, AFullFrameFillsExactlyItsPixels) {
  std::vector<std::uint32_t> frame(320 * 240);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const auto x = static_cast<std::uint32_t>(i % 320), y = static_cast<std::uint32_t>(i / 320);
    frame[i] = rgb(x * 255 / 319, y * 255 / 239, (x / 16 + y / 16) % 2 ? 0xC5 : 0x00);
  }
  const Bytes file = encodePcx3(frame.data(), 320, 240, true);
  std::vector<std::uint32_t> out(frame.size() + 16, 0xDEADBEEF);
  decodePcx(file, out.data(), frame.size() * 4);
  EXPECT_TRUE(std::equal(frame.begin(), frame.end(), out.begin()));
  EXPECT_THAT(std::vector<std::uint32_t>(out.begin() + 76800, out.end()), ::testing::Each(0xDEADBEEFu));
}

TEST(PcxThreePlanes, RunsGoOnAcrossPlaneRowsAndImageRows) {
  // Width 5: a run of 5 that starts 3 pixels before the end of red colours those 3 pixels
  // of red and the first 2 of green.
  const Bytes acrossPlanes = pcxFile({.width = 5, .height = 1}, {1, 2, 0xC5, 9, 4, 5, 6, 10, 11, 12, 13, 14});
  EXPECT_THAT(decodePixels(acrossPlanes, 5),
              ElementsAre(rgb(1, 9, 10), rgb(2, 9, 11), rgb(9, 4, 12), rgb(9, 5, 13), rgb(9, 6, 14)));

  // A run that starts at blue's last pixel of row 0 goes on in red of row 1.
  const Bytes acrossRows = pcxFile({.width = 2, .height = 2},
                                   {1, 2, 3, 4, 5, 0xC3, 7, 8, 9, 10, 11});
  EXPECT_THAT(decodePixels(acrossRows, 4), ElementsAre(rgb(1, 3, 5), rgb(2, 4, 7), rgb(7, 8, 10), rgb(7, 9, 11)));
}

TEST(PcxThreePlanes, ARunLongerThanANarrowRowCarriesOnForItsWholeLength) {
  // Width 2: a run of 7 fills red, green and blue of row 0 and the first red pixel of row 1.
  const Bytes file = pcxFile({.width = 2, .height = 2}, {0xC7, 50, 1, 2, 3, 4, 5});
  EXPECT_THAT(decodePixels(file, 4), ElementsAre(rgb(50, 50, 50), rgb(50, 50, 50), rgb(50, 2, 4), rgb(1, 3, 5)));
}

TEST(PcxThreePlanes, ACountOfZeroProducesNothingButUsesItsValueByte) {
  const Bytes file = pcxFile({.width = 1, .height = 1}, {0xC0, 99, 1, 0xC0, 0xC0, 2, 3});
  EXPECT_THAT(decodePixels(file, 1), ElementsAre(rgb(1, 2, 3)));
}

TEST(PcxThreePlanes, AnyNonZeroEncodingIsRunLengthAndZeroIsRaw) {
  for (const int encoding : {1, 2, 255}) {
    const Bytes file = pcxFile({.width = 2, .height = 1, .encoding = encoding}, {0xC2, 7, 0xC4, 8});
    EXPECT_THAT(decodePixels(file, 2), ElementsAre(rgb(7, 8, 8), rgb(7, 8, 8))) << "encoding " << encoding;
  }
  const Bytes raw = pcxFile({.width = 2, .height = 1, .encoding = 0}, {0xC2, 7, 0xC4, 8, 0xFF, 0});
  EXPECT_THAT(decodePixels(raw, 2), ElementsAre(rgb(0xC2, 0xC4, 0xFF), rgb(7, 8, 0)));
}

TEST(PcxThreePlanes, PaddingUpToTheBytesPerLineBelongsToNoPixel) {
  // Width 3 stored in rows of 4; the padding byte 0xEE must show nowhere.
  const Bytes raw = pcxFile({.width = 3, .height = 2, .encoding = 0, .bytesPerLine = 4},
                            {1, 2, 3, 0xEE, 4, 5, 6, 0xEE, 7, 8, 9, 0xEE, 11, 12, 13, 0xEE, 14, 15, 16, 0xEE, 17, 18,
                             19, 0xEE});
  const std::vector<std::uint32_t> expected = {rgb(1, 4, 7),    rgb(2, 5, 8),    rgb(3, 6, 9),
                                               rgb(11, 14, 17), rgb(12, 15, 18), rgb(13, 16, 19)};
  EXPECT_EQ(decodePixels(raw, 6), expected);

  // Encoded, a run covers the padding as it covers pixels (0x77 pads green).
  const Bytes encoded = pcxFile({.width = 3, .height = 1, .bytesPerLine = 4}, {1, 0xC4, 2, 3, 4, 0x77, 0xC4, 5});
  EXPECT_THAT(decodePixels(encoded, 3), ElementsAre(rgb(1, 2, 5), rgb(2, 3, 5), rgb(2, 4, 5)));

  // A bytes-per-line below the width cannot be right: rows are then as long as the width.
  const Bytes small = pcxFile({.width = 3, .height = 1, .encoding = 0, .bytesPerLine = 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_THAT(decodePixels(small, 3), ElementsAre(rgb(1, 4, 7), rgb(2, 5, 8), rgb(3, 6, 9)));
}

TEST(PcxThreePlanes, PicturesWiderThan2048PixelsDecodeWhole) {
  constexpr int width = 3001, height = 3;
  std::vector<std::uint32_t> picture(width * height);
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
  for (const bool runLength : {true, false}) {
    EXPECT_EQ(decodePixels(encodePcx3(picture.data(), width, height, runLength), picture.size()), picture)
        << (runLength ? "run-length" : "raw");
  }
}

TEST(PcxOnePlane, RowEndsPlayNoPartAndTheLastRunStopsAtTheBuffersEnd) {
  // 3 × 2, no padding: a run of 4 crosses into row 1; the last run of 63 is cut at pixel 6.
  const Bytes file = pcxFile({.width = 3, .height = 2, .planes = 1}, {1, 0xC4, 2, 0xFF, 3});
  std::vector<unsigned char> out(6);  // exactly the picture: AddressSanitizer watches the end
  decodePcx(file, out.data(), out.size());
  EXPECT_THAT(out, ElementsAre(1, 2, 2, 2, 2, 3));

  const Bytes raw = pcxFile({.width = 3, .height = 2, .planes = 1, .encoding = 0, .bytesPerLine = 4},
                            {0xC1, 2, 3, 0, 4, 5, 6, 0});
  decodePcx(raw, out.data(), out.size());
  EXPECT_THAT(out, ElementsAre(0xC1, 2, 3, 4, 5, 6));
}

TEST(PcxOnePlane, ThePaletteFollowsTheFirstMarkerAfterTheImage) {
  std::vector<unsigned char> palette(768);
  std::iota(palette.begin(), palette.end(), 0);
  const auto withTail = [&](std::initializer_list<int> before) {
    Bytes file = pcxFile({.width = 2, .height = 1, .planes = 1}, {0x0C, 0xC1, 0x0C});  // markers as pixels
    file.insert(file.end(), before.begin(), before.end());
    file.push_back(0x0C);
    file.insert(file.end(), palette.begin(), palette.end());
    return file;
  };
  for (const Bytes& file : {withTail({}), withTail({1, 2, 0xC1, 0xFF})}) {
    std::vector<unsigned char> out(2);
    std::vector<unsigned char> got(768, 0xEE);
    decodePcx(file, out.data(), out.size(), got.data());
    EXPECT_THAT(out, ElementsAre(0x0C, 0x0C));
    EXPECT_EQ(got, palette);
  }
}

class PcxFromArchive : public TempFolderTest {};

TEST_F(PcxFromArchive, LoadsAMemberAndItsPaletteSearchRunsIntoTheNextMember) {
  // One-plane "A.PCX" without a palette; the search runs on into "B.BIN", which has one.
  Bytes archive;
  const Bytes picture = pcxFile({.width = 2, .height = 2, .planes = 1}, {0xC4, 9});
  appendEntry(archive, "A.PCX", 72);
  appendEntry(archive, "B.BIN", static_cast<std::uint32_t>(72 + picture.size()));
  appendEntry(archive, "", 0);
  archive.insert(archive.end(), picture.begin(), picture.end());
  appendText(archive, "xx\x0C");
  for (int i = 0; i < 768; ++i) archive.push_back(static_cast<unsigned char>(255 - i % 256));
  writeBytes("data.pak", archive);
  archivePath = "data.pak";

  char name[] = "a.pcx";
  std::vector<unsigned char> out(4), palette(768);
  EXPECT_EQ(loadPcx(name, out.data(), out.size(), palette.data()), 1);
  EXPECT_THAT(out, ElementsAre(9, 9, 9, 9));
  EXPECT_EQ(palette[0], 255);
  EXPECT_EQ(palette[767], 0);
  EXPECT_STREQ(name, "A.PCX");
}

}  // namespace
