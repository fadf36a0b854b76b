#include "base/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#ifdef _WIN32

#include <filesystem>
#include <system_error>

namespace base {

OpenedFile openForReading(const char* path, bool) {
  OpenedFile opened;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) {
    opened.error = error.value();
  } else if (status.type() == std::filesystem::file_type::directory) {
    opened.wrongKind = "it is a folder";
  } else if (status.type() != std::filesystem::file_type::regular) {  // devices such as "CON" too
    opened.wrongKind = "it is not a regular file";
  } else if ((opened.stream = std::fopen(path, "rb")) == nullptr) {
    opened.error = errno != 0 ? errno : EIO;
  } else {
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    opened.regular = true;
    opened.size = error ? 0 : size;
  }
  return opened;
}

}  // namespace base

static bool skipTo(std::FILE* file, std::uint64_t offset) {
  return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
}

#else

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace base {
namespace {

// Why a file of this kind is not read; null when it is.
const char* refusal(mode_t mode, bool pipes) {
  if (S_ISREG(mode) || (pipes && S_ISFIFO(mode))) return nullptr;
  if (S_ISDIR(mode)) return "it is a folder";
  if (S_ISFIFO(mode)) return "it is a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
  return "it is not a regular file";
}

}  // namespace

OpenedFile openForReading(const char* path, bool pipes) {
  // The name is looked at first, so that no device is opened (opening some has effects).
  // The open does not wait, even on a FIFO with no writer; reads block again after it.
  // What was opened is looked at again: the name may have changed hands in between.
  OpenedFile opened;
  struct stat status {};
  if (stat(path, &status) != 0) {
    opened.error = errno;
    return opened;
  }
  if ((opened.wrongKind = refusal(status.st_mode, pipes)) != nullptr) return opened;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    opened.error = errno;
    return opened;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &status) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    opened.error = errno;
  } else if ((opened.wrongKind = refusal(status.st_mode, pipes)) == nullptr &&
             (opened.stream = fdopen(fd, "rb")) == nullptr) {
    opened.error = errno;
  }
  if (opened.stream == nullptr) {
    close(fd);
    return opened;
  }
  opened.regular = S_ISREG(status.st_mode);
  opened.size = opened.regular ? static_cast<std::uint64_t>(status.st_size) : 0;
  return opened;
}

}  // namespace base

static bool skipTo(std::FILE* file, std::uint64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

#endif

namespace base {

std::FILE* openRegularFile(const char* path) { return openForReading(path).stream; }

FileBytes readFile(const char* path, std::uint64_t maxBytes, std::uint64_t offset, std::uint64_t length, bool pipes) {
  FileBytes result;
  if (length > maxBytes) {
    result.tooLarge = true;
    return result;
  }
  const OpenedFile opened = openForReading(path, pipes);
  result.error = opened.error;
  result.wrongKind = opened.wrongKind;
  if (opened.stream == nullptr) return result;
  result.opened = true;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened.stream, std::fclose);

  std::uint64_t skip = offset;  // a pipe's first bytes are read and dropped
  if (opened.regular) {
    if (offset > opened.size) {
      result.tooShort = true;
      return result;
    }
    if (length == 0 && opened.size - offset > maxBytes) {
      result.tooLarge = true;
      return result;
    }
    if (offset > 0 && !skipTo(file.get(), offset)) {
      result.error = errno != 0 ? errno : EIO;
      return result;
    }
    skip = 0;
  }
  // Read rather than trust the size: the file may change while it is read. One byte past
  // the limit tells a file that grew beyond it.
  const std::uint64_t wanted = length != 0 ? length : maxBytes + 1;
  result.bytes.reserve(static_cast<std::size_t>(std::min(wanted, opened.size - std::min(opened.size, offset))));
  unsigned char block[65536];
  while (result.bytes.size() < wanted) {
    const std::size_t n = std::fread(block, 1, sizeof block, file.get());
    if (n == 0) break;
    const std::size_t from = static_cast<std::size_t>(std::min<std::uint64_t>(skip, n));
    skip -= from;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n - from, wanted - result.bytes.size()));
    result.bytes.insert(result.bytes.end(), block + from, block + from + take);
  }
  if (std::ferror(file.get()) != 0) {
    result.error = errno != 0 ? errno : EIO;
  } else if (length == 0 ? result.bytes.size() > maxBytes : result.bytes.size() < length || skip > 0) {
    (length == 0 ? result.tooLarge : result.tooShort) = true;
  }
  if (!result.ok()) result.bytes.clear();
  return result;
}

}  // namespace base
