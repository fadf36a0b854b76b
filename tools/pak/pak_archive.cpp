#include "tools/pak/pak_archive.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "display/archive.h"
#include "base/output_file.h"
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
    if (sizes[i] == 0) {
      throw std::invalid_argument("member " + quotedText(names[i]) +
                                  " is empty: no picture or sound is, and its entry would name the next member's data");
    }
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

namespace {

struct Directory {
  std::uint64_t members = 0;  // entries before the end entry
  bool ended = false;         // by an end entry, not by the end of the file
  std::uint64_t endOffset = 0;
  bool ordered = true;  // members' offsets never fall, as this tool lays them out
};

void rewindTo(std::FILE* archive, std::uint64_t entry) {
  if (std::fseek(archive, static_cast<long>(entry * sizeof(ArchiveEntry)), SEEK_SET) != 0) {
    throw std::runtime_error("cannot read the directory");
  }
}

// The next whole entry; false at the end of the file.
bool nextEntry(std::FILE* archive, ArchiveEntry& entry, std::uint64_t index) {
  const std::size_t got = std::fread(&entry, 1, sizeof entry, archive);
  if (std::ferror(archive) != 0) throw std::runtime_error("cannot read the directory");
  if (got > 0 && got < sizeof entry) notAnArchive(index, "is cut short: the file ends inside the directory");
  return got == sizeof entry;
}

std::string storedName(const ArchiveEntry& entry) { return std::string(entry.name, archiveEntryNameLength(entry)); }

// Reads the directory through twice, keeping nothing but counts: a refusal comes before any
// member is handed out.
Directory checkDirectory(std::FILE* archive, std::uint64_t size) {
  Directory directory;
  rewindTo(archive, 0);
  std::uint32_t previous = 0;
  for (ArchiveEntry entry; nextEntry(archive, entry, directory.members);) {
    const std::uint32_t offset = archiveEntryOffset(entry);
    if (offset > archiveOffsetMax) notAnArchive(directory.members, "starts past 2 GiB");
    if (entry.name[0] == '\0') {
      directory.ended = true;
      directory.endOffset = offset;
      break;
    }
    directory.ordered = directory.ordered && offset >= previous;
    previous = offset;
    ++directory.members;
  }
  const std::uint64_t directorySize = (directory.members + (directory.ended ? 1 : 0)) * sizeof(ArchiveEntry);
  const std::string fileSize = " the file has " + std::to_string(size) + " bytes: it is cut short";
  if (directory.endOffset > size) {
    throw std::runtime_error("the directory gives the archive " + std::to_string(directory.endOffset) + " bytes;" +
                             fileSize);
  }
  rewindTo(archive, 0);
  ArchiveEntry entry;
  for (std::uint64_t i = 0; i < directory.members && nextEntry(archive, entry, i); ++i) {
    const std::uint32_t offset = archiveEntryOffset(entry);
    if (offset < directorySize) notAnArchive(i, "starts inside the directory");
    if (offset > size) {
      throw std::runtime_error("member " + shownMemberName(storedName(entry)) + " starts at byte " +
                               std::to_string(offset) + ";" + fileSize);
    }
  }
  return directory;
}

// Where the data of a member starting at `offset` ends at the latest: the end entry's
// offset when it lies at or after it, else the end of the file.
std::uint64_t archiveEnd(const Directory& directory, std::uint64_t size, std::uint32_t offset) {
  return directory.ended && directory.endOffset >= offset ? directory.endOffset : size;
}

}  // namespace

std::string shownMemberName(std::string_view name) { return base::printableText(name); }

void listPakDirectory(std::FILE* archive, std::uint64_t size, const std::function<void(const PakListing&)>& each) {
  const Directory directory = checkDirectory(archive, size);
  // Out of order: the members' starts, sorted, say where each one's data ends.
  std::vector<std::uint32_t> starts;
  if (!directory.ordered) {
    rewindTo(archive, 0);
    ArchiveEntry entry;
    for (std::uint64_t i = 0; i < directory.members && nextEntry(archive, entry, i); ++i) {
      starts.push_back(archiveEntryOffset(entry));
    }
    std::sort(starts.begin(), starts.end());
  }
  rewindTo(archive, 0);
  ArchiveEntry entry;
  bool inRun = false;  // of members that start together, in order
  std::uint32_t runOffset = 0;
  std::uint64_t runEnd = 0;
  for (std::uint64_t i = 0; i < directory.members && nextEntry(archive, entry, i); ++i) {
    const std::uint32_t offset = archiveEntryOffset(entry);
    if (!directory.ordered) {
      const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
      runEnd = std::min<std::uint64_t>(archiveEnd(directory, size, offset), next != starts.end() ? *next : size);
    } else if (!inRun || offset != runOffset) {
      // In order, the next start is the first other one further on: look ahead, come back.
      inRun = true;
      runOffset = offset;
      runEnd = archiveEnd(directory, size, offset);
      ArchiveEntry later;
      for (std::uint64_t j = i + 1; j < directory.members && nextEntry(archive, later, j); ++j) {
        if (archiveEntryOffset(later) != offset) {
          runEnd = std::min<std::uint64_t>(runEnd, archiveEntryOffset(later));
          break;
        }
      }
      rewindTo(archive, i + 1);
    }
    each({storedName(entry), offset, runEnd - offset});
  }
}

std::optional<PakListing> findPakMember(std::FILE* archive, std::uint64_t size, std::string_view name) {
  const Directory directory = checkDirectory(archive, size);
  const std::string wanted = upperCased(name);
  std::optional<PakListing> found;
  rewindTo(archive, 0);
  ArchiveEntry entry;
  for (std::uint64_t i = 0; !found && i < directory.members && nextEntry(archive, entry, i); ++i) {
    const std::string stored = storedName(entry);
    if (upperCased(stored) == wanted || upperCased(shownMemberName(stored)) == wanted) {
      found = PakListing{stored, archiveEntryOffset(entry), 0};
    }
  }
  if (!found) return found;
  std::uint64_t end = archiveEnd(directory, size, found->offset);
  rewindTo(archive, 0);
  for (std::uint64_t i = 0; i < directory.members && nextEntry(archive, entry, i); ++i) {
    const std::uint32_t offset = archiveEntryOffset(entry);
    if (offset > found->offset) end = std::min<std::uint64_t>(end, offset);
  }
  found->size = end - found->offset;
  return found;
}

void copyPakMember(std::FILE* archive, const PakListing& member,
                   const std::function<void(const unsigned char*, std::size_t)>& sink) {
  if (std::fseek(archive, static_cast<long>(member.offset), SEEK_SET) != 0) {
    throw std::runtime_error("cannot read member " + shownMemberName(member.name));
  }
  unsigned char block[65536];
  for (std::uint64_t left = member.size; left > 0;) {
    const std::size_t got = std::fread(block, 1, std::min<std::uint64_t>(left, sizeof block), archive);
    if (got == 0) throw std::runtime_error("the archive ends inside member " + shownMemberName(member.name));
    sink(block, got);
    left -= got;
  }
}
