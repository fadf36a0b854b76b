// What the tools write: files through base::OutputFile (a failure leaves the
// old file whole), standard output checked on every write and at the close, and the frame
// of every tool's main that turns a failure into a message and exit code 1.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// Throws std::runtime_error when standard output refuses the text (a full disk, /dev/full).
void writeStandardOutput(std::string_view text);

// The usage text: on standard output with exit code 0 when it was asked for (-h, --help),
// else on standard error with exit code 2.
int showUsage(const char* usage, bool asked);
// Whether the one argument is -h or --help, so that no tool takes either for a file name.
bool asksForHelp(int argc, char** argv);

// Runs `body` and returns its exit code once standard output is flushed and closed without
// error. A size limit's signal (SIGXFSZ) is ignored, so that a write past it fails and is
// reported; SIGINT, SIGTERM and SIGHUP remove the temporary file being written. A std::exception thrown on the way (a refused input, a failed write, standard
// output at the close) ends in "<name>: <what>" on standard error and exit code 1.
int toolMain(const char* name, const std::function<int()>& body);
