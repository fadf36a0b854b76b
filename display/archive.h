// The resource archive: a directory of 24-byte entries from byte 0 of the file, ended by an
// entry with an empty name or by the end of the file, followed by the members' data at the
// offsets the entries give. Reading an entry, and finding a member by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct ArchiveEntry {
  char name[16];             // NUL-terminated inside the field, or all 16 bytes used
  unsigned char offset[4];   // 32-bit little-endian, from the start of the archive
  unsigned char unused[4];
};
static_assert(sizeof(ArchiveEntry) == 24, "an entry is 24 bytes in the file");

// The longest member name that fits with its NUL.
constexpr std::size_t archiveNameMax = 15;
// The largest offset an entry may give.
constexpr std::uint32_t archiveOffsetMax = 0x7FFFFFFF;

// Reads the next entry. The unused field is never needed, so an entry cut short by the end
// of the file after its offset (20 to 23 bytes) counts, its missing bytes read as 0; false
// when fewer than 20 bytes were left: a tail cut inside the name or the offset is no entry.
bool readArchiveEntry(std::FILE* archive, ArchiveEntry& entry);
std::uint32_t archiveEntryOffset(const ArchiveEntry& entry);
// The name's length: up to its NUL, or 16 when the field has none.
std::size_t archiveEntryNameLength(const ArchiveEntry& entry);

// Turns a-z into A-Z in the first `length` bytes, or up to the NUL; every other byte
// (digits, punctuation, bytes from 0x80) stays as it is, whatever the locale.
void upperCaseAscii(char* text);
void upperCaseAscii(char* text, std::size_t length);

// Opens the archive and looks `name` up in its directory, the first matching entry winning.
// When the archive opens, `name` is upper-cased in place, and stays so. A member has no
// stored size: its stream reads on from its offset to the archive's end, so entries that
// give one offset are names for the same data. Returns the archive's stream positioned at
// the member's data (the caller closes it), or null when the archive is missing or no
// regular file, lacks the name, or the matching entry points past the archive's end.
std::FILE* openArchiveMember(const char* archivePath, char* name);
