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
constexpr long maxLatencyFrames = rate * 30 / 1000;
const std::string music = std::string(KESTRIX_ASSETS_DIR) + "/cagadon.it";
const std::string jump = std::string(KESTRIX_ASSETS_DIR) + "/saltito.mp3";

class BassOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    outputPath = ::testing::TempDir() + "kestrix_output_" + std::to_string(getpid()) + ".raw";
    outputcapture::useDiskOutput(outputPath);
  }
  void TearDown() override {
    BASS_Free();
    std::remove(outputPath.c_str());
  }

  // Waits (on the output's own clock) until `frames` frames have been mixed. The deadline
  // only guards against a hang.
  static void waitForFrames(std::uint64_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (bassoutput::framesOutput() < frames) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the output stopped at " << bassoutput::framesOutput();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  static void waitForMore(std::uint64_t frames) { waitForFrames(bassoutput::framesOutput() + frames); }

  // Ends the output and reads what the library mixed, frame 0 being the first one counted.
  std::vector<std::int16_t> finish() {
    BASS_Free();
    long lead = 0;
    auto out = outputcapture::readOutput(outputPath, bassoutput::framesOutput(), lead);
    EXPECT_GE(lead, 0) << "the output file holds fewer frames than were mixed, or sound before them";
    return out;
  }

  static bool silent(const std::vector<std::int16_t>& out, std::size_t from, std::size_t to) {
    for (std::size_t i = 2 * from; i < 2 * to && i < out.size(); ++i) {
      if (out[i] != 0) return false;
    }
    return true;
  }

  std::string outputPath;
};

// Subtracts `sound` from `out` at frame `at`; false when the output ends before the sound.
bool takeAway(std::vector<std::int16_t>& out, const std::vector<std::int16_t>& sound, std::size_t at) {
  if (2 * at + sound.size() > out.size()) return false;
  for (std::size_t i = 0; i < sound.size(); ++i) out[2 * at + i] = static_cast<std::int16_t>(out[2 * at + i] - sound[i]);
  return true;
}

// A play from its own thread, as the game tick makes it; returns the output's frame count
// just before the call.
std::uint64_t playFromAnotherThread(HSTREAM handle) {
  std::uint64_t before = 0;
  std::thread tick([&] {
    before = bassoutput::framesOutput();
    BASS_Start();
    BASS_StreamPlay(handle, FALSE, 0);
  });
  tick.join();
  return before;
}

TEST_F(BassOutput, MusicIsHeardStopIsSilenceAtOnceAndStartResumes) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  ASSERT_TRUE(bassoutput::hasDevice());
  const HMUSIC handle = BASS_MusicLoad(FALSE, music.c_str(), 0, 0, BASS_MUSIC_RAMP);
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
  // Loud enough to hear over the whole half second, in every tenth of it.
  EXPECT_GT(outputcapture::rms(out, playedAt, stoppedAt), 0.03);
  for (std::uint64_t f = playedAt; f + rate / 10 <= stoppedAt; f += rate / 10) {
    EXPECT_GT(outputcapture::rms(out, f, f + rate / 10), 0.01) << "at frame " << f;
  }
  EXPECT_TRUE(silent(out, stoppedAt, startedAt)) << "frames " << stoppedAt << ".." << startedAt;
  EXPECT_GT(startedAt - stoppedAt, rate / 4 - 1);
  EXPECT_GT(outputcapture::rms(out, startedAt, endedAt), 0.03);
}

TEST_F(BassOutput, JumpsFromAnotherThreadAreHeardWithinTwoBuffersOverlappingFromTheirStart) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  // The music is missing: the program runs on in silence, and the jumps still sound.
  const HMUSIC noMusic = BASS_MusicLoad(FALSE, (music + ".missing").c_str(), 0, 0, BASS_MUSIC_RAMP);
  EXPECT_EQ(noMusic, 0u);
  EXPECT_EQ(BASS_MusicPlayEx(noMusic, 0, -1, TRUE), FALSE);
  const HSTREAM handle = BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0);
  ASSERT_NE(handle, 0u);
  waitForMore(rate / 5);

  const std::uint64_t first = playFromAnotherThread(handle);
  waitForMore(rate / 10);  // the first play still sounds when the second starts
  const std::uint64_t second = playFromAnotherThread(handle);
  waitForMore(rate / 2);
  const auto out = finish();

  const auto bytes = readAudioFile(jump.c_str(), 0, 0);
  ASSERT_TRUE(bytes);
  const auto sound = decodeMp3(*bytes, rate);
  ASSERT_TRUE(sound);
  const std::size_t length = sound->size() / 2;

  EXPECT_TRUE(silent(out, 0, first));
  const long at1 = outputcapture::findSound(out, *sound, first, first + 4 * bassoutput::bufferFrames);
  ASSERT_GE(at1, 0) << "the first jump is not in the output";
  // The second play is found in what is left once the first is taken away; then nothing is left.
  std::vector<std::int16_t> rest = out;
  ASSERT_TRUE(takeAway(rest, *sound, static_cast<std::size_t>(at1)));
  const long at2 = outputcapture::findSound(rest, *sound, second, second + 4 * bassoutput::bufferFrames, length);
  ASSERT_GE(at2, 0) << "the second jump is not in the output, from its beginning";
  EXPECT_LT(static_cast<std::size_t>(at2), static_cast<std::size_t>(at1) + length) << "the plays did not overlap";
  ASSERT_TRUE(takeAway(rest, *sound, static_cast<std::size_t>(at2)));
  EXPECT_TRUE(silent(rest, 0, rest.size() / 2)) << "more than the two plays sounded";

  // Heard at most one buffer after the next one starts: the buffer in the device plays first.
  const long latency1 = at1 - static_cast<long>(first) + bassoutput::bufferFrames;
  const long latency2 = at2 - static_cast<long>(second) + bassoutput::bufferFrames;
  EXPECT_LE(latency1, maxLatencyFrames);
  EXPECT_LE(latency2, maxLatencyFrames);
  RecordProperty("latency_frames", static_cast<int>(std::max(latency1, latency2)));
}

TEST_F(BassOutput, MissingUnreadableOrRejectedFilesGiveTheFailureValueAndSilence) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const std::string empty = ::testing::TempDir() + "kestrix_empty_" + std::to_string(getpid());
  std::ofstream(empty).close();
  const std::string dir = ::testing::TempDir();
  for (const std::string& bad : {music + ".missing", jump, empty, dir}) {
    EXPECT_EQ(BASS_MusicLoad(FALSE, bad.c_str(), 0, 0, BASS_MUSIC_RAMP), 0u) << bad;
  }
  for (const std::string& bad : {jump + ".missing", music, empty, dir}) {
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, bad.c_str(), 0, 0, 0), 0u) << bad;
  }
  EXPECT_EQ(BASS_MusicLoad(FALSE, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, music.c_str(), 1u << 30, 0, 0), 0u);  // offset past the end
  const char block[] = "not a sound";
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, block, 0, 0, 0), 0u);  // memory without a length
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, block, 0, sizeof block, 0), 0u);
  EXPECT_EQ(BASS_MusicLoad(TRUE, block, 0, sizeof block, 0), 0u);
  std::remove(empty.c_str());

  // Handles of the other kind and the failure value play nothing.
  const HMUSIC song = BASS_MusicLoad(FALSE, music.c_str(), 0, 0, BASS_MUSIC_RAMP);
  const HSTREAM sound = BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0);
  ASSERT_NE(song, 0u);
  ASSERT_NE(sound, 0u);
  EXPECT_NE(song, sound);
  EXPECT_EQ(BASS_MusicPlayEx(sound, 0, -1, TRUE), FALSE);
  EXPECT_EQ(BASS_StreamPlay(song, FALSE, 0), FALSE);
  EXPECT_EQ(BASS_MusicPlayEx(0, 0, -1, TRUE), FALSE);
  EXPECT_EQ(BASS_StreamPlay(0, FALSE, 0), FALSE);
  EXPECT_EQ(BASS_MusicPlayEx(song, 4096, -1, TRUE), FALSE);  // no such order
  waitForMore(rate / 5);
  const std::uint64_t frames = bassoutput::framesOutput();
  const auto out = finish();
  ASSERT_GE(out.size() / 2, frames);
  EXPECT_TRUE(silent(out, 0, out.size() / 2));
}

TEST_F(BassOutput, LoadsFromMemoryWithOffsetAndLength) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  auto bytes = readAudioFile(jump.c_str(), 0, 0);
  ASSERT_TRUE(bytes);
  // Behind 7 bytes of something else and an ID3v2 tag, as many MP3 files start.
  std::vector<std::uint8_t> block{'s', 'o', 'm', 'e', 't', 'h', '.'};
  const std::uint8_t tag[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 4, 'T', 'E', 'S', 'T'};
  block.insert(block.end(), std::begin(tag), std::end(tag));
  block.insert(block.end(), bytes->begin(), bytes->end());
  const auto length = static_cast<DWORD>(block.size() - 7);
  EXPECT_NE(BASS_StreamCreateFile(TRUE, block.data(), 7, length, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, block.data(), 0, length, 0), 0u);  // starts with the wrong bytes
  const std::string musicFile = music;
  auto song = readAudioFile(musicFile.c_str(), 0, 0);
  ASSERT_TRUE(song);
  EXPECT_NE(BASS_MusicLoad(TRUE, song->data(), 0, static_cast<DWORD>(song->size()), 0), 0u);
}

TEST_F(BassOutput, EveryCallAfterFreeIsHarmlessWhileAnotherThreadKeepsPlaying) {
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HMUSIC song = BASS_MusicLoad(FALSE, music.c_str(), 0, 0, BASS_MUSIC_RAMP);
  const HSTREAM sound = BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0);
  ASSERT_NE(song, 0u);
  ASSERT_NE(sound, 0u);
  EXPECT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);  // the second call changes nothing
  EXPECT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), TRUE);

  // The game tick: jumps every few milliseconds, before, during and after the shut-down.
  // A play begun once BASS_Free has returned must be refused, even after a new BASS_Init.
  std::atomic<bool> freed{false};
  std::atomic<bool> done{false};
  std::atomic<int> heard{0};
  std::atomic<int> heardAfterFree{0};
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
  EXPECT_EQ(BASS_StreamPlay(sound, FALSE, 0), FALSE);
  EXPECT_EQ(BASS_MusicLoad(FALSE, music.c_str(), 0, 0, BASS_MUSIC_RAMP), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0), 0u);
  BASS_Free();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));

  // A new start: the old handles stay dead, new ones work.
  ASSERT_EQ(BASS_Init(-1, rate, 0, nullptr), TRUE);
  const HSTREAM again = BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0);
  ASSERT_NE(again, 0u);
  EXPECT_NE(again, sound);
  EXPECT_NE(again, song);
  EXPECT_EQ(BASS_StreamPlay(sound, FALSE, 0), FALSE);
  EXPECT_EQ(BASS_StreamPlay(again, FALSE, 0), TRUE);
  waitForMore(rate / 10);
  done.store(true);
  tick.join();
  EXPECT_EQ(heardAfterFree.load(), 0);
}

TEST_F(BassOutput, WithoutAnOutputDeviceEverythingRunsSilently) {
  for (const char* driver : {"dummy", "no-such-driver"}) {
    SCOPED_TRACE(driver);
    outputcapture::useDriver(driver);
    const bool device = std::string(driver) == "dummy";  // SDL's dummy plays into nothing
    EXPECT_EQ(BASS_Init(-1, rate, 0, nullptr), device ? TRUE : FALSE);
    EXPECT_EQ(bassoutput::hasDevice(), device);
    const HMUSIC song = BASS_MusicLoad(FALSE, music.c_str(), 0, 0, BASS_MUSIC_RAMP);
    const HSTREAM sound = BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0);
    EXPECT_NE(song, 0u);
    EXPECT_NE(sound, 0u);
    EXPECT_EQ(BASS_Start(), TRUE);
    EXPECT_EQ(BASS_MusicPlayEx(song, 0, -1, TRUE), TRUE);
    EXPECT_EQ(BASS_StreamPlay(sound, FALSE, 0), TRUE);
    if (device) waitForMore(rate / 20);
    EXPECT_EQ(BASS_Stop(), TRUE);
    BASS_Free();
  }
  // Device 0 asks for no sound at all.
  EXPECT_EQ(BASS_Init(0, rate, 0, nullptr), FALSE);
  EXPECT_FALSE(bassoutput::hasDevice());
  EXPECT_NE(BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0), 0u);
  BASS_Free();
  // An impossible rate opens nothing.
  EXPECT_EQ(BASS_Init(-1, 0, 0, nullptr), FALSE);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, jump.c_str(), 0, 0, 0), 0u);
}

}  // namespace
