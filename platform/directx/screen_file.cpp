#include "platform/directx/screen_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/output_file.h"

namespace platform::directx {
namespace {

const char* const variable = "KESTRIX_SCREEN_FILE";
constexpr const char* pictureStart = "P6\n";  // every picture written here starts so

struct ScreenFile {
  std::string path;
  std::vector<unsigned char> bytes;  // kept from one screen to the next: no allocation after the first
  bool failed = false;
};

ScreenFile* named() {
  static ScreenFile* file = [] {
    const char* path = std::getenv(variable);
    if (path == nullptr || *path == '\0') return static_cast<ScreenFile*>(nullptr);
    auto* made = new ScreenFile;  // lives until the process ends
    made->path = path;
    return made;
  }();
  return file;
}

void fail(ScreenFile& file, const char* reason) {
  std::fprintf(stderr, "%s=%s: %s; no more screens are written\n", variable, base::printableText(file.path).c_str(),
               reason);
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

  // Like the figures of a run: a mistyped name never costs the archive or the program. Not
  // flushed to disk: a picture a screen is a check's view, not a file to keep.
  try {
    base::OutputFile written(file->path, false);
    if (!written.replacedFile().empty() && !base::isEmptyOrStartsWith(written.replacedFile(), pictureStart)) {
      fail(*file, "holds something else than a PPM picture; it is left as it was");
      return;
    }
    written.write(file->bytes.data(), file->bytes.size());
    written.commit();
  } catch (const std::exception& failure) {
    fail(*file, failure.what());
  }
}

}  // namespace platform::directx
