#include "tools/pak/pak_archive.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "display/archive.h"
#include "tools/common/quoted.h"

namespace {

void put32(unsigned char* out, std::uint64_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::string upperCased(std::string_view name) {
  std::string upper(name);
  upperCaseAscii(upper.data(), upper.size());
  return upper;
}

void appendEntry(std::vector<unsigned char>& directory, std::string_view name, std::uint64_t offset) {
  ArchiveEntry entry{};
  std::memcpy(entry.name, name.data(), name.size());
  put32(entry.offset, offset);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&entry);
  directory.insert(directory.end(), bytes, bytes + sizeof entry);
}

[[noreturn]] void notAnArchive(std::size_t entry, const std::string& why) {
  throw std::runtime_error("not an archive: entry " + std::to_string(entry + 1) + " " + why);
}

}  // namespace

bool validMemberName(std::string_view name) {
  return !name.empty() && name.size() <= archiveNameMax &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

std::vector<unsigned char> pakDirectory(const std::vector<std::string>& names, const std::vector<std::uint64_t>& sizes) {
  std::uint64_t offset = (names.size() + 1) * sizeof(ArchiveEntry);
  std::vector<unsigned char> directory;
  std::vector<std::string> seen;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!validMemberName(names[i])) {
      throw std::invalid_argument("member name " + quotedText(names[i]) +
                                  " is not 1 to 15 printable ASCII characters long");
    }
    std::string key = upperCased(names[i]);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      throw std::invalid_argument("two members are named " + quotedText(names[i]) + " (ignoring case)");
    }
    seen.push_back(std::move(key));
    if (offset > archiveOffsetMax) throw std::invalid_argument("the archive would be too large");
    appendEntry(directory, names[i], offset);
    offset += sizes[i];
  }
  if (offset > archiveOffsetMax) throw std::invalid_argument("the archive would pass 2 GiB, the most its offsets hold");
  appendEntry(directory, "", offset);
  return directory;
}

std::vector<unsigned char> buildArchive(const std::vector<PakMember>& members) {
  std::vector<std::string> names;
  std::vector<std::uint64_t> sizes;
  for (const PakMember& member : members) {
    names.push_back(member.name);
    sizes.push_back(member.data.size());
  }
  std::vector<unsigned char> archive = pakDirectory(names, sizes);
  for (const PakMember& member : members) archive.insert(archive.end(), member.data.begin(), member.data.end());
  return archive;
}

std::vector<PakListing> readPakDirectory(std::FILE* archive, std::uint64_t size) {
  if (std::fseek(archive, 0, SEEK_SET) != 0) throw std::runtime_error("cannot read the directory");
  std::vector<PakListing> members;
  bool ended = false;
  std::uint64_t endOffset = 0;  // of the end entry
  for (ArchiveEntry entry; !ended;) {
    const std::size_t got = std::fread(&entry, 1, sizeof entry, archive);
    if (got == 0) break;  // a directory without its end entry ends with the file
    if (got < sizeof entry) notAnArchive(members.size(), "is cut short: the file ends inside the directory");
    const std::uint32_t offset = archiveEntryOffset(entry);
    if (offset > archiveOffsetMax) notAnArchive(members.size(), "starts past 2 GiB");
    ended = entry.name[0] == '\0';
    if (ended) {
      endOffset = offset;
    } else {
      const std::string_view name(entry.name, archiveEntryNameLength(entry));
      if (!validMemberName(name)) {
        notAnArchive(members.size(), "has the name " + quotedText(name) + ", not 1 to 15 printable ASCII characters");
      }
      members.push_back({std::string(name), offset, 0});
    }
  }
  if (std::ferror(archive) != 0) throw std::runtime_error("cannot read the directory");

  const std::uint64_t directorySize = (members.size() + (ended ? 1 : 0)) * sizeof(ArchiveEntry);
  const std::string fileSize = " the file has " + std::to_string(size) + " bytes: it is cut short";
  if (endOffset > size) {
    throw std::runtime_error("the directory gives the archive " + std::to_string(endOffset) + " bytes;" + fileSize);
  }
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (members[i].offset < directorySize) notAnArchive(i, "starts inside the directory");
    if (members[i].offset > size) {
      throw std::runtime_error("member " + members[i].name + " starts at byte " + std::to_string(members[i].offset) +
                               ";" + fileSize);
    }
  }

  // In order of their starts, the directory's order among equal ones: each member runs to
  // the next one's start.
  std::vector<std::size_t> order(members.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return members[a].offset < members[b].offset; });
  for (std::size_t k = 0; k < order.size(); ++k) {
    PakListing& member = members[order[k]];
    std::uint64_t end = k + 1 < order.size() ? members[order[k + 1]].offset : size;
    if (ended && endOffset >= member.offset) end = std::min(end, endOffset);
    member.size = end - member.offset;
  }
  return members;
}

const PakListing* findPakMember(const std::vector<PakListing>& members, std::string_view name) {
  const std::string wanted = upperCased(name);
  for (const PakListing& member : members) {
    if (upperCased(member.name) == wanted) return &member;
  }
  return nullptr;
}

void copyPakMember(std::FILE* archive, const PakListing& member,
                   const std::function<void(const unsigned char*, std::size_t)>& sink) {
  if (std::fseek(archive, static_cast<long>(member.offset), SEEK_SET) != 0) {
    throw std::runtime_error("cannot read member " + member.name);
  }
  unsigned char block[65536];
  for (std::uint64_t left = member.size; left > 0;) {
    const std::size_t got = std::fread(block, 1, std::min<std::uint64_t>(left, sizeof block), archive);
    if (got == 0) throw std::runtime_error("the archive ends inside member " + member.name);
    sink(block, got);
    left -= got;
  }
}
