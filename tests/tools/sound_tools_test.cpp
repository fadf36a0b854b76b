// kestrix-music and kestrix-sound remake the committed assets byte for byte, and the IT
// writer lays modules out as the format says, so libopenmpt plays what it wrote.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/music/it_writer.h"

namespace {

std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int run(const std::string& program, const std::string& output) {
  const int status = std::system(("'" + program + "' '" + output + "'").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(u16(b, at) | static_cast<std::uint32_t>(u16(b, at + 2)) << 16);
}

TEST(SoundTools, RemakeTheCommittedAssetsByteForByte) {
  const std::string dir = ::testing::TempDir() + "kestrix_assets_" + std::to_string(getpid());
  for (const auto& [program, name] : {std::pair{KESTRIX_MUSIC_PATH, "cagadon.it"}, {KESTRIX_SOUND_PATH, "saltito.mp3"}}) {
    const std::string made = dir + name;
    ASSERT_EQ(run(program, made), 0) << program;
    const auto committed = fileBytes(std::string(KESTRIX_ASSETS_DIR) + "/" + name);
    ASSERT_FALSE(committed.empty()) << name;
    EXPECT_TRUE(fileBytes(made) == committed) << name << " differs from the committed file";
    std::remove(made.c_str());
  }
}

TEST(ItWriter, PacksEachEventWithItsOwnMaskAndEndsEveryRow) {
  ItPattern p(32, 3);
  p.at(0, 0) = ItCell{itMiddleC, 1, 64, 0, 0};
  p.at(0, 2) = ItCell{itNoteCut, 0, -1, 0, 0};
  p.at(1, 1) = ItCell{itNoNote, 0, 20, 19, 0xC3};  // volume 20, effect S, parameter C3
  const auto b = packItPattern(p);
  const std::vector<std::uint8_t> rows01{0x81, 0x07, 60, 1, 64, 0x83, 0x01, 254, 0x00,  // row 0
                                         0x82, 0x0C, 20, 19, 0xC3, 0x00};              // row 1
  ASSERT_EQ(b.size(), 8 + rows01.size() + 30);  // 30 empty rows of one byte each
  EXPECT_EQ(u16(b, 0), b.size() - 8);
  EXPECT_EQ(u16(b, 2), 32);
  EXPECT_EQ(u32(b, 4), 0u);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 8, b.begin() + 8 + static_cast<long>(rows01.size())), rows01);
  for (std::size_t i = 8 + rows01.size(); i < b.size(); ++i) EXPECT_EQ(b[i], 0);
}

ItModule oneNote() {
  ItModule m;
  m.name = "Test";
  m.channels = 2;
  ItSample s;
  s.name = "Tone";
  for (int i = 0; i < 100; ++i) s.pcm.push_back(static_cast<std::int16_t>(i < 50 ? 12000 : -12000));
  s.loop = true;
  s.loopEnd = 100;
  s.c5Speed = 26163;
  m.samples.push_back(s);
  ItPattern p(32, 2);
  p.at(0, 1) = ItCell{itMiddleC, 1, 64, 0, 0};
  m.patterns.push_back(p);
  m.orders = {0, 0};
  return m;
}

TEST(ItWriter, LaysOutHeaderOrdersSamplesAndPatternsWhereTheOffsetsSay) {
  const ItModule m = oneNote();
  const auto b = writeIt(m);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "IMPM");
  EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 8), "Test");
  EXPECT_EQ(u16(b, 0x20), 3);  // two orders and the end mark
  EXPECT_EQ(u16(b, 0x22), 0);  // no instruments
  EXPECT_EQ(u16(b, 0x2C) & 0x04, 0);  // sample mode
  EXPECT_EQ(b[0x40], 32);
  EXPECT_EQ(b[0x42], 32 + 128);  // unused channels are off
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 0xC0, b.begin() + 0xC3), (std::vector<std::uint8_t>{0, 0, 255}));

  const std::uint32_t sample = u32(b, 0xC3);
  const std::uint32_t pattern = u32(b, 0xC7);
  EXPECT_EQ(std::string(b.begin() + sample, b.begin() + sample + 4), "IMPS");
  EXPECT_EQ(b[sample + 0x12], 0x01 | 0x02 | 0x10);  // data, 16-bit, loop
  EXPECT_EQ(b[sample + 0x2E], 0x01);               // signed
  EXPECT_EQ(u32(b, sample + 0x38), 100u);  // loop end
  const std::uint32_t data = u32(b, sample + 0x48);
  ASSERT_EQ(data + 200, b.size());
  EXPECT_EQ(static_cast<std::int16_t>(u16(b, data)), 12000);
  EXPECT_EQ(static_cast<std::int16_t>(u16(b, data + 198)), -12000);
  EXPECT_EQ(u16(b, pattern + 2), 32);
  EXPECT_EQ(b[pattern + 8], 0x82);  // the note is on the second channel
}

TEST(ItWriter, WritesWhatLibopenmptPlaysWithoutComplaint) {
  const auto b = writeIt(oneNote());
  std::vector<std::string> log;
  openmpt_module* m = openmpt_module_create_from_memory2(
      b.data(), b.size(),
      [](const char* message, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(message); },
      &log, openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(log.empty()) << log.front();
  EXPECT_EQ(openmpt_module_get_num_samples(m), 1);
  EXPECT_EQ(openmpt_module_get_num_orders(m), 2);
  // Two rounds of 32 rows at speed 6, tempo 125: 7.68 s.
  EXPECT_NEAR(openmpt_module_get_duration_seconds(m), 7.68, 0.01);
  // The note sounds at its pitch: 261.63 Hz for a 100-frame cycle at 26163 Hz.
  std::vector<float> left(44100);
  openmpt_module_read_float_mono(m, 44100, left.size(), left.data());
  int crossings = 0;
  for (std::size_t i = 1; i < left.size(); ++i) crossings += (left[i - 1] < 0) != (left[i] < 0);
  EXPECT_NEAR(crossings / 2.0, 261.63, 5.0);
  openmpt_module_destroy(m);
}

TEST(ItWriter, RefusesWhatTheFormatCannotHold) {
  const auto broken = [](auto change) {
    ItModule m = oneNote();
    change(m);
    return m;
  };
  EXPECT_THROW(writeIt(broken([](ItModule& m) { m.orders = {1}; })), std::invalid_argument);
  EXPECT_THROW(writeIt(broken([](ItModule& m) { m.patterns[0].at(3, 0).sample = 2; })), std::invalid_argument);
  EXPECT_THROW(writeIt(broken([](ItModule& m) { m.patterns[0].at(3, 0).note = 120; })), std::invalid_argument);
  EXPECT_THROW(writeIt(broken([](ItModule& m) { m.samples[0].loopEnd = 101; })), std::invalid_argument);
  EXPECT_THROW(writeIt(broken([](ItModule& m) { m.channels = 65; })), std::invalid_argument);
  EXPECT_THROW(packItPattern(ItPattern(201, 1)), std::invalid_argument);
}

}  // namespace
