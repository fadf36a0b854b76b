#include "tools/pak/pak_archive.h"

#include <cstring>
#include <stdexcept>

#include "display/archive.h"

namespace {

void put32(unsigned char* out, std::uint64_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::string upperCased(std::string name) {
  upperCaseAscii(name.data(), name.size());
  return name;
}

std::uint64_t archiveSize(std::FILE* archive) {
  if (std::fseek(archive, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(archive);
  return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

std::vector<unsigned char> buildArchive(const std::vector<PakMember>& members) {
  std::uint64_t offset = (members.size() + 1) * sizeof(ArchiveEntry);
  std::vector<unsigned char> directory;
  std::vector<std::string> seen;
  for (const PakMember& member : members) {
    if (member.name.empty() || member.name.size() > archiveNameMax ||
        member.name.find('\0') != std::string::npos) {
      throw std::invalid_argument("member name \"" + member.name + "\" is not 1 to 15 characters long");
    }
    const std::string key = upperCased(member.name);
    for (const std::string& other : seen) {
      if (other == key) throw std::invalid_argument("two members are named \"" + member.name + "\" (ignoring case)");
    }
    seen.push_back(key);
    if (offset > archiveOffsetMax) throw std::invalid_argument("the archive would be too large");
    ArchiveEntry entry{};
    std::memcpy(entry.name, member.name.data(), member.name.size());
    put32(entry.offset, offset);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&entry);
    directory.insert(directory.end(), bytes, bytes + sizeof entry);
    offset += member.data.size();
  }
  if (offset > archiveOffsetMax) throw std::invalid_argument("the archive would be too large");
  ArchiveEntry end{};
  put32(end.offset, offset);
  const auto* endBytes = reinterpret_cast<const unsigned char*>(&end);
  directory.insert(directory.end(), endBytes, endBytes + sizeof end);

  std::vector<unsigned char> archive = std::move(directory);
  archive.reserve(offset);
  for (const PakMember& member : members) archive.insert(archive.end(), member.data.begin(), member.data.end());
  return archive;
}

std::vector<PakListing> listArchive(std::FILE* archive) {
  const std::uint64_t size = archiveSize(archive);
  std::vector<PakListing> members;
  if (std::fseek(archive, 0, SEEK_SET) != 0) return members;
  ArchiveEntry entry;
  while (readArchiveEntry(archive, entry) && entry.name[0] != '\0') {
    members.push_back({std::string(entry.name, archiveEntryNameLength(entry)), archiveEntryOffset(entry), 0});
  }
  for (PakListing& member : members) member.size = memberEnd(members, member.offset, size) - member.offset;
  return members;
}

std::uint64_t memberEnd(const std::vector<PakListing>& members, std::uint64_t offset, std::uint64_t archiveSize) {
  if (offset >= archiveSize) return offset;
  std::uint64_t end = archiveSize;
  for (const PakListing& other : members) {
    if (other.offset > offset && other.offset < end) end = other.offset;
  }
  return end;
}
