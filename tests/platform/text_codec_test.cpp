#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(Cp1252, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");      // euro sign
  EXPECT_EQ(Cp1252ToUtf8("M\xFC"), "M\xC3\xBC");        // u umlaut
  EXPECT_EQ(Utf8ToCp1252("\xE2\x80\x94"), "\x97");       // em dash
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");          // no such character
}

}  // namespace
}  // namespace velk
