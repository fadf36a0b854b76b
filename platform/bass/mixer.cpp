#include "platform/bass/mixer.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float fullScale = 32768.0f;  // libopenmpt's 1.0 as a 16-bit sample

std::int16_t clip(float v) {
  const float r = std::nearbyint(v);
  if (r >= 32767.0f) return 32767;
  if (r <= -32768.0f) return -32768;
  return static_cast<std::int16_t>(r);
}

}  // namespace

void Mixer::mix(std::int16_t* out, int frames) {
  if (!running) {
    std::fill(out, out + 2 * frames, std::int16_t{0});
    return;
  }
  while (frames > 0) {
    const int n = std::min(frames, chunkFrames);
    mixChunk(out, n);
    out += 2 * n;
    frames -= n;
  }
}

void Mixer::mixChunk(std::int16_t* out, int frames) {
  const std::size_t samples = 2 * static_cast<std::size_t>(frames);
  std::fill(sum.begin(), sum.begin() + static_cast<std::ptrdiff_t>(samples), 0.0f);

  for (MusicTrack* track : tracks) {
    if (!track->playing) continue;
    const std::size_t got = openmpt_module_read_interleaved_float_stereo(
        track->module, sampleRate, static_cast<std::size_t>(frames), music.data());
    for (std::size_t i = 0; i < 2 * got; ++i) sum[i] += music[i] * fullScale;
    if (got < static_cast<std::size_t>(frames)) track->playing = false;  // the module ended after all
  }

  for (Voice& voice : voices) {
    if (voice.sound == nullptr) continue;
    const std::size_t left = voice.sound->frames() - voice.frame;
    const std::size_t n = std::min(left, static_cast<std::size_t>(frames));
    const std::int16_t* from = voice.sound->samples.data() + 2 * voice.frame;
    for (std::size_t i = 0; i < 2 * n; ++i) sum[i] += static_cast<float>(from[i]);
    voice.frame += n;
    if (voice.frame >= voice.sound->frames()) voice = Voice{};
  }

  for (std::size_t i = 0; i < samples; ++i) out[i] = clip(sum[i]);
}

void Mixer::startVoice(const StreamSound& sound) {
  if (sound.frames() == 0) return;
  Voice* slot = &voices[0];
  for (Voice& v : voices) {
    if (v.sound == nullptr) {
      slot = &v;
      break;
    }
    if (v.started < slot->started) slot = &v;
  }
  *slot = Voice{&sound, 0, ++plays};
}

void Mixer::clear() {
  tracks.clear();
  voices.fill(Voice{});
}
