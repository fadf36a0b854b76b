#include "tools/common/input_file.h"

#include <sys/stat.h>

#include <cstring>
#include <stdexcept>

#include "base/output_file.h"
#include "base/regular_file.h"

namespace {

using base::printableText;

[[noreturn]] void fail(const char* doing, const std::string& path, int error, const char* why = nullptr) {
  throw std::runtime_error(std::string(doing) + printableText(path) + ": " + (why != nullptr ? why : std::strerror(error)));
}

}  // namespace

InputFile::InputFile(const std::string& path, bool pipes) {
  const base::OpenedFile opened = base::openForReading(path.c_str(), pipes);
  if (opened.wrongKind != nullptr) fail("cannot read ", path, 0, opened.wrongKind);
  if (opened.stream == nullptr) fail("cannot open ", path, opened.error);
  stream_ = opened.stream;
  size_ = opened.size;
}

InputFile::~InputFile() { std::fclose(stream_); }

std::vector<unsigned char> readFileBytes(const std::string& path, std::uint64_t maxBytes, bool pipes) {
  base::FileBytes file = base::readFile(path.c_str(), maxBytes, 0, 0, pipes);
  if (file.wrongKind != nullptr) fail("cannot read ", path, 0, file.wrongKind);
  if (file.error != 0) fail(file.opened ? "cannot read " : "cannot open ", path, file.error);
  if (file.tooLarge) fail("cannot read ", path, 0, ("it holds more than " + std::to_string(maxBytes) + " bytes").c_str());
  return std::move(file.bytes);
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
