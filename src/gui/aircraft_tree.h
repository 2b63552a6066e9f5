#pragma once
// The two aircraft trees of the main window as plain data: the Shuffle tree
// (the installed aircraft the shuffle may use) and the Move tree (the
// installed aircraft, marked by whether the plan uses them). Each installed
// aircraft is one leaf under a group chosen by the tree's view; check marks
// spread down to children and up to parents; node colours are state that
// other features read back. The window shows these trees; it keeps no state
// of its own. Standard library only.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/plan_records.h"

namespace velk {

// Node colours, 0x00BBGGRR; a value with the top bit set names a system
// colour (here the window-text colour).
inline constexpr std::uint32_t kNodeBlue = 0xFF0000;    // Shuffle leaf
inline constexpr std::uint32_t kNodeRed = 0x0000FF;     // Move leaf no plan aircraft uses
inline constexpr std::uint32_t kNodeBlack = 0x000000;   // Move leaf the plan uses
inline constexpr std::uint32_t kNodeGrey = 0x707070;    // group partly checked
inline constexpr std::uint32_t kNodeWindowText = 0x80000008;

enum class AircraftTreeKind { Shuffle, Move };
enum class TreeGrouping { Classes, Airlines, Manufacturers };
enum class NodeLevel { Group, SubGroup, Leaf };

// The grouping each view chooser index stands for.
TreeGrouping MoveTreeGrouping(int viewIndex);
TreeGrouping ShuffleTreeGrouping(int viewIndex);

// Upper case as the trees compare titles: ASCII and the Windows-1252 letters.
std::string NodeKeyUpper(std::string_view text);
// The key of an aircraft's leaf: "##" and the title in upper case. Other
// features find leaves by it.
std::string LeafKey(std::string_view title);

struct AircraftTreeNode {
  NodeLevel Level = NodeLevel::Group;
  std::string Key;
  std::string Text;
  bool Checked = false;
  std::uint32_t Colour = kNodeWindowText;
  // Move leaves: "," followed by the id of each plan aircraft of this title,
  // each id followed by a comma (",AC#3,AC#17,"); "" while none uses it.
  std::string Tag;
  // Shuffle leaves: the aircraft's index in FSAircraftList; -1 elsewhere.
  int Index = -1;
  int Parent = -1;
  std::vector<int> Children;
};

class AircraftTree {
 public:
  explicit AircraftTree(AircraftTreeKind kind) : kind_(kind) {}

  AircraftTreeKind Kind() const { return kind_; }
  void Clear();
  bool Empty() const { return nodes_.empty(); }
  int Size() const { return static_cast<int>(nodes_.size()); }
  // Nodes in the order they were added (ids 0, 1, ...).
  const std::vector<AircraftTreeNode>& Nodes() const { return nodes_; }
  const AircraftTreeNode& Node(int id) const { return nodes_[static_cast<size_t>(id)]; }
  AircraftTreeNode& Node(int id) { return nodes_[static_cast<size_t>(id)]; }
  const std::vector<int>& Roots() const { return roots_; }

  // -1 when there is no such node.
  int FindLeaf(std::string_view key) const;
  int FindGroup(std::string_view key) const;

  // Adds one installed aircraft under the group of `grouping`; the class is
  // its Class field (1..8, anything else is "Unkown"). A leaf whose key is
  // taken (a title equal to an earlier one but for case and blanks) is not
  // added: the first aircraft keeps it.
  void AddAircraft(TreeGrouping grouping, std::string_view title, std::string_view airline,
                   std::string_view manufacturer, std::string_view uiType, int aircraftClass,
                   int index);

  // Move tree: a plan aircraft of id `id` flies the leaf's aircraft.
  void MarkUsedBy(int leaf, std::string_view id);

  // The node was just checked or cleared (by the user or the code): its
  // descendants follow it and its ancestors are recomputed.
  void NodeCheck(int id);
  void CheckChildNodes(int id);
  // Recomputes the check and colour of `id` from its children, then of its
  // parent, up to the root; nothing for -1.
  void UpdateParentCheck(int id);

  // The Select pop-up's commands.
  void SelectAll();
  void DeselectAll();
  void InverseSelection();

  // Checked blue nodes: the aircraft selected for the shuffle.
  int CountSelectedAircraft() const;

  // Sorts every node's children and the roots by text (letter case ignored,
  // then exact text, so the order never depends on insertion).
  void Sort();
  // The node ids in display order (depth first, sorted as Sort left them).
  std::vector<int> DisplayOrder() const;

  // A name for a node that survives a rebuild of the tree: leaves by key,
  // groups by key, sub-groups by their group and key. Group and leaf names
  // can never meet, whatever an airline or manufacturer is called.
  std::string Identity(int id) const;
  int FindIdentity(std::string_view identity) const;

  // The tooltip over a node.
  std::string Tooltip(int id, const std::vector<FSAircraft>& installed) const;

 private:
  int AddNode(NodeLevel level, int parent, std::string key, std::string text);

  AircraftTreeKind kind_;
  std::vector<AircraftTreeNode> nodes_;
  std::vector<int> roots_;
  std::unordered_map<std::string, int> leaves_;
  std::unordered_map<std::string, int> groups_;
  std::map<std::pair<int, std::string>, int> subGroups_;
};

// Empties both trees and fills them from the installed aircraft (titles
// starting with "~" left out) and the plan aircraft: Move leaves of used
// titles turn black and get the ids in their tag; Shuffle leaves of used
// titles are checked. Sorts both trees. Returns the number of Shuffle leaves
// that were checked for the plan.
int FillAircraftTrees(AircraftTree& move, int moveView, AircraftTree& shuffle, int shuffleView,
                      const PlanState& plan);

// Rebuilds one tree for a new view, keeping what was checked: for the Move
// tree every checked node, for the Shuffle tree every checked blue leaf.
void RebuildTreeForView(AircraftTree& tree, int view, const PlanState& plan);

}  // namespace velk
