// Encodes mono 16-bit PCM as an MP3 file with LAME: constant bit rate, no ID3 tag, and an
// info frame that tells decoders the encoder's delay and padding, so the decoded sound
// starts at once and has its own length.
#pragma once

#include <cstdint>
#include <vector>

// Empty when LAME fails.
std::vector<std::uint8_t> encodeMp3(const std::vector<std::int16_t>& mono, int rate, int kbps);
