// The mix handed to the output: every playing module and every sounding play of a stream,
// summed and clipped to 16-bit stereo. Mixing allocates nothing. Not locked by itself: its
// owner serialises every use (the output callback and the control calls take one lock).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

typedef struct openmpt_module openmpt_module;

// A loaded module and whether it plays.
struct MusicTrack {
  openmpt_module* module = nullptr;
  bool playing = false;
};

// A decoded stream: interleaved left/right 16-bit samples at the mixer's rate.
struct StreamSound {
  std::vector<std::int16_t> samples;
  std::size_t frames() const { return samples.size() / 2; }
};

// One play of a stream, `frame` frames in.
struct Voice {
  const StreamSound* sound = nullptr;  // null: the voice is free
  std::size_t frame = 0;
  std::uint64_t started = 0;  // order of the plays; the oldest is replaced when all voices sound
};

struct Mixer {
  // Plays that can sound at once. A 0.25 s sound started on every 14 ms game tick overlaps
  // itself at most 18 times; a play beyond the limit replaces the oldest one.
  static constexpr int maxVoices = 32;
  static constexpr int chunkFrames = 1024;  // mixed in pieces of at most this many frames

  int sampleRate = 44100;
  bool running = true;               // false: the output is silent and everything holds still
  std::vector<MusicTrack*> tracks;   // every loaded module, playing or not
  std::array<Voice, maxVoices> voices{};
  std::uint64_t plays = 0;
  std::array<float, 2 * chunkFrames> music{};  // one module's render
  std::array<float, 2 * chunkFrames> sum{};    // the mix before clipping

  // Fills `frames` stereo frames. Allocation-free.
  void mix(std::int16_t* out, int frames);
  // Starts a play of `sound` from its beginning, over whatever sounds already.
  void startVoice(const StreamSound& sound);
  // Forgets every track and voice (before the modules and sounds are destroyed).
  void clear();

 private:
  void mixChunk(std::int16_t* out, int frames);
};
