// Hand-made archive directories for tests that need entries the archive tool never writes.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Appends one 24-byte entry; a 16-byte name is copied without its NUL. The unused field
// holds 0xAA: nothing reads it.
inline void appendEntry(std::vector<unsigned char>& archive, const std::string& name, std::uint32_t offset) {
  unsigned char entry[24] = {};
  std::memcpy(entry, name.data(), name.size() < 16 ? name.size() : 16);
  for (int i = 0; i < 4; ++i) entry[16 + i] = static_cast<unsigned char>(offset >> (8 * i));
  entry[20] = 0xAA;
  archive.insert(archive.end(), entry, entry + 24);
}

// A directory of these entries, then `data`.
inline std::vector<unsigned char> archiveBytes(std::initializer_list<std::pair<std::string, std::uint32_t>> entries,
                                               const std::string& data = "") {
  std::vector<unsigned char> archive;
  for (const auto& [name, offset] : entries) appendEntry(archive, name, offset);
  archive.insert(archive.end(), data.begin(), data.end());
  return archive;
}
