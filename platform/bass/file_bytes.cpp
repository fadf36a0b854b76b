#include "platform/bass/file_bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
struct FileClose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

std::optional<std::vector<std::uint8_t>> readAudioFile(const char* path, std::uint32_t offset, std::uint32_t length) {
  if (path == nullptr || length > maxAudioFileBytes) return std::nullopt;
  std::unique_ptr<std::FILE, FileClose> file(std::fopen(path, "rb"));
  if (!file) return std::nullopt;
  // Read rather than ask for the size: a directory or a pipe opens too, and only reading
  // tells what it holds.
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[16 * 1024];
  std::size_t skip = offset;
  const std::size_t wanted = length != 0 ? length : maxAudioFileBytes + 1;
  while (bytes.size() < wanted) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    if (n == 0) break;
    std::size_t from = 0;
    if (skip > 0) {
      from = skip < n ? skip : n;
      skip -= from;
    }
    const std::size_t take = std::min(n - from, wanted - bytes.size());
    bytes.insert(bytes.end(), buffer + from, buffer + from + take);
  }
  if (std::ferror(file.get()) || skip > 0 || bytes.empty()) return std::nullopt;
  if (length != 0 ? bytes.size() != length : bytes.size() > maxAudioFileBytes) return std::nullopt;
  return bytes;
}

std::optional<std::vector<std::uint8_t>> copyAudioMemory(const void* data, std::uint32_t offset, std::uint32_t length) {
  if (data == nullptr || length == 0 || length > maxAudioFileBytes) return std::nullopt;
  const auto* from = static_cast<const std::uint8_t*>(data) + offset;
  return std::vector<std::uint8_t>(from, from + length);
}
