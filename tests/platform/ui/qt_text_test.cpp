#include "platform/qt/qt_text.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

// Plain ASCII takes a short way; the code page's own letters must read the
// same as before, and both come back unchanged.
TEST(QtText, PlanTextReadsAndRoundTrips) {
  EXPECT_EQ(FromPlanText("KJFK 12:00:00"), QString("KJFK 12:00:00"));
  EXPECT_EQ(FromPlanText(""), QString());
  EXPECT_EQ(FromPlanText("Z\xFCrich \x80"), QString::fromUtf8("Zürich €"));
  for (std::string text : {std::string("EDDF"), std::string("Gen\xE8ve \x80\x9F"), std::string(1, '\0')})
    EXPECT_EQ(ToPlanText(FromPlanText(text)), text);
}

}  // namespace
}  // namespace velk
