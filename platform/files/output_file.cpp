#include "platform/files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace platform::files {
namespace {

[[noreturn]] void fail(const std::string& path, int error) {
  const char* reason = error == ENXIO ? "a FIFO that no process reads" : std::strerror(error);
  throw std::runtime_error("cannot write " + path + ": " + reason);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The real folder of a link under /proc/PID/fd: there a name is a process's open file (the
// links /dev/stdout and /dev/fd/N lead there), not a place in a folder. Empty elsewhere.
std::string descriptorFolder(const std::string& link) {
  char real[PATH_MAX];
  if (realpath(folderOf(link).c_str(), real) == nullptr) return "";
  const std::string folder = real;
  return folder.rfind("/proc/", 0) == 0 && folder.size() > 3 && folder.compare(folder.size() - 3, 3, "/fd") == 0
             ? folder
             : "";
}

int openStream(const std::string& path, const std::string& link) {
  // Our own descriptor is written through a copy of it, so that its offset and append mode
  // hold (kestrix-trace >>log); opening its name anew would start at byte 0.
  const std::string ownFolder = "/proc/" + std::to_string(getpid()) + "/fd";
  if (!link.empty() && descriptorFolder(link) == ownFolder) {
    char* end = nullptr;
    const long fd = std::strtol(nameOf(link).c_str(), &end, 10);
    if (*end == '\0' && fd >= 0 && fd <= INT_MAX) {
      const int copy = fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 0);
      if (copy >= 0) return copy;
    }
  }
  // Non-blocking, so that a FIFO without a reader is refused at once instead of waiting.
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    close(fd);
    fail(path, error);
  }
  return fd;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
  // Follow symbolic links to what they name: a regular file is replaced, anything else is
  // a stream.
  std::string at = path;
  struct stat status {};
  bool exists = false;
  for (int links = 0;; ++links) {
    if (links == 40) fail(path, ELOOP);
    if (lstat(at.c_str(), &status) != 0) {
      if (errno != ENOENT) fail(path, errno);
      break;
    }
    if (S_ISREG(status.st_mode)) {
      exists = true;
      break;
    }
    if (!S_ISLNK(status.st_mode) || !descriptorFolder(at).empty()) {
      fd_ = openStream(path, S_ISLNK(status.st_mode) ? at : "");
      return;
    }
    char to[PATH_MAX];
    const ssize_t length = readlink(at.c_str(), to, sizeof to - 1);
    if (length < 0) fail(path, errno);
    to[length] = '\0';
    at = to[0] == '/' ? std::string(to) : folderOf(at) + "/" + to;
  }

  // A file we may not write is refused, as writing it in place would be.
  if (exists && faccessat(AT_FDCWD, at.c_str(), W_OK, AT_EACCESS) != 0) fail(path, errno);
  target_ = at;
  if (exists) replaced_ = at;
  const std::string stem = folderOf(at) + "/." + nameOf(at).substr(0, 200) + "." + std::to_string(getpid()) + "-";
  for (int attempt = 0; fd_ < 0; ++attempt) {
    temporary_ = stem + std::to_string(attempt) + ".part";
    // A new file gets the mode a plain creation would (0666 less the umask); a replaced one
    // keeps its own.
    fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd_ < 0 && (errno != EEXIST || attempt == 99)) {
      const int error = errno;
      temporary_.clear();
      fail(path, error);
    }
  }
  if (exists && fchmod(fd_, status.st_mode & 0777) != 0) {
    const int error = errno;
    discard();  // a throwing constructor leaves no destructor to do it
    fail(path, error);
  }
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

bool writeAll(int fd, const void* bytes, std::size_t count) {
  const auto* at = static_cast<const unsigned char*>(bytes);
  while (count > 0) {
    const ssize_t written = ::write(fd, at, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    at += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

void OutputFile::write(const void* bytes, std::size_t count) {
  if (!writeAll(fd_, bytes, count)) fail(path_, errno);
}

void OutputFile::commit() {
  // On disk before the rename, so that a crash leaves the old file or the whole new one.
  if (!target_.empty() && fsync(fd_) != 0) fail(path_, errno);
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) fail(path_, errno);
  if (target_.empty()) return;
  if (rename(temporary_.c_str(), target_.c_str()) != 0) fail(path_, errno);
  temporary_.clear();
}

void writeFile(const std::string& path, const void* bytes, std::size_t count) {
  OutputFile out(path);
  out.write(bytes, count);
  out.commit();
}

bool isEmptyOrStartsWith(const std::string& path, std::string_view prefix) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  std::string head(prefix.size(), '\0');
  const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  const ssize_t got = regular ? read(fd, head.data(), head.size()) : -1;
  close(fd);
  return got == 0 || (got == static_cast<ssize_t>(prefix.size()) && head == prefix);
}

}  // namespace platform::files
