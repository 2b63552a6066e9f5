#include "platform/registry_file.h"

#include <gtest/gtest.h>

#include <string>

namespace velk {
namespace {

std::string Data(const RegistryFile& f, std::string_view key, std::string_view name) {
  const RegistryKey* k = f.FindKey(key);
  if (!k) return "<no key>";
  const RegistryValue* v = k->FindValue(name);
  return v ? v->data : "<no value>";
}

TEST(RegistryFile, StringsSurviveAWriteAndReadByteForByte) {
  const std::string texts[] = {
      "",                                // one NUL of data
      "C:\\Program Files\\\"FS\"",       // backslash and quote
      "%WINDIR%\\temp %USERPROFILE%",    // never expanded
      std::string("caf\xE9 \x80 \x81 \x9D\xFF", 10),  // high bytes, unassigned ones too
      "tab\there\r\nline\x1b\x01" "7",   // control characters, octal before a digit
      std::string("nul\0inside", 10),
      "\xE9" "abc",                      // a hex escape followed by hex digits
  };
  RegistryFile file;
  int n = 0;
  for (const auto& t : texts) file.SetString("Software\\Brennhall\\Corrivan\\1.0\\Settings", "v" + std::to_string(n++), kRegExpandSz, t);
  std::string written = file.Serialize();
  // Wine's files are plain ASCII: every other byte is escaped.
  for (unsigned char c : written) EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << int(c);

  auto back = RegistryFile::Parse(written);
  ASSERT_TRUE(back);
  n = 0;
  for (const auto& t : texts) {
    std::string want = t + std::string(1, '\0');
    EXPECT_EQ(Data(*back, "Software\\Brennhall\\Corrivan\\1.0\\Settings", "v" + std::to_string(n++)), want);
  }
  // A second round changes nothing.
  EXPECT_EQ(back->Serialize(), written);
}

TEST(RegistryFile, ReadsWineEscapesAndValueKinds) {
  const std::string text =
      "WINE REGISTRY Version 2\n"
      ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
      "\n"
      "#arch=win32\n"
      "\n"
      "[Software\\\\Brennhall\\\\Corrivan\\\\1.0\\\\Settings] 1733700000\n"
      "#time=1db4a1b2c3d4e5f\n"
      "@=\"default\"\n"
      "\"Plain\"=\"a\\\\b \\\"q\\\"\"\n"
      "\"Expand\"=str(2):\"\\x20ac\\xe9\\x00e9a\\101\\0\"\n"
      "\"Utf8\"=str(2):\"\xC3\xA9t\xC3\xA9\"\n"
      "\"Multi\"=str(7):\"a\\0b\\0\"\n"
      "\"Num\"=dword:0000000a\n"
      "\"Bin\"=hex:01,02,\\\n"
      "  03\n"
      "\"HexExpand\"=hex(2):41,00,e9,00,00,00\n"
      "\"NoData\"=hex(2):\n"
      "\"Wide\"=str(2):\"\\x4e2d\"\n";
  auto f = RegistryFile::Parse(text);
  ASSERT_TRUE(f);
  const char* key = "SOFTWARE\\brennhall\\CORRIVAN\\1.0\\settings";
  EXPECT_EQ(Data(*f, key, ""), std::string("default\0", 8));
  EXPECT_EQ(Data(*f, key, "plain"), std::string("a\\b \"q\"\0", 8));
  EXPECT_EQ(Data(*f, key, "Expand"), std::string("\x80\xE9\xE9" "aA\0\0", 7));
  EXPECT_EQ(Data(*f, key, "Utf8"), std::string("\xE9t\xE9\0", 4));
  EXPECT_EQ(Data(*f, key, "Multi"), std::string("a\0b\0\0", 5));
  EXPECT_EQ(Data(*f, key, "Num"), std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(Data(*f, key, "Bin"), "\x01\x02\x03");
  EXPECT_EQ(Data(*f, key, "HexExpand"), std::string("A\xE9\0", 3));
  EXPECT_EQ(Data(*f, key, "NoData"), "");
  EXPECT_EQ(Data(*f, key, "Wide"), std::string("?\0", 2));
  // Untouched keys and values come back exactly as they were.
  EXPECT_EQ(f->Serialize(), text);
}

// The ANSI view puts "?" for characters Windows-1252 lacks; the whole text
// keeps them, from escapes, raw UTF-8 and UTF-16 hex (pairs included).
TEST(RegistryFile, StringValuesKeepTheirWholeTextBesideTheAnsiView) {
  auto f = RegistryFile::Parse(
      "WINE REGISTRY Version 2\n\n[A] 1\n"
      "\"esc\"=\"\\x418\\xe9 x\"\n"
      "\"raw\"=str(2):\"\xD0\x98\xC3\xA9\"\n"
      "\"hex\"=hex(2):18,04,3d,d8,00,de,e9,00,00,00\n"
      "\"num\"=dword:00000001\n");
  ASSERT_TRUE(f);
  const RegistryKey* k = f->FindKey("A");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->FindValue("esc")->data, std::string("?\xE9 x\0", 5));
  EXPECT_EQ(k->FindValue("esc")->text, "\xD0\x98\xC3\xA9 x");
  EXPECT_EQ(k->FindValue("raw")->text, "\xD0\x98\xC3\xA9");
  EXPECT_EQ(k->FindValue("hex")->data, std::string("??\xE9\0", 4));
  EXPECT_EQ(k->FindValue("hex")->text, "\xD0\x98\xF0\x9F\x98\x80\xC3\xA9");
  EXPECT_EQ(k->FindValue("num")->text, "");
  // A value set in memory has both views too.
  RegistryFile g;
  g.SetString("A", "v", kRegSz, "Caf\xE9");
  EXPECT_EQ(g.FindKey("A")->FindValue("v")->text, "Caf\xC3\xA9");
}

TEST(RegistryFile, RejectsWhatIsNoRegistryFile) {
  EXPECT_FALSE(RegistryFile::Parse(""));
  EXPECT_FALSE(RegistryFile::Parse("REGEDIT4\n[HKEY_CURRENT_USER]\n"));
  const std::string head = "WINE REGISTRY Version 2\n";
  EXPECT_TRUE(RegistryFile::Parse(head));
  EXPECT_FALSE(RegistryFile::Parse(head + "\"orphan\"=\"x\"\n"));
  EXPECT_FALSE(RegistryFile::Parse(head + "[Software\\\\A\n"));
  EXPECT_FALSE(RegistryFile::Parse(head + "[A]\n\"v\"=str(2):\"open\n"));
  EXPECT_FALSE(RegistryFile::Parse(head + "[A]\n\"v\"=hex:zz\n"));
  EXPECT_FALSE(RegistryFile::Parse(head + "[A]\ngarbage\n"));
  // Lenient reading (the machine store) passes such lines over.
  auto lenient = RegistryFile::Parse(head + "[A]\ngarbage\n\"v\"=\"ok\"\n", false);
  ASSERT_TRUE(lenient);
  EXPECT_EQ(Data(*lenient, "a", "V"), std::string("ok\0", 3));
}

TEST(RegistryFile, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  RegistryFile f;
  f.SetString("Software\\Brennhall\\Corrivan\\1.0\\Settings", "WindowState", kRegExpandSz, "0");
  f.SetString("SOFTWARE\\BRENNHALL\\corrivan\\1.0\\SETTINGS", "windowstate", kRegExpandSz, "2");
  f.SetString("SOFTWARE\\BRENNHALL\\corrivan\\1.0\\Recent Projects", "1", kRegExpandSz, "x");
  ASSERT_EQ(f.keys().size(), 2u);
  EXPECT_EQ(f.keys()[0].path, "Software\\Brennhall\\Corrivan\\1.0\\Settings");
  ASSERT_EQ(f.keys()[0].values.size(), 1u);
  EXPECT_EQ(f.keys()[0].values[0].name, "WindowState");
  EXPECT_EQ(f.keys()[0].values[0].data, std::string("2\0", 2));
  // A sibling key takes the spelling of the path it shares.
  EXPECT_EQ(f.keys()[1].path, "Software\\Brennhall\\Corrivan\\1.0\\Recent Projects");
  // Windows-1252 letters fold too.
  EXPECT_TRUE(RegistryNamesEqual("\xC9t\xE9", "\xE9T\xC9"));
  EXPECT_FALSE(RegistryNamesEqual("\xD7", "\xF7"));
}

TEST(RegistryFile, KeyLinesEscapeBracketsAndSetValuesAreRewritten) {
  RegistryFile f;
  f.SetString("Software\\A]b", "n\"ame", kRegExpandSz, "v");
  std::string text = f.Serialize();
  EXPECT_NE(text.find("[Software\\\\A\\]b]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"n\\\"ame\"=str(2):\"v\"\n"), std::string::npos) << text;
  auto back = RegistryFile::Parse(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(Data(*back, "software\\a]B", "N\"AME"), std::string("v\0", 2));
}

}  // namespace
}  // namespace velk
