// Hand-made archive directories for tests that need entries the archive tool never writes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
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

inline void appendText(std::vector<unsigned char>& archive, const std::string& text) {
  archive.insert(archive.end(), text.begin(), text.end());
}
