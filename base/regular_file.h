// Reading input files without being held up: only regular files (and pipes, where a caller
// asks) are opened, never a FIFO with no writer or a device, and a whole file is read only
// within a limit that the caller sets.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace base {

// A file opened for reading, or why it was not.
struct OpenedFile {
  std::FILE* stream = nullptr;  // the caller closes it
  bool regular = false;         // false for a pipe
  std::uint64_t size = 0;       // of a regular file when opened
  int error = 0;                // the system's errno when it could not be opened
  const char* wrongKind = nullptr;  // "it is a folder", "it is a FIFO", "it is a device", ...
};

// Opens `path` for reading when it is a regular file (a link to one counts) or, with
// `pipes`, a pipe or FIFO (one that no process writes reads as empty). Anything else is
// refused before it is opened. Never waits.
OpenedFile openForReading(const char* path, bool pipes = false);

// The stream of openForReading(path), or null for anything else.
std::FILE* openRegularFile(const char* path);

// Bytes of a file, or why there are none.
struct FileBytes {
  std::vector<unsigned char> bytes;
  bool opened = false;              // the file was opened: a later error is the read's
  int error = 0;                    // the system's errno on opening or reading
  const char* wrongKind = nullptr;  // as OpenedFile's
  bool tooLarge = false;            // more than the limit asked for
  bool tooShort = false;            // fewer bytes than the range asked for
  bool ok() const { return error == 0 && wrongKind == nullptr && !tooLarge && !tooShort; }
};

// The bytes of `path` from `offset` on: `length` of them, or with length 0 all the rest.
// At most maxBytes: a larger request, or a regular file whose rest is larger, is refused
// before a byte is read; a pipe, or a file that grows meanwhile, is read no further than
// the limit. Opened as openForReading opens.
FileBytes readFile(const char* path, std::uint64_t maxBytes, std::uint64_t offset = 0, std::uint64_t length = 0,
                   bool pipes = false);

}  // namespace base
