#include "display/fatal_error.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#ifdef KESTRIX_FATAL_ERROR_THROWS
#include <stdexcept>
#endif

void fatalError(const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);  // cuts what does not fit
  va_end(args);
#ifdef KESTRIX_FATAL_ERROR_THROWS
  throw std::runtime_error(message);
#else
  MessageBoxA(nullptr, message, "Error", MB_OK);
  std::exit(1);
#endif
}
