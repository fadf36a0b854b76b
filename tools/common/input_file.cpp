#include "tools/common/input_file.h"

#include "platform/files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

using platform::files::printableText;

[[noreturn]] void fail(const std::string& what, int error) {
  throw std::runtime_error(what + ": " + std::strerror(error));
}

// Why a file of this kind is not read; null when it is.
const char* refusal(mode_t mode, bool pipes) {
  if (S_ISREG(mode) || (pipes && S_ISFIFO(mode))) return nullptr;
  if (S_ISDIR(mode)) return "it is a folder";
  if (S_ISFIFO(mode)) return "it is a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
  return "it is not a regular file";
}

}  // namespace

InputFile::InputFile(const std::string& path, bool pipes) {
  struct stat status {};
  const std::string shown = printableText(path);
  if (stat(path.c_str(), &status) != 0) fail("cannot open " + shown, errno);
  if (const char* why = refusal(status.st_mode, pipes)) throw std::runtime_error("cannot read " + shown + ": " + why);
  // Non-blocking, so that a FIFO with no writer opens at once; reads block again after.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) fail("cannot open " + shown, errno);
  const int flags = fcntl(fd, F_GETFL);
  // The kind is checked again on what was opened: the name may have changed hands since.
  if (fstat(fd, &status) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
      refusal(status.st_mode, pipes) != nullptr || (stream_ = fdopen(fd, "rb")) == nullptr) {
    const int error = refusal(status.st_mode, pipes) != nullptr ? EINVAL : errno;
    close(fd);
    fail("cannot open " + shown, error);
  }
  size_ = S_ISREG(status.st_mode) ? static_cast<std::uint64_t>(status.st_size) : 0;
}

InputFile::~InputFile() { std::fclose(stream_); }

std::vector<unsigned char> readFileBytes(const std::string& path, std::uint64_t maxBytes, bool pipes) {
  const InputFile file(path, pipes);
  const std::string tooLarge = "cannot read " + printableText(path) + ": it holds more than " + std::to_string(maxBytes) + " bytes";
  if (file.size() > maxBytes) throw std::runtime_error(tooLarge);
  std::vector<unsigned char> bytes;
  bytes.reserve(static_cast<std::size_t>(file.size()));
  unsigned char block[65536];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, file.stream())) > 0) {
    if (bytes.size() + n > maxBytes) throw std::runtime_error(tooLarge);  // a pipe, or a file that grew
    bytes.insert(bytes.end(), block, block + n);
  }
  if (std::ferror(file.stream()) != 0) fail("cannot read " + printableText(path), errno);
  return bytes;
}

void refuseToReplaceAnInput(const std::string& out, const std::vector<std::string>& inputs) {
  struct stat target {};
  if (stat(out.c_str(), &target) != 0) return;  // a new file replaces nothing
  for (const std::string& input : inputs) {
    struct stat status {};
    if (stat(input.c_str(), &status) == 0 && status.st_dev == target.st_dev && status.st_ino == target.st_ino) {
      throw std::runtime_error("will not write " + printableText(out) + ": it is the input " + printableText(input));
    }
  }
}
