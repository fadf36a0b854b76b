// openResource: the archive's directory rules, the caller's name after it, the plain files whatever their case.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "display/plain_file.h"
#include "display/resource.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

// Everything a stream still holds, then closes it; "<null>" for no stream.
std::string drain(std::FILE* stream) {
  if (stream == nullptr) return "<null>";
  std::string text;
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  std::fclose(stream);
  return text;
}

using OpenResource = TempFolderTest;

TEST_F(OpenResource, FindsMembersByTheDirectorysRulesAndUpperCasesTheCallersName) {
  struct Case { std::optional<Bytes> archive; std::string request, contents, nameAfter; };  // archive none: missing
  // Entries past the end entry count for nothing.
  const Bytes twoMembers = archiveBytes({{"A.PCX", 96}, {"", 97}, {"B.PCX", 96}, {"C.PCX", 97}}, "ab-");
  const Bytes onlyBubble = archiveBytes({{"POMPA.PCX", 48}, {"", 48}}, "bubble");
  const Bytes noEnd = archiveBytes({{"X.PCX", 0}, {"Y.PCX", 44}});  // Y's data: its own unused field
  const Bytes cut = archiveBytes({{"OTRO.PCX", 0}, {"FONDO.PCX", 40}});
  // Members have no stored size: entries that give one offset are names for the same data,
  // each read on to the end; of two entries with one name the first wins.
  const Bytes shared =
      archiveBytes({{"dup.pcx", 120}, {"DUP.PCX", 123}, {"ALIAS.PCX", 126}, {"LLENO.PCX", 126}, {"", 130}}, "onetwofull");
  // 16-byte names have no NUL: the offset after them is neither name nor upper-cased.
  const Bytes sixteenQ = archiveBytes({{"ABCDEFGHIJKLMNOP", 'Q'}, {"", 48}}, std::string('Q' - 48, '.') + "Qdata");
  const Bytes sixteenq = archiveBytes({{"ABCDEFGHIJKLMNOP", 'q'}, {"", 48}}, std::string('q' - 48, '.') + "qdata");
  const std::vector<Case> cases = {
      {std::nullopt, "fondo.pcx", "plain", "fondo.pcx"},
      {std::nullopt, "nada.pcx", "<null>", "nada.pcx"},
      // The archive comes first, matches ignoring case and upper-cases the caller's name; a
      // member's stream reads on past its end.
      {archiveBytes({{"Fondo.PCX", 48}, {"", 53}}, "FONDOrest"), "fondo.pcx", "FONDOrest", "FONDO.PCX"},
      {onlyBubble, "fondo.pcx", "plain", "FONDO.PCX"},
      {onlyBubble, "nada.pcx", "<null>", "NADA.PCX"},
      {twoMembers, "a.pcx", "ab-", "A.PCX"},
      {twoMembers, "b.pcx", "<null>", "B.PCX"},
      {twoMembers, "", "b-", ""},  // the end entry's empty name matches an empty request
      {noEnd, "y.pcx", std::string("\xAA\0\0\0", 4), "Y.PCX"},
      {noEnd, "z.pcx", "<null>", "Z.PCX"},
      {shared, "Dup.Pcx", "onetwofull", "DUP.PCX"},
      {shared, "alias.pcx", "full", "ALIAS.PCX"},
      {shared, "lleno.pcx", "full", "LLENO.PCX"},
      {archiveBytes({{"MA\xD1" "ANA-1.PCX", 48}, {"", 48}}, "member"), "ma\xF1" "ana-1.pcx", "<null>",
       "MA\xF1" "ANA-1.PCX"},
      {sixteenQ, "abcdefghijklmnop", "Qdata", "ABCDEFGHIJKLMNOP"},
      {sixteenQ, "abcdefghijklmnopq", "<null>", "ABCDEFGHIJKLMNOPQ"},
      {sixteenQ, "abcdefghijklmno", "<null>", "ABCDEFGHIJKLMNO"},
      {sixteenq, "abcdefghijklmnop", "qdata", "ABCDEFGHIJKLMNOP"},
      // The first match decides, and one past the end is none; one at the very end is empty.
      {archiveBytes({{"FONDO.PCX", 1000}, {"FONDO.PCX", 72}, {"", 76}}, "arch"), "fondo.pcx", "plain", "FONDO.PCX"},
      {archiveBytes({{"FONDO.PCX", 48}, {"", 48}}), "fondo.pcx", "", "FONDO.PCX"},
      {Bytes{}, "", "<null>", ""},
      // An entry cut by the end of the file counts once its name and offset are whole.
      {Bytes(cut.begin(), cut.end() - 4), "fondo.pcx", std::string("(\0\0\0", 4), "FONDO.PCX"},
      {Bytes(cut.begin(), cut.end() - 5), "fondo.pcx", "plain", "FONDO.PCX"},
  };
  writeBytes("fondo.pcx", textBytes("plain"));
  for (const Case& c : cases) {
    if (c.archive) writeBytes("test.pak", *c.archive);
    archivePath = c.archive ? "test.pak" : "missing.pak";
    std::string name = c.request;
    EXPECT_EQ(drain(openResource(name.data(), "rb")), c.contents) << c.request;
    EXPECT_EQ(name, c.nameAfter);
  }
}

TEST_F(OpenResource, PlainFilesAreFoundWhateverTheCaseOfTheirStoredNames) {
  std::filesystem::create_directory("Datos");
  writeBytes("Datos/Fondo.Pcx", textBytes("nested"));
  EXPECT_EQ(drain(openPlainFile("DATOS/FONDO.PCX")), "nested");
  // Among other spellings the first in byte order wins, and the exact name before them all.
  writeBytes("fondo.pcx", textBytes("lower"));
  writeBytes("Fondo.pcx", textBytes("title"));
  EXPECT_EQ(drain(openPlainFile("FONDO.PCX")), "title");
  writeBytes("FONDO.PCX", textBytes("exact"));
  EXPECT_EQ(drain(openPlainFile("FONDO.PCX")), "exact");
  EXPECT_EQ(drain(openPlainFile("DATOS/NADA.PCX")), "<null>");
}

}  // namespace
