#include "tools/music/chip_samples.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int cycleLength = 64;          // samples in one cycle of the looped waves
constexpr double middleCHz = 261.625565;  // C-5 plays as the C in the middle of the keyboard
constexpr std::uint32_t drumRate = 44100;
constexpr double pi = 3.14159265358979323846;

std::int16_t toPcm(double v) {
  return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
}

std::uint32_t cycleRate() { return static_cast<std::uint32_t>(std::lround(middleCHz * cycleLength)); }

ItSample looped(const std::string& name, std::vector<std::int16_t> pcm) {
  ItSample s;
  s.name = name;
  s.loop = true;
  s.loopBegin = 0;
  s.loopEnd = static_cast<std::uint32_t>(pcm.size());
  s.pcm = std::move(pcm);
  s.c5Speed = cycleRate();
  return s;
}

ItSample oneShot(const std::string& name, std::vector<std::int16_t> pcm) {
  ItSample s;
  s.name = name;
  s.pcm = std::move(pcm);
  s.c5Speed = drumRate;
  return s;
}

// A fixed-seed generator: the drums sound, and are stored, the same on every run.
struct Noise {
  std::uint32_t state = 0x1234567u;
  double next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
  }
};

}  // namespace

ItSample pulseWave(const std::string& name, double duty, double amplitude) {
  std::vector<std::int16_t> pcm;
  const int high = static_cast<int>(std::lround(duty * cycleLength));
  for (int i = 0; i < cycleLength; ++i) pcm.push_back(toPcm(i < high ? amplitude : -amplitude));
  return looped(name, std::move(pcm));
}

ItSample triangleWave(const std::string& name, double amplitude) {
  std::vector<std::int16_t> pcm;
  for (int i = 0; i < cycleLength; ++i) {
    const double phase = static_cast<double>(i) / cycleLength;  // 0..1
    const double v = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
    pcm.push_back(toPcm(v * amplitude));
  }
  return looped(name, std::move(pcm));
}

ItSample pluckedPulse(const std::string& name, double duty, double amplitude, double seconds) {
  const std::uint32_t rate = cycleRate();
  const int length = static_cast<int>(seconds * rate);
  const int high = static_cast<int>(std::lround(duty * cycleLength));
  std::vector<std::int16_t> pcm;
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / length;
    const double envelope = std::exp(-4.0 * t) * (1.0 - t);  // reaches 0 at the end: no click
    pcm.push_back(toPcm((i % cycleLength < high ? amplitude : -amplitude) * envelope));
  }
  ItSample s = oneShot(name, std::move(pcm));
  s.c5Speed = rate;
  return s;
}

ItSample kickDrum(const std::string& name) {
  const int length = drumRate * 22 / 100;
  std::vector<std::int16_t> pcm;
  double phase = 0.0;
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / drumRate;
    const double hz = 45.0 + 120.0 * std::exp(-t * 30.0);  // the falling thump
    phase += 2.0 * pi * hz / drumRate;
    const double envelope = std::exp(-t * 14.0) * (1.0 - static_cast<double>(i) / length);
    pcm.push_back(toPcm(0.95 * std::sin(phase) * envelope));
  }
  return oneShot(name, std::move(pcm));
}

ItSample snareDrum(const std::string& name) {
  const int length = drumRate * 18 / 100;
  std::vector<std::int16_t> pcm;
  Noise noise;
  double phase = 0.0;
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / drumRate;
    phase += 2.0 * pi * 185.0 / drumRate;
    const double fade = 1.0 - static_cast<double>(i) / length;
    const double body = 0.5 * std::sin(phase) * std::exp(-t * 40.0);
    const double rattle = 0.6 * noise.next() * std::exp(-t * 22.0);
    pcm.push_back(toPcm((body + rattle) * fade));
  }
  return oneShot(name, std::move(pcm));
}

ItSample hiHat(const std::string& name) {
  const int length = drumRate * 6 / 100;
  std::vector<std::int16_t> pcm;
  Noise noise;
  noise.state = 0x9E3779B9u;
  double previous = 0.0;
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / drumRate;
    const double n = noise.next();
    const double bright = n - previous;  // a first difference keeps the hiss, drops the rumble
    previous = n;
    pcm.push_back(toPcm(0.45 * bright * std::exp(-t * 70.0) * (1.0 - static_cast<double>(i) / length)));
  }
  return oneShot(name, std::move(pcm));
}
