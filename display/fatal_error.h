// fatalError: the one way unrecoverable failures are reported. The printf-style message
// (cut to 1023 characters) is shown in a message box captioned "Error", then the process
// ends with exit code 1.
//
// Fuzzing seam: compiled with KESTRIX_FATAL_ERROR_THROWS defined (only the fuzz targets
// are), it throws std::runtime_error holding the message instead, so that a fuzzer can
// feed the next input to the same process. No other build defines it.
#pragma once

[[noreturn]] void fatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
