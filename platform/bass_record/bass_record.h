// A silent stand-in for the audio library that records the calls made to it, so tests and
// tools can check what the program asks of the library without a sound device.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bassrecord {

// One call, with its name and arguments as integers (a file name, or the bytes of a
// memory block, as text).
struct Call {
  std::string name;
  std::vector<std::int64_t> args;
  std::string file;
};

enum class Function { Init, Start, Stop, Free, MusicLoad, MusicPlayEx, StreamCreateFile, StreamPlay, Count };

// How many times a function has been called since the last reset; cheap, always kept.
std::uint64_t count(Function f);

// The calls in order, kept only while logging is on (off after reset).
void setLogging(bool on);
std::vector<Call> calls();

// Runs `hook` inside every later call of `f`, on the caller's thread, until the next reset:
// for tests that look at what the caller holds while it calls the library.
void onCall(Function f, std::function<void()> hook);

// Clears counts, log and hooks, turns logging off, and sets the handles that the two open calls
// return next (0 is the library's failure value).
void reset(std::uint32_t musicHandle = 1, std::uint32_t streamHandle = 2);

}  // namespace bassrecord
