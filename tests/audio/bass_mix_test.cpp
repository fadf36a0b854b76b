// The sound layer's parts: the game's sound files, what it refuses, and the mixer.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/bass/file_bytes.h"
#include "platform/bass/mixer.h"
#include "platform/bass/module_music.h"
#include "platform/bass/mp3_decode.h"
#include "tests/support/allocation_count.h"

namespace {

constexpr int rate = 44100;

struct Module {
  openmpt_module* module = loadModule(readAudioFile(KESTRIX_ASSETS_DIR "/cagadon.it", 0, 0).value());
  ~Module() { destroyModule(module); }

  // The next `frames` frames as libopenmpt renders them, in 16-bit units.
  std::vector<float> render(int frames) {
    std::vector<float> out(2 * static_cast<std::size_t>(frames));
    openmpt_module_read_interleaved_float_stereo(module, rate, static_cast<std::size_t>(frames), out.data());
    for (float& v : out) v *= 32768.0f;
    return out;
  }
};

// As the layer loads it, the game's music starts again after its whole length and keeps sounding.
TEST(GameMusic, Loops) {
  Module music;
  const double seconds = openmpt_module_get_duration_seconds(music.module);
  std::vector<float> block;
  for (int rendered = 0; rendered < (seconds + 1.0) * rate; rendered += 4096) block = music.render(4096);
  EXPECT_EQ(openmpt_module_get_current_order(music.module), 0);  // one second into its second round
  EXPECT_GT(openmpt_module_get_current_row(music.module), 0);
  EXPECT_GT(*std::max_element(block.begin(), block.end()), 0.0f);
}

// Silent MPEG-1 layer III frames at 32 kb/s, 44.1 kHz, mono: 104 bytes and 1152 samples each.
std::vector<std::uint8_t> silentMp3(int seconds) {
  std::vector<std::uint8_t> file(static_cast<std::size_t>(seconds * rate / 1152) * 104);
  for (std::size_t at = 0; at < file.size(); at += 104) std::copy_n("\xFF\xFB\x10\xC0", 4, file.begin() + at);
  return file;
}

TEST(JumpSound, DecodesToAQuarterSecondThatStartsAtOnceAtTheRateAskedForAndRefusesNoiseAndOverlongSounds) {
  const auto mp3 = readAudioFile(KESTRIX_ASSETS_DIR "/saltito.mp3", 0, 0).value();
  const auto pcm = decodeMp3(mp3, rate);
  ASSERT_TRUE(pcm);
  const std::size_t frames = pcm->size() / 2;
  EXPECT_NEAR(static_cast<double>(frames), rate / 4.0, rate / 100.0);  // the encoder's delay is gone
  std::size_t firstLoud = frames;
  for (std::size_t f = 0; f < frames; ++f) {
    EXPECT_EQ((*pcm)[2 * f], (*pcm)[2 * f + 1]);  // mono on both sides
    if (firstLoud == frames && std::abs((*pcm)[2 * f]) > 8000) firstLoud = f;
  }
  EXPECT_LT(firstLoud, static_cast<std::size_t>(rate / 200));  // loud within 5 ms
  // A rate the file is not made at comes out resampled, or not at all: never mislabelled.
  const auto half = decodeMp3(mp3, rate / 2);
  ASSERT_TRUE(half);
  EXPECT_NEAR(static_cast<double>(half->size() / 2), rate / 8.0, rate / 50.0);
  std::vector<std::uint8_t> noise(5000);  // a fixed pseudo-random sequence
  std::uint32_t x = 1;
  for (auto& b : noise) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  for (const auto& bad : {noise, std::vector<std::uint8_t>{}}) {
    EXPECT_FALSE(decodeMp3(bad, rate));
    EXPECT_EQ(loadModule(bad), nullptr);
  }
  // Bytes after the length its info frame gives (an archive's next member) add nothing.
  auto followed = mp3;
  followed.insert(followed.end(), mp3.begin(), mp3.end());
  EXPECT_EQ(decodeMp3(followed, rate), pcm);
  // A cut MP3 gives what it holds; one longer than a sound effect needs is refused.
  EXPECT_TRUE(decodeMp3(std::vector<std::uint8_t>(mp3.begin(), mp3.begin() + 1024), rate));
  EXPECT_TRUE(decodeMp3(silentMp3(maxDecodedSeconds - 1), rate));
  EXPECT_FALSE(decodeMp3(silentMp3(maxDecodedSeconds + 1), rate));
}

TEST(AudioFiles, FromMemoryTheRangeAskedForOrNothing) {
  const auto text = [](const std::optional<std::vector<std::uint8_t>>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : "none";
  };
  EXPECT_EQ(text(copyAudioMemory("abcdef", 2, 3)), "cde");
  EXPECT_EQ(text(copyAudioMemory("abcdef", 0, 0)), "none");
  EXPECT_EQ(text(copyAudioMemory(nullptr, 0, 4)), "none");
}

TEST(Mixer, MixesTheModuleAndOverlappingPlaysClippedHoldsStillWhileStoppedAndAllocatesNothing) {
  Module played, reference;
  MusicTrack track{played.module, true};
  Mixer mixer;
  mixer.tracks.push_back(&track);
  StreamSound sound;  // left rises, right falls: steep enough to clip where plays overlap
  for (int i = 1; i <= 3000; ++i) {
    sound.samples.insert(sound.samples.end(), {static_cast<std::int16_t>(i * 10), static_cast<std::int16_t>(-i * 10)});
  }
  std::vector<std::int16_t> heard;
  std::vector<std::size_t> starts;  // the frame of `heard` where each play starts
  long allocations = 0;
  const auto play = [&] { mixer.startVoice(sound); starts.push_back(heard.size() / 2); };
  // Mixes `frames` frames in pieces of `piece`, as an output callback asks for them.
  const auto mix = [&](int frames, int piece) {
    std::vector<std::int16_t> out(2 * static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += piece) {
      const long before = allocationCount();
      mixer.mix(out.data() + 2 * done, std::min(piece, frames - done));
      if (!heard.empty()) allocations += allocationCount() - before;  // libopenmpt sets itself up on the first render
    }
    if (mixer.running) heard.insert(heard.end(), out.begin(), out.end());
    return out;
  };
  play();
  mix(1500, 333);
  play();
  mix(2500, 2500);  // more than a chunk at once
  mixer.running = false;
  for (const std::int16_t v : mix(700, 512)) ASSERT_EQ(v, 0);
  play();  // a play while stopped waits as well
  mixer.running = true;
  mix(1000, 1000);

  const std::vector<float> music = reference.render(static_cast<int>(heard.size() / 2));
  int clipped = 0;
  for (std::size_t i = 0; i < heard.size(); ++i) {
    float expected = music[i];
    for (const std::size_t start : starts) {
      if (i >= 2 * start && i - 2 * start < sound.samples.size()) expected += sound.samples[i - 2 * start];
    }
    const float r = std::nearbyint(expected);
    ASSERT_EQ(heard[i], static_cast<std::int16_t>(r > 32767.0f ? 32767.0f : r < -32768.0f ? -32768.0f : r)) << "at " << i;
    clipped += std::fabs(expected) > 32767.0f;
  }
  EXPECT_GT(clipped, 100);  // the check above did cover clipping, on both sides
  EXPECT_EQ(allocations, 0);
}

TEST(Mixer, APlayWhenEveryVoiceSoundsReplacesTheOldestAndAnEndedPlayFreesItsVoice) {
  // Sound k holds the value k + 1 throughout: the mix tells which plays sound.
  std::vector<StreamSound> sounds;
  for (std::int16_t k = 0; k <= Mixer::maxVoices; ++k) {
    sounds.push_back({std::vector<std::int16_t>(k == 1 ? 20 : 2000, static_cast<std::int16_t>(k + 1))});
  }
  Mixer mixer;
  for (int k = 0; k < Mixer::maxVoices; ++k) mixer.startVoice(sounds[static_cast<std::size_t>(k)]);
  std::int16_t out[2 * 20];
  mixer.mix(out, 20);  // sound 1 has ended: its voice takes the next play, and no other is lost
  mixer.startVoice(sounds.back());
  mixer.mix(out, 1);
  const int all = (Mixer::maxVoices + 1) * (Mixer::maxVoices + 2) / 2;
  EXPECT_EQ(out[0], all - 2);
  mixer.startVoice(sounds[1]);  // every voice sounds: the oldest (sound 0) gives way
  mixer.mix(out, 1);
  EXPECT_EQ(out[0], all - 1);
}

}  // namespace
