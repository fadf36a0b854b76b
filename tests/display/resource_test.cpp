// openResource: the archive's directory rules, what happens to the caller's name, and the
// plain-file fallback on a file system whose names are case-sensitive.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

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

std::string open(std::string& name) { return drain(openResource(name.data(), "rb")); }

class OpenResource : public TempFolderTest {
 protected:
  // An archive "test.pak" holding the given directory and data.
  void useArchive(const Bytes& archive) {
    writeBytes("test.pak", archive);
    archivePath = "test.pak";
  }
};

TEST_F(OpenResource, WithoutArchiveOpensThePlainFileAndLeavesTheNameAlone) {
  writeBytes("fondo.pcx", textBytes("plain"));
  std::string name = "fondo.pcx";
  EXPECT_EQ(open(name), "plain");  // archive path null
  EXPECT_EQ(name, "fondo.pcx");

  archivePath = "missing.pak";
  EXPECT_EQ(open(name), "plain");
  EXPECT_EQ(name, "fondo.pcx");

  std::string absent = "nada.pcx";
  EXPECT_EQ(open(absent), "<null>");
}

TEST_F(OpenResource, FindsAMemberIgnoringCaseAndUpperCasesTheCallersName) {
  Bytes archive;
  appendEntry(archive, "Fondo.PCX", 48);
  appendEntry(archive, "", 53);
  appendText(archive, "FONDOrest");
  useArchive(archive);
  writeBytes("fondo.pcx", textBytes("plain"));  // the archive comes first

  std::string name = "fondo.pcx";
  // The member's stream reads on past its end into what follows in the archive.
  EXPECT_EQ(open(name), "FONDOrest");
  EXPECT_EQ(name, "FONDO.PCX");
}

TEST_F(OpenResource, ANameTheArchiveLacksIsOpenedAsAPlainFileUnderItsUpperCasedName) {
  Bytes archive;
  appendEntry(archive, "POMPA.PCX", 48);
  appendEntry(archive, "", 48);
  appendText(archive, "bubble");
  useArchive(archive);
  writeBytes("fondo.pcx", textBytes("plain"));  // stored in lower case

  std::string name = "fondo.pcx";
  EXPECT_EQ(open(name), "plain");
  EXPECT_EQ(name, "FONDO.PCX");
  std::string absent = "nada.pcx";
  EXPECT_EQ(open(absent), "<null>");
  EXPECT_EQ(absent, "NADA.PCX");
}

TEST_F(OpenResource, DirectoryEndsAtTheEmptyEntryOrAtTheEndOfTheFile) {
  Bytes archive;
  appendEntry(archive, "A.PCX", 72);
  appendEntry(archive, "", 73);
  appendEntry(archive, "B.PCX", 74);  // after the end: never consulted
  appendText(archive, "ab-");
  useArchive(archive);
  std::string a = "a.pcx", b = "b.pcx", empty;
  EXPECT_EQ(open(a), "ab-");
  EXPECT_EQ(open(b), "<null>");
  // An empty name matches the end entry itself, and gets the archive at its offset.
  EXPECT_EQ(open(empty), "b-");

  Bytes noEnd;  // entries up to the very end of the file, the matching one last
  appendEntry(noEnd, "X.PCX", 0);
  appendEntry(noEnd, "Y.PCX", 20);
  useArchive(noEnd);
  std::string y = "y.pcx", z = "z.pcx";
  EXPECT_EQ(open(y).size(), 28u);
  EXPECT_EQ(open(z), "<null>");
}

// Members have no stored size, and the archive tool lays them out in directory order: an
// empty member starts where the next one does.
TEST_F(OpenResource, OfTwoEntriesWithOneNameTheFirstWinsAndOfTwoWithOneOffsetTheFirstIsEmpty) {
  Bytes archive;
  appendEntry(archive, "dup.pcx", 120);
  appendEntry(archive, "DUP.PCX", 123);
  appendEntry(archive, "VACIO.PCX", 126);
  appendEntry(archive, "LLENO.PCX", 126);
  appendEntry(archive, "", 130);
  appendText(archive, "onetwofull");
  useArchive(archive);
  std::string name = "Dup.Pcx", empty = "vacio.pcx", full = "lleno.pcx";
  EXPECT_EQ(open(name), "onetwofull");
  EXPECT_EQ(open(empty), "");
  EXPECT_EQ(open(full), "full");
}

TEST_F(OpenResource, UpperCasingChangesOnlyTheAsciiLetters) {
  Bytes archive;
  appendEntry(archive, "MA\xD1" "ANA-1.PCX", 48);  // Latin-1 capital N with tilde
  appendEntry(archive, "", 48);
  appendText(archive, "member");
  useArchive(archive);
  writeBytes("MA\xF1" "ANA-1.PCX", textBytes("plain"));

  std::string name = "ma\xF1" "ana-1.pcx";  // Latin-1 small n with tilde stays as it is
  EXPECT_EQ(open(name), "plain");
  EXPECT_EQ(name, "MA\xF1" "ANA-1.PCX");
}

TEST_F(OpenResource, ASixteenByteNameWithoutNulIsComparedAsSixteenBytes) {
  Bytes archive;
  appendEntry(archive, "ABCDEFGHIJKLMNOP", 'Q');  // the offset's first byte reads 'Q'
  appendEntry(archive, "", 48);
  while (archive.size() < 'Q') archive.push_back('.');
  appendText(archive, "Qdata");
  useArchive(archive);

  std::string sixteen = "abcdefghijklmnop";
  EXPECT_EQ(open(sixteen), "Qdata");
  std::string seventeen = "abcdefghijklmnopq";  // would match if the offset were read as name
  EXPECT_EQ(open(seventeen), "<null>");
  std::string fifteen = "abcdefghijklmno";
  EXPECT_EQ(open(fifteen), "<null>");
}

TEST_F(OpenResource, ABrokenEntryHandsOutNothingAndThePlainFileIsOpened) {
  writeBytes("FONDO.PCX", textBytes("plain"));
  std::string name = "fondo.pcx";

  Bytes pastTheEnd;
  appendEntry(pastTheEnd, "FONDO.PCX", 1000);
  appendEntry(pastTheEnd, "", 48);
  useArchive(pastTheEnd);
  EXPECT_EQ(open(name), "plain");

  useArchive(Bytes{});  // an empty archive has no entry, not even for the empty name
  std::string empty;
  EXPECT_EQ(open(empty), "<null>");

  Bytes atTheEnd;  // a member may start at the archive's end: it is empty
  appendEntry(atTheEnd, "FONDO.PCX", 48);
  appendEntry(atTheEnd, "", 48);
  useArchive(atTheEnd);
  EXPECT_EQ(open(name), "");
}

TEST_F(OpenResource, AnEntryCutShortByTheEndOfTheFileCountsWhenItsNameAndOffsetAreWhole) {
  writeBytes("FONDO.PCX", textBytes("plain"));
  for (std::size_t kept = 1; kept < 24; ++kept) {  // bytes of the last entry
    Bytes archive;
    appendEntry(archive, "OTRO.PCX", 0);
    appendEntry(archive, "FONDO.PCX", 3);
    archive.resize(24 + kept);
    useArchive(archive);
    std::string name = "fondo.pcx";
    EXPECT_EQ(open(name), kept >= 20 ? std::string(archive.begin() + 3, archive.end()) : "plain") << kept;
  }
}

TEST_F(OpenResource, PlainFilesAreFoundWhateverTheCaseOfTheirStoredNames) {
  std::filesystem::create_directory("Datos");
  writeBytes("Datos/Fondo.Pcx", textBytes("nested"));
  std::string nested = "DATOS/FONDO.PCX";
  EXPECT_EQ(open(nested), "nested");

  // Among other spellings the first in byte order wins, and the exact name before them all.
  writeBytes("fondo.pcx", textBytes("lower"));
  writeBytes("Fondo.pcx", textBytes("title"));
  EXPECT_EQ(drain(openPlainFile("FONDO.PCX")), "title");
  writeBytes("FONDO.PCX", textBytes("exact"));
  EXPECT_EQ(drain(openPlainFile("FONDO.PCX")), "exact");
  EXPECT_EQ(drain(openPlainFile("DATOS/NADA.PCX")), "<null>");
}

}  // namespace
