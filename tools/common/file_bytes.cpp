#include "tools/common/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const char* what, const std::string& path, int error) {
  throw std::runtime_error(std::string("cannot ") + what + " " + path + ": " + std::strerror(error));
}

}  // namespace

std::vector<unsigned char> readFileBytes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) fail("open", path, errno);
  std::vector<unsigned char> bytes;
  unsigned char block[65536];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + n);
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) fail("read", path, error);
  return bytes;
}

void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) fail("create", path, errno);
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int error = errno;
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    fail("write", path, written ? errno : error);
  }
}
