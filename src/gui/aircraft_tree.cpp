#include "gui/aircraft_tree.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace velk {
namespace {

const char* const kClassNames[] = {"Not Used",  "Micro Prop", "Mid Prop",  "Large Prop",
                                   "Micro Jet", "Small Jet",  "Large Jet", "Huge Jet"};
constexpr const char* kUnknownClass = "Unkown";
constexpr const char* kNoAirline = "# VELK - No Airline";
constexpr const char* kNoManufacturer = "# VELK - No Manufacturer";

bool TextBefore(const std::string& a, const std::string& b) {
  int c = CompareNoCaseCp1252(a, b);
  return c != 0 ? c < 0 : a < b;
}

}  // namespace

TreeGrouping MoveTreeGrouping(int viewIndex) {
  return viewIndex == 1 ? TreeGrouping::Airlines : TreeGrouping::Classes;
}

TreeGrouping ShuffleTreeGrouping(int viewIndex) {
  if (viewIndex == 0) return TreeGrouping::Classes;
  if (viewIndex == 1) return TreeGrouping::Airlines;
  return TreeGrouping::Manufacturers;
}

std::string NodeKeyUpper(std::string_view text) { return UpperCp1252(text); }

std::string LeafKey(std::string_view title) { return "##" + NodeKeyUpper(TrimBlanks(title)); }

void AircraftTree::Clear() {
  nodes_.clear();
  roots_.clear();
  leaves_.clear();
  groups_.clear();
  subGroups_.clear();
}

int AircraftTree::FindLeaf(std::string_view key) const {
  auto it = leaves_.find(std::string(key));
  return it == leaves_.end() ? -1 : it->second;
}

int AircraftTree::FindGroup(std::string_view key) const {
  auto it = groups_.find(std::string(key));
  return it == groups_.end() ? -1 : it->second;
}

int AircraftTree::AddNode(NodeLevel level, int parent, std::string key, std::string text) {
  int id = Size();
  AircraftTreeNode node;
  node.Level = level;
  node.Key = std::move(key);
  node.Text = std::move(text);
  node.Parent = parent;
  nodes_.push_back(std::move(node));
  if (parent < 0)
    roots_.push_back(id);
  else
    Node(parent).Children.push_back(id);
  return id;
}

void AircraftTree::AddAircraft(TreeGrouping grouping, std::string_view rawTitle,
                               std::string_view rawAirline, std::string_view manufacturer,
                               std::string_view uiType, int aircraftClass, int index) {
  std::string title(TrimBlanks(rawTitle));
  std::string airline(TrimBlanks(rawAirline));

  std::string groupKey;
  std::string groupText;
  switch (grouping) {
    case TreeGrouping::Classes:
      groupText = aircraftClass >= 1 && aircraftClass <= 8 ? kClassNames[aircraftClass - 1] : kUnknownClass;
      groupKey = "#" + groupText;
      break;
    case TreeGrouping::Airlines:
      if (airline.empty()) {
        groupKey = groupText = kNoAirline;
      } else {
        groupKey = "#" + NodeKeyUpper(airline);
        groupText = airline;
      }
      break;
    case TreeGrouping::Manufacturers:
      if (manufacturer.empty()) {
        groupKey = groupText = kNoManufacturer;
      } else {
        groupKey = "#" + NodeKeyUpper(manufacturer);
        groupText = std::string(manufacturer);
      }
      break;
  }
  int parent = FindGroup(groupKey);
  if (parent < 0) {
    parent = AddNode(NodeLevel::Group, -1, groupKey, groupText);
    groups_.emplace(groupKey, parent);
  }
  // Only the Shuffle tree splits manufacturers by type. The sub-group is
  // found under its own manufacturer only: "AB"+"CD" and "ABC"+"D" are two.
  if (kind_ == AircraftTreeKind::Shuffle && grouping == TreeGrouping::Manufacturers &&
      !manufacturer.empty() && !uiType.empty()) {
    std::string subKey = groupKey + NodeKeyUpper(uiType);
    auto found = subGroups_.find({parent, subKey});
    if (found != subGroups_.end()) {
      parent = found->second;
    } else {
      int sub = AddNode(NodeLevel::SubGroup, parent, subKey, std::string(uiType));
      subGroups_.emplace(std::make_pair(parent, subKey), sub);
      parent = sub;
    }
  }

  std::string key = "##" + NodeKeyUpper(title);
  if (leaves_.count(key)) return;
  std::string text = title;
  if (kind_ == AircraftTreeKind::Shuffle && !airline.empty()) text += " (" + airline + ")";
  int leaf = AddNode(NodeLevel::Leaf, parent, key, text);
  leaves_.emplace(key, leaf);
  AircraftTreeNode& node = Node(leaf);
  if (kind_ == AircraftTreeKind::Shuffle) {
    node.Colour = kNodeBlue;
    node.Index = index;
  } else {
    node.Colour = kNodeRed;
  }
}

void AircraftTree::MarkUsedBy(int leaf, std::string_view id) {
  AircraftTreeNode& node = Node(leaf);
  node.Colour = kNodeBlack;
  if (node.Tag.empty()) node.Tag = ",";
  node.Tag += id;
  node.Tag += ",";
}

void AircraftTree::NodeCheck(int id) {
  if (Node(id).Colour == kNodeGrey) Node(id).Colour = kNodeWindowText;
  CheckChildNodes(id);
  UpdateParentCheck(Node(id).Parent);
}

void AircraftTree::CheckChildNodes(int id) {
  bool checked = Node(id).Checked;
  for (int child : Node(id).Children) {
    AircraftTreeNode& c = Node(child);
    c.Checked = checked;
    if (c.Colour == kNodeGrey) c.Colour = kNodeWindowText;
    CheckChildNodes(child);
  }
}

void AircraftTree::UpdateParentCheck(int id) {
  for (; id >= 0; id = Node(id).Parent) {
    bool some = false;
    bool all = true;
    for (int child : Node(id).Children) {
      const AircraftTreeNode& c = Node(child);
      if (c.Checked || c.Colour == kNodeGrey) some = true;
      if (!c.Checked) all = false;
    }
    AircraftTreeNode& node = Node(id);
    node.Checked = all;
    node.Colour = some && !all ? kNodeGrey : kNodeWindowText;
  }
}

void AircraftTree::SelectAll() {
  for (AircraftTreeNode& node : nodes_) {
    node.Checked = true;
    if (node.Colour != kNodeBlue && node.Colour != kNodeRed) node.Colour = kNodeWindowText;
  }
}

void AircraftTree::DeselectAll() {
  for (AircraftTreeNode& node : nodes_) {
    node.Checked = false;
    if (node.Colour != kNodeBlue && node.Colour != kNodeRed) node.Colour = kNodeWindowText;
  }
}

void AircraftTree::InverseSelection() {
  for (int id = 0; id < Size(); ++id) {
    Node(id).Checked = !Node(id).Checked;
    UpdateParentCheck(Node(id).Parent);
  }
}

int AircraftTree::CountSelectedAircraft() const {
  return static_cast<int>(std::count_if(nodes_.begin(), nodes_.end(), [](const AircraftTreeNode& n) {
    return n.Checked && n.Colour == kNodeBlue;
  }));
}

void AircraftTree::Sort() {
  auto before = [this](int a, int b) { return TextBefore(Node(a).Text, Node(b).Text); };
  for (AircraftTreeNode& node : nodes_) std::stable_sort(node.Children.begin(), node.Children.end(), before);
  std::stable_sort(roots_.begin(), roots_.end(), before);
}

std::vector<int> AircraftTree::DisplayOrder() const {
  std::vector<int> order;
  order.reserve(nodes_.size());
  std::vector<int> stack(roots_.rbegin(), roots_.rend());
  while (!stack.empty()) {
    int id = stack.back();
    stack.pop_back();
    order.push_back(id);
    const auto& children = Node(id).Children;
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return order;
}

std::string AircraftTree::Identity(int id) const {
  const AircraftTreeNode& node = Node(id);
  switch (node.Level) {
    case NodeLevel::Leaf: return "L" + node.Key;
    case NodeLevel::Group: return "G" + node.Key;
    case NodeLevel::SubGroup: return "S" + Node(node.Parent).Key + '\n' + node.Key;
  }
  return {};
}

int AircraftTree::FindIdentity(std::string_view identity) const {
  if (identity.empty()) return -1;
  std::string_view rest = identity.substr(1);
  switch (identity.front()) {
    case 'L': return FindLeaf(rest);
    case 'G': return FindGroup(rest);
    case 'S': {
      size_t cut = rest.find('\n');
      if (cut == std::string_view::npos) return -1;
      int group = FindGroup(rest.substr(0, cut));
      if (group < 0) return -1;
      auto it = subGroups_.find({group, std::string(rest.substr(cut + 1))});
      return it == subGroups_.end() ? -1 : it->second;
    }
    default: return -1;
  }
}

std::string AircraftTree::Tooltip(int id, const std::vector<FSAircraft>& installed) const {
  if (id < 0 || id >= Size()) return {};
  const AircraftTreeNode& node = Node(id);
  if (kind_ == AircraftTreeKind::Move) {
    if (node.Tag.empty()) return node.Colour == kNodeRed ? "Aircraft not used" : "";
    std::string tip = "Aircraft " + node.Tag;
    std::replace(tip.begin(), tip.end(), ',', '/');
    return tip;
  }
  // The installed list can have been read again since the tree was built;
  // an index past its end names nothing.
  if (node.Index < 0 || node.Index >= static_cast<int>(installed.size())) return {};
  return installed[static_cast<size_t>(node.Index)].CfgFile;
}

namespace {

void AddInstalled(AircraftTree& tree, TreeGrouping grouping, const PlanState& plan) {
  const auto& list = plan.FSAircraftList;
  for (size_t i = 0; i < list.size(); ++i) {
    const FSAircraft& a = list[i];
    if (!IsUsableAircraft(a)) continue;
    tree.AddAircraft(grouping, a.Title, a.ATCAirline, a.UIManufacturer, a.UIType, a.Class,
                     static_cast<int>(i));
  }
}

void MarkPlanAircraft(AircraftTree& move, const PlanState& plan) {
  for (const PlanAircraft& a : plan.PlanAircraftList) {
    int leaf = move.FindLeaf("##" + NodeKeyUpper(a.Title));
    if (leaf >= 0) move.MarkUsedBy(leaf, a.Id);
  }
}

}  // namespace

int FillAircraftTrees(AircraftTree& move, int moveView, AircraftTree& shuffle, int shuffleView,
                      const PlanState& plan) {
  move.Clear();
  shuffle.Clear();
  TreeGrouping moveGrouping = MoveTreeGrouping(moveView);
  TreeGrouping shuffleGrouping = ShuffleTreeGrouping(shuffleView);
  const auto& list = plan.FSAircraftList;
  for (size_t i = 0; i < list.size(); ++i) {
    const FSAircraft& a = list[i];
    if (!IsUsableAircraft(a)) continue;
    move.AddAircraft(moveGrouping, a.Title, a.ATCAirline, a.UIManufacturer, a.UIType, a.Class,
                     static_cast<int>(i));
    shuffle.AddAircraft(shuffleGrouping, a.Title, a.ATCAirline, a.UIManufacturer, a.UIType,
                        a.Class, static_cast<int>(i));
  }
  int checked = 0;
  for (const PlanAircraft& a : plan.PlanAircraftList) {
    std::string key = "##" + NodeKeyUpper(a.Title);
    int leaf = move.FindLeaf(key);
    if (leaf >= 0) move.MarkUsedBy(leaf, a.Id);
    leaf = shuffle.FindLeaf(key);
    if (leaf >= 0) {
      shuffle.Node(leaf).Checked = true;
      shuffle.NodeCheck(leaf);
      ++checked;
    }
  }
  shuffle.Sort();
  move.Sort();
  return checked;
}

void RebuildTreeForView(AircraftTree& tree, int view, const PlanState& plan) {
  std::vector<std::string> remembered;
  for (int id = 0; id < tree.Size(); ++id) {
    const AircraftTreeNode& node = tree.Node(id);
    if (!node.Checked) continue;
    if (tree.Kind() == AircraftTreeKind::Shuffle && node.Colour != kNodeBlue) continue;
    remembered.push_back(tree.Identity(id));
  }
  tree.Clear();
  bool move = tree.Kind() == AircraftTreeKind::Move;
  AddInstalled(tree, move ? MoveTreeGrouping(view) : ShuffleTreeGrouping(view), plan);
  if (move) MarkPlanAircraft(tree, plan);
  for (const std::string& identity : remembered) {
    int id = tree.FindIdentity(identity);
    if (id < 0) continue;
    tree.Node(id).Checked = true;
    tree.NodeCheck(id);
  }
  tree.Sort();
}

}  // namespace velk
