// Building a resource archive (display/archive.h) and reading one back, for kestrix-pak,
// the tests and the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
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
// equal ignoring case (the second could never be found), for an empty member (no picture or
// sound is empty, and its entry would name the next member's data), or when the archive
// would pass the largest offset an entry holds.
std::vector<unsigned char> pakDirectory(const std::vector<std::string>& names, const std::vector<std::uint64_t>& sizes);

// The directory followed by the members' data in the same order.
std::vector<unsigned char> buildArchive(const std::vector<PakMember>& members);

struct PakListing {
  std::string name;      // as stored: 1 to 16 bytes, any but NUL
  std::uint32_t offset;  // from the start of the archive
  std::uint64_t size;
};

// A stored name as the tool shows it and accepts it: a byte outside printable ASCII, or a
// backslash, as \xHH (an archive made by another tool may hold any byte).
std::string shownMemberName(std::string_view name);

// Hands the members of an archive of `size` bytes to `each`, in directory order: the entries
// before the empty-name entry, or before the end of the file. A member's data runs to the
// nearest start after its own: another member's, or the end entry's offset (the archive's
// end as its writer left it); two members that start together are two names for the same
// data. The directory is read from the file as it goes, a few times over; only a directory
// out of the order of its offsets (never one this tool writes) costs 4 bytes a member. Throws
// std::runtime_error, before `each` sees a member, when the file is no archive this tool
// reads (an entry cut short, a member inside the directory) or when it is cut short (a
// member or the end entry's offset past the end of the file).
void listPakDirectory(std::FILE* archive, std::uint64_t size, const std::function<void(const PakListing&)>& each);

// The first member whose name, stored or shown (shownMemberName), equals `name` ignoring
// the case of a-z: as the library's opener finds it, and by the name the listing shows. Null
// when there is none; throws as listPakDirectory does.
std::optional<PakListing> findPakMember(std::FILE* archive, std::uint64_t size, std::string_view name);

// Hands the member's bytes to `sink` in blocks. Throws std::runtime_error when the archive
// ends before them.
void copyPakMember(std::FILE* archive, const PakListing& member,
                   const std::function<void(const unsigned char*, std::size_t)>& sink);
