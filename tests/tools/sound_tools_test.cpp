// kestrix-music and kestrix-sound remake the committed assets byte for byte, and libopenmpt
// reads and plays the modules the IT writer writes as they were made.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/music/it_writer.h"

namespace {

class SoundTools : public TempFolderTest {};

TEST_F(SoundTools, RemakeTheCommittedAssetsByteForByte) {
  for (const auto& [program, name] : {std::pair{KESTRIX_MUSIC_PATH, "cagadon.it"}, {KESTRIX_SOUND_PATH, "saltito.mp3"}}) {
    ASSERT_EQ(runTool(program, name).status, 0) << program;
    EXPECT_EQ(readBytes(name), readBytes(std::string(KESTRIX_ASSETS_DIR "/") + name)) << name;
  }
}

ItModule oneNote() {
  ItModule m;
  m.channels = 3;
  ItSample s;
  for (int i = 0; i < 100; ++i) s.pcm.push_back(static_cast<std::int16_t>(i < 50 ? 12000 : -12000));
  s.loop = true;
  s.loopEnd = 100;
  s.c5Speed = 26163;
  m.samples.push_back(s);
  ItPattern p(32, 3);
  p.at(0, 1) = ItCell{itMiddleC, 1, 64, 0, 0};
  p.at(0, 2) = ItCell{itNoteCut, 0, -1, 0, 0};
  p.at(1, 0) = ItCell{itNoNote, 0, 20, 19, 0xC3};  // volume 20, effect S, parameter C3
  m.patterns.push_back(p);
  m.orders = {0, 0};
  return m;
}

TEST(ItWriter, WritesWhatLibopenmptReadsAsMadeAndPlaysWithoutComplaint) {
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
  for (const auto& [row, channel, cell] : std::vector<std::tuple<int, int, std::string>>{
           {0, 0, "... .. .. ..."}, {0, 1, "C-5 01v40 ..."}, {0, 2, "^^^ .. .. ..."}, {1, 0, "... ..v14 SC3"}}) {
    const char* text = openmpt_module_format_pattern_row_channel(m, 0, row, channel, 0, 1);
    EXPECT_EQ(text, cell) << row << " " << channel;
    openmpt_free_string(text);
  }
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
