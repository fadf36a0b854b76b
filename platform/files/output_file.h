// Writing files so that a failure never costs the file being replaced. A regular target,
// or one that does not exist yet, is written to a temporary file in its folder and renamed
// over it only once complete, flushed to disk and closed; anything else (a device, a FIFO,
// standard output) is written straight through and never removed. Plain POSIX, shared by
// the tools and the figures of a run (platform/stats).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::files {

class OutputFile {
 public:
  // Opens `path` for writing; throws std::runtime_error naming it. A symbolic link to a
  // regular file (or to none yet) leads to the file it names, which is replaced while the
  // link stays. A link among a process's open files (/dev/stdout, /dev/fd/N) is that open
  // file, written through. Never waits: a FIFO that no process reads is refused. The
  // temporary file is ".NAME.PID-N.part" beside the target; a process killed while writing
  // leaves it there and the target untouched.
  explicit OutputFile(const std::string& path);
  // Without commit: the temporary file is removed and the target left as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Each throws std::runtime_error naming the path when the system reports a failure.
  void write(const void* bytes, std::size_t count);
  void commit();

  // The regular file that commit will replace; empty for a new file or a stream.
  const std::string& replacedFile() const { return replaced_; }

 private:
  void discard();

  std::string path_;       // as given, for messages
  std::string target_;     // the file renamed over; empty for a stream
  std::string temporary_;  // while it exists
  std::string replaced_;
  int fd_ = -1;
};

// Writes all of `bytes` to an open descriptor, again after an interruption; false on a
// failure (errno tells which; EIO for a write that wrote nothing).
bool writeAll(int fd, const void* bytes, std::size_t count);

// A whole file at once.
void writeFile(const std::string& path, const void* bytes, std::size_t count);

// Whether a regular file is empty or starts with `prefix`: for writers that replace only
// their own earlier output. False when it cannot be read.
bool isEmptyOrStartsWith(const std::string& path, std::string_view prefix);

}  // namespace platform::files
