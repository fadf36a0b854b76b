// The audio library as the game uses it, through SDL's disk audio driver or without output.
#include <gtest/gtest.h>

#include <bass.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/bass/bass_output.h"
#include "platform/bass/file_bytes.h"
#include "platform/bass/mp3_decode.h"
#include "platform/bass/output_capture.h"
#include "tests/support/wait_until.h"

namespace {

constexpr DWORD rate = 44100;
const std::string music = std::string(KESTRIX_ASSETS_DIR) + "/cagadon.it";
const std::string jump = std::string(KESTRIX_ASSETS_DIR) + "/saltito.mp3";

HMUSIC loadMusic(const std::string& path) { return BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_RAMP); }
HSTREAM loadJump(const std::string& path) { return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0); }

// Waits, on the output's own clock, for `frames` more frames; the deadline only guards a hang.
void waitForMore(std::uint64_t frames) {
  const std::uint64_t until = bassoutput::framesOutput() + frames;
  ASSERT_TRUE(testsupport::waitUntil([until] { return bassoutput::framesOutput() >= until; }, 30))
      << "the output stopped at " << bassoutput::framesOutput();
}

class BassOutput : public ::testing::Test {
 protected:
  void TearDown() override {
    BASS_Free();
    std::remove(outputPath.c_str());
  }
  const std::string outputPath = ::testing::TempDir() + "kestrix_output_" + std::to_string(getpid()) + ".raw";
};

TEST_F(BassOutput, AJumpFromAnotherThreadIsHeardWithinTwoBuffersAndTheMusicUntilStopped) {
  outputcapture::useDiskOutput(outputPath);
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HSTREAM sound = loadJump(jump);
  const HMUSIC song = loadMusic(music);
  waitForMore(rate / 5);
  // Counts read before a call that starts sound and after one that ends it.
  std::uint64_t jumpedAt = 0;
  std::thread([&] {  // as the game tick plays it
    jumpedAt = bassoutput::framesOutput();
    BASS_Start();
    BASS_StreamPlay(sound, FALSE, 0);
  }).join();
  waitForMore(rate / 2);
  const std::uint64_t playedAt = bassoutput::framesOutput();
  ASSERT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), TRUE);
  waitForMore(rate / 2);
  ASSERT_EQ(BASS_Stop(), TRUE);
  const std::uint64_t stoppedAt = bassoutput::framesOutput();
  waitForMore(rate / 4);
  const std::uint64_t startedAt = bassoutput::framesOutput();
  ASSERT_EQ(BASS_Start(), TRUE);
  waitForMore(rate / 4);
  BASS_Free();
  long lead = 0;
  auto out = outputcapture::readOutput(outputPath, bassoutput::framesOutput(), lead);
  ASSERT_GE(lead, 0) << "the output file holds fewer frames than were mixed, or sound before them";

  const auto jumpSound = decodeMp3(*readAudioFile(jump.c_str(), 0, 0), rate);
  const long at = outputcapture::findSound(out, *jumpSound, jumpedAt, jumpedAt + 4 * bassoutput::bufferFrames);
  ASSERT_GE(at, 0) << "the jump is not in the output";
  // Heard at most one buffer after the next one starts: the buffer in the device plays first.
  EXPECT_LE(at - static_cast<long>(jumpedAt) + bassoutput::bufferFrames, static_cast<long>(rate * 30 / 1000));
  for (std::size_t i = 0; i < jumpSound->size(); ++i) out[2 * static_cast<std::size_t>(at) + i] -= (*jumpSound)[i];
  EXPECT_EQ(outputcapture::rms(out, 0, playedAt), 0.0) << "more than the jump sounded before the music";
  EXPECT_GT(outputcapture::rms(out, playedAt, stoppedAt), 0.03);
  EXPECT_EQ(outputcapture::rms(out, stoppedAt, startedAt), 0.0) << "frames " << stoppedAt << ".." << startedAt;
  EXPECT_GT(outputcapture::rms(out, startedAt, out.size() / 2), 0.03);
}

TEST_F(BassOutput, WithOrWithoutOutputOnlyWhatCanPlayIsLoadedAndPlayed) {
  // From memory: behind 7 other bytes and an ID3v2 tag, as many MP3 files start.
  std::vector<std::uint8_t> block{'o', 't', 'h', 'e', 'r', ' ', '.', 'I', 'D', '3', 3, 0, 0, 0, 0, 0, 4, 'T', 'A', 'G', 0};
  const auto mp3 = readAudioFile(jump.c_str(), 0, 0).value();
  block.insert(block.end(), mp3.begin(), mp3.end());
  const auto length = static_cast<DWORD>(block.size() - 7);
  const auto song = readAudioFile(music.c_str(), 0, 0);
  // SDL's dummy driver plays into nothing; a missing driver or device 0 gives no output at all.
  for (const auto& [driver, device] : {std::pair{"dummy", -1}, {"no-such-driver", -1}, {"dummy", 0}}) {
    SCOPED_TRACE(std::string(driver) + " " + std::to_string(device));
    outputcapture::useDriver(driver);
    const bool output = std::string(driver) == "dummy" && device != 0;
    EXPECT_EQ(BASS_Init(device, rate, 0, nullptr), output ? TRUE : FALSE);
    EXPECT_EQ(bassoutput::hasDevice(), output);
    EXPECT_EQ(loadMusic(music + ".missing") | loadMusic(jump) | loadJump(jump + ".missing") | loadJump(music), 0u);
    EXPECT_NE(BASS_StreamCreateFile(TRUE, block.data(), 7, length, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, block.data(), 0, length, 0), 0u);  // starts with the wrong bytes
    EXPECT_NE(BASS_MusicLoad(TRUE, song->data(), 0, static_cast<DWORD>(song->size()), 0), 0u);
    // Handles of the other kind, the failure value and an order past the end play nothing.
    const HMUSIC tune = loadMusic(music);
    const HSTREAM sound = loadJump(jump);
    EXPECT_EQ(BASS_MusicPlayEx(sound, 0, -1, TRUE) | BASS_StreamPlay(tune, FALSE, 0), FALSE);
    EXPECT_EQ(BASS_MusicPlayEx(0, 0, -1, TRUE) | BASS_StreamPlay(0, FALSE, 0), FALSE);
    EXPECT_EQ(BASS_MusicPlayEx(tune, 4096, -1, TRUE), FALSE);
    EXPECT_EQ(BASS_Start() & BASS_MusicPlayEx(tune, 0, -1, TRUE) & BASS_StreamPlay(sound, FALSE, 0), TRUE);
    if (output) waitForMore(rate / 20);
    EXPECT_EQ(BASS_Stop(), TRUE);
    BASS_Free();
  }
  EXPECT_EQ(BASS_Init(-1, 0, 0, nullptr), FALSE);  // an impossible rate opens nothing
  EXPECT_EQ(loadJump(jump), 0u);
}

TEST_F(BassOutput, EveryCallAfterFreeIsHarmlessWhileAnotherThreadKeepsPlaying) {
  outputcapture::useDriver("dummy");
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HMUSIC song = loadMusic(music);
  const HSTREAM sound = loadJump(jump);
  EXPECT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);  // the second call changes nothing
  EXPECT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), TRUE);
  // A tick jumping every few ms: a play begun after BASS_Free is refused, even after BASS_Init.
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
  EXPECT_EQ(BASS_Start() | BASS_Stop() | BASS_MusicPlayEx(song, 0, -1, TRUE), FALSE);
  EXPECT_EQ(loadMusic(music) | loadJump(jump), 0u);
  BASS_Free();
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HSTREAM again = loadJump(jump);
  EXPECT_TRUE(again != sound && again != song && BASS_StreamPlay(again, FALSE, 0) == TRUE);
  waitForMore(rate / 10);
  done.store(true);
  tick.join();
  EXPECT_EQ(heardAfterFree.load(), 0);
}

}  // namespace
