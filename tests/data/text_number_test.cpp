#include "data/text_number.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

// The windows' fixed formats: halves away from zero of the value as held,
// "." whatever the locale.
TEST(TextNumber, FixedDecimals) {
  using text_number::FormatFixed;
  EXPECT_EQ(FormatFixed(95.5, 2), "95.50");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(-0.125, 2), "-0.13");
  EXPECT_EQ(FormatFixed(-1.5, 2), "-1.50");
  EXPECT_EQ(FormatFixed(0.001, 2), "0.00");
  EXPECT_EQ(FormatFixed(32.81f, 1), "32.8");
  EXPECT_EQ(FormatFixed(12.5 * 3.281, 2), "41.01");
  EXPECT_EQ(FormatFixed(360.0f, 2), "360.00");
  EXPECT_EQ(FormatFixed(7.0, 0), "7");
  EXPECT_EQ(FormatFixed(2.5, 0), "3");
  EXPECT_EQ(FormatFixed(1e20, 2), "100000000000000000000.00");
}

}  // namespace
}  // namespace velk
