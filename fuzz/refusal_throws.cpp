// In the fuzz targets a refused input throws (std::runtime_error with the message) instead
// of ending the process, so the fuzzer goes on with its next input.
#include <stdexcept>

#include "display/fatal_error.h"

namespace {

void throwRefusal(const char* message) { throw std::runtime_error(message); }

const bool installed = (fatalErrorReporter = throwRefusal, true);

}  // namespace
