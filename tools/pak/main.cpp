// kestrix-pak: makes, lists and unpacks the resource archive that the library's file
// opener reads (display/archive.h).
//
//   kestrix-pak create ARCHIVE FILE...   members named by the files' base names
//   kestrix-pak list ARCHIVE             one member a line: name, offset, size
//   kestrix-pak extract ARCHIVE NAME OUT the member as the opener finds it
//
// A member's size is not stored: it runs up to the next member's start or the archive's end;
// two names with one offset are two names for the same data.
// Only regular files are read, their sizes checked before a byte is; an archive that is cut
// short or is none is reported, never listed or unpacked.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/fatal_error.h"
#include "base/output_file.h"
#include "tools/common/input_file.h"
#include "tools/common/quoted.h"
#include "tools/common/tool_output.h"
#include "tools/pak/pak_archive.h"

namespace {

constexpr const char* usage =
    "usage: kestrix-pak create ARCHIVE FILE...\n"
    "       kestrix-pak list ARCHIVE\n"
    "       kestrix-pak extract ARCHIVE NAME OUT\n"
    "Members are named by the files' base names (1 to 15 printable ASCII characters), found\n"
    "ignoring case; a listed name shows a byte outside printable ASCII as \\xHH, and extract\n"
    "takes it so too. An empty file is refused.\n";

void create(const std::string& archivePath, const std::vector<std::string>& files) {
  refuseToReplaceAnInput(archivePath, files);
  std::vector<std::string> names;
  std::vector<std::uint64_t> sizes;
  for (const std::string& file : files) {
    names.push_back(std::filesystem::path(file).filename().string());
    sizes.push_back(InputFile(file).size());
  }
  const std::vector<unsigned char> directory = pakDirectory(names, sizes);
  base::OutputFile out(archivePath);
  out.write(directory.data(), directory.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const InputFile in(files[i]);
    std::uint64_t copied = 0;
    unsigned char block[65536];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, in.stream())) > 0; copied += got) {
      if (copied + got > sizes[i]) break;
      out.write(block, got);
    }
    const std::string shown = base::printableText(files[i]);
    if (std::ferror(in.stream()) != 0) throw std::runtime_error("cannot read " + shown);
    if (copied != sizes[i]) throw std::runtime_error(shown + " changed while it was read");
  }
  out.commit();
}

// A refusal names the archive.
template <typename Read>
auto readDirectory(const std::string& path, Read read) {
  try {
    return read();
  } catch (const std::runtime_error& failure) {
    throw std::runtime_error(base::printableText(path) + ": " + failure.what());
  }
}

void list(const std::string& archivePath) {
  const InputFile archive(archivePath);
  readDirectory(archivePath, [&] {
    listPakDirectory(archive.stream(), archive.size(), [](const PakListing& member) {
      char numbers[48];
      std::snprintf(numbers, sizeof numbers, " %" PRIu32 " %" PRIu64 "\n", member.offset, member.size);
      writeStandardOutput(shownMemberName(member.name) + numbers);
    });
  });
}

void extract(const std::string& archivePath, const std::string& name, const std::string& outPath) {
  refuseToReplaceAnInput(outPath, {archivePath});
  const InputFile archive(archivePath);
  const std::optional<PakListing> member =
      readDirectory(archivePath, [&] { return findPakMember(archive.stream(), archive.size(), name); });
  if (!member) {
    throw std::runtime_error(base::printableText(archivePath) + " has no member " + quotedText(name));
  }
  base::OutputFile out(outPath);
  copyPakMember(archive.stream(), *member, [&](const unsigned char* bytes, std::size_t count) { out.write(bytes, count); });
  out.commit();
}

}  // namespace

int main(int argc, char** argv) {
  fatalErrorReporter = reportFatalErrorOnStandardError;
  fatalErrorProgramName = "kestrix-pak";
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  return toolMain("kestrix-pak", [&] {
    if (command == "create" && args.size() >= 3) {
      create(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    } else if (command == "list" && args.size() == 2) {
      list(args[1]);
    } else if (command == "extract" && args.size() == 4) {
      extract(args[1], args[2], args[3]);
    } else {
      return showUsage(usage, command == "-h" || command == "--help");
    }
    return 0;
  });
}
