#include "display/resource.h"

#include "display/archive.h"
#include "display/plain_file.h"

const char* archivePath = nullptr;

std::FILE* openResource(char* name, const char* /*mode*/) {
  if (archivePath != nullptr) {
    if (std::FILE* member = openArchiveMember(archivePath, name)) return member;
  }
  return openPlainFile(name);
}
