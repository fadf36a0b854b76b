#include "platform/bass/file_bytes.h"

#include "base/regular_file.h"

std::optional<std::vector<std::uint8_t>> readAudioFile(const char* path, std::uint32_t offset, std::uint32_t length) {
  if (path == nullptr) return std::nullopt;
  base::FileBytes file = base::readFile(path, maxAudioFileBytes, offset, length);
  if (!file.ok() || file.bytes.empty()) return std::nullopt;
  return std::move(file.bytes);
}

std::optional<std::vector<std::uint8_t>> copyAudioMemory(const void* data, std::uint32_t offset, std::uint32_t length) {
  if (data == nullptr || length == 0 || length > maxAudioFileBytes) return std::nullopt;
  const auto* from = static_cast<const std::uint8_t*>(data) + offset;
  return std::vector<std::uint8_t>(from, from + length);
}
