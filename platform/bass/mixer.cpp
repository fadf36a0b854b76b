#include "platform/bass/mixer.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/bass/module_music.h"

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
  while (frames > 0) {
    const int n = std::min(frames, chunkFrames);
    if (takeMusic()) {
      renderMusic(n);
      addVoices(out, n);
    } else {
      std::fill(out, out + 2 * n, std::int16_t{0});
    }
    out += 2 * n;
    frames -= n;
  }
}

bool Mixer::takeMusic() {
  rendering_.clear();
  if (!running) return false;
  // Grows only on the first mix after a load: the list is the output's own, and renderMusic
  // walks it unlocked.
  if (rendering_.capacity() < tracks.size()) rendering_.reserve(tracks.size());
  for (MusicTrack* track : tracks) {
    if (!track->playing) continue;
    rendering_.push_back(Rendering{track, track->plays, track->moveDue, track->moveOrder, track->moveRow, false});
    track->moveDue = false;
  }
  return true;
}

void Mixer::renderMusic(int frames) {
  const std::size_t samples = 2 * static_cast<std::size_t>(frames);
  std::fill(sum_.begin(), sum_.begin() + static_cast<std::ptrdiff_t>(samples), 0.0f);
  for (Rendering& r : rendering_) {
    if (r.move) rewindModule(r.track->module, r.order, r.row);
    const std::size_t got = openmpt_module_read_interleaved_float_stereo(
        r.track->module, sampleRate, static_cast<std::size_t>(frames), music_.data());
    for (std::size_t i = 0; i < 2 * got; ++i) sum_[i] += music_[i] * fullScale;
    r.ended = got < static_cast<std::size_t>(frames);  // the module ended after all
  }
}

void Mixer::addVoices(std::int16_t* out, int frames) {
  for (const Rendering& r : rendering_) {
    if (r.ended && r.track->plays == r.plays) r.track->playing = false;
  }
  rendering_.clear();

  for (Voice& voice : voices) {
    if (voice.sound == nullptr) continue;
    const std::size_t left = voice.sound->frames() - voice.frame;
    const std::size_t n = std::min(left, static_cast<std::size_t>(frames));
    const std::int16_t* from = voice.sound->samples.data() + 2 * voice.frame;
    for (std::size_t i = 0; i < 2 * n; ++i) sum_[i] += static_cast<float>(from[i]);
    voice.frame += n;
    voiceFrames += n;
    if (voice.frame >= voice.sound->frames()) voice = Voice{};
  }

  const std::size_t samples = 2 * static_cast<std::size_t>(frames);
  for (std::size_t i = 0; i < samples; ++i) {
    out[i] = clip(sum_[i]);
    peak = std::max(peak, std::abs(static_cast<int>(out[i])));
  }
}

void Mixer::playTrack(MusicTrack& track, int order, int row) {
  track.playing = true;
  track.moveDue = true;
  track.moveOrder = order;
  track.moveRow = row;
  ++track.plays;
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
  rendering_.clear();
  voices.fill(Voice{});
}
