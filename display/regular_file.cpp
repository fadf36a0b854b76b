#include "display/regular_file.h"

#ifdef _WIN32

#include <filesystem>
#include <system_error>

std::FILE* openRegularFile(const char* path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;  // devices such as "CON" too
  return std::fopen(path, "rb");
}

#else

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* openRegularFile(const char* path) {
  // The name is looked at first, so that no device is opened (opening some has effects);
  // the open does not wait even on a FIFO, and what was opened is checked again, since
  // the name may have been replaced in between. O_NONBLOCK means nothing to a regular
  // file's reads.
  struct stat status;
  if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
    if (std::FILE* file = fdopen(fd, "rb")) return file;
  }
  close(fd);
  return nullptr;
}

#endif
