#include "platform/bass/output_capture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace outputcapture {

void useDiskOutput(const std::string& path) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
}

void useDriver(const std::string& name) { setenv("SDL_AUDIODRIVER", name.c_str(), 1); }

std::vector<std::int16_t> readOutput(const std::string& path, std::uint64_t mixed, long& leadingSilence) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::int16_t> samples(bytes.size() / 4 * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto lo = static_cast<std::uint8_t>(bytes[2 * i]);
    const auto hi = static_cast<std::uint8_t>(bytes[2 * i + 1]);
    samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | hi << 8));
  }
  if (samples.size() / 2 < mixed) {
    leadingSilence = -1;
    return samples;
  }
  const std::size_t lead = samples.size() / 2 - mixed;
  const bool silent = std::all_of(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(2 * lead),
                                  [](std::int16_t v) { return v == 0; });
  leadingSilence = silent ? static_cast<long>(lead) : -1;
  samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(2 * lead));
  return samples;
}

long findSound(const std::vector<std::int16_t>& output, const std::vector<std::int16_t>& sound, std::size_t from,
               std::size_t to, std::size_t frames) {
  const std::size_t n = 2 * std::min(frames, sound.size() / 2);
  for (std::size_t f = from; f <= to && 2 * f + n <= output.size(); ++f) {
    bool same = true;
    for (std::size_t i = 0; i < n && same; ++i) same = output[2 * f + i] == sound[i];
    if (same) return static_cast<long>(f);
  }
  return -1;
}

double rms(const std::vector<std::int16_t>& output, std::size_t from, std::size_t to) {
  to = std::min(to, output.size() / 2);
  if (to <= from) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 2 * from; i < 2 * to; ++i) sum += static_cast<double>(output[i]) * output[i];
  return std::sqrt(sum / static_cast<double>(2 * (to - from))) / 32768.0;
}

}  // namespace outputcapture
