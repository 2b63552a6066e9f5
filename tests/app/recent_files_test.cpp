#include "app/recent_files.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(RecentFiles, NewPathGoesOnTopAndTheOldestDropsOut) {
  RecentList list{"A", "B", "C", "D", "E"};
  AddRecentPath(list, "F");
  EXPECT_EQ(list, (RecentList{"F", "A", "B", "C", "D"}));
}

TEST(RecentFiles, KnownPathMovesUpWithoutLosingOthers) {
  RecentList list{"A", "B", "C", "D", "E"};
  AddRecentPath(list, "C");
  EXPECT_EQ(list, (RecentList{"C", "A", "B", "D", "E"}));
  AddRecentPath(list, "C");
  EXPECT_EQ(list, (RecentList{"C", "A", "B", "D", "E"}));
}

TEST(RecentFiles, PathsDifferingInCaseAreTwoFiles) {
  RecentList list{"/d/Plan.txt", "/d/other.txt", "", "", ""};
  AddRecentPath(list, "/d/plan.txt");
  EXPECT_EQ(list, (RecentList{"/d/plan.txt", "/d/Plan.txt", "/d/other.txt", "", ""}));
}

}  // namespace
}  // namespace velk
