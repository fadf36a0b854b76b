#include "platform/bass/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileClose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Only a regular file is read: the open of a FIFO would wait for a writer for ever, and a
// device may never end. The name is looked at before anything is opened, the open itself
// never waits, and what it opened is looked at again, in case the name changed meanwhile.
std::FILE* openRegular(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* file = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? fdopen(fd, "rb") : nullptr;
  if (file == nullptr) close(fd);
  return file;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readAudioFile(const char* path, std::uint32_t offset, std::uint32_t length) {
  if (path == nullptr || length > maxAudioFileBytes) return std::nullopt;
  std::unique_ptr<std::FILE, FileClose> file(openRegular(path));
  if (!file) return std::nullopt;
  // Read rather than trust the size: the file may change while it is read.
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
