#include "platform/directx/screen_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/output_file.h"

namespace platform::directx {
namespace {

const char* const variable = "KESTRIX_SCREEN_FILE";

struct ScreenFile {
  std::string path;
  std::string partPath;  // beside it, renamed over it when complete
  std::vector<unsigned char> bytes;  // kept from one screen to the next: no allocation after the first
  bool failed = false;
};

ScreenFile* named() {
  static ScreenFile* file = [] {
    const char* path = std::getenv(variable);
    if (path == nullptr || *path == '\0') return static_cast<ScreenFile*>(nullptr);
    auto* made = new ScreenFile;  // lives until the process ends
    made->path = path;
    made->partPath = made->path + ".part";
    return made;
  }();
  return file;
}

void fail(ScreenFile& file, const char* reason) {
  std::fprintf(stderr, "%s=%s: %s; no more screens are written\n", variable, file.path.c_str(), reason);
  file.failed = true;
}

}  // namespace

bool screenFileWanted() { return named() != nullptr; }

void writeScreenFile(const ScreenImage& image) {
  ScreenFile* file = named();
  if (file == nullptr || file->failed || image.width <= 0 || image.height <= 0) return;
  struct stat status{};
  if (::stat(file->path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    fail(*file, "not a regular file");
    return;
  }

  char header[32];
  const int headerSize = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", image.width, image.height);
  const std::size_t pixels = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  file->bytes.resize(static_cast<std::size_t>(headerSize) + pixels * 3);
  std::memcpy(file->bytes.data(), header, static_cast<std::size_t>(headerSize));
  unsigned char* out = file->bytes.data() + headerSize;
  for (std::size_t i = 0; i < pixels; ++i, out += 3) {
    const std::uint32_t pixel = image.pixels[i];
    out[0] = static_cast<unsigned char>(pixel >> 16);
    out[1] = static_cast<unsigned char>(pixel >> 8);
    out[2] = static_cast<unsigned char>(pixel);
  }

  const int descriptor = ::open(file->partPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) {
    fail(*file, std::strerror(errno));
    return;
  }
  const bool written = files::writeAll(descriptor, file->bytes.data(), file->bytes.size());
  const int writeError = errno;
  const bool closed = ::close(descriptor) == 0;
  if (!written || !closed || ::rename(file->partPath.c_str(), file->path.c_str()) != 0) {
    const int error = written ? errno : writeError;
    ::unlink(file->partPath.c_str());
    fail(*file, std::strerror(error));
  }
}

}  // namespace platform::directx
