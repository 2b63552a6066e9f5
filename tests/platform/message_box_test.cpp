#include "platform/message_box.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(ShowMessageBox, BlankPromptShowsNothingAndThePointGoesOnlyWhenAskedFor) {
  ScriptedMessageBoxes boxes(kIdYes);
  EXPECT_EQ(ShowMessageBox("   ", kMbYesNo, kProgramTitle), kIdNone);
  EXPECT_EQ(ShowMessageBox("", kMbOk, kProgramTitle), kIdNone);
  EXPECT_TRUE(boxes.Shown().empty());
  boxes.Answer(kIdCancel);
  EXPECT_EQ(ShowMessageBox("Save?", kMbYesNoCancel, kProgramTitle, nullptr, false, 10, 20), kIdCancel);
  ShowMessageBox("Here", kMbOk, kProgramTitle, nullptr, true, 0, 300);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ((ScreenPoint{boxes.Shown()[0].x, boxes.Shown()[0].y}), (ScreenPoint{0, 0}));
  EXPECT_EQ((ScreenPoint{boxes.Shown()[1].x, boxes.Shown()[1].y}), (ScreenPoint{0, 300}));
}

TEST(CentredBoxPosition, CentresOnReferenceOrPointWithHalvesToEven) {
  struct Case {
    ScreenRect reference;
    int width, height, x, y;
    ScreenPoint expected;
  };
  const ScreenRect owner{100, 50, 800, 600};  // centre (500, 350)
  const Case cases[] = {
      {owner, 200, 100, 0, 0, {400, 300}},
      // Each coordinate by itself: x from the owner, y from the point.
      {owner, 200, 100, 0, 300, {400, 250}},
      {owner, 200, 100, 900, 0, {800, 300}},
      // A box larger than its reference goes above and left of it.
      {{0, 0, 100, 100}, 300, 300, 0, 0, {-100, -100}},
      // 1001/2 - 100 = 400.5 -> 400; 1003/2 - 100 = 401.5 -> 402.
      {{0, 0, 1001, 1003}, 200, 200, 0, 0, {400, 402}},
      // Odd boxes: 500 - 100.5 = 399.5 -> 400; 500 - 101.5 = 398.5 -> 398.
      {{0, 0, 1000, 1000}, 201, 203, 0, 0, {400, 398}},
      // The odd halves of reference and box cancel.
      {{1, 1, 1001, 1001}, 201, 201, 0, 0, {401, 401}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CentredBoxPosition(c.reference, c.width, c.height, c.x, c.y), c.expected)
        << c.reference.width << "x" << c.reference.height << " box " << c.width << "x" << c.height;
}

}  // namespace
}  // namespace velk
