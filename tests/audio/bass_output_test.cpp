// The audio library as the game uses it, heard through SDL's disk audio driver: the music
// sounds, a jump from another thread is heard within two buffers, BASS_Stop is silence,
// missing files leave a silent running program, and nothing breaks after BASS_Free.
#include <gtest/gtest.h>

#include <bass.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bass/bass_output.h"
#include "platform/bass/file_bytes.h"
#include "platform/bass/mp3_decode.h"
#include "platform/bass/output_capture.h"

namespace {

constexpr DWORD rate = 44100;
const std::string music = std::string(KESTRIX_ASSETS_DIR) + "/cagadon.it";
const std::string jump = std::string(KESTRIX_ASSETS_DIR) + "/saltito.mp3";

HMUSIC loadMusic(const std::string& path) { return BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_RAMP); }
HSTREAM loadJump(const std::string& path) { return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0); }

bool silent(const std::vector<std::int16_t>& out, std::size_t from, std::size_t to) {
  for (std::size_t i = 2 * from; i < 2 * to && i < out.size(); ++i) {
    if (out[i] != 0) return false;
  }
  return true;
}

class BassOutput : public ::testing::Test {
 protected:
  void SetUp() override { outputcapture::useDiskOutput(outputPath); }
  void TearDown() override {
    BASS_Free();
    std::remove(outputPath.c_str());
  }

  // Waits, on the output's own clock, for `frames` more frames; the deadline only guards a hang.
  static void waitForMore(std::uint64_t frames) {
    const std::uint64_t until = bassoutput::framesOutput() + frames;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (bassoutput::framesOutput() < until) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the output stopped at " << bassoutput::framesOutput();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  // Ends the output and reads what the library mixed, frame 0 being the first one counted.
  std::vector<std::int16_t> finish() {
    BASS_Free();
    long lead = 0;
    auto out = outputcapture::readOutput(outputPath, bassoutput::framesOutput(), lead);
    EXPECT_GE(lead, 0) << "the output file holds fewer frames than were mixed, or sound before them";
    return out;
  }

  const std::string outputPath = ::testing::TempDir() + "kestrix_output_" + std::to_string(getpid()) + ".raw";
};

TEST_F(BassOutput, MusicIsHeardStopIsSilenceAtOnceAndStartResumes) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  ASSERT_TRUE(bassoutput::hasDevice());
  const HMUSIC handle = loadMusic(music);
  ASSERT_NE(handle, 0u);
  ASSERT_EQ(BASS_Start(), TRUE);
  // Counts read before a call that starts sound and after one that ends it: every frame
  // mixed before a count was taken is in it.
  const std::uint64_t playedAt = bassoutput::framesOutput();
  ASSERT_EQ(BASS_MusicPlayEx(handle, 0, -1, TRUE), TRUE);
  waitForMore(rate / 2);
  ASSERT_EQ(BASS_Stop(), TRUE);
  const std::uint64_t stoppedAt = bassoutput::framesOutput();
  waitForMore(rate / 4);
  const std::uint64_t startedAt = bassoutput::framesOutput();
  ASSERT_EQ(BASS_Start(), TRUE);
  waitForMore(rate / 2);
  const std::uint64_t endedAt = bassoutput::framesOutput();
  const auto out = finish();

  ASSERT_GE(out.size() / 2, endedAt);
  EXPECT_TRUE(silent(out, 0, playedAt));
  for (std::uint64_t f = playedAt; f + rate / 10 <= stoppedAt; f += rate / 10) {
    EXPECT_GT(outputcapture::rms(out, f, f + rate / 10), 0.01) << "at frame " << f;
  }
  EXPECT_TRUE(silent(out, stoppedAt, startedAt)) << "frames " << stoppedAt << ".." << startedAt;
  EXPECT_GT(outputcapture::rms(out, startedAt, endedAt), 0.03);
}

TEST_F(BassOutput, AJumpFromAnotherThreadIsHeardWithinTwoBuffersWithoutTheMusic) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HMUSIC noMusic = loadMusic(music + ".missing");  // the program runs on in silence
  EXPECT_EQ(noMusic, 0u);
  EXPECT_EQ(BASS_MusicPlayEx(noMusic, 0, -1, TRUE), FALSE);
  const HSTREAM handle = loadJump(jump);
  ASSERT_NE(handle, 0u);
  waitForMore(rate / 5);
  std::uint64_t playedAt = 0;
  std::thread([&] {  // as the game tick plays it
    playedAt = bassoutput::framesOutput();
    BASS_Start();
    BASS_StreamPlay(handle, FALSE, 0);
  }).join();
  waitForMore(rate / 2);
  auto out = finish();

  const auto sound = decodeMp3(*readAudioFile(jump.c_str(), 0, 0), rate);
  ASSERT_TRUE(sound);
  EXPECT_TRUE(silent(out, 0, playedAt));
  const long at = outputcapture::findSound(out, *sound, playedAt, playedAt + 4 * bassoutput::bufferFrames);
  ASSERT_GE(at, 0) << "the jump is not in the output";
  // Heard at most one buffer after the next one starts: the buffer in the device plays first.
  EXPECT_LE(at - static_cast<long>(playedAt) + bassoutput::bufferFrames, static_cast<long>(rate * 30 / 1000));
  ASSERT_LE(2 * static_cast<std::size_t>(at) + sound->size(), out.size());
  for (std::size_t i = 0; i < sound->size(); ++i) out[2 * static_cast<std::size_t>(at) + i] -= (*sound)[i];
  EXPECT_TRUE(silent(out, 0, out.size() / 2)) << "more than the play sounded";
}

TEST_F(BassOutput, FilesAndHandlesThatCannotPlayGiveTheFailureValueAndSilence) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const std::string empty = ::testing::TempDir() + "kestrix_empty_" + std::to_string(getpid());
  std::ofstream(empty).close();
  for (const std::string& bad : {music + ".missing", jump, empty, ::testing::TempDir()}) {
    EXPECT_EQ(loadMusic(bad), 0u) << bad;
  }
  for (const std::string& bad : {jump + ".missing", music, empty, ::testing::TempDir()}) {
    EXPECT_EQ(loadJump(bad), 0u) << bad;
  }
  std::remove(empty.c_str());
  // From memory: behind 7 other bytes and an ID3v2 tag, as many MP3 files start.
  std::vector<std::uint8_t> block{'s', 'o', 'm', 'e', 't', 'h', '.', 'I', 'D', '3', 3, 0, 0, 0, 0, 0, 4, 'T', 'E', 'S', 'T'};
  const auto bytes = readAudioFile(jump.c_str(), 0, 0);
  block.insert(block.end(), bytes->begin(), bytes->end());
  const auto length = static_cast<DWORD>(block.size() - 7);
  EXPECT_NE(BASS_StreamCreateFile(TRUE, block.data(), 7, length, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, block.data(), 0, length, 0), 0u);  // starts with the wrong bytes
  const auto song = readAudioFile(music.c_str(), 0, 0);
  EXPECT_NE(BASS_MusicLoad(TRUE, song->data(), 0, static_cast<DWORD>(song->size()), 0), 0u);

  // Handles of the other kind, the failure value and an order past the end play nothing.
  const HMUSIC tune = loadMusic(music);
  const HSTREAM sound = loadJump(jump);
  ASSERT_NE(tune, 0u);
  ASSERT_NE(sound, 0u);
  EXPECT_EQ(BASS_MusicPlayEx(sound, 0, -1, TRUE), FALSE);
  EXPECT_EQ(BASS_StreamPlay(tune, FALSE, 0), FALSE);
  EXPECT_EQ(BASS_MusicPlayEx(0, 0, -1, TRUE), FALSE);
  EXPECT_EQ(BASS_StreamPlay(0, FALSE, 0), FALSE);
  EXPECT_EQ(BASS_MusicPlayEx(tune, 4096, -1, TRUE), FALSE);
  waitForMore(rate / 5);
  const std::uint64_t frames = bassoutput::framesOutput();
  const auto out = finish();
  ASSERT_GE(out.size() / 2, frames);
  EXPECT_TRUE(silent(out, 0, out.size() / 2));
}

TEST_F(BassOutput, EveryCallAfterFreeIsHarmlessWhileAnotherThreadKeepsPlaying) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HMUSIC song = loadMusic(music);
  const HSTREAM sound = loadJump(jump);
  ASSERT_NE(song, 0u);
  ASSERT_NE(sound, 0u);
  EXPECT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);  // the second call changes nothing
  EXPECT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), TRUE);

  // The game tick jumps every few milliseconds, before, during and after the shut-down.
  // A play begun once BASS_Free has returned must be refused, even after a new BASS_Init.
  std::atomic<bool> freed{false}, done{false};
  std::atomic<int> heard{0}, heardAfterFree{0};
  std::thread tick([&] {
    while (!done.load()) {
      const bool after = freed.load();
      BASS_Start();
      if (BASS_StreamPlay(sound, FALSE, 0) == TRUE) (after ? heardAfterFree : heard).fetch_add(1);
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  });
  waitForMore(rate / 5);
  EXPECT_EQ(BASS_Stop(), TRUE);
  BASS_Free();
  freed.store(true);
  EXPECT_GT(heard.load(), 0);
  EXPECT_FALSE(bassoutput::hasDevice());
  EXPECT_EQ(BASS_Start(), FALSE);
  EXPECT_EQ(BASS_Stop(), FALSE);
  EXPECT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), FALSE);
  EXPECT_EQ(loadMusic(music), 0u);
  EXPECT_EQ(loadJump(jump), 0u);
  BASS_Free();

  // A new start: the old handles stay dead, new ones work.
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HSTREAM again = loadJump(jump);
  ASSERT_NE(again, 0u);
  EXPECT_NE(again, sound);
  EXPECT_NE(again, song);
  EXPECT_EQ(BASS_StreamPlay(again, FALSE, 0), TRUE);
  waitForMore(rate / 10);
  done.store(true);
  tick.join();
  EXPECT_EQ(heardAfterFree.load(), 0);
}

TEST_F(BassOutput, WithoutAnOutputDeviceEverythingRunsSilently) {
  for (const std::string driver : {"dummy", "no-such-driver"}) {
    SCOPED_TRACE(driver);
    outputcapture::useDriver(driver);
    const bool device = driver == "dummy";  // SDL's dummy plays into nothing
    EXPECT_EQ(BASS_Init(-1, rate, 0, nullptr), device ? TRUE : FALSE);
    EXPECT_EQ(bassoutput::hasDevice(), device);
    const HMUSIC song = loadMusic(music);
    const HSTREAM sound = loadJump(jump);
    EXPECT_EQ(BASS_Start(), TRUE);
    EXPECT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), TRUE);
    EXPECT_EQ(BASS_StreamPlay(sound, FALSE, 0), TRUE);
    if (device) waitForMore(rate / 20);
    EXPECT_EQ(BASS_Stop(), TRUE);
    BASS_Free();
  }
  EXPECT_EQ(BASS_Init(0, rate, 0, nullptr), FALSE);  // device 0 asks for no sound at all
  EXPECT_FALSE(bassoutput::hasDevice());
  EXPECT_NE(loadJump(jump), 0u);
  BASS_Free();
  EXPECT_EQ(BASS_Init(-1, 0, 0, nullptr), FALSE);  // an impossible rate opens nothing
  EXPECT_EQ(loadJump(jump), 0u);
}

}  // namespace
