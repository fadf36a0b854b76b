// The bytes of clips read through the archive-aware opener, held while the audio library
// may play from them: until freeAll.
#pragma once

#include <cstddef>

struct ClipBytes {
  const unsigned char* data = nullptr;  // null when nothing was read
  std::size_t size = 0;
};

// A file's bytes as openResource finds it (display/resource.h): an archive member reads on
// to the archive's end, at most maxClipBytes of it. Nothing when the file is missing,
// unreadable or empty.
ClipBytes holdResourceBytes(const char* name);
// Gives back every held block; the library must no longer use them.
void releaseClipBytes();

// More than any sound or module a clip plays; the rest of an archive past it is not read.
constexpr std::size_t maxClipBytes = 64u << 20;
