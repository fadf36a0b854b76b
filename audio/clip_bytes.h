// The bytes of clips read for the audio library's memory form, held while it may play
// from them: until freeAll.
#pragma once

#include <cstddef>
#include <vector>

struct ClipBytes {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

// More than any sound or module a clip plays: an archive member is read on to the
// archive's end, this much of it at most.
constexpr std::size_t maxClipBytes = 64u << 20;

// Keeps `bytes` until releaseClipBytes; where they now lie.
ClipBytes holdClipBytes(std::vector<unsigned char> bytes);
// Gives back every held block; the library must no longer use them.
void releaseClipBytes();
