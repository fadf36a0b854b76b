// MP3 through libmpg123: a whole (short) file decoded at once into 16-bit stereo frames
// at the output's rate, encoder delay and padding removed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Longer sounds are refused: a stream of the game is a sound effect held in memory, and
// a long file (an hour of silence takes a few megabytes) must not fill the memory.
constexpr long maxDecodedSeconds = 30;

// Interleaved left/right samples at `rate` Hz (mono is doubled to both sides), up to the
// length the file's info frame gives, when it has one: what follows is not decoded. Empty
// optional when the bytes do not open as an MP3 file does (an ID3v2 tag or a frame header
// first), libmpg123 finds no audio in them, the audio cannot be brought to `rate`, or it
// lasts longer than maxDecodedSeconds, which is found out before the rest is decoded.
// Prints nothing.
std::optional<std::vector<std::int16_t>> decodeMp3(const std::vector<std::uint8_t>& bytes, long rate);
