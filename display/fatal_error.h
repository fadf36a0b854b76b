// fatalError: the one way unrecoverable failures are reported. The printf-style message
// (cut to 1023 characters) goes to the reporter, then the process ends with exit code 1.
#pragma once

[[noreturn]] void fatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tells the user of the failure; when it returns, fatalError ends the process. The default,
// showFatalErrorBox, shows the message in a box captioned "Error" with one OK button, as a
// program with a window does. Command-line programs, which must never wait on a box, report
// on standard error instead (reportFatalErrorOnStandardError, or a reporter of their own). A
// reporter that throws takes the place of the exit: the fuzz targets use that to go on with
// the next input.
using FatalErrorReporter = void (*)(const char* message);
extern FatalErrorReporter fatalErrorReporter;

void showFatalErrorBox(const char* message);
// "<program>: <message>" on standard error, without the message's trailing line breaks.
void reportFatalErrorOnStandardError(const char* message);
// The name that reportFatalErrorOnStandardError puts before the message; "Error" until set.
extern const char* fatalErrorProgramName;
