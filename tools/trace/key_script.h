// The key scripts of kestrix-trace and kestrix-snapshot: one line per tick naming the keys
// held during it. Whatever a script holds is echoed only quoted and cut.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

struct TickKeys {
  bool left = false;
  bool right = false;
  bool up = false;
  bool space = false;
};

// Parses one line of a key script: the words LEFT, RIGHT, UP and SPACE in any order and
// case, separated by blanks, commas or '+'; an empty line holds no key. On an unknown
// word it returns false and puts a message in error.
bool parseTickKeys(std::string_view line, TickKeys& keys, std::string& error);

// A line of a script that is no list of keys: "line N: ..."
struct KeyScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads a script from a stream, line by line; a line holds at most keyScriptLineMax bytes,
// so that a script without line ends (/dev/zero) cannot fill the memory.
class KeyScript {
 public:
  static constexpr std::size_t keyScriptLineMax = 1024;

  explicit KeyScript(std::FILE* in) : in_(in) {}

  // The keys of the next line; false at the end of the script. Throws KeyScriptError for a
  // line it refuses, std::runtime_error when the stream fails.
  bool next(TickKeys& keys);

 private:
  std::FILE* in_;
  long lineNumber_ = 0;
  std::string text_;
};
