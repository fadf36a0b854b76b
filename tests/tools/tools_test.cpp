// The tools as a person uses them: what each makes from good input, the committed assets
// remade byte for byte; the PCX and IT writers read back by the loader and by libopenmpt.
// Their refusals and their file safety are in tool_files_test.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"
#include "game/assets.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/art/art.h"
#include "tools/music/it_writer.h"
#include "tools/pcx_writer/pcx_writer.h"
#include "tools/trace/tick_driver.h"

namespace {

Bytes joined(const std::string& head, const Bytes& tail) {
  Bytes bytes = textBytes(head);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

class Tools : public TempFolderTest {};

TEST_F(Tools, TheyRemakeTheCommittedAssetsAndTheGameReadsThePicturesAsDrawn) {
  for (const auto& [program, name] : {std::pair{KESTRIX_MUSIC_PATH, "cagadon.it"}, {KESTRIX_SOUND_PATH, "saltito.mp3"}}) {
    ASSERT_EQ(runTool(program, name).status, 0) << program;
    EXPECT_EQ(readBytes(name), readBytes(std::string(KESTRIX_ASSETS_DIR "/") + name)) << name;
  }
  ASSERT_EQ(runTool(KESTRIX_ART_PATH, ".").status, 0);
  std::string members;
  for (const Picture& picture : gamePictures()) {  // in the order the game loads them
    EXPECT_EQ(readBytes(picture.name), readBytes(KESTRIX_ASSETS_DIR "/" + picture.name)) << picture.name;
    members += " " + picture.name;
  }
  ASSERT_EQ(runTool(KESTRIX_PAK_PATH, "create kestrix.pak" + members).status, 0);
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));
  archivePath = KESTRIX_ASSETS_DIR "/kestrix.pak";
  for (const Picture& picture : gamePictures()) {
    std::vector<std::uint32_t> loaded(picture.pixels.size());
    std::string name = picture.name;
    loadPcx(name.data(), loaded.data(), loaded.size() * 4, nullptr);
    EXPECT_EQ(loaded, picture.pixels) << picture.name;
  }
}

TEST_F(Tools, PakListsAndExtractsWhatWentInEachMemberRunningToTheNextOnesStart) {
  std::filesystem::create_directory("arte");
  writeBytes("arte/Fondo.pcx", textBytes("background"));
  writeBytes("pompa.pcx", textBytes("bubble"));
  writeBytes("vacio", Bytes{});
  ASSERT_EQ(runTool(KESTRIX_PAK_PATH, "create made.pak arte/Fondo.pcx vacio pompa.pcx").status, 0);
  Bytes odd;  // members stored out of order, and an entry after the directory's end
  appendEntry(odd, "late.bin", 100);
  appendEntry(odd, "early.bin", 96);
  appendEntry(odd, "", 0);
  appendEntry(odd, "hidden.bin", 96);
  appendText(odd, "EARLlate-and-more");
  writeBytes("odd.pak", odd);
  // Four entries (one the end), then the data in order; the empty member starts where the next one does.
  EXPECT_EQ(runTool(KESTRIX_PAK_PATH, "list made.pak").output, "Fondo.pcx 96 10\nvacio 106 0\npompa.pcx 106 6\n");
  EXPECT_EQ(runTool(KESTRIX_PAK_PATH, "list odd.pak").output, "late.bin 100 13\nearly.bin 96 4\n");
  for (const auto& [archive, member, data] : {std::tuple{"made.pak", "POMPA.PCX", "bubble"}, {"made.pak", "vacio", ""},
                                              {"made.pak", "fondo.PCX", "background"}, {"odd.pak", "EARLY.BIN", "EARL"}}) {
    ASSERT_EQ(runTool(KESTRIX_PAK_PATH, "extract " + std::string(archive) + " " + member + " out").status, 0) << member;
    EXPECT_EQ(readBytes("out"), textBytes(data)) << member;
  }
  EXPECT_TRUE(refused(runTool(KESTRIX_PAK_PATH, "extract odd.pak hidden.bin h.bin"), "no member \"hidden.bin\""));
}

TEST_F(Tools, PcxMakesAPictureOfAPpmAndAPpmOfAnyPictureAsTheGameSeesIt) {
  // A comment in the header, as editors write them; 16-bit samples, scaled to 8 bits.
  for (const auto& [ppm, pixels] : std::vector<std::pair<Bytes, std::vector<std::uint32_t>>>{
           {joined("P6\n# made by hand\n3 1\n255\n", {0, 15, 30, 45, 60, 75, 225, 240, 255}), {0x000F1E, 0x2D3C4B, 0xE1F0FF}},
           {joined("P6 1 1 65535\n", {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00}), {0xFF8000}}}) {
    writeBytes("in.ppm", ppm);
    ASSERT_EQ(runTool(KESTRIX_PCX_PATH, "to-pcx in.ppm out.pcx").status, 0);
    EXPECT_EQ(decodePixels(readBytes("out.pcx"), pixels.size()), pixels);
  }
  // Read once, from a pipe; one-plane pictures through their palette, or as grey.
  const std::uint8_t indices[] = {0, 1, 2};
  const std::uint32_t rgb[] = {0x000F1E, 0x2D3C4B, 0xE1F0FF};
  Bytes palette(768, 0);
  palette[3] = 0xAA;  // entry 1: red
  palette[8] = 0xBB;  // entry 2: blue
  for (const auto& [pcx, ppm] : std::vector<std::pair<Bytes, Bytes>>{
           {encodePcx3(rgb, 1, 3, true), joined("P6\n1 3\n255\n", {0, 15, 30, 45, 60, 75, 225, 240, 255})},
           {encodePcx1(indices, 3, 1, true, palette.data()), joined("P6\n3 1\n255\n", {0, 0, 0, 0xAA, 0, 0, 0, 0, 0xBB})},
           {encodePcx1(indices, 3, 1, false, nullptr), joined("P6\n3 1\n255\n", {0, 0, 0, 1, 1, 1, 2, 2, 2})}}) {
    writeBytes("in.pcx", pcx);
    ASSERT_EQ(runShell("cat in.pcx | '" KESTRIX_PCX_PATH "' to-ppm /dev/stdin out.ppm").status, 0);
    EXPECT_EQ(readBytes("out.ppm"), ppm);
  }
}

TEST_F(Tools, TracePrintsTheStartUpStepAndOneLinePerTickOfTheScript) {
  // Names in any case, commas or blanks between them; Windows line ends; no final newline.
  for (const auto& [script, trace] :
       {std::pair{"\nright\nUP SPACE\n\nleft,space\n",
                  "0 10 231 1 0 0 0\n1 10 231 1 0 0 0\n2 11 231 1 0 0 0\n3 11 231 1 34 10 1\n"
                  "4 11 230 1 33 9 0 0:16,230,30\n5 10 229 -1 32 8 0 0:18,230,29\n"},
        {"RIGHT\r\nRIGHT", "0 10 231 1 0 0 0\n1 11 231 1 0 0 0\n2 12 231 1 0 0 0\n"}}) {
    writeBytes("keys.txt", textBytes(script));
    const ToolRun run = runTool(KESTRIX_TRACE_PATH, "< keys.txt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, trace);
  }
}

TEST_F(Tools, SnapshotWritesTheFrameTheGameComposesAfterTheScript) {
  std::filesystem::copy_file(KESTRIX_ASSETS_DIR "/kestrix.pak", "kestrix.pak");
  writeBytes("script.txt", textBytes("RIGHT\nRIGHT SPACE\nSPACE\nUP\n\n\n"));
  ASSERT_EQ(runTool(KESTRIX_SNAPSHOT_PATH, "shot.png < script.txt").status, 0);
  ASSERT_EQ(runTool("convert", "shot.png -depth 8 rgb:shot.rgb").status, 0);  // ImageMagick reads it back
  const Bytes rgb = readBytes("shot.rgb");
  ASSERT_EQ(rgb.size(), 320u * 240u * 3u);
  // The same frame made here, from the same archive and keys.
  archivePath = "kestrix.pak";
  loadAssets();
  {
    TickDriver driver(false);
    driver.startUp();
    for (const TickKeys& keys : {TickKeys{.right = true}, TickKeys{.right = true, .space = true},
                                 TickKeys{.space = true}, TickKeys{.up = true}, TickKeys{}, TickKeys{}}) {
      driver.tick(keys);
    }
  }
  const std::uint32_t* frame = composeFrame();
  int differences = 0;
  for (std::size_t i = 0; i < 320u * 240u; ++i) {
    differences += (static_cast<std::uint32_t>(rgb[3 * i]) << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]) != frame[i];
  }
  releaseAssets();
  EXPECT_EQ(differences, 0);
}

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
        for (std::uint32_t i = 0, w = static_cast<std::uint32_t>(width); i < w * 5; ++i) {
          rgb.push_back(pixelAt(kind, i % w, i / w));
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

TEST(PcxWriter, RowsArePaddedToAnEvenLengthAndSizesTheHeaderCannotHoldRefused) {
  const std::uint8_t indices[] = {1, 1, 1, 2, 2, 2};  // 3 × 2
  const std::vector<unsigned char> file = encodePcx1(indices, 3, 2, true, nullptr);
  EXPECT_EQ(file[66] | file[67] << 8, 4);
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 128, file.end()),
            (std::vector<unsigned char>{0xC3, 1, 0, 0xC3, 2, 0}));  // a run stays in its row
  const std::uint32_t pixel = 0;
  EXPECT_THROW(encodePcx3(&pixel, 0, 1, true), std::invalid_argument);
  EXPECT_THROW(encodePcx3(&pixel, 1, 65537, true), std::invalid_argument);
}

ItModule oneNote() {
  ItModule m;
  m.channels = 3;
  std::vector<std::int16_t> square(50, 12000);
  square.resize(100, -12000);
  m.samples.push_back(ItSample{.name = "", .pcm = square, .c5Speed = 26163, .loop = true, .loopEnd = 100});
  m.patterns.emplace_back(32, 3);
  m.patterns[0].at(0, 1) = ItCell{itMiddleC, 1, 64, 0, 0};
  m.patterns[0].at(0, 2) = ItCell{itNoteCut, 0, -1, 0, 0};
  m.patterns[0].at(1, 0) = ItCell{itNoNote, 0, 20, 19, 0xC3};  // volume 20, effect S, parameter C3
  m.orders = {0, 0};
  return m;
}

TEST(ItWriter, WritesWhatLibopenmptReadsAsMadeAndPlaysWithoutComplaint) {
  const auto b = writeIt(oneNote());
  std::vector<std::string> log;
  const auto collect = [](const char* text, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(text); };
  openmpt_module* m = openmpt_module_create_from_memory2(b.data(), b.size(), collect, &log, openmpt_error_func_ignore,
                                                         nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(log.empty()) << log.front();
  for (const auto& [row, channel, cell] : std::vector<std::tuple<int, int, std::string>>{
           {0, 0, "... .. .. ..."}, {0, 1, "C-5 01v40 ..."}, {0, 2, "^^^ .. .. ..."}, {1, 0, "... ..v14 SC3"}}) {
    const char* text = openmpt_module_format_pattern_row_channel(m, 0, row, channel, 0, 1);
    EXPECT_EQ(text, cell) << row << " " << channel;
    openmpt_free_string(text);
  }
  // Two rounds of 32 rows at speed 6, tempo 125: 7.68 s.
  EXPECT_NEAR(openmpt_module_get_duration_seconds(m), 7.68, 0.01);
  openmpt_module_destroy(m);
}

TEST(ItWriter, RefusesWhatTheFormatCannotHold) {
  for (const auto& change : std::vector<void (*)(ItModule&)>{
           [](ItModule& m) { m.orders = {1}; }, [](ItModule& m) { m.patterns[0].at(3, 0).sample = 2; },
           [](ItModule& m) { m.patterns[0].at(3, 0).note = 120; }, [](ItModule& m) { m.samples[0].loopEnd = 101; },
           [](ItModule& m) { m.channels = 65; }, [](ItModule& m) { m.patterns[0] = ItPattern(201, 3); }}) {
    ItModule m = oneNote();
    change(m);
    EXPECT_THROW(writeIt(m), std::invalid_argument);
  }
}

}  // namespace
