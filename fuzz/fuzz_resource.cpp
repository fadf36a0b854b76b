// Fuzzes the archive-aware opener over any archive, through the PCX loader as the game
// uses it. The input is the requested name (the bytes up to the first newline, at most 40)
// followed by the archive's bytes. The archive is a real file, opened by name as the
// game's is, but one in memory (memfd_create): it is rewritten for every input, and a file
// on disk rewritten that often costs a disk write each time.
//
// '/' and '\' in names become '_', so that the plain-file fallback stays in a fresh folder
// of the fuzzer's own and never meets a device. Since the fuzzer works in that folder, give
// it corpus and artifact paths that are absolute.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"

// Each input allocates well under a megabyte, so a 16 MB quarantine still holds the frees
// of many inputs and catches a use after free within one as before; with the default
// 256 MB nearly every allocation lands on a page not yet touched, and on a virtual machine
// those page faults took a quarter of the fuzzer's time.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

namespace {

std::filesystem::path folder;
int archive = -1;
std::string archiveName;

void removeFolder() {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  folder = pattern;
  std::filesystem::current_path(folder);
  std::atexit(removeFolder);
  // A plain file that names in any case can fall back to.
  if (std::FILE* plain = std::fopen("fondo.pcx", "wb")) {
    std::fputs("plain", plain);
    std::fclose(plain);
  }
  archive = memfd_create("fuzz.pak", MFD_CLOEXEC);
  if (archive < 0) std::abort();
  archiveName = "/proc/self/fd/" + std::to_string(archive);
  archivePath = archiveName.c_str();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  char name[41];
  std::size_t nameLength = 0;
  for (; nameLength < size && nameLength < 40 && data[nameLength] != '\n'; ++nameLength) {
    const char c = static_cast<char>(data[nameLength]);
    name[nameLength] = c == '/' || c == '\\' ? '_' : c;
  }
  name[nameLength] = '\0';
  const std::size_t archiveStart = nameLength < size ? nameLength + 1 : size;

  const std::size_t archiveSize = size - archiveStart;
  if (ftruncate(archive, static_cast<off_t>(archiveSize)) != 0 ||
      pwrite(archive, data + archiveStart, archiveSize, 0) != static_cast<ssize_t>(archiveSize)) {
    std::abort();
  }

  // The game's own path: loadPcx opens the name through openResource (the archive's member,
  // else the plain file) and decodes what it gets, reading on past the member's end as far
  // as the picture asks, then closes the stream whether or not it takes the picture. The
  // buffer is the same heap block every time, with AddressSanitizer's red zone behind it.
  static std::vector<std::uint32_t> pixels(256);
  try {
    loadPcx(name, pixels.data(), pixels.size() * 4, nullptr);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
