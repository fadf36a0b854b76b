// What the audio library's output has done, for tests and benchmarks that measure it: the
// eight BASS_* calls themselves are declared in <bass.h>.
#pragma once

#include <cstdint>

namespace bassoutput {

// Frames the output asks for at a time. A play reaches the output at the start of the
// next buffer, so it is heard within two buffers: 2 × 512 / 44100 s = 23 ms.
constexpr int bufferFrames = 512;

// Frames mixed and handed to the output device since the last BASS_Init; after BASS_Free
// the count stays, complete. Counts whole buffers, after each is mixed.
std::uint64_t framesOutput();

// Whether BASS_Init found an output device (false: the library runs silent).
bool hasDevice();

// The largest sample magnitude (0 to 32768) mixed for the output since the last call.
int takePeak();
// Frames of sound-effect plays mixed for the output so far, summed over the plays.
std::uint64_t soundFramesMixed();

}  // namespace bassoutput
