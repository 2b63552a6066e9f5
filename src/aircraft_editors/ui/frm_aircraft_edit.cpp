#include "aircraft_editors/ui/frm_aircraft_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <unordered_set>

#include "aircraft_editors/plan_aircraft_commands.h"
#include "gui/frm_progress.h"
#include "gui/list_row.h"
#include "gui/plan_host.h"
#include "gui/window_wait.h"
#include "platform/ascii_text.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

constexpr int kIndexRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kUsedRole = Qt::UserRole + 2;

void Paint(QTreeWidgetItem* row, const QColor* colour) {
  for (int c = 0; c < row->columnCount(); ++c) {
    if (colour)
      row->setForeground(c, QBrush(*colour));
    else
      row->setData(c, Qt::ForegroundRole, QVariant());
  }
}

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

QTreeWidget* MakeList(QWidget* parent, const char* name, const QStringList& columns) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(name);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setHeaderLabels(columns);
  list->header()->setSectionsClickable(true);
  return list;
}

}  // namespace

frmAircraftEdit::frmAircraftEdit(PlanHost& host, QWidget* owner)
    : QDialog(owner ? owner : host.Window()), host_(host) {
  setObjectName("frmAircraftEdit");
  setWindowTitle(kCaption);
  BuildControls();
}

void frmAircraftEdit::BuildControls() {
  auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  lblProject = new QLabel("Available &Aircraft (red colored are not installed in FS)", this);
  lblProject->setObjectName("lblProject");
  lvAircrafts = MakeList(this, "lvAircrafts", {"Number", "Cruise Speed", "Title"});
  lblProject->setBuddy(lvAircrafts);
  lblFSAircraft = new QLabel("Available &FS Aircraft (blue colored are currently used in the plan)", this);
  lblFSAircraft->setObjectName("lblFSAircraft");
  lvFSAircraft = MakeList(this, "lvFSAircraft", {"Title", "ATC Type", "ATC Model", "Airline"});
  lblFSAircraft->setBuddy(lvFSAircraft);
  cmAircraft = new QComboBox(this);
  cmAircraft->setObjectName("cmAircraft");
  cmAircraft->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmAircraft->setMinimumContentsLength(24);
  cmdTitle = button("cmdTitle", "&Title");
  cmdSpeed = button("cmdSpeed", "&Speed");
  cmdNumber = button("cmdNumber", "&Number");
  cmdAdd = button("cmdAdd", "&Add");
  cmdAddMissing = button("cmdAddMissing", "Add &missing");
  cmdAddMissing->setToolTip(kAddMissingTip);
  cmdDelete = button("cmdDelete", "&Delete");
  cmdSubstitute = button("cmdSubstitute", "Su&bstitute");
  cmdSave = button("cmdSave", "&OK");
  cmdSave->setEnabled(false);
  cmdCancel = button("cmdCancel", "Cancel");

  auto* planPane = new QWidget(this);
  auto* planLayout = new QVBoxLayout(planPane);
  planLayout->setContentsMargins(0, 0, 0, 0);
  planLayout->addWidget(lblProject);
  planLayout->addWidget(lvAircrafts, 1);
  auto* planButtons = new QHBoxLayout;
  for (QPushButton* b : {cmdTitle, cmdSpeed, cmdNumber, cmdDelete}) planButtons->addWidget(b);
  planButtons->addStretch();
  planButtons->addWidget(cmdSubstitute);
  planButtons->addWidget(cmAircraft, 1);
  planLayout->addLayout(planButtons);

  auto* fsPane = new QWidget(this);
  auto* fsLayout = new QVBoxLayout(fsPane);
  fsLayout->setContentsMargins(0, 0, 0, 0);
  fsLayout->addWidget(lblFSAircraft);
  fsLayout->addWidget(lvFSAircraft, 1);
  auto* fsButtons = new QHBoxLayout;
  fsButtons->addWidget(cmdAdd);
  fsButtons->addWidget(cmdAddMissing);
  fsButtons->addStretch();
  fsLayout->addLayout(fsButtons);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(planPane);
  splitter->addWidget(fsPane);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(cmdSave);
  bottom->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(bottom);
  resize(720, 620);

  connect(lvAircrafts->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { SortList(lvAircrafts, column); });
  connect(lvFSAircraft->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { SortList(lvFSAircraft, column); });
  connect(lvFSAircraft, &QTreeWidget::itemDoubleClicked, this, [this] { AddSelected(); });
  connect(lvAircrafts, &QTreeWidget::itemDoubleClicked, this, [this] { ChangeNumber(); });
  connect(cmdAdd, &QPushButton::clicked, this, &frmAircraftEdit::AddSelected);
  connect(cmdAddMissing, &QPushButton::clicked, this, &frmAircraftEdit::AddMissing);
  connect(cmdDelete, &QPushButton::clicked, this, &frmAircraftEdit::DeleteSelected);
  connect(cmdSubstitute, &QPushButton::clicked, this, &frmAircraftEdit::Substitute);
  connect(cmdSpeed, &QPushButton::clicked, this, &frmAircraftEdit::ChangeSpeed);
  connect(cmdTitle, &QPushButton::clicked, this, &frmAircraftEdit::ChangeTitle);
  connect(cmdNumber, &QPushButton::clicked, this, &frmAircraftEdit::ChangeNumber);
  connect(cmdSave, &QPushButton::clicked, this, &frmAircraftEdit::SaveChanges);
  connect(cmdCancel, &QPushButton::clicked, this, &frmAircraftEdit::CancelChanges);
}

// ---- Opening and closing -------------------------------------------------------------

void frmAircraftEdit::Load() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const PlanState& plan = host_.Plan();
  snapshotFlights_ = plan.Flights;
  snapshotAircraft_ = plan.PlanAircraftList;
  changesSaved_ = false;
  cmdSave->setEnabled(false);
  FillAircraftLists();
  QApplication::restoreOverrideCursor();
}

int frmAircraftEdit::ShowDialog() {
  Load();
  ExecModal(*this);
  return DialogResult();
}

void frmAircraftEdit::Run(PlanHost& host) {
  if (host.IsBusy()) return;
  std::vector<Flight> beforeFlights;
  std::vector<PlanAircraft> beforeAircraft;
  {
    frmAircraftEdit editor(host);
    if (editor.ShowDialog() != 1) return;
    beforeFlights = std::move(editor.snapshotFlights_);
    beforeAircraft = std::move(editor.snapshotAircraft_);
  }
  PlanState& plan = host.Plan();
  // Tools > Undo goes back to the plan as it was before the editor: the
  // undo copy is taken of that state, not of the edited one.
  std::swap(plan.Flights, beforeFlights);
  std::swap(plan.PlanAircraftList, beforeAircraft);
  host.SaveUndo();
  std::swap(plan.Flights, beforeFlights);
  std::swap(plan.PlanAircraftList, beforeAircraft);
  plan.HighestAircraftNumber = std::max(plan.HighestAircraftNumber, HighestAircraftNumber(plan.PlanAircraftList));
  {
    LongOperation op(host, "Refreshing...", 2, 1);
    host.RebuildAircraftTrees();
    host.ResetTimetable();
    host.ResetSearchResults();
    host.FillMoveAirports();
    host.UpdateShuffleTab();
  }
  // Kept changes make the plan differ from its files in every case, so that
  // closing asks to save them.
  host.MarkPlanModified();
}

void frmAircraftEdit::Restore() {
  WindowWait wait(*this);
  PlanState& plan = host_.Plan();
  plan.Flights = snapshotFlights_;
  plan.PlanAircraftList = snapshotAircraft_;
}

void frmAircraftEdit::SaveChanges() {
  changesSaved_ = true;
  cmdSave->setEnabled(false);
  QDialog::accept();
}

void frmAircraftEdit::CancelChanges() {
  Restore();
  cmdSave->setEnabled(false);
  changesSaved_ = false;
  QDialog::reject();
}

void frmAircraftEdit::reject() {
  if (cmdSave->isEnabled()) {
    int answer = Say(kSaveQuestion, kMbYesNoCancel | kMbIconQuestion);
    if (answer == kIdYes) {
      changesSaved_ = true;
    } else if (answer == kIdNo) {
      Restore();
      changesSaved_ = false;
    } else {
      return;
    }
    cmdSave->setEnabled(false);
  }
  QDialog::reject();
}

// ---- The lists ----------------------------------------------------------------------

void frmAircraftEdit::AddPlanRow(size_t index) {
  const PlanState& plan = host_.Plan();
  const PlanAircraft& a = plan.PlanAircraftList[index];
  auto* row = new ListRow(lvAircrafts);
  row->setData(0, kIndexRole, static_cast<qulonglong>(index));
  row->setText(0, FromPlanText(a.Id));
  row->setText(1, FromPlanText(a.CruiseSpeed));
  row->setText(2, FromPlanText(a.Title));
  bool installed = false;
  const std::string title = UpperCp1252(a.Title);
  for (const FSAircraft& f : plan.FSAircraftList) {
    if (MatchesByTitle(f) && UpperCp1252(f.Title) == title) {
      installed = true;
      break;
    }
  }
  if (!installed) Paint(row, &kRed);
}

void frmAircraftEdit::FillAircraftCombo() {
  cmAircraft->clear();
  for (const PlanAircraft& a : host_.Plan().PlanAircraftList)
    cmAircraft->addItem(FromPlanText(a.Id + " - " + a.Title));
  cmAircraft->setCurrentIndex(cmAircraft->count() > 0 ? 0 : -1);
}

void frmAircraftEdit::FillAircraftLists() {
  const PlanState& plan = host_.Plan();
  lvAircrafts->clear();
  lvFSAircraft->clear();
  planSort_.sorted = false;
  lvAircrafts->header()->setSortIndicatorShown(false);
  highestNumber_ = HighestAircraftNumber(plan.PlanAircraftList);
  for (size_t i = 0; i < plan.PlanAircraftList.size(); ++i) AddPlanRow(i);
  FillAircraftCombo();

  std::unordered_set<std::string> planTitles;
  for (const PlanAircraft& a : plan.PlanAircraftList) planTitles.insert(UpperCp1252(a.Title));
  for (size_t i = 0; i < plan.FSAircraftList.size(); ++i) {
    const FSAircraft& f = plan.FSAircraftList[i];
    if (!IsUsableAircraft(f)) continue;
    auto* row = new ListRow(lvFSAircraft);
    row->setData(0, kIndexRole, static_cast<qulonglong>(i));
    row->setData(0, kTagRole, FromPath(f.CfgFile));
    row->setText(0, FromPlanText(f.Title));
    row->setText(1, FromPlanText(f.ATCType));
    row->setText(2, FromPlanText(f.ATCModel));
    row->setText(3, FromPlanText(f.ATCAirline));
    bool used = planTitles.count(UpperCp1252(f.Title)) > 0;
    row->setData(0, kUsedRole, used);
    if (used) Paint(row, &kBlue);
  }
  UpdateEditorButtons();
  lvFSAircraft->sortItems(fsSort_.column, fsSort_.order);
  lvFSAircraft->header()->setSortIndicator(fsSort_.column, fsSort_.order);
  for (QTreeWidget* list : {lvAircrafts, lvFSAircraft}) {
    for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
    if (QTreeWidgetItem* first = list->topLevelItem(0)) {
      list->setCurrentItem(first);
      first->setSelected(true);
    }
  }
}

void frmAircraftEdit::UpdateEditorButtons() {
  bool plan = lvAircrafts->topLevelItemCount() > 0;
  for (QPushButton* b : {cmdNumber, cmdSpeed, cmdTitle, cmdDelete, cmdSubstitute}) b->setEnabled(plan);
  if (plan && cmAircraft->currentIndex() < 0 && cmAircraft->count() > 0) cmAircraft->setCurrentIndex(0);
  bool installed = lvFSAircraft->topLevelItemCount() > 0;
  cmdAdd->setEnabled(installed);
  cmdAddMissing->setEnabled(installed);
}

void frmAircraftEdit::SortList(QTreeWidget* list, int column) {
  SortState& s = list == lvAircrafts ? planSort_ : fsSort_;
  if (s.sorted && s.column == column) {
    s.order = s.order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  } else {
    s.column = column;
    s.order = Qt::AscendingOrder;
    s.sorted = true;
  }
  list->sortItems(s.column, s.order);
  list->header()->setSortIndicatorShown(true);
  list->header()->setSortIndicator(s.column, s.order);
  if (QTreeWidgetItem* current = list->currentItem()) list->scrollToItem(current);
}

bool frmAircraftEdit::Used(const QTreeWidgetItem* row) { return row->data(0, kUsedRole).toBool(); }

QTreeWidgetItem* frmAircraftEdit::SelectedPlanRow() const {
  QTreeWidgetItem* row = lvAircrafts->currentItem();
  if (row && row->isSelected()) return row;
  QList<QTreeWidgetItem*> selected = lvAircrafts->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

// ---- Adding -------------------------------------------------------------------------

bool frmAircraftEdit::AddInstalled(QTreeWidgetItem* row, std::vector<std::string>& skippedTitles,
                                   std::vector<std::string>& withoutSpeed) {
  PlanState& plan = host_.Plan();
  const FSAircraft& installed = plan.FSAircraftList[row->data(0, kIndexRole).toULongLong()];
  // A title Aircraft.txt cannot hold would be lost, or cut, at the next
  // reading of the plan, and its flights would point at no aircraft.
  if (!PlanTitleIsWritable(installed.Title)) {
    skippedTitles.push_back(installed.Title);
    return true;
  }
  int number = NextFreeAircraftNumber(plan.PlanAircraftList, highestNumber_);
  if (number == 0) {
    Say(kNoFreeNumber, kMbOk | kMbIconExclamation);
    return false;
  }
  row->setData(0, kUsedRole, true);
  Paint(row, &kBlue);
  highestNumber_ = number;
  plan.PlanAircraftList.push_back(MakePlanAircraft(installed, number));
  if (!PlanSpeedIsUsable(NewPlanAircraftSpeed(installed))) withoutSpeed.push_back(installed.Title);
  size_t index = plan.PlanAircraftList.size() - 1;
  AddPlanRow(index);
  const PlanAircraft& added = plan.PlanAircraftList[index];
  cmAircraft->addItem(FromPlanText(added.Id + " - " + added.Title));
  cmdSave->setEnabled(true);
  return true;
}

void frmAircraftEdit::ReportSkipped(const std::vector<std::string>& skippedTitles,
                                    const std::vector<std::string>& withoutSpeed) {
  auto report = [this](const char* text, const std::vector<std::string>& titles) {
    if (titles.empty()) return;
    std::string prompt = text;
    for (const std::string& t : titles) prompt += "\r\n" + t;
    Say(prompt, kMbOk | kMbIconExclamation);
  };
  report(kTitlesSkipped, skippedTitles);
  report(kNoSpeed, withoutSpeed);
}

void frmAircraftEdit::AddSelected() {
  std::vector<std::string> skipped, withoutSpeed;
  for (int r = 0; r < lvFSAircraft->topLevelItemCount(); ++r) {
    QTreeWidgetItem* row = lvFSAircraft->topLevelItem(r);
    if (!row->isSelected()) continue;
    if (Used(row)) {
      std::string prompt = "Aircraft '" + ToPlanText(row->text(0)) +
                           "' already in your 'Aircraft.txt'. Would you like to add it anyway?";
      if (Say(prompt, kMbYesNo | kMbIconQuestion | kMbDefButton2) != kIdYes) break;
    }
    size_t before = lvAircrafts->topLevelItemCount();
    if (!AddInstalled(row, skipped, withoutSpeed)) break;
    if (static_cast<size_t>(lvAircrafts->topLevelItemCount()) == before) continue;
    QTreeWidgetItem* added = lvAircrafts->topLevelItem(lvAircrafts->topLevelItemCount() - 1);
    lvAircrafts->clearSelection();
    lvAircrafts->scrollToItem(added);
    lvAircrafts->setCurrentItem(added);
    added->setSelected(true);
  }
  if (planSort_.sorted) lvAircrafts->sortItems(planSort_.column, planSort_.order);
  UpdateEditorButtons();
  ReportSkipped(skipped, withoutSpeed);
}

void frmAircraftEdit::AddMissing() {
  std::vector<std::string> skipped, withoutSpeed;
  for (int r = 0; r < lvFSAircraft->topLevelItemCount(); ++r) {
    QTreeWidgetItem* row = lvFSAircraft->topLevelItem(r);
    if (Used(row)) continue;
    if (!AddInstalled(row, skipped, withoutSpeed)) break;
  }
  if (planSort_.sorted) lvAircrafts->sortItems(planSort_.column, planSort_.order);
  UpdateEditorButtons();
  ReportSkipped(skipped, withoutSpeed);
}

// ---- Delete and substitute ------------------------------------------------------------

void frmAircraftEdit::DeleteSelected() {
  std::vector<std::string> ids;
  for (int r = 0; r < lvAircrafts->topLevelItemCount(); ++r) {
    QTreeWidgetItem* row = lvAircrafts->topLevelItem(r);
    if (row->isSelected()) ids.push_back(ToPlanText(row->text(0)));
  }
  if (ids.empty()) return;
  if (Say(kDeleteQuestion, kMbYesNo | kMbIconQuestion) != kIdYes) return;
  int removed = 0;
  {
    WindowWait wait(*this);
    removed = DeletePlanAircraft(host_.Plan(), ids);
    FillAircraftLists();
    cmdSave->setEnabled(true);
  }
  Say(std::to_string(removed) + " flights removed.", kMbOk | kMbIconInformation);
}

void frmAircraftEdit::Substitute() {
  QTreeWidgetItem* row = SelectedPlanRow();
  if (!row || cmAircraft->currentIndex() < 0) return;
  if (Say(kSubstituteQuestion, kMbYesNo | kMbIconQuestion) != kIdYes) return;
  int changed = 0;
  {
    WindowWait wait(*this);
    std::string oldId = ToPlanText(row->text(0));
    std::string chosen = ToPlanText(cmAircraft->currentText());
    std::string newId(TrimSpaces(std::string_view(chosen).substr(0, chosen.find(" - "))));
    changed = SubstitutePlanAircraft(host_.Plan().Flights, oldId, newId);
    cmdSave->setEnabled(true);
  }
  Say(std::to_string(changed) + " flights modified.", kMbOk | kMbIconInformation);
}

// ---- Speed, title, number ------------------------------------------------------------

void frmAircraftEdit::ChangeSpeed() {
  QTreeWidgetItem* row = SelectedPlanRow();
  if (!row) return;
  PlanAircraft& a = host_.Plan().PlanAircraftList[row->data(0, kIndexRole).toULongLong()];
  std::optional<long long> current = WholeNumberAnswer(a.CruiseSpeed);
  std::string shown = current ? std::to_string(*current) : a.CruiseSpeed;
  for (;;) {
    std::optional<std::string> answer = Ask(kSpeedPrompt, shown);
    if (!answer) return;
    std::optional<long long> speed = WholeNumberAnswer(*answer);
    if (!speed || (current && *speed == *current)) return;
    // The traffic compiler refuses 0 and keeps only 16 bits of a speed.
    if (!PlanSpeedIsUsable(*speed)) {
      Say(kSpeedRange, kMbOk | kMbIconExclamation);
      shown = *answer;
      continue;
    }
    a.CruiseSpeed = std::to_string(*speed);
    row->setText(1, FromPlanText(a.CruiseSpeed));
    cmdSave->setEnabled(true);
    return;
  }
}

void frmAircraftEdit::ChangeTitle() {
  QTreeWidgetItem* row = SelectedPlanRow();
  if (!row) return;
  PlanAircraft& a = host_.Plan().PlanAircraftList[row->data(0, kIndexRole).toULongLong()];
  std::string shown = a.Title;
  for (;;) {
    std::optional<std::string> answer = Ask(kTitlePrompt, shown);
    if (!answer || *answer == a.Title || TrimSpaces(*answer).empty()) return;
    if (!PlanTitleIsWritable(*answer)) {
      Say(kBadTitle, kMbOk | kMbIconExclamation);
      shown = *answer;
      continue;
    }
    {
      WindowWait wait(*this);
      a.Title = *answer;
      row->setText(2, FromPlanText(a.Title));
      cmdSave->setEnabled(true);
      FillAircraftCombo();
    }
    return;
  }
}

void frmAircraftEdit::ChangeNumber() {
  QTreeWidgetItem* row = SelectedPlanRow();
  if (!row) return;
  size_t index = row->data(0, kIndexRole).toULongLong();
  PlanState& plan = host_.Plan();
  const std::string oldId = plan.PlanAircraftList[index].Id;
  std::optional<long long> current = WholeNumberAnswer(oldId.size() > 3 ? oldId.substr(3) : std::string());
  std::string shown = oldId.size() > 3 ? oldId.substr(3) : std::string();
  for (;;) {
    std::optional<std::string> answer = Ask(kNumberPrompt, shown);
    if (!answer) return;
    std::optional<long long> number = WholeNumberAnswer(*answer);
    if (!number || (current && *number == *current)) return;
    shown = *answer;
    // The traffic compiler refuses numbers below 1 and keeps only 16 bits,
    // so a larger number would stand for another aircraft.
    if (*number < 1 || *number > kMaxAircraftNumber) {
      Say(kNumberRange, kMbOk | kMbIconExclamation);
      continue;
    }
    if (AircraftNumberInUse(plan.PlanAircraftList, static_cast<int>(*number))) {
      Say(kNumberInUse, kMbOk | kMbIconExclamation);
      continue;
    }
    {
      WindowWait wait(*this);
      RenumberPlanAircraft(plan, index, static_cast<int>(*number));
      row->setText(0, FromPlanText(plan.PlanAircraftList[index].Id));
      cmdSave->setEnabled(true);
      FillAircraftCombo();
    }
    return;
  }
}

// ---- Boxes ---------------------------------------------------------------------------

std::optional<std::string> frmAircraftEdit::Ask(const std::string& prompt, const std::string& defaultText) {
  return AskOver(*this, prompt, kProgramTitle, defaultText, 3);
}

int frmAircraftEdit::Say(const std::string& prompt, int style) {
  return ShowMessageBox(prompt, style, kProgramTitle, this);
}


}  // namespace velk
