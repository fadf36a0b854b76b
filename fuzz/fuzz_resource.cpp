// Fuzzes the archive-aware opener through the PCX loader. Input: a name (to the first newline,
// at most 40 bytes, '/' and '\' made '_' to keep the plain-file fallback in the fuzzer's folder),
// then the archive, held in a memfd opened by name. Give absolute corpus and artifact paths.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "display/resource.h"

// Inputs allocate well under a megabyte: a 16 MB quarantine still catches a use after free.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

static std::filesystem::path folder;
static int archive = -1;
static std::string archiveName;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  folder = pattern;
  std::filesystem::current_path(folder);
  std::atexit([] {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
  });
  if (std::FILE* plain = std::fopen("fondo.pcx", "wb")) {  // a plain file to fall back to
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
  std::size_t length = 0;
  for (; length < size && length < 40 && data[length] != '\n'; ++length)
    name[length] = data[length] == '/' || data[length] == '\\' ? '_' : static_cast<char>(data[length]);
  name[length] = '\0';
  const std::size_t start = length < size ? length + 1 : size;
  if (ftruncate(archive, static_cast<off_t>(size - start)) != 0 ||
      pwrite(archive, data + start, size - start, 0) != static_cast<ssize_t>(size - start))
    std::abort();
  // The member (else the plain file), read past its end as far as the picture asks.
  static std::vector<std::uint32_t> pixels(256);
  try {
    loadPcx(name, pixels.data(), pixels.size() * 4, nullptr);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
