#include "tools/sound/boing.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double pi = 3.14159265358979323846;
constexpr double startHz = 190.0;
constexpr double endHz = 760.0;    // two octaves up over the quarter second
constexpr double wobbleHz = 22.0;  // the spring's wobble, fading as the pitch rises
constexpr double attackSeconds = 0.003;
constexpr double peak = 0.6;
}  // namespace

std::vector<std::int16_t> synthesiseBoing() {
  std::vector<std::int16_t> pcm;
  pcm.reserve(boingFrames);
  const double seconds = static_cast<double>(boingFrames) / boingRate;
  double phase = 0.0;
  for (int i = 0; i < boingFrames; ++i) {
    const double t = static_cast<double>(i) / boingRate;
    const double progress = t / seconds;  // 0..1
    const double wobble = 1.0 + 0.12 * (1.0 - progress) * std::sin(2.0 * pi * wobbleHz * t);
    const double hz = startHz * std::pow(endHz / startHz, progress) * wobble;
    phase += 2.0 * pi * hz / boingRate;
    // A sine with a little second harmonic: round, and still clear on small speakers.
    const double tone = std::sin(phase) + 0.3 * std::sin(2.0 * phase);
    const double attack = std::min(1.0, t / attackSeconds);
    const double release = std::pow(1.0 - progress, 1.5);
    const double v = peak / 1.3 * tone * attack * release;
    pcm.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)));
  }
  return pcm;
}
