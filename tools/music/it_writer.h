// Writes Impulse Tracker modules (.it) in sample mode: no instruments, uncompressed 16-bit
// mono samples, packed patterns. Enough for a small song that module players accept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One sample: mono signed 16-bit PCM, played at c5Speed Hz for note C-5.
struct ItSample {
  std::string name;  // at most 25 characters are kept
  std::vector<std::int16_t> pcm;
  std::uint32_t c5Speed = 44100;
  bool loop = false;
  std::uint32_t loopBegin = 0;
  std::uint32_t loopEnd = 0;  // exclusive
  std::uint8_t volume = 64;   // default volume, 0..64
};

// Note values besides 0..119 (C-0..B-9).
constexpr std::int16_t itNoNote = -1;
constexpr std::int16_t itNoteCut = 254;
constexpr std::int16_t itNoteOff = 255;
constexpr int itMiddleC = 60;  // C-5

// One cell of a pattern; each field is written only when set.
struct ItCell {
  std::int16_t note = itNoNote;
  std::uint8_t sample = 0;    // 1-based; 0: none
  std::int16_t volume = -1;   // 0..64; -1: none
  std::uint8_t effect = 0;    // 1 = A ... 26 = Z; 0: none
  std::uint8_t param = 0;
};

// rows × channels cells, row after row.
struct ItPattern {
  int rows = 64;
  int channels = 0;
  std::vector<ItCell> cells;

  ItPattern(int rowCount, int channelCount)
      : rows(rowCount), channels(channelCount), cells(static_cast<std::size_t>(rowCount * channelCount)) {}
  ItCell& at(int row, int channel) { return cells[static_cast<std::size_t>(row * channels + channel)]; }
  const ItCell& at(int row, int channel) const { return cells[static_cast<std::size_t>(row * channels + channel)]; }
};

struct ItModule {
  std::string name;  // at most 25 characters are kept
  int channels = 4;  // 1..64; the others are disabled
  std::uint8_t speed = 6;    // ticks per row
  std::uint8_t tempo = 125;  // BPM: a tick lasts 2.5 / tempo seconds
  std::uint8_t globalVolume = 128;
  std::uint8_t mixVolume = 48;
  std::vector<std::uint8_t> channelPan;     // per used channel, 0..64 (32: centre); default centre
  std::vector<std::uint8_t> channelVolume;  // per used channel, 0..64; default 64
  std::vector<std::uint8_t> orders;         // pattern numbers; playback loops after the last
  std::vector<ItSample> samples;
  std::vector<ItPattern> patterns;
};

// The module as file bytes. Throws std::invalid_argument when the module breaks the
// format's limits (channels, rows, pattern numbers, loop points, note and volume ranges).
std::vector<std::uint8_t> writeIt(const ItModule& module);

// The packed form of one pattern, its 8-byte header included.
std::vector<std::uint8_t> packItPattern(const ItPattern& pattern);
