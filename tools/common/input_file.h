// The tools' input files, opened and read as base/regular_file.h opens and reads, with
// messages that name the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class InputFile {
 public:
  // Opens `path` for reading: a regular file or, with `pipes`, a pipe or FIFO too. Throws
  // std::runtime_error naming the file and why.
  explicit InputFile(const std::string& path, bool pipes = false);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::FILE* stream() const { return stream_; }
  std::uint64_t size() const { return size_; }  // of a regular file when opened; 0 for a pipe

 private:
  std::FILE* stream_ = nullptr;
  std::uint64_t size_ = 0;
};

// A whole input file in memory. Throws std::runtime_error naming the file when it cannot be
// read or holds more than maxBytes (a regular file is refused before it is read).
std::vector<unsigned char> readFileBytes(const std::string& path, std::uint64_t maxBytes, bool pipes = false);

// Throws std::runtime_error when `out` exists and is one of `inputs`: the same device and
// inode, whatever the names (links, "./a" and "a").
void refuseToReplaceAnInput(const std::string& out, const std::vector<std::string>& inputs);
