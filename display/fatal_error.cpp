#include "display/fatal_error.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

FatalErrorReporter fatalErrorReporter = showFatalErrorBox;
const char* fatalErrorProgramName = "Error";

void showFatalErrorBox(const char* message) { MessageBoxA(nullptr, message, "Error", MB_OK); }

void reportFatalErrorOnStandardError(const char* message) {
  std::size_t length = std::strlen(message);
  while (length > 0 && (message[length - 1] == '\n' || message[length - 1] == '\r')) --length;
  // A file name in the message may hold control bytes: shown escaped, they cannot steer the
  // terminal.
  std::fprintf(stderr, "%s: ", fatalErrorProgramName);
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(message[i]);
    if (c < 0x20 || c == 0x7F) {
      std::fprintf(stderr, "\\x%02X", c);
    } else {
      std::fputc(c, stderr);
    }
  }
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void fatalError(const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);  // cuts what does not fit
  va_end(args);
  fatalErrorReporter(message);
  std::exit(1);
}
