// Fuzzes the archive reader behind kestrix-pak list and extract (tools/pak/pak_archive.h)
// with any bytes as an archive file in memory. A refusal (a cut or foreign archive) throws
// std::runtime_error and is expected. An archive it accepts must list only names the tool
// would write, each found again by its name, with members inside the file whose bytes copy
// out in full, as extract copies them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "tools/pak/pak_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> file(data, data + size);
  file.push_back(0);  // a valid address for an empty file; the stream ends before it
  std::FILE* archive = fmemopen(file.data(), size, "rb");
  if (archive == nullptr) return 0;
  std::vector<PakListing> members;
  try {
    members = readPakDirectory(archive, size);
  } catch (const std::runtime_error&) {
    std::fclose(archive);
    return 0;
  }
  for (const PakListing& member : members) {
    if (!validMemberName(member.name) || member.offset + member.size > size) std::abort();
    if (findPakMember(members, member.name) == nullptr) std::abort();
    std::uint64_t copied = 0;
    copyPakMember(archive, member, [&](const unsigned char*, std::size_t count) { copied += count; });
    if (copied != member.size) std::abort();
  }
  std::fclose(archive);
  return 0;
}
