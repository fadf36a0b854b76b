// Archive-aware file opening: a data file is looked for in the resource archive first
// (display/archive.h), then as a plain file.
#pragma once

#include <cstdio>

// The resource archive's file name, relative to the working directory; null (the value at
// process start) means no archive is consulted. The program sets it once at start-up.
extern const char* archivePath;

// Opens `name` for reading in binary mode ("rb"; `mode` is not consulted): the archive's
// member of that name, or else the plain file (display/plain_file.h). When the archive
// opens, `name` is upper-cased in place and the plain file is looked for under that name.
// The stream of a member stands at its first byte and reads on into whatever follows it in
// the archive. The caller closes the stream. Null when neither source has the file.
std::FILE* openResource(char* name, const char* mode);
// The same for a name that cannot be written (a string literal): the lookup upper-cases a
// copy, and the caller's string stays as it is.
std::FILE* openResource(const char* name, const char* mode);
