// The Tools menu's corrections over a fake main window: the input loops
// with their messages, a cancel that changes nothing, and the frame every
// command runs in (undo copy, resets, modified mark, closing message).
#include "search/ui/correction_commands.h"

#include <QAction>

#include <gtest/gtest.h>

#include "platform/input_box.h"
#include "platform/message_box.h"
#include "shuffle/shuffle_fixture.h"
#include "support/fake_plan_host.h"
#include "support/scripted_random.h"

namespace velk {
namespace {

struct CorrectionMenu {
  QAction mnuToolsCheckFL{"Correct Flight Le&vels"};
  QAction mnuToolsRandFlightNumbers{"Randomize Flight Numbers"};
  QAction mnuToolsRandPerc{"Randomize AI percentage"};
  QAction mnuToolsRandPlan{"Randomize Flight Plan order"};
  QAction mnuToolsRemoveMinus{"&Remove char '-' from all Tail numbers"};

  CorrectionControls Controls() {
    return {&mnuToolsCheckFL, &mnuToolsRandFlightNumbers, &mnuToolsRandPerc, &mnuToolsRandPlan,
            &mnuToolsRemoveMinus};
  }
};

class CorrectionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.plan.Flights = {test::MakeFlight("D-ABCD", "IFR", {test::Leg("08:00:00", "100", "KBOS"),
                                                            test::Leg("10:00:00", "100", "KJFK")})};
  }
  // The frame of a command that ran: one undo copy, both lists emptied, the
  // plan marked, and `done` as the last message.
  void ExpectRan(const char* done) {
    EXPECT_EQ(host.undoSaves, 1);
    EXPECT_EQ(host.searchResets, 1);
    EXPECT_EQ(host.timetableResets, 1);
    EXPECT_EQ(host.modifiedMarks, 1);
    EXPECT_EQ(host.busyDepth, 0);
    ASSERT_FALSE(boxes.Shown().empty());
    EXPECT_EQ(boxes.Prompts().back(), done);
    EXPECT_EQ(boxes.Shown().back().buttons, kMbIconInformation);
  }

  ScriptedMessageBoxes boxes;
  ScriptedInputBoxes inputs;
  test::FakePlanHost host;
  CorrectionMenu menu;
  CorrectionCommands commands{menu.Controls(), host};
};

TEST_F(CorrectionCommandsTest, FlightNumbersAskUntilTheRangeIsValid) {
  for (const char* answer : {"-1", "10000", "5", "5", "1", "12.5"}) inputs.Answer(answer);
  // Every box is answered OK, so the odd/even question is not a Yes.
  test::ScriptedRandom random({0.0, 0.99999});
  menu.mnuToolsRandFlightNumbers.trigger();

  std::vector<std::string> asked;
  for (const InputBoxRequest& r : inputs.Shown()) asked.push_back(r.prompt + " [" + r.defaultText + "]");
  EXPECT_EQ(asked, (std::vector<std::string>{"Please enter the start number: [1]", "Please enter the start number: [1]",
                                             "Please enter the start number: [1]", "Please enter the end number: [999]",
                                             "Please enter the start number: [1]", "Please enter the end number: [999]"}));
  EXPECT_EQ(inputs.Shown()[0].title, kFlightNumberTitle);
  EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{kInvalidValueMessage, kInvalidValueMessage,
                                                       kFlightNumberOrderMessage, kOddEvenQuestion,
                                                       kFlightNumbersDoneMessage}));
  EXPECT_EQ(boxes.Shown()[0].buttons, kMbIconExclamation);
  EXPECT_EQ(boxes.Shown()[3].buttons, kMbYesNo | kMbIconQuestion);
  // 12.5 rounds to 12, the highest number drawn.
  EXPECT_EQ(host.plan.Flights[0].Legs[1].FlightNumber, "0012");
  ExpectRan(kFlightNumbersDoneMessage);
}

TEST_F(CorrectionCommandsTest, ACancelOrATextThatIsNoNumberChangesNothing) {
  const Flight before = host.plan.Flights[0];
  inputs.Answer("0");
  inputs.Answer("10");
  inputs.Cancel();
  menu.mnuToolsRandPerc.trigger();
  EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{kInvalidPercentMessage});
  inputs.Answer("abc");
  menu.mnuToolsRandFlightNumbers.trigger();
  EXPECT_EQ(host.plan.Flights[0], before);
  EXPECT_EQ(host.undoSaves + host.modifiedMarks, 0);

  inputs.Answer("10");
  inputs.Answer("20");
  test::ScriptedRandom random({0.5});
  menu.mnuToolsRandPerc.trigger();
  EXPECT_EQ(host.plan.Flights[0].Percent, "15%");
  EXPECT_EQ(inputs.Shown().back().prompt, kPercentEndPrompt);
  EXPECT_EQ(inputs.Shown().back().defaultText, "99");
}

TEST_F(CorrectionCommandsTest, CommandsWithoutInputRunInTheSameFrame) {
  struct Case {
    QAction* item;
    const char* done;
  };
  const Case cases[] = {{&menu.mnuToolsRemoveMinus, kRemoveMinusDoneMessage},
                        {&menu.mnuToolsRandPlan, kPlanOrderDoneMessage},
                        {&menu.mnuToolsCheckFL, kLevelsCorrectedMessage}};
  for (const Case& c : cases) {
    host.undoSaves = host.searchResets = host.timetableResets = host.modifiedMarks = 0;
    test::ScriptedRandom random({0.0});  // the plan order's one draw
    c.item->trigger();
    ExpectRan(c.done);
  }
  EXPECT_EQ(host.plan.Flights[0].Registration, "DABCD");
}

}  // namespace
}  // namespace velk
