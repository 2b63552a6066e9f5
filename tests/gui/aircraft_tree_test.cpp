#include "gui/aircraft_tree.h"

#include <gtest/gtest.h>

#include <tuple>

namespace velk {
namespace {

FSAircraft Installed(std::string title, std::string airline, std::string manufacturer, std::string type,
                     int cls, std::string cfg = "") {
  FSAircraft a;
  a.Title = std::move(title);
  a.ATCAirline = std::move(airline);
  a.UIManufacturer = std::move(manufacturer);
  a.UIType = std::move(type);
  a.Class = cls;
  a.CfgFile = std::move(cfg);
  return a;
}

// Texts of the children of a node (or of the roots for -1), in display order.
std::vector<std::string> Children(const AircraftTree& tree, int id) {
  std::vector<std::string> out;
  for (int c : id < 0 ? tree.Roots() : tree.Node(id).Children) out.push_back(tree.Node(c).Text);
  return out;
}

int Group(const AircraftTree& tree, const std::string& key) {
  int id = tree.FindGroup(key);
  EXPECT_GE(id, 0) << key;
  return id;
}

TEST(AircraftTreeGrouping, ClassesAirlinesAndManufacturers) {
  PlanState plan;
  plan.FSAircraftList = {Installed("Boeing 737-400", "Lufthansa", "Boeing", "737-400", 7),
                         Installed("BOEING 737-400 ", "Other", "Boeing", "737-400", 7),
                         Installed("Cessna 172", "  ", "", "C172", 0),
                         Installed("Boeing 747", "lufthansa", "Boeing", "", 8),
                         Installed("~Hidden", "Lufthansa", "Boeing", "737-400", 7),
                         Installed("Odd", "X", "Y", "Z", 12)};
  AircraftTree move(AircraftTreeKind::Move);
  AircraftTree shuffle(AircraftTreeKind::Shuffle);
  FillAircraftTrees(move, 0, shuffle, 1, plan);

  // Move tree by class: the second 737-400 differs only in case and a blank
  // and gets no leaf; "~" titles are left out; classes outside 1..8 are
  // "Unkown".
  EXPECT_EQ(Children(move, -1), (std::vector<std::string>{"Huge Jet", "Large Jet", "Unkown"}));
  EXPECT_EQ(Children(move, Group(move, "#Large Jet")), (std::vector<std::string>{"Boeing 737-400"}));
  EXPECT_EQ(Children(move, Group(move, "#Unkown")), (std::vector<std::string>{"Cessna 172", "Odd"}));
  EXPECT_EQ(move.FindLeaf("##~HIDDEN"), -1);
  EXPECT_EQ(move.Node(move.FindLeaf("##BOEING 737-400")).Colour, kNodeRed);

  // Shuffle tree by airline: a blank airline has its own group and a bare
  // leaf text; airlines group without regard to case, named as first met.
  int lufthansa = Group(shuffle, "#LUFTHANSA");
  EXPECT_EQ(shuffle.Node(lufthansa).Text, "Lufthansa");
  EXPECT_EQ(Children(shuffle, lufthansa),
            (std::vector<std::string>{"Boeing 737-400 (Lufthansa)", "Boeing 747 (lufthansa)"}));
  EXPECT_EQ(Children(shuffle, Group(shuffle, "# VELK - No Airline")), (std::vector<std::string>{"Cessna 172"}));
  int leaf = shuffle.FindLeaf("##BOEING 737-400");
  EXPECT_EQ(shuffle.Node(leaf).Index, 0);
  EXPECT_EQ(shuffle.Node(leaf).Colour, kNodeBlue);

  // Manufacturer view: type sub-groups below the manufacturer; no type: the
  // leaf sits on the manufacturer; no manufacturer: its own group.
  RebuildTreeForView(shuffle, 2, plan);
  int boeing = Group(shuffle, "#BOEING");
  EXPECT_EQ(Children(shuffle, boeing), (std::vector<std::string>{"737-400", "Boeing 747 (lufthansa)"}));
  EXPECT_EQ(Children(shuffle, Group(shuffle, "# VELK - No Manufacturer")), (std::vector<std::string>{"Cessna 172"}));
}

TEST(AircraftTreeGrouping, ManufacturerAndTypeNamesCannotCollide) {
  // "AB"+"CD", "ABC"+"D" and a manufacturer "ABCD" all spell "#ABCD" when
  // joined; each must still land under its own manufacturer.
  PlanState plan;
  plan.FSAircraftList = {Installed("One", "", "AB", "CD", 1), Installed("Two", "", "ABC", "D", 1),
                         Installed("Three", "", "ABCD", "", 1),
                         // A manufacturer named like a leaf key must not swallow the leaf.
                         Installed("#X", "", "#X", "", 1), Installed("X", "", "M", "", 1)};
  AircraftTree move(AircraftTreeKind::Move);
  AircraftTree shuffle(AircraftTreeKind::Shuffle);
  FillAircraftTrees(move, 0, shuffle, 2, plan);
  for (auto [maker, type, title] : {std::tuple{"#AB", "CD", "One"}, std::tuple{"#ABC", "D", "Two"}}) {
    const auto& subGroups = shuffle.Node(Group(shuffle, maker)).Children;
    ASSERT_EQ(subGroups.size(), 1u) << maker;
    EXPECT_EQ(shuffle.Node(subGroups[0]).Text, type);
    EXPECT_EQ(Children(shuffle, subGroups[0]), (std::vector<std::string>{title}));
  }
  EXPECT_EQ(Children(shuffle, Group(shuffle, "#ABCD")), (std::vector<std::string>{"Three"}));
  EXPECT_GE(shuffle.FindLeaf("###X"), 0);
  EXPECT_GE(shuffle.FindLeaf("##X"), 0);
  EXPECT_EQ(shuffle.Node(shuffle.FindLeaf("##X")).Text, "X");
}

TEST(AircraftTreePlan, PlanAircraftMarkTheirLeaves) {
  PlanState plan;
  plan.FSAircraftList = {Installed("BOEING 737-400", "DLH", "Boeing", "737", 7, "/sim/Aircraft/b737/aircraft.cfg"),
                         Installed("Unused", "", "X", "", 2)};
  plan.PlanAircraftList = {PlanAircraft{"AC#3", "Boeing 737-400", "450", 0},
                           PlanAircraft{"AC#17", "Boeing 737-400", "450", 0},
                           PlanAircraft{"AC#9", "Not installed", "300", 0}};
  AircraftTree move(AircraftTreeKind::Move);
  AircraftTree shuffle(AircraftTreeKind::Shuffle);
  EXPECT_EQ(FillAircraftTrees(move, 1, shuffle, 0, plan), 2);

  int used = move.FindLeaf("##BOEING 737-400");
  EXPECT_EQ(move.Node(used).Tag, ",AC#3,AC#17,");
  EXPECT_EQ(move.Node(used).Colour, kNodeBlack);
  EXPECT_EQ(move.Tooltip(used, plan.FSAircraftList), "Aircraft /AC#3/AC#17/");
  int unused = move.FindLeaf("##UNUSED");
  EXPECT_EQ(move.Tooltip(unused, plan.FSAircraftList), "Aircraft not used");
  EXPECT_EQ(move.Tooltip(move.Node(unused).Parent, plan.FSAircraftList), "");

  int leaf = shuffle.FindLeaf("##BOEING 737-400");
  EXPECT_TRUE(shuffle.Node(leaf).Checked);
  EXPECT_EQ(shuffle.CountSelectedAircraft(), 1);
  // The only child of its group is checked, so the group is too.
  EXPECT_TRUE(shuffle.Node(shuffle.Node(leaf).Parent).Checked);
  EXPECT_EQ(shuffle.Tooltip(leaf, plan.FSAircraftList), "/sim/Aircraft/b737/aircraft.cfg");
  // A list read again without a rebuild must not be read past its end.
  EXPECT_EQ(shuffle.Tooltip(leaf, {}), "");
}

class AircraftTreeChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    plan_.FSAircraftList = {Installed("A1", "", "Maker", "T1", 2), Installed("A2", "", "Maker", "T1", 2),
                            Installed("A3", "", "Maker", "T2", 2), Installed("B1", "", "Other", "", 3)};
    FillAircraftTrees(move_, 0, tree_, 2, plan_);
    maker_ = tree_.FindGroup("#MAKER");
    t1_ = tree_.Node(tree_.FindLeaf("##A1")).Parent;
  }
  void Set(const char* title, bool checked) {
    int id = tree_.FindLeaf(std::string("##") + title);
    tree_.Node(id).Checked = checked;
    tree_.NodeCheck(id);
  }

  PlanState plan_;
  AircraftTree move_{AircraftTreeKind::Move};
  AircraftTree tree_{AircraftTreeKind::Shuffle};
  int maker_ = -1;
  int t1_ = -1;
};

TEST_F(AircraftTreeChecks, ChecksSpreadDownAndUp) {
  tree_.Node(maker_).Checked = true;
  tree_.NodeCheck(maker_);
  EXPECT_EQ(tree_.CountSelectedAircraft(), 3);
  EXPECT_TRUE(tree_.Node(t1_).Checked);

  Set("A1", false);
  EXPECT_FALSE(tree_.Node(t1_).Checked);
  EXPECT_EQ(tree_.Node(t1_).Colour, kNodeGrey);
  EXPECT_FALSE(tree_.Node(maker_).Checked);
  EXPECT_EQ(tree_.Node(maker_).Colour, kNodeGrey);

  Set("A1", true);
  EXPECT_TRUE(tree_.Node(maker_).Checked);
  EXPECT_EQ(tree_.Node(maker_).Colour, kNodeWindowText);
  EXPECT_EQ(tree_.Node(t1_).Colour, kNodeWindowText);

  // Checking a group turns a grey group below it to the window colour.
  Set("A2", false);
  tree_.Node(maker_).Checked = true;
  tree_.NodeCheck(maker_);
  EXPECT_EQ(tree_.Node(t1_).Colour, kNodeWindowText);
  EXPECT_TRUE(tree_.Node(tree_.FindLeaf("##A2")).Checked);
}

TEST_F(AircraftTreeChecks, SelectCommandsKeepLeafColours) {
  Set("A1", true);
  ASSERT_EQ(tree_.Node(maker_).Colour, kNodeGrey);
  tree_.SelectAll();
  EXPECT_EQ(tree_.CountSelectedAircraft(), 4);
  EXPECT_EQ(tree_.Node(maker_).Colour, kNodeWindowText);
  EXPECT_EQ(tree_.Node(tree_.FindLeaf("##A1")).Colour, kNodeBlue);
  tree_.DeselectAll();
  EXPECT_EQ(tree_.CountSelectedAircraft(), 0);
  EXPECT_FALSE(tree_.Node(maker_).Checked);

  // Select all on the Move tree: red leaves stay red.
  move_.SelectAll();
  EXPECT_EQ(move_.Node(move_.FindLeaf("##B1")).Colour, kNodeRed);
  EXPECT_EQ(move_.CountSelectedAircraft(), 0);
}

TEST_F(AircraftTreeChecks, InverseTwiceRestoresLeavesAndRecomputesGroups) {
  Set("A1", true);
  Set("B1", true);
  tree_.InverseSelection();
  EXPECT_FALSE(tree_.Node(tree_.FindLeaf("##A1")).Checked);
  EXPECT_TRUE(tree_.Node(tree_.FindLeaf("##A2")).Checked);
  EXPECT_EQ(tree_.CountSelectedAircraft(), 2);
  tree_.InverseSelection();
  for (const char* title : {"A1", "B1"}) EXPECT_TRUE(tree_.Node(tree_.FindLeaf(std::string("##") + title)).Checked);
  for (const char* title : {"A2", "A3"}) EXPECT_FALSE(tree_.Node(tree_.FindLeaf(std::string("##") + title)).Checked);
  EXPECT_EQ(tree_.Node(t1_).Colour, kNodeGrey);
  EXPECT_FALSE(tree_.Node(t1_).Checked);
  EXPECT_TRUE(tree_.Node(tree_.FindGroup("#OTHER")).Checked);
}

TEST_F(AircraftTreeChecks, ViewChangeKeepsCheckedAircraft) {
  Set("A1", true);
  Set("B1", true);
  RebuildTreeForView(tree_, 0, plan_);
  EXPECT_GE(tree_.FindGroup("#Micro Prop"), 0);
  EXPECT_TRUE(tree_.Node(tree_.FindLeaf("##A1")).Checked);
  EXPECT_TRUE(tree_.Node(tree_.FindLeaf("##B1")).Checked);
  EXPECT_FALSE(tree_.Node(tree_.FindLeaf("##A2")).Checked);
  EXPECT_EQ(tree_.CountSelectedAircraft(), 2);
  // B1 is alone in its class, so its group came out checked.
  EXPECT_TRUE(tree_.Node(tree_.FindGroup("#Mid Prop")).Checked);

  // The Move tree keeps checked groups that exist in both views too.
  move_.Node(move_.FindGroup("#Mid Prop")).Checked = true;
  move_.NodeCheck(move_.FindGroup("#Mid Prop"));
  RebuildTreeForView(move_, 0, plan_);
  EXPECT_TRUE(move_.Node(move_.FindLeaf("##B1")).Checked);
}

TEST(AircraftTreeKeys, UpperCaseCoversWindowsLetters) {
  EXPECT_EQ(NodeKeyUpper("a\xE9\xFF\x9A"), "A\xC9\x9F\x8A");
  EXPECT_EQ(NodeKeyUpper("\xF7\xDF"), "\xF7\xDF");  // division sign and sharp s have no capital
  EXPECT_EQ(LeafKey("  Dash 8 "), "##DASH 8");
}

}  // namespace
}  // namespace velk
