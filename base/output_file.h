// Writing files so that a failure never costs the file being replaced. A regular target,
// or one that does not exist yet, is written to a temporary file in its folder and renamed
// over it only once complete, flushed to disk and closed; anything else (a device, a FIFO,
// standard output) is written straight through and never removed. Plain POSIX, shared by
// the tools, the figures of a run (platform/stats) and the screen file (platform/directx).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

class OutputFile {
 public:
  // Opens `path` for writing; throws std::runtime_error naming it. A symbolic link to a
  // regular file (or to none yet) leads to the file it names, which is replaced while the
  // link stays. A link among a process's open files (/dev/stdout, /dev/fd/N) is that open
  // file, written through. Never waits: a FIFO that no process reads is refused. The
  // temporary file is ".NAME.PID-N.part" beside the target, made anew (O_EXCL); a process
  // killed while writing leaves it there and the target untouched, unless it removes it on
  // the way (removeTemporaryFilesOnTermination). A replaced file's permissions are kept, and
  // its owner and group where the system lets us. An empty name is refused. Without
  // `flushToDisk` the rename does not wait for the disk: a crash may then cost the file,
  // never a failure of the program; for pictures written many times a second.
  explicit OutputFile(const std::string& path, bool flushToDisk = true);
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
  int slot_ = -1;  // in the table of temporary files removed on a termination signal
  bool flushToDisk_;
};

// Writes all of `bytes` to an open descriptor, again after an interruption; false on a
// failure (errno tells which; EIO for a write that wrote nothing).
bool writeAll(int fd, const void* bytes, std::size_t count);

// For a program that ends on SIGINT, SIGTERM or SIGHUP (a tool): the temporary file being
// written is removed before the signal ends the process as it would have. A signal ignored
// when this is called stays ignored.
void removeTemporaryFilesOnTermination();

// Text made safe to echo in a message: a byte outside printable ASCII, or a backslash, as
// \xHH, so that no file name can move the terminal's cursor, change its colours or break a
// line.
std::string printableText(std::string_view text);

// A whole file at once.
void writeFile(const std::string& path, const void* bytes, std::size_t count);

// Whether a regular file is empty or starts with `prefix`: for writers that replace only
// their own earlier output. False when it cannot be read.
bool isEmptyOrStartsWith(const std::string& path, std::string_view prefix);

}  // namespace base
