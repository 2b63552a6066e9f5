#include "search/ui/move_tab.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gui/aircraft_tree_view.h"
#include "gui/plan_host.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"
#include "search/move_action_file.h"
#include "search/move_traffic.h"
#include "search/ui/number_prompt.h"

namespace velk {
namespace {

// The file dialog of Save Action or Load Action; "" when cancelled.
std::string AskActionFile(PlanHost& host, bool save) {
  FileDialogRequest dialog;
  dialog.save = save;
  dialog.title = save ? "Save Action" : "Load Action";
  dialog.filter = kMoveActionFilter;
  dialog.filterIndex = 1;
  if (save) dialog.fileName = kMoveActionFileName;
  dialog.flags = save ? kSaveDialogFlags : kOpenDialogFlags;
  dialog.owner = host.Window();
  return ShowFileDialog(dialog);
}

// Selects the entry of `icao` (its exact spelling first, else any case);
// false, with the box unchanged, when the list has no such entry.
bool SelectAirport(QComboBox* box, const std::string& icao) {
  const QString text = FromPlanText(icao);
  int at = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at < 0) at = box->findText(text, Qt::MatchFixedString);
  if (at < 0) return false;
  box->setCurrentIndex(at);
  return true;
}

}  // namespace

std::string ActionAirportMissingMessage(const std::string& icao) {
  return "Airport '" + icao + "' of the action is not in the Flightplan.";
}

MoveTab::MoveTab(const MoveControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
  connect(c_.cmdMove, &QPushButton::clicked, this, &MoveTab::MoveTraffic);
  connect(c_.cmdMovePercent, &QPushButton::clicked, this, &MoveTab::MoveTrafficPercent);
  connect(c_.cmdMoveExecute, &QPushButton::clicked, this, &MoveTab::ExecuteAction);
  connect(c_.cmdMoveSave, &QPushButton::clicked, this, [this] {
    if (!host_.IsBusy()) SaveMoveAction(movePercent_);
  });
  connect(c_.cmdMoveLoad, &QPushButton::clicked, this, [this] {
    if (!host_.IsBusy()) c_.cmdMoveExecute->setEnabled(LoadMoveAction());
  });
}

void MoveTab::FillMoveAirports() {
  movePercent_ = -1;
  c_.cmSource->clear();
  c_.cmDest->clear();
  // Sorted by code without regard to case (Windows-1252 letters folded),
  // the same for every user whatever the locale; codes that differ only in
  // case keep their file order.
  const std::vector<Airport>& airports = host_.Plan().Airports;
  std::vector<std::pair<std::string, const std::string*>> sorted;
  sorted.reserve(airports.size());
  for (const Airport& a : airports) sorted.emplace_back(UpperCp1252(a.Icao), &a.Icao);
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList codes;
  codes.reserve(static_cast<int>(sorted.size()));
  for (const auto& entry : sorted) codes << FromPlanText(*entry.second);
  c_.cmSource->addItems(codes);
  c_.cmDest->addItems(codes);
  if (!codes.isEmpty()) {
    c_.cmSource->setCurrentIndex(0);
    c_.cmDest->setCurrentIndex(0);
  }
  c_.cmdMoveSave->setEnabled(false);
  c_.cmdMoveExecute->setEnabled(false);
  const bool any = c_.cmSource->count() > 0;
  c_.cmdMove->setEnabled(any);
  c_.cmdMovePercent->setEnabled(any);
  c_.cmdMoveLoad->setEnabled(any);
}

bool MoveTab::AirportsDiffer() {
  // The same entry in both boxes, or two entries of one code (a code listed
  // twice in Airports.txt): moving would change nothing.
  if (c_.cmSource->currentIndex() != c_.cmDest->currentIndex() &&
      c_.cmSource->currentText() != c_.cmDest->currentText())
    return true;
  ShowMessageBox(kSameAirportsMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
  return false;
}

void MoveTab::MoveTraffic() {
  if (host_.IsBusy()) return;
  RunMove(false);
}

void MoveTab::MoveTrafficPercent() {
  if (host_.IsBusy()) return;
  RunMove(true);
}

void MoveTab::ExecuteAction() {
  if (host_.IsBusy()) return;
  actionRunning_ = true;
  RunMove(movePercent_ != -1);
  actionRunning_ = false;
}

void MoveTab::RunMove(bool percent) {
  if (!AirportsDiffer()) return;
  std::optional<int> p;
  if (percent) {
    if (actionRunning_) {
      p = movePercent_;
    } else {
      std::optional<std::int32_t> answer =
          AskWholeNumber(host_, kMovePercentPrompt, kProgramTitle,
                         movePercent_ == -1 ? std::string("50") : std::to_string(movePercent_));
      if (!answer || *answer == -1) return;
      movePercent_ = *answer;
      p = *answer;
    }
  }
  const std::string source = ToPlanText(c_.cmSource->currentText());
  const std::string destination = ToPlanText(c_.cmDest->currentText());

  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  host_.SaveUndo();
  // The tags of the checked nodes in the order the nodes were added.
  std::vector<std::string> tags;
  for (const AircraftTreeNode& node : host_.AircraftTreeOf(AircraftTreeKind::Move).Nodes())
    if (node.Checked) tags.push_back(node.Tag);
  const MoveCount count = MoveLegs(host_.Plan().Flights, tags, source, destination, p);
  host_.ResetTimetable();
  host_.ResetSearchResults();
  host_.MarkPlanModified();
  if (!percent) movePercent_ = -1;
  c_.cmdMoveSave->setEnabled(true);
  std::string message = "Successfully moved " + std::to_string(count.moved);
  if (percent) message += " of " + std::to_string(count.counted);
  message += " flights from " + source + " to " + destination + ".";
  ShowMessageBox(message, kMbOk | kMbIconQuestion, kProgramTitle, host_.Window());
}

bool MoveTab::SaveMoveAction(int percent) {
  const std::string path = AskActionFile(host_, true);
  if (path.empty()) return false;

  // The window is free again before the closing message.
  std::optional<BusyFrame> busy(std::in_place, host_);
  QCoreApplication::processEvents();
  MoveAction action;
  action.Percent = percent;
  // Only aircraft the plan uses carry a tag; groups are never written.
  for (const AircraftTreeNode& node : host_.AircraftTreeOf(AircraftTreeKind::Move).Nodes())
    if (node.Checked && !node.Tag.empty()) action.Selection.push_back(node.Text);
  action.Source = ToPlanText(c_.cmSource->currentText());
  action.Destination = ToPlanText(c_.cmDest->currentText());
  const std::filesystem::path file(path);
  const bool saved = SaveMoveActionFile(file, action);
  busy.reset();
  if (!saved) {
    ShowMessageBox(WriteFailedMessage(file), kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return false;
  }
  ShowMessageBox(kActionSavedMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
  return true;
}

bool MoveTab::LoadMoveAction() {
  const std::string path = AskActionFile(host_, false);
  if (path.empty()) return false;

  std::optional<BusyFrame> busy(std::in_place, host_);
  QCoreApplication::processEvents();
  const std::optional<MoveAction> action = LoadMoveActionFile(std::filesystem::path(path));
  if (!action) {
    ShowMessageBox(kNotAnActionMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return false;
  }
  movePercent_ = action->Percent;
  std::string missing;
  for (auto [box, icao] : {std::pair{c_.cmSource, &action->Source}, std::pair{c_.cmDest, &action->Destination}}) {
    if (*icao && !SelectAirport(box, **icao) && missing.empty()) missing = **icao;
  }

  // Unchecks every node and clears the grey marks, then checks each named
  // node (a group name checks its whole group) as a click would.
  AircraftTree& tree = host_.AircraftTreeOf(AircraftTreeKind::Move);
  tree.DeselectAll();
  std::unordered_map<std::string, std::vector<int>> byText;
  for (int id = 0; id < tree.Size(); ++id) byText[UpperCp1252(tree.Node(id).Text)].push_back(id);
  for (const std::string& name : action->Selection) {
    auto found = byText.find(UpperCp1252(name));
    if (found == byText.end()) continue;
    for (int id : found->second) {
      tree.Node(id).Checked = true;
      tree.NodeCheck(id);
    }
  }
  RefreshAircraftTree(c_.tvMoveAircrafts, tree);

  if (!missing.empty()) {
    ShowMessageBox(ActionAirportMissingMessage(missing), kMbOk | kMbIconExclamation, kProgramTitle,
                   host_.Window());
    return false;
  }
  busy.reset();
  ShowMessageBox(kActionLoadedMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
  return true;
}

}  // namespace velk
