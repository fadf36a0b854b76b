// Opening a plain file for reading, also where file names are case-sensitive: a name that
// the archive opener has upper-cased still finds "fondo.pcx".
#pragma once

#include <cstdio>

// Opens `name` with "rb", when it is a regular file (base/regular_file.h). When that
// fails, each part of the path that does not exist as written is looked for in its folder
// ignoring the case of a-z (of several such names the first in byte order wins, so the
// choice does not depend on the order of the folder). Returns null when no regular file is
// found.
std::FILE* openPlainFile(const char* name);
