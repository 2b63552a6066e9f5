#include "data/config_text.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(ParseWholeNumber, RoundsHalvesToEvenAndRejectsOthers) {
  EXPECT_EQ(ParseWholeNumber("  -7 "), -7);
  EXPECT_EQ(ParseWholeNumber("+3"), 3);
  EXPECT_EQ(ParseWholeNumber("12.51"), 13);
  EXPECT_EQ(ParseWholeNumber("-2.5"), -2);
  EXPECT_EQ(ParseWholeNumber("-3.5"), -4);
  EXPECT_EQ(ParseWholeNumber(".5"), 0);
  EXPECT_EQ(ParseWholeNumber("7."), 7);
  EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseWholeNumber("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseWholeNumber("2147483647.5"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("2147483648"), std::nullopt);
  EXPECT_EQ(ParseWholeNumberClamped("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseWholeNumberClamped("-99999999999"), -2147483647 - 1);
  for (const char* bad : {"", "  ", "-", ".", "1 2", "12a", "a12", "1.2.3", "0x10"}) {
    EXPECT_EQ(ParseWholeNumber(bad), std::nullopt) << bad;
    EXPECT_EQ(ParseWholeNumberClamped(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace velk
