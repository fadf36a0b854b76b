// Building a resource archive (display/archive.h) and reading one back, for kestrix-pak,
// the tests and the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct PakMember {
  std::string name;  // see validMemberName; matched ignoring the case of a-z
  std::vector<unsigned char> data;
};

// A name the tool writes and lists: 1 to 15 bytes of printable ASCII, so that no name can
// steer a terminal or break the one-member-a-line listing.
bool validMemberName(std::string_view name);

// The directory of an archive whose members have these names and sizes, in this order:
// one entry each, then the empty-name entry that ends it, whose offset is the archive's
// end. Throws std::invalid_argument for a name that validMemberName refuses, for two names
// equal ignoring case (the second could never be found), or when the archive would pass
// the largest offset an entry holds.
std::vector<unsigned char> pakDirectory(const std::vector<std::string>& names, const std::vector<std::uint64_t>& sizes);

// The directory followed by the members' data in the same order.
std::vector<unsigned char> buildArchive(const std::vector<PakMember>& members);

struct PakListing {
  std::string name;      // as stored
  std::uint32_t offset;  // from the start of the archive
  std::uint64_t size;
};

// The members of an archive of `size` bytes, in directory order: the entries before the
// empty-name entry, or before the end of the file. A member's data runs to the nearest
// start after its own: another member's, or the end entry's offset (the archive's end as
// its writer left it); of two members that start together the earlier in the directory is
// the empty one. Throws std::runtime_error when the file is no archive this tool reads (an
// entry cut short, a name that validMemberName refuses, a member inside the directory) or
// when it is cut short (a member or the end entry's offset past the end of the file).
std::vector<PakListing> readPakDirectory(std::FILE* archive, std::uint64_t size);

// The first member whose name equals `name` ignoring the case of a-z, as the library's
// opener finds it; null when there is none.
const PakListing* findPakMember(const std::vector<PakListing>& members, std::string_view name);

// Hands the member's bytes to `sink` in blocks. Throws std::runtime_error when the archive
// ends before them.
void copyPakMember(std::FILE* archive, const PakListing& member,
                   const std::function<void(const unsigned char*, std::size_t)>& sink);
