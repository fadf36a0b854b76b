#include "tools/common/tool_output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdio_ext.h>
#include <exception>
#include <new>
#include <stdexcept>

#include "base/output_file.h"

namespace {

[[noreturn]] void standardOutputFailed(int error) {
  throw std::runtime_error(std::string("cannot write standard output: ") + std::strerror(error));
}

}  // namespace

void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  base::writeFile(path, bytes.data(), bytes.size());
}

void writeStandardOutput(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) standardOutputFailed(errno);
}

int showUsage(const char* usage, bool asked) {
  if (!asked) {
    std::fputs(usage, stderr);
    return 2;
  }
  writeStandardOutput(usage);
  return 0;
}

bool asksForHelp(int argc, char** argv) {
  return argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0);
}

int toolMain(const char* name, const std::function<int()>& body) {
  // A size limit (ulimit -f) fails the write, which is reported, instead of killing the
  // tool without a word; a termination request takes the temporary file with it.
  std::signal(SIGXFSZ, SIG_IGN);
  base::removeTemporaryFilesOnTermination();
  try {
    const int code = body();
    // A closed standard output is no failure for a tool that had nothing to write there.
    const bool pending = __fpending(stdout) != 0;
    const bool failedBefore = std::ferror(stdout) != 0;
    errno = EIO;  // the reason of a failure before this point is gone
    if (std::fclose(stdout) != 0 && (pending || errno != EBADF)) standardOutputFailed(errno);
    if (failedBefore) standardOutputFailed(EIO);
    return code;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: not enough memory\n", name);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s: %s\n", name, failure.what());
  }
  return 1;
}
