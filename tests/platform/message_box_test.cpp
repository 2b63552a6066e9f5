#include "platform/message_box.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(ShowMessageBox, BlankPromptShowsNothing) {
  ScriptedMessageBoxes boxes(kIdYes);
  EXPECT_EQ(ShowMessageBox("   ", kMbYesNo, kProgramTitle), kIdNone);
  EXPECT_EQ(ShowMessageBox("", kMbOk, kProgramTitle), kIdNone);
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST(ShowMessageBox, PointIsPassedOnlyWhenAskedFor) {
  ScriptedMessageBoxes boxes;
  boxes.Answer(kIdCancel);
  EXPECT_EQ(ShowMessageBox("Save?", kMbYesNoCancel | kMbIconQuestion, kProgramTitle, nullptr,
                           false, 10, 20),
            kIdCancel);
  ShowMessageBox("Here", kMbOk, kProgramTitle, nullptr, true, 0, 300);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].x, 0);
  EXPECT_EQ(boxes.Shown()[0].y, 0);
  EXPECT_EQ(boxes.Shown()[1].x, 0);
  EXPECT_EQ(boxes.Shown()[1].y, 300);
}

TEST(CentredBoxPosition, CentresOnReferenceOrPoint) {
  const ScreenRect owner{100, 50, 800, 600};  // centre (500, 350)
  EXPECT_EQ(CentredBoxPosition(owner, 200, 100, 0, 0), (ScreenPoint{400, 300}));
  // Each coordinate by itself: x from the owner, y from the point.
  EXPECT_EQ(CentredBoxPosition(owner, 200, 100, 0, 300), (ScreenPoint{400, 250}));
  EXPECT_EQ(CentredBoxPosition(owner, 200, 100, 900, 0), (ScreenPoint{800, 300}));
  // A box larger than its reference goes above and left of it.
  EXPECT_EQ(CentredBoxPosition({0, 0, 100, 100}, 300, 300, 0, 0), (ScreenPoint{-100, -100}));
}

TEST(CentredBoxPosition, HalvesRoundToEven) {
  // 0 + 1001/2 - 200/2 = 400.5 -> 400; 0 + 1003/2 - 200/2 = 401.5 -> 402.
  EXPECT_EQ(CentredBoxPosition({0, 0, 1001, 1003}, 200, 200, 0, 0), (ScreenPoint{400, 402}));
  // Odd box sizes: 500 - 201/2 = 399.5 -> 400; 500 - 203/2 = 398.5 -> 398.
  EXPECT_EQ(CentredBoxPosition({0, 0, 1000, 1000}, 201, 203, 0, 0), (ScreenPoint{400, 398}));
  // The odd halves of reference and box cancel.
  EXPECT_EQ(CentredBoxPosition({1, 1, 1001, 1001}, 201, 201, 0, 0), (ScreenPoint{401, 401}));
}

}  // namespace
}  // namespace velk
