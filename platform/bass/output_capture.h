// For tests and benchmarks: sends the audio library's output to a file through SDL's disk
// audio driver (paced like a sound card), reads it back, and finds a sound in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace outputcapture {

// Makes the next BASS_Init write its output, raw 16-bit stereo, to `path`.
void useDiskOutput(const std::string& path);
// Makes the next BASS_Init use SDL's audio driver `name` ("dummy", or one that does not exist).
void useDriver(const std::string& name);

// The last `mixed` frames written to `path`, interleaved left/right: those the library
// mixed, when `mixed` is its count once the output has closed. SDL writes some silence
// of its own before the first of them while the device starts; `leadingSilence` receives
// how many frames that was, or -1 when those frames were not all silent (or too few were
// written).
std::vector<std::int16_t> readOutput(const std::string& path, std::uint64_t mixed, long& leadingSilence);

// The first frame f in [from, to] where `output` holds `sound` from its beginning, sample
// for sample, over at least `frames` frames; -1 when there is none.
long findSound(const std::vector<std::int16_t>& output, const std::vector<std::int16_t>& sound, std::size_t from,
               std::size_t to, std::size_t frames = 256);

// The root mean square of frames [from, to), in units of full scale (1.0).
double rms(const std::vector<std::int16_t>& output, std::size_t from, std::size_t to);

}  // namespace outputcapture
