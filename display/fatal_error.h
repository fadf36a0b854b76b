// fatalError: the one way unrecoverable failures are reported. The printf-style message
// (cut to 1023 characters) is shown in a message box captioned "Error", then the process
// ends with exit code 1.
#pragma once

[[noreturn]] void fatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
