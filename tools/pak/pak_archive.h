// Building a resource archive (display/archive.h) and listing one, for kestrix-pak and the
// tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PakMember {
  std::string name;  // 1 to 15 bytes, no NUL; matched ignoring the case of a-z
  std::vector<unsigned char> data;
};

// One entry per member in the given order, then the empty-name entry that ends the
// directory (its offset is the archive's end, so it reads as empty), then the members'
// data in the same order. Throws std::invalid_argument for a name that is empty, too long
// or holds a NUL, for two names equal ignoring case (the second could never be found), or
// when the archive would pass the largest offset an entry holds.
std::vector<unsigned char> buildArchive(const std::vector<PakMember>& members);

struct PakListing {
  std::string name;      // as stored
  std::uint32_t offset;  // from the start of the archive
  std::uint64_t size;    // up to the next member's start, or to the archive's end
};

// The members the opener can find: the whole entries before the empty-name entry or the end
// of the file. A member whose offset lies past the archive's end has size 0.
std::vector<PakListing> listArchive(std::FILE* archive);

// Where the member starting at `offset` ends: the nearest start of another listed member
// after it, or the archive's end.
std::uint64_t memberEnd(const std::vector<PakListing>& members, std::uint64_t offset, std::uint64_t archiveSize);
