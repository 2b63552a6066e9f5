#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/test_support.h"

namespace velk {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const char* const kCfg =
    "; header comment\r\n"
    "[General]\r\n"
    "atc_type=BOEING\r\n"
    "atc_model = B737   \r\n"
    "\r\n"
    "[fltsim.0]\r\n"
    "Title=First Title\r\n"
    "title=Second Title\r\n"
    ";model=commented\r\n"
    "model=\r\n"
    "\r\n"
    "[FLTSIM.1]\r\n"
    "title=Other\r\n"
    "\r\n"
    "[fltsim.0]\r\n"
    "sim=duplicate section\r\n";

TEST(ProfileFileRead, NamesIgnoreCaseFirstMatchWinsValuesTrimmed) {
  ProfileFile p(kCfg);
  EXPECT_EQ(p.GetString("general", "ATC_MODEL"), "B737");
  EXPECT_EQ(p.GetString("  General ", "atc_type"), "BOEING");
  // The first of two keys of one name wins.
  EXPECT_EQ(p.GetString("FLTSIM.0", "title"), "First Title");
  // A commented line is no key; an empty value is found and empty.
  ASSERT_TRUE(p.Find("fltsim.0", "model").has_value());
  EXPECT_EQ(*p.Find("fltsim.0", "model"), "");
  // Only the first section of a name is looked at.
  EXPECT_FALSE(p.Find("fltsim.0", "sim").has_value());
  EXPECT_EQ(p.GetString("fltsim.0", "sim", "none"), "none");
  EXPECT_FALSE(p.Find("missing", "title").has_value());
  // Sections and keys are listed in file order.
  EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"General", "fltsim.0", "FLTSIM.1", "fltsim.0"}));
  EXPECT_EQ(p.KeyNames("fltsim.0"), (std::vector<std::string>{"Title", "title", "model"}));
  EXPECT_TRUE(p.KeyNames("nothing").empty());
}

TEST(ProfileFileRead, AcceptsLfAndOddLines) {
  ProfileFile p(
      "key=before any section\n"
      "  [ Spaced Name ]  trailing\n"
      "no equals sign here\n"
      "=no name\n"
      "  k1  =  a = b ; kept  \n"
      "[unclosed\n"
      "k=v");
  EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"Spaced Name", "unclosed"}));
  EXPECT_EQ(p.KeyNames("spaced name"), (std::vector<std::string>{"k1"}));
  // The value runs from the first "=" to the end of the line; a ";" in it
  // is the caller's business.
  EXPECT_EQ(p.GetString("Spaced Name", "k1"), "a = b ; kept");
  EXPECT_EQ(p.GetString("unclosed", "k"), "v");
  EXPECT_TRUE(ProfileFile("").SectionNames().empty());
}

TEST(ProfileFileRead, OnePairOfEnclosingQuotesIsDropped) {
  ProfileFile p(
      "[fltsim.0]\r\n"
      "title=\"Boeing 737-400\"\r\n"
      "texture = 'Blue'  \r\n"
      "description=\"He said \"hello\"\"\r\n"
      "odd=\"left only\r\n"
      "mixed=\"a'\r\n"
      "one=\"\r\n"
      "empty=\"\"\r\n"
      "inner=a \"b\" c\r\n");
  const std::pair<const char*, const char*> values[] = {
      {"title", "Boeing 737-400"}, {"texture", "Blue"}, {"description", "He said \"hello\""},
      {"odd", "\"left only"},     {"mixed", "\"a'"},    {"one", "\""},
      {"empty", ""},               {"inner", "a \"b\" c"}};
  for (const auto& [key, value] : values) EXPECT_EQ(p.GetString("fltsim.0", key), value) << key;
  // Writing takes the value as it is given; the file keeps its other bytes.
  ASSERT_TRUE(p.SetString("fltsim.0", "title", "\"Boeing 737-800\""));
  EXPECT_EQ(p.GetString("fltsim.0", "title"), "Boeing 737-800");
  EXPECT_NE(p.Bytes().find("title=\"Boeing 737-800\"\r\n"), std::string::npos);
}

TEST(ProfileFileRead, ByteOrderMarkAndLoneCrLineEnds) {
  // A file saved by a Windows editor with a byte-order mark, and one from an
  // old Mac editor: the first section is read all the same.
  const std::string bom = "\xEF\xBB\xBF[General]\r\natc_model=B744\r\n[fltsim.0]\r\ntitle=T\r\n";
  ProfileFile withBom(bom);
  EXPECT_EQ(withBom.SectionNames(), (std::vector<std::string>{"General", "fltsim.0"}));
  EXPECT_EQ(withBom.GetString("General", "atc_model"), "B744");
  const std::string mac = "[General]\ratc_model=B744\r[fltsim.0]\rtitle=T";
  ProfileFile oldMac(mac);
  EXPECT_EQ(oldMac.GetString("General", "atc_model"), "B744");
  EXPECT_EQ(oldMac.GetString("fltsim.0", "title"), "T");
  // Both are written back byte for byte, mark and line ends included.
  EXPECT_EQ(withBom.Bytes(), bom);
  EXPECT_EQ(oldMac.Bytes(), mac);
  ASSERT_TRUE(withBom.SetString("General", "atc_model", "B763"));
  EXPECT_EQ(withBom.Bytes(), "\xEF\xBB\xBF[General]\r\natc_model=B763\r\n[fltsim.0]\r\ntitle=T\r\n");
  ASSERT_TRUE(oldMac.SetString("General", "atc_model", "B763"));
  EXPECT_EQ(oldMac.Bytes(), "[General]\ratc_model=B763\r[fltsim.0]\rtitle=T");
}

TEST(ProfileFileWrite, ChangesOnlyItsOwnLine) {
  ProfileFile p(kCfg);
  ASSERT_TRUE(p.SetString("GENERAL", "ATC_Model", "A320"));
  std::string expected = kCfg;
  expected.replace(expected.find("B737   "), 7, "A320");
  EXPECT_EQ(p.Bytes(), expected);
  // Only the first of two equal keys changes; the key keeps its spelling.
  ASSERT_TRUE(p.SetString("fltsim.0", "TITLE", "New"));
  EXPECT_NE(p.Bytes().find("Title=New\r\ntitle=Second Title\r\n"), std::string::npos);
  ASSERT_TRUE(p.SetString("fltsim.0", "model", "737"));
  EXPECT_NE(p.Bytes().find(";model=commented\r\nmodel=737\r\n"), std::string::npos);
  EXPECT_EQ(p.GetString("fltsim.0", "model"), "737");
}

TEST(ProfileFileWrite, AppendsMissingKeyAtEndOfItsSectionAndMissingSectionAtEnd) {
  ProfileFile p(kCfg);
  ASSERT_TRUE(p.SetString("fltsim.1", "texture", "2"));
  ASSERT_TRUE(p.SetString("Reference Speeds", "cruise_speed", "451"));
  const std::string out = p.Bytes();
  // The new key goes before the blank line that separates the sections.
  EXPECT_NE(out.find("[FLTSIM.1]\r\ntitle=Other\r\ntexture=2\r\n\r\n[fltsim.0]"),
            std::string::npos);
  std::string tail = "sim=duplicate section\r\n\r\n[Reference Speeds]\r\ncruise_speed=451\r\n";
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  EXPECT_EQ(ProfileFile(out).GetString("reference speeds", "CRUISE_SPEED"), "451");
}

TEST(ProfileFileWrite, HandlesFilesWithoutFinalLineEnd) {
  ProfileFile a("[s]\nk=v");
  ASSERT_TRUE(a.SetString("s", "n", "1"));
  EXPECT_EQ(a.Bytes(), "[s]\nk=v\nn=1\n");
  ProfileFile b("[s]\r\nk=v");
  ASSERT_TRUE(b.SetString("t", "n", "1"));
  EXPECT_EQ(b.Bytes(), "[s]\r\nk=v\r\n\r\n[t]\r\nn=1\r\n");
  ProfileFile empty;
  ASSERT_TRUE(empty.SetString("t", "n", ""));
  EXPECT_EQ(empty.Bytes(), "[t]\r\nn=\r\n");
}

TEST(ProfileFileWrite, RefusesInputThatWouldBreakTheLayout) {
  ProfileFile p(kCfg);
  EXPECT_FALSE(p.SetString("fltsim.0", "title", "two\r\nlines"));
  EXPECT_FALSE(p.SetString("fltsim.0", "a=b", "x"));
  EXPECT_FALSE(p.SetString("fltsim.0", "", "x"));
  EXPECT_FALSE(p.SetString("fltsim.0", ";title", "x"));
  EXPECT_FALSE(p.SetString("a]b", "k", "x"));
  EXPECT_FALSE(p.SetString("", "k", "x"));
  EXPECT_EQ(p.Bytes(), kCfg);
}

// Many keys at once give the file that one SetString per key gives: keys
// already there (in another case, of a duplicate section), keys named twice,
// refused names, a missing section, a file without a final line end.
TEST(ProfileFileWrite, ManyKeysAtOnceWriteWhatOneByOneWrites) {
  const std::vector<std::string> keys = {"model",  "new one", " Padded\t", "TITLE", "New One", "a=b",
                                         ";x",     "",         "[y",        "last",  "LAST"};
  for (const std::string& start : {std::string(kCfg), std::string("[s]\nk=v"), std::string()}) {
    for (const char* section : {"fltsim.0", "FLTSIM.1", "s", "added", "a]b"}) {
      for (const char* value : {"1", "  spaced", "two\nlines"}) {
        ProfileFile oneByOne(start);
        bool all = true;
        for (const std::string& key : keys) all = oneByOne.SetString(section, key, value) && all;
        ProfileFile atOnce(start);
        EXPECT_EQ(atOnce.SetStrings(section, keys, value), all);
        EXPECT_EQ(atOnce.Bytes(), oneByOne.Bytes()) << section << " " << value << "\n" << start;
        EXPECT_EQ(atOnce.KeyNames(section), oneByOne.KeyNames(section));
      }
    }
  }
}

TEST(ProfileFileOnDisk, WritesAtomicallyAndReportsFailures) {
  TempDir dir;
  auto file = dir / "aircraft.cfg";
  WriteFile(file, kCfg);
  ASSERT_TRUE(WriteProfileValue(file, "fltsim.1", "title", "Changed"));
  EXPECT_EQ(ReadProfileValue(file, "FltSim.1", "Title"), "Changed");
  std::string expected = kCfg;
  expected.replace(expected.find("title=Other"), 11, "title=Changed");
  EXPECT_EQ(*ReadFile(file), expected);

  // A missing file is created; a missing folder is a failure.
  ASSERT_TRUE(WriteProfileValue(dir / "new.cfg", "models", "normal", "plane"));
  EXPECT_EQ(*ReadFile(dir / "new.cfg"), "[models]\r\nnormal=plane\r\n");
  EXPECT_FALSE(WriteProfileValue(dir / "no/such.cfg", "models", "normal", "plane"));
  EXPECT_EQ(ReadProfileValue(dir / "no/such.cfg", "models", "normal", "dflt"), "dflt");

  // A folder in the file's place is not overwritten.
  std::filesystem::create_directory(dir / "folder.cfg");
  EXPECT_FALSE(WriteProfileValue(dir / "folder.cfg", "s", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.cfg"));
}

TEST(ProfileFileOnDisk, AddedLinesKeepTheFilesOwnLineEnd) {
  TempDir dir;
  auto file = dir / "aircraft.cfg";
  WriteFile(file, "\xEF\xBB\xBF[fltsim.0]\ntitle=T\n\n[General]\natc_model=B738");
  ASSERT_TRUE(WriteProfileValue(file, "fltsim.0", "texture", "red"));
  ASSERT_TRUE(WriteProfileValue(file, "General", "atc_type", "Boeing"));
  ASSERT_TRUE(WriteProfileValue(file, "Reference Speeds", "cruise_speed", "451"));
  EXPECT_EQ(*ReadFile(file),
            "\xEF\xBB\xBF[fltsim.0]\ntitle=T\ntexture=red\n\n[General]\natc_model=B738\natc_type=Boeing\n"
            "\n[Reference Speeds]\ncruise_speed=451\n");
  // Lone CRs, as old editors of another system end lines, likewise.
  WriteFile(file, "[fltsim.0]\rtitle=T");
  ASSERT_TRUE(WriteProfileValue(file, "fltsim.0", "texture", "red"));
  ASSERT_TRUE(WriteProfileValue(file, "General", "atc_type", "Boeing"));
  EXPECT_EQ(*ReadFile(file), "[fltsim.0]\rtitle=T\rtexture=red\r\r[General]\ratc_type=Boeing\r");
  // A file of mixed line ends gets CR LF.
  WriteFile(file, "[s]\r\nk=v\n");
  ASSERT_TRUE(WriteProfileValue(file, "s", "n", "1"));
  EXPECT_EQ(*ReadFile(file), "[s]\r\nk=v\nn=1\r\n");
}

TEST(ProfileFileOnDisk, UnreadableFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  TempDir dir;
  auto file = dir / "aircraft.cfg";
  WriteFile(file, kCfg);
  std::filesystem::permissions(file, std::filesystem::perms::none);
  EXPECT_FALSE(WriteProfileValue(file, "fltsim.0", "title", "x"));
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_EQ(*ReadFile(file), kCfg);
}

}  // namespace
}  // namespace velk
