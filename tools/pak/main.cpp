// kestrix-pak: makes, lists and unpacks the resource archive that the library's file
// opener reads (display/archive.h).
//
//   kestrix-pak create ARCHIVE FILE...   members named by the files' base names
//   kestrix-pak list ARCHIVE             one member a line: name, offset, size
//   kestrix-pak extract ARCHIVE NAME OUT the member as the opener finds it
//
// A member's size is not stored: it runs up to the next member's start or the archive's end.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/archive.h"
#include "tools/common/file_bytes.h"
#include "tools/pak/pak_archive.h"

namespace {

constexpr const char* usage =
    "usage: kestrix-pak create ARCHIVE FILE...\n"
    "       kestrix-pak list ARCHIVE\n"
    "       kestrix-pak extract ARCHIVE NAME OUT\n"
    "Members are named by the files' base names (1 to 15 characters), found ignoring case.\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openArchive(const std::string& path) {
  File archive(std::fopen(path.c_str(), "rb"));
  if (!archive) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
  return archive;
}

void create(const std::string& archivePath, const std::vector<std::string>& files) {
  std::vector<PakMember> members;
  for (const std::string& file : files) {
    members.push_back({std::filesystem::path(file).filename().string(), readFileBytes(file)});
  }
  writeFileBytes(archivePath, buildArchive(members));
}

void list(const std::string& archivePath) {
  const File archive = openArchive(archivePath);
  for (const PakListing& member : listArchive(archive.get())) {
    std::printf("%s %" PRIu32 " %" PRIu64 "\n", member.name.c_str(), member.offset, member.size);
  }
}

void extract(const std::string& archivePath, const std::string& name, const std::string& outPath) {
  const std::vector<PakListing> members = listArchive(openArchive(archivePath).get());
  const std::uint64_t archiveSize = std::filesystem::file_size(archivePath);
  std::vector<char> wanted(name.begin(), name.end());
  wanted.push_back('\0');
  const File member(openArchiveMember(archivePath.c_str(), wanted.data()));
  if (!member) throw std::runtime_error(archivePath + " has no member " + name);

  const std::uint64_t offset = static_cast<std::uint64_t>(std::ftell(member.get()));
  std::vector<unsigned char> bytes(memberEnd(members, offset, archiveSize) - offset);
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), member.get()) != bytes.size()) {
    throw std::runtime_error("cannot read " + name + " from " + archivePath);
  }
  writeFileBytes(outPath, bytes);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  try {
    if (command == "create" && args.size() >= 3) {
      create(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    } else if (command == "list" && args.size() == 2) {
      list(args[1]);
    } else if (command == "extract" && args.size() == 4) {
      extract(args[1], args[2], args[3]);
    } else if (command == "-h" || command == "--help") {
      std::fputs(usage, stdout);
    } else {
      std::fputs(usage, stderr);
      return 2;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kestrix-pak: %s\n", error.what());
    return 1;
  }
  return 0;
}
