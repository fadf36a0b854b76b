// PCX files written by ImageMagick decode to the pixels ImageMagick itself reads from
// them, and ImageMagick reads the project's own files as they were meant. ImageMagick is
// part of the test dependencies (scripts/install-deps.sh test): without it these tests fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "tests/support/temp_folder.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

bool run(const std::string& command) { return std::system((command + " 2>&1").c_str()) == 0; }

class ImageMagick : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(run("convert -version >/dev/null"))
        << "ImageMagick's convert is needed; scripts/install-deps.sh test installs it";
  }

  // ImageMagick's reading of a picture file as 8-bit red, green, blue bytes.
  static Bytes readByImageMagick(const std::string& file) {
    EXPECT_TRUE(run("convert " + file + " -depth 8 rgb:decoded.rgb"));
    return readBytes("decoded.rgb");
  }

  // Our loader's reading of pic.pcx, one-plane pictures through their palette.
  static Bytes readByLoader(int& width, int& height, int& planes) {
    const Bytes file = readBytes("pic.pcx");
    unsigned char header[pcxHeaderSize] = {};
    std::copy(file.begin(), file.begin() + std::min<std::ptrdiff_t>(128, std::ssize(file)), header);
    const PcxHeader fields = decodePcxHeader(header);
    width = fields.width;
    height = fields.height;
    planes = fields.planes;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<unsigned char> palette(768);
    char name[] = "pic.pcx";
    loadPcx(name, pixels.data(), pixels.size() * 4, planes == 1 ? palette.data() : nullptr);

    Bytes rgb;
    const auto* indices = reinterpret_cast<const unsigned char*>(pixels.data());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      if (planes == 1) {
        rgb.insert(rgb.end(), &palette[indices[i] * 3u], &palette[indices[i] * 3u] + 3);
      } else {
        rgb.insert(rgb.end(), {static_cast<unsigned char>(pixels[i] >> 16), static_cast<unsigned char>(pixels[i] >> 8),
                               static_cast<unsigned char>(pixels[i])});
      }
    }
    return rgb;
  }
};

TEST_F(ImageMagick, ItsPicturesDecodeToThePixelsItReads) {
  struct Case {
    const char* make;  // convert's arguments that draw the picture
    int planes;
  };
  const Case cases[] = {
      {"-size 33x17 gradient:red-blue", 3},
      {"-seed 7 -size 7x5 plasma:fractal", 3},
      {"-seed 3 -size 320x240 plasma:fractal", 3},
      {"-size 1x1 xc:#C0FFEE", 3},
      {"-size 31x9 xc:gray50", 3},
      {"-seed 5 -size 101x3 xc: +noise Random", 3},
      {"-size 2101x2 gradient:yellow-navy", 3},
      {"-seed 2 -size 33x17 plasma:fractal -colors 20 -type Palette", 1},
      {"-size 3x40 gradient:white-green -colors 7 -type Palette", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.make);
    ASSERT_TRUE(run(std::string("convert ") + c.make + " PCX:pic.pcx"));
    int width = 0, height = 0, planes = 0;
    const Bytes ours = readByLoader(width, height, planes);
    EXPECT_EQ(planes, c.planes);
    const Bytes theirs = readByImageMagick("pic.pcx");
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_TRUE(ours == theirs);
  }
}

TEST_F(ImageMagick, ReadsOurPaddedOddWidthPicturesAsMeant) {
  constexpr int width = 33, height = 17;
  std::vector<std::uint32_t> pixels(width * height);
  std::vector<std::uint8_t> indices(width * height);
  Bytes expected, palette(768);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) >> 8;
    expected.insert(expected.end(), {static_cast<unsigned char>(pixels[i] >> 16),
                                     static_cast<unsigned char>(pixels[i] >> 8), static_cast<unsigned char>(pixels[i])});
  }
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 7);
  Bytes expectedIndexed;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    indices[i] = static_cast<std::uint8_t>(i % 5 == 0 ? 0xC7 : i / 9);
    expectedIndexed.insert(expectedIndexed.end(), &palette[indices[i] * 3u], &palette[indices[i] * 3u] + 3);
  }
  for (const bool runLength : {true, false}) {
    SCOPED_TRACE(runLength ? "run-length" : "raw");
    writeBytes("ours.pcx", encodePcx3(pixels.data(), width, height, runLength));
    EXPECT_TRUE(readByImageMagick("ours.pcx") == expected);
    writeBytes("ours.pcx", encodePcx1(indices.data(), width, height, runLength, palette.data()));
    EXPECT_TRUE(readByImageMagick("ours.pcx") == expectedIndexed);
  }
}

}  // namespace
