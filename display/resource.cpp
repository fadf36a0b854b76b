#include "display/resource.h"

#include "display/archive.h"
#include "display/plain_file.h"

#include <string>

const char* archivePath = nullptr;

std::FILE* openResource(char* name, const char* /*mode*/) {
  if (archivePath != nullptr) {
    if (std::FILE* member = openArchiveMember(archivePath, name)) return member;
  }
  return openPlainFile(name);
}

std::FILE* openResource(const char* name, const char* mode) {
  if (name == nullptr) return nullptr;
  std::string copy(name);
  return openResource(copy.data(), mode);
}
