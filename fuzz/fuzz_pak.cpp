// Fuzzes the archive reader behind kestrix-pak list and extract (tools/pak/pak_archive.h) with
// any bytes as an archive. A refusal throws std::runtime_error. An archive it accepts lists
// members inside the file, and the member extract finds by the last name as shown copies
// out in full.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "tools/pak/pak_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> file(data, data + size);
  file.push_back(0);  // a valid address for an empty file; the stream ends before it
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> archive(fmemopen(file.data(), size, "rb"), std::fclose);
  if (!archive) return 0;
  std::vector<PakListing> members;
  try {
    listPakDirectory(archive.get(), size, [&](const PakListing& member) { members.push_back(member); });
  } catch (const std::runtime_error&) {
    return 0;
  }
  for (const PakListing& member : members) if (member.name.empty() || member.offset + member.size > size) std::abort();
  if (members.empty()) return 0;
  const auto found = findPakMember(archive.get(), size, shownMemberName(members.back().name));  // or an earlier one
  if (!found) std::abort();
  std::uint64_t copied = 0;
  copyPakMember(archive.get(), *found, [&](const unsigned char*, std::size_t count) { copied += count; });
  if (copied != found->size) std::abort();
  return 0;
}
