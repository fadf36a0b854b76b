// The clips make exactly the audio library's calls of the game, with its argument values,
// and never look at a result.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include "audio/audio_clip.h"
#include "platform/bass_record/bass_record.h"
#include "tools/trace/tick_driver.h"

namespace {

using bassrecord::Call;

class Clip : public ::testing::Test {
 protected:
  void SetUp() override {
    bassrecord::reset(41, 42);
    bassrecord::setLogging(true);
  }
  void TearDown() override { bassrecord::reset(); }

  static HWND someWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234)); }
};

void expectCall(const Call& call, const char* name, std::vector<std::int64_t> args, const std::string& file = "") {
  EXPECT_EQ(call.name, name);
  EXPECT_EQ(call.args, args) << name;
  EXPECT_EQ(call.file, file) << name;
}

TEST_F(Clip, OpeningInitialisesTheLibraryThenLoadsByFileName) {
  AudioClip music;
  music.startTime = 99;
  music.loadModule("cagadon.it", someWindow());
  AudioClip jump;
  jump.loadStream("saltito.mp3", someWindow());

  const auto calls = bassrecord::calls();
  ASSERT_EQ(calls.size(), 4u);
  expectCall(calls[0], "BASS_Init", {-1, 44100, 0, 0x1234});
  expectCall(calls[1], "BASS_MusicLoad", {0, 0, 0, 1}, "cagadon.it");
  expectCall(calls[2], "BASS_Init", {-1, 44100, 0, 0x1234});
  expectCall(calls[3], "BASS_StreamCreateFile", {0, 0, 0, 0}, "saltito.mp3");
  EXPECT_EQ(music.handle, 41u);
  EXPECT_EQ(music.startTime, 0u);
  EXPECT_EQ(jump.handle, 42u);
  EXPECT_EQ(jump.startTime, 0u);
}

TEST_F(Clip, PlayingStartsTheOutputAndStampsTheTime) {
  AudioClip music{41, 0};
  AudioClip jump{42, 0};
  const DWORD before = timeGetTime();
  music.playModule();
  jump.playStream();
  const DWORD after = timeGetTime();

  const auto calls = bassrecord::calls();
  ASSERT_EQ(calls.size(), 4u);
  expectCall(calls[0], "BASS_Start", {});
  expectCall(calls[1], "BASS_MusicPlayEx", {41, 0, -1, 1});
  expectCall(calls[2], "BASS_Start", {});
  expectCall(calls[3], "BASS_StreamPlay", {42, 0, 0});
  for (DWORD t : {music.startTime, jump.startTime}) {
    EXPECT_LE(before, t);
    EXPECT_LE(t, after);
  }
}

TEST_F(Clip, StoppingAndFreeingUseNoClip) {
  AudioClip clip{7, 5};
  clip.stopAll();
  clip.freeAll();
  const auto calls = bassrecord::calls();
  ASSERT_EQ(calls.size(), 2u);
  expectCall(calls[0], "BASS_Stop", {});
  expectCall(calls[1], "BASS_Free", {});
  EXPECT_EQ(clip.handle, 7u);
  EXPECT_EQ(clip.startTime, 5u);
}

TEST_F(Clip, AFailedOpenKeepsTheFailureValueAndPlaysIt) {
  bassrecord::reset(0, 0);
  bassrecord::setLogging(true);
  AudioClip jump;
  jump.loadStream("missing.mp3", nullptr);
  EXPECT_EQ(jump.handle, 0u);
  jump.playStream();
  const auto calls = bassrecord::calls();
  ASSERT_EQ(calls.size(), 4u);
  expectCall(calls[3], "BASS_StreamPlay", {0, 0, 0});
}

TEST_F(Clip, EveryJumpOfTheTickPlaysTheSameStreamAgain) {
  TickDriver driver;  // its jump sound is a stream clip on the recording library
  driver.startUp();
  bassrecord::setLogging(true);
  const DWORD handle = jumpSound->handle;
  jumpSound->startTime = 0;
  for (int jump = 0; jump < 3; ++jump) {
    driver.tick(TickKeys{.up = true});
    driver.tick(TickKeys{});
    for (int i = 0; i < 80; ++i) driver.tick(TickKeys{});  // rise and land again
  }
  const auto calls = bassrecord::calls();
  ASSERT_EQ(calls.size(), 6u);
  for (int i = 0; i < 3; ++i) {
    expectCall(calls[2 * i], "BASS_Start", {});
    expectCall(calls[2 * i + 1], "BASS_StreamPlay", {handle, 0, 0});
  }
  EXPECT_NE(jumpSound->startTime, 0u);
}

}  // namespace
