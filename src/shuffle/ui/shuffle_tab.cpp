#include "shuffle/ui/shuffle_tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <utility>
#include <vector>

#include "data/program_state.h"
#include "data/text_number.h"
#include "gui/box_check.h"
#include "gui/frm_progress.h"
#include "gui/plan_host.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "shuffle/plan_aircraft_list.h"
#include "shuffle/ui/shuffle_commands.h"

namespace velk {
namespace {

bool Ticked(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

// The installed aircraft of the ticked leaves, in the order the nodes were
// added (not the sorted order shown).
std::vector<int> TickedAircraft(const AircraftTree& tree) {
  std::vector<int> indexes;
  for (const AircraftTreeNode& node : tree.Nodes())
    if (node.Checked && node.Colour == kNodeBlue) indexes.push_back(node.Index);
  return indexes;
}

}  // namespace

ShuffleTab::ShuffleTab(const ShuffleControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
  connect(c_.cmdShuffle, &QPushButton::clicked, this, &ShuffleTab::Shuffle);
  connect(c_.cmdCalcStartNumber, &QPushButton::clicked, this, &ShuffleTab::CalcStartNumber);
  connect(c_.cmdACTypeDat, &QPushButton::clicked, this, &ShuffleTab::CreateAircraftTypes);
  CheckOnLeaving(c_.txtStartNumber, [this] {
    if (host_.IsBusy()) return true;
    // Left by a press on Shuffle: the click that follows has been answered.
    const bool pressedShuffle =
        QGuiApplication::mouseButtons() != Qt::NoButton && QApplication::focusWidget() == c_.cmdShuffle;
    if (ValidateStartNumber()) return true;
    leavingRefused_ = pressedShuffle;
    return false;
  });
}

const char* ShuffleTab::StartNumberProblem(std::int32_t& number) const {
  const std::optional<std::int32_t> value = text_number::ParseInt32(ToPlanText(c_.txtStartNumber->text()));
  if (!value) return kStartNumberNotNumericMessage;
  number = *value;
  return number < 1 ? kStartNumberTooSmallMessage : nullptr;
}

bool ShuffleTab::ValidateStartNumber() {
  std::int32_t number = 0;
  const char* problem = StartNumberProblem(number);
  if (!problem) {
    Program().StartNumber = number;
    return true;
  }
  ShowMessageBox(problem, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
  c_.txtStartNumber->setFocus(Qt::OtherFocusReason);
  c_.txtStartNumber->selectAll();
  return false;
}

void ShuffleTab::CalcStartNumber() {
  const PlanState& plan = host_.Plan();
  if (plan.PlanAircraftList.empty()) return;
  const int number = plan.HighestAircraftNumber + 1;
  c_.txtStartNumber->setText(QString::number(number));
  Program().StartNumber = number;
}

ShuffleOptions ShuffleTab::Options() const {
  ShuffleOptions options;
  options.ChangeIFRVFR = Ticked(c_.ckIFRVFR);
  options.OverwriteTailNumber = Ticked(c_.ckOverwriteTailNumber);
  options.CheckVisitedAirports = Ticked(c_.ckCheckVisitedAirports);
  options.RemoveMinus = Ticked(c_.ckRemoveMinus);
  options.CheckFL = Ticked(c_.ckCheckFL);
  options.DebugEnabled = Program().DebugEnabled;
  return options;
}

void ShuffleTab::Shuffle() {
  if (host_.IsBusy()) return;
  // The click whose press left the box with a refused number ends here
  // quietly; any other click checks the number (Enter in the box reaches
  // the button without leaving it).
  std::int32_t number = 0;
  if (std::exchange(leavingRefused_, false) && StartNumberProblem(number)) return;
  if (!ValidateStartNumber()) return;
  PlanState& plan = host_.Plan();
  std::vector<PlanAircraft> aircraft = BuildShuffleAircraftList(
      TickedAircraft(host_.AircraftTreeOf(AircraftTreeKind::Shuffle)), plan.FSAircraftList, Program().StartNumber);
  if (aircraft.empty()) {
    ShowMessageBox(kNoAircraftSelectedMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  const ShuffleOptions options = Options();

  int removed = 0;
  int assigned = 0;
  bool completed = false;
  {
    LongOperation operation(host_, "Creating Aircraft list...", 4, 1);
    host_.SaveUndo();
    // Kept apart from the undo copy, which may be switched off: a run that
    // stops part way must not leave flights whose ids name other aircraft.
    std::vector<Flight> flightsBefore = plan.Flights;
    std::vector<PlanAircraft> aircraftBefore = std::move(plan.PlanAircraftList);
    plan.PlanAircraftList = std::move(aircraft);
    operation.Step("Rearranging AI Traffic...", 2);
    completed = ShuffleTraffic(host_, options, removed, assigned);
    operation.SetMax(4);
    operation.Step("Refreshing...", 3);
    if (!completed) {
      plan.Flights = std::move(flightsBefore);
      plan.PlanAircraftList = std::move(aircraftBefore);
    }
    host_.RebuildAircraftTrees();
    host_.ResetTimetable();
    host_.ResetSearchResults();
    host_.FillMoveAirports();
    host_.UpdateShuffleTab();
    if (completed) host_.MarkPlanModified();
  }
  if (!completed) return;
  ShowMessageBox(std::to_string(removed) + " flights removed from Flightplan. " + std::to_string(assigned) +
                     " flights remaining.",
                 kMbOk | kMbIconQuestion, kProgramTitle, host_.Window());
  host_.Reactivate();
}

void ShuffleTab::CreateAircraftTypes() {
  if (host_.IsBusy()) return;
  CreateAircraftTypesFile(host_, host_.AircraftTreeOf(AircraftTreeKind::Shuffle));
}

}  // namespace velk
