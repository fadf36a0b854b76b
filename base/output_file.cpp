#include "base/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace base {
namespace {

[[noreturn]] void fail(const std::string& path, int error) {
  const char* reason = error == ENXIO ? "a FIFO that no process reads" : std::strerror(error);
  throw std::runtime_error("cannot write " + printableText(path) + ": " + reason);
}

// The temporary files being written, where a signal handler can find them: fixed storage,
// filled and emptied while the termination signals are held back.
struct TemporarySlot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
TemporarySlot temporaries[8];

// Holds the termination signals back while alive, so that a temporary file is never made
// or renamed unseen by the handler.
class TerminationHeld {
 public:
  TerminationHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &before_);
  }
  ~TerminationHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  TerminationHeld(const TerminationHeld&) = delete;
  TerminationHeld& operator=(const TerminationHeld&) = delete;

 private:
  sigset_t before_;
};

// A slot for the path, or -1 when none is free or it does not fit (then it is not removed).
int holdTemporary(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < static_cast<int>(std::size(temporaries)); ++i) {
    TemporarySlot& slot = temporaries[i];
    if (slot.used.load()) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.used.store(true);
    return i;
  }
  return -1;
}

void releaseTemporary(int& slot) {
  if (slot >= 0) temporaries[slot].used.store(false);
  slot = -1;
}

extern "C" void removeTemporariesAndEnd(int signal) {
  for (TemporarySlot& slot : temporaries) {
    if (slot.used.load()) unlink(slot.path);
  }
  // Ended by the signal itself, as without the handler: the caller sees which one.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);  // delivered when the handler returns
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

OutputFile::OutputFile(const std::string& path, bool flushToDisk) : path_(path), flushToDisk_(flushToDisk) {
  // An unset variable in a script: writing "" would quietly write nothing.
  if (path.empty()) throw std::runtime_error("cannot write a file with an empty name");
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
  const TerminationHeld held;
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
  slot_ = holdTemporary(temporary_);
  // The owner and group stay where the system lets us give them (root; a group of ours); the
  // mode after, as a change of owner may clear its set-id bits.
  if (exists && fchown(fd_, status.st_uid, status.st_gid) != 0) {
    [[maybe_unused]] const int groupOnly = fchown(fd_, static_cast<uid_t>(-1), status.st_gid);
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
  const TerminationHeld held;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  releaseTemporary(slot_);
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
  if (!target_.empty() && flushToDisk_ && fsync(fd_) != 0) fail(path_, errno);
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) fail(path_, errno);
  if (target_.empty()) return;
  const TerminationHeld held;
  if (rename(temporary_.c_str(), target_.c_str()) != 0) fail(path_, errno);
  temporary_.clear();
  releaseTemporary(slot_);
}

void removeTemporaryFilesOnTermination() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    // Ignored on entry (nohup, a background job): the caller wants it so.
    if (sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int other : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, other);
    sigaction(signal, &action, nullptr);
  }
}

std::string printableText(std::string_view text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += c;
    } else {
      out += {'\\', 'x', hex[byte >> 4], hex[byte & 15]};
    }
  }
  return out;
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

}  // namespace base
