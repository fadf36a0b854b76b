// The mix handed to the output: every playing module and every sounding play of a stream,
// summed and clipped to 16-bit stereo. Mixing allocates nothing once it has seen every
// loaded module. Not locked by itself: its
// owner serialises the shared part (tracks' play state, voices, running) with one lock,
// and the output renders the modules without it, so that a play never waits for a render.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

typedef struct openmpt_module openmpt_module;

// A loaded module and whether it plays. Only the output touches the module object once the
// track is in the mixer: a play asks for a move (moveDue), which the output makes before
// its next render.
struct MusicTrack {
  openmpt_module* module = nullptr;
  bool playing = false;
  bool moveDue = false;
  int moveOrder = 0;
  int moveRow = 0;
  std::uint64_t plays = 0;  // counts the plays, so that an end seen late stops no newer play
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
  // What the output got, for measurements: the largest sample magnitude since the owner
  // last reset it, and the frames of stream plays mixed, summed over the voices.
  int peak = 0;
  std::uint64_t voiceFrames = 0;

  // Fills `frames` stereo frames: the three steps below, for an owner on one thread.
  void mix(std::int16_t* out, int frames);

  // One piece of at most chunkFrames frames in three steps, for an owner that locks:
  // under the lock, the playing modules and their moves are taken (false: stopped, the
  // piece is silence and nothing advances); without it, the output renders them; under
  // the lock again, the voices are added and the sum clipped into `out`.
  bool takeMusic();
  void renderMusic(int frames);
  void addVoices(std::int16_t* out, int frames);

  // Plays a track from order `order`, row `row`: asks the output to move there.
  static void playTrack(MusicTrack& track, int order, int row);
  // Starts a play of `sound` from its beginning, over whatever sounds already.
  void startVoice(const StreamSound& sound);
  // Forgets every track and voice (before the modules and sounds are destroyed).
  void clear();

 private:
  // A playing module as the output renders it, with what it took under the lock.
  struct Rendering {
    MusicTrack* track;
    std::uint64_t plays;
    bool move;
    int order;
    int row;
    bool ended;
  };
  std::vector<Rendering> rendering_;            // the output's own: grows on the first mix after a load
  std::array<float, 2 * chunkFrames> music_{};  // one module's render
  std::array<float, 2 * chunkFrames> sum_{};    // the mix before clipping
};
