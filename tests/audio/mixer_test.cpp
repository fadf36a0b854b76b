// The mixer on its own: exactly the clipped sum of the module and every play, silence and
// stillness while stopped, the oldest play giving way when all voices sound, and no
// allocation while mixing.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/bass/file_bytes.h"
#include "platform/bass/mixer.h"
#include "platform/bass/module_music.h"
#include "tests/support/allocation_count.h"

namespace {

constexpr int rate = 44100;
const std::string musicPath = std::string(KESTRIX_ASSETS_DIR) + "/cagadon.it";

struct Module {
  openmpt_module* module = nullptr;
  Module() {
    const auto bytes = readAudioFile(musicPath.c_str(), 0, 0);
    if (bytes) module = loadModule(*bytes);
  }
  ~Module() { destroyModule(module); }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // The next `frames` frames as libopenmpt renders them, in 16-bit units.
  std::vector<float> render(int frames) {
    std::vector<float> out(2 * static_cast<std::size_t>(frames));
    openmpt_module_read_interleaved_float_stereo(module, rate, static_cast<std::size_t>(frames), out.data());
    for (float& v : out) v *= 32768.0f;
    return out;
  }
};

std::int16_t clip(float v) {
  const float r = std::nearbyint(v);
  return static_cast<std::int16_t>(r > 32767.0f ? 32767.0f : r < -32768.0f ? -32768.0f : r);
}

// A stereo sound whose frame i holds (i + 1) * step on the left and -(i + 1) * step on the right.
StreamSound ramp(int frames, int step) {
  StreamSound s;
  for (int i = 0; i < frames; ++i) {
    s.samples.push_back(static_cast<std::int16_t>((i + 1) * step));
    s.samples.push_back(static_cast<std::int16_t>(-(i + 1) * step));
  }
  return s;
}

StreamSound constant(int frames, int value) {
  StreamSound s;
  s.samples.assign(2 * static_cast<std::size_t>(frames), static_cast<std::int16_t>(value));
  return s;
}

// Mixes `frames` frames in pieces of `piece`, as an output callback would ask for them.
std::vector<std::int16_t> mixFrames(Mixer& mixer, int frames, int piece) {
  std::vector<std::int16_t> out(2 * static_cast<std::size_t>(frames));
  for (int done = 0; done < frames; done += piece) {
    mixer.mix(out.data() + 2 * done, std::min(piece, frames - done));
  }
  return out;
}

TEST(Mixer, MixesTheModuleAndOverlappingPlaysFromTheirStartClippedTo16Bits) {
  Module played;
  Module reference;
  ASSERT_NE(played.module, nullptr);
  MusicTrack track{played.module, true};
  Mixer mixer;
  mixer.tracks.push_back(&track);
  // Long enough to overlap itself, steep enough to clip when it does.
  const StreamSound sound = ramp(3000, 12);
  mixer.startVoice(sound);
  const auto a = mixFrames(mixer, 1500, 333);
  mixer.startVoice(sound);  // 1500 frames into the first play
  const auto b = mixFrames(mixer, 4000, 2500);  // more than a chunk at once

  const std::vector<float> music = reference.render(5500);
  std::vector<std::int16_t> out = a;
  out.insert(out.end(), b.begin(), b.end());
  int clipped = 0;
  for (int f = 0; f < 5500; ++f) {
    for (int side = 0; side < 2; ++side) {
      const std::size_t i = 2 * static_cast<std::size_t>(f) + static_cast<std::size_t>(side);
      float expected = music[i];
      if (f < 3000) expected += sound.samples[i];
      if (f >= 1500 && f < 4500) expected += sound.samples[i - 2 * 1500];
      ASSERT_EQ(out[i], clip(expected)) << "frame " << f << " side " << side;
      if (std::fabs(expected) > 32767.0f) ++clipped;
    }
  }
  EXPECT_GT(clipped, 100);  // the check above did cover clipping, on both sides
}

TEST(Mixer, StoppedIsSilentAndHoldsEverythingInPlaceUntilStarted) {
  Module played;
  Module reference;
  MusicTrack track{played.module, true};
  Mixer mixer;
  mixer.tracks.push_back(&track);
  const StreamSound sound = ramp(800, 3);
  mixer.startVoice(sound);
  const auto before = mixFrames(mixer, 500, 500);
  mixer.running = false;
  const auto stopped = mixFrames(mixer, 700, 512);
  mixer.startVoice(sound);  // a play while stopped waits as well
  mixer.running = true;
  const auto after = mixFrames(mixer, 500, 500);

  for (std::int16_t v : stopped) ASSERT_EQ(v, 0);
  const std::vector<float> music = reference.render(1000);
  std::vector<std::int16_t> heard = before;
  heard.insert(heard.end(), after.begin(), after.end());
  for (std::size_t i = 0; i < heard.size(); ++i) {
    const std::size_t f = i / 2;
    float expected = music[i];
    if (f < 800) expected += sound.samples[i];           // the first play goes on where it stopped
    if (f >= 500) expected += sound.samples[i - 2 * 500];  // the second starts after the stop
    ASSERT_EQ(heard[i], clip(expected)) << "frame " << f;
  }
}

TEST(Mixer, APlayWhenEveryVoiceSoundsReplacesTheOldest) {
  // Sound k holds the value k + 1 throughout: the mix tells which plays sound.
  std::vector<StreamSound> sounds;
  for (int k = 0; k <= Mixer::maxVoices; ++k) sounds.push_back(constant(100, k + 1));
  Mixer mixer;
  int expected = 0;
  for (int k = 0; k <= Mixer::maxVoices; ++k) {
    mixer.startVoice(sounds[static_cast<std::size_t>(k)]);
    if (k > 0) expected += k + 1;  // the first play gives way to the last
  }
  std::int16_t out[2];
  mixer.mix(out, 1);
  EXPECT_EQ(out[0], expected);

  // A play that has ended frees its voice: the next play takes it, and no other is lost.
  Mixer full;
  const StreamSound shortSound = constant(10, 1);
  const StreamSound longSound = constant(1000, 2);
  full.startVoice(shortSound);
  for (int k = 1; k < Mixer::maxVoices; ++k) full.startVoice(longSound);
  std::vector<std::int16_t> skip(2 * 20);
  full.mix(skip.data(), 20);
  full.startVoice(shortSound);
  full.mix(out, 1);
  EXPECT_EQ(out[0], 2 * (Mixer::maxVoices - 1) + 1);
}

TEST(Mixer, MixingAllocatesNothing) {
  Module played;
  MusicTrack track{played.module, true};
  Mixer mixer;
  mixer.tracks.push_back(&track);
  const StreamSound sound = ramp(11025, 1);
  std::vector<std::int16_t> out(2 * 512);
  mixer.mix(out.data(), 512);  // libopenmpt sets itself up on the first render
  const long before = allocationCount();
  for (int buffer = 0; buffer < 2 * rate / 512; ++buffer) {
    if (buffer % 20 == 0) mixer.startVoice(sound);
    mixer.mix(out.data(), 512);
  }
  EXPECT_EQ(allocationCount() - before, 0);
}

TEST(Mixer, AModuleRewoundToItsStartPlaysAsNew) {
  Module played;
  Module fresh;
  std::vector<float> skipped = played.render(rate * 3);
  ASSERT_TRUE(rewindModule(played.module, 0, 0));
  // The same but for libopenmpt's slow filters, which keep a trace of the past (-70 dB).
  const std::vector<float> rewound = played.render(rate);
  const std::vector<float> start = fresh.render(rate);
  float largest = 0.0f;
  for (std::size_t i = 0; i < start.size(); ++i) largest = std::max(largest, std::fabs(rewound[i] - start[i]));
  EXPECT_LT(largest, 10.0f);
  EXPECT_FALSE(rewindModule(played.module, 1000, 0));
  EXPECT_FALSE(rewindModule(played.module, -1, 0));
}

}  // namespace
