// Opening a data file for reading only when it is a regular file. A FIFO, a device or a
// folder holds no picture or archive, and opening a FIFO for reading the ordinary way
// waits for a writer for ever.
#pragma once

#include <cstdio>

// Opens `path` with "rb" when it is a regular file (a link to one counts); null for any
// other kind of file, a missing one, or one that cannot be opened. Never waits.
std::FILE* openRegularFile(const char* path);
