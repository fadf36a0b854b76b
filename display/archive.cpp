#include "display/archive.h"

#include <cstddef>
#include <cstring>

#include "base/regular_file.h"

bool readArchiveEntry(std::FILE* archive, ArchiveEntry& entry) {
  entry = ArchiveEntry{};
  return std::fread(&entry, 1, sizeof entry, archive) >= offsetof(ArchiveEntry, unused);
}

std::uint32_t archiveEntryOffset(const ArchiveEntry& entry) {
  const unsigned char* b = entry.offset;
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::size_t archiveEntryNameLength(const ArchiveEntry& entry) {
  const void* nul = std::memchr(entry.name, '\0', sizeof entry.name);
  return nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - entry.name)
                        : sizeof entry.name;
}

void upperCaseAscii(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length && text[i] != '\0'; ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 0x20);
  }
}

void upperCaseAscii(char* text) { upperCaseAscii(text, static_cast<std::size_t>(-1)); }

namespace {

// Positions the archive at a member's first byte; a member may start at the very end (it
// reads as empty), never beyond it.
bool seekToMember(std::FILE* archive, std::uint32_t offset) {
  if (offset > archiveOffsetMax || std::fseek(archive, 0, SEEK_END) != 0) return false;
  const long size = std::ftell(archive);
  if (size < 0 || offset > static_cast<unsigned long>(size)) return false;
  return std::fseek(archive, static_cast<long>(offset), SEEK_SET) == 0;
}

}  // namespace

std::FILE* openArchiveMember(const char* archivePath, char* name) {
  std::FILE* archive = base::openRegularFile(archivePath);
  if (archive == nullptr) return nullptr;
  upperCaseAscii(name);
  const std::size_t nameLength = std::strlen(name);

  ArchiveEntry entry;
  while (readArchiveEntry(archive, entry)) {
    const bool directoryEnd = entry.name[0] == '\0';
    upperCaseAscii(entry.name, sizeof entry.name);
    // The end entry matches too: its empty name is what an empty request asks for.
    if (archiveEntryNameLength(entry) == nameLength && std::memcmp(entry.name, name, nameLength) == 0) {
      if (seekToMember(archive, archiveEntryOffset(entry))) return archive;
      break;  // the first match decides, and it lies outside the archive
    }
    if (directoryEnd) break;
  }
  std::fclose(archive);
  return nullptr;
}
