#include "search/ui/search_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "data/flight_plan_file.h"
#include "data/flight_printout.h"
#include "data/program_state.h"
#include "gui/frm_progress.h"
#include "gui/plan_host.h"
#include "gui/scenery_progress.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/set_messages.h"
#include "platform/qt/qt_text.h"
#include "platform/text_file.h"
#include "search/ui/search_result_model.h"
#include "search/work_list.h"

namespace velk {
namespace {

constexpr const char* kPreviewCaption = "Previe&w";
constexpr const char* kGettingSceneryStep = "Getting FS2002 Scenery...";
constexpr const char* kFillingViewStep = "Filling View...";
constexpr const char* kPrintingStep = "Printing...";
// Rows printed between two passes of the window events.
constexpr int kPrintEventStride = 256;

// Design widths of the result columns, in pixels.
constexpr int kColumnWidths[kResultColumns + 1] = {110, 170, 46, 86, 104, 150, 52, 80, 80, 76, 78, 58, 220};

QString Caption(int rows) { return QString("Previe&w (%1 flights found)").arg(rows); }

TurnAroundLimits ProgramLimits() {
  const ProgramState& g = Program();
  return TurnAroundLimits{g.MinTurnAround, g.MaxTurnAround};
}

}  // namespace

SearchTab::SearchTab(const SearchControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host), geometry_(ProgramLegGeometry()) {
  QTreeView* list = c_.lvExPreview;
  model_ = new SearchResultModel(list);
  list->setModel(model_);
  list->setSortingEnabled(false);
  QHeaderView* header = list->header();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(model_->SortColumn(), model_->SortOrder());
  header->setStretchLastSection(false);
  for (int c = 0; c < kResultColumns; ++c) list->setColumnWidth(c, kColumnWidths[c]);
  list->setContextMenuPolicy(Qt::PreventContextMenu);
  list->viewport()->installEventFilter(this);

  connect(header, &QHeaderView::sectionClicked, this, &SearchTab::ColumnClicked);
  connect(list, &QAbstractItemView::doubleClicked, this, [this] { EditClicked(); });
  connect(c_.cmdPreview, &QPushButton::clicked, this, &SearchTab::PreviewClicked);
  connect(c_.cmdAddFlight, &QPushButton::clicked, this, &SearchTab::AddClicked);
  connect(c_.cmdEditFlight, &QPushButton::clicked, this, &SearchTab::EditClicked);
  connect(c_.cmdDeleteFlight, &QPushButton::clicked, this, &SearchTab::DeleteClicked);
  connect(c_.cmdExport, &QPushButton::clicked, this, &SearchTab::ExportClicked);
  connect(c_.cmdExportRemainder, &QPushButton::clicked, this, &SearchTab::ExportRemainderClicked);
  connect(c_.cmdExportPrint, &QPushButton::clicked, this, &SearchTab::PrintClicked);
  connect(c_.cmExZone, &QComboBox::currentIndexChanged, this, &SearchTab::ZoneChanged);
}

SearchTab::~SearchTab() {
  if (c_.lvExPreview) c_.lvExPreview->viewport()->removeEventFilter(this);
}

bool SearchTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && watched == c_.lvExPreview->viewport()) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    ListMouseUp(mouse->button(), mouse->globalPosition().toPoint());
  }
  return QObject::eventFilter(watched, event);
}

// ---- The list's state ------------------------------------------------------------

void SearchTab::SetResultButtons(bool enabled) {
  for (QPushButton* b : {c_.cmdExport, c_.cmdExportRemainder, c_.cmdExportPrint, c_.cmdEditFlight, c_.cmdDeleteFlight})
    b->setEnabled(enabled);
}

void SearchTab::SetCaptionForRows() { c_.lblExPreview->setText(Caption(model_->rowCount())); }

std::vector<int> SearchTab::SelectedEntries() const {
  QModelIndexList rows = c_.lvExPreview->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<int> entries;
  entries.reserve(rows.size());
  for (const QModelIndex& i : rows) entries.push_back(model_->Entry(i.row()));
  return entries;
}

int SearchTab::SelectedRow() const {
  QItemSelectionModel* selection = c_.lvExPreview->selectionModel();
  QModelIndex current = selection->currentIndex();
  if (current.isValid() && selection->isRowSelected(current.row(), {})) return current.row();
  int first = -1;
  for (const QModelIndex& i : selection->selectedRows())
    if (first < 0 || i.row() < first) first = i.row();
  return first;
}

void SearchTab::SelectOnly(int row) {
  QTreeView* list = c_.lvExPreview;
  list->clearSelection();
  if (row < 0 || row >= model_->rowCount()) return;
  QModelIndex index = model_->index(row, 0);
  list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int SearchTab::TopVisibleRow() const {
  if (model_->rowCount() == 0) return -1;
  QModelIndex top = c_.lvExPreview->indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

std::string SearchTab::Zone() const { return ToPlanText(c_.cmExZone->currentText()); }

std::string SearchTab::ShownZone() const { return ToPlanText(c_.cmExZone->property("Tag").toString()); }

// ---- Search ------------------------------------------------------------------------

SearchCriteria SearchTab::ReadCriteria() const {
  SearchCriteria c;
  c.continent = ToPlanText(c_.txtExContinent->text());
  c.country = ToPlanText(c_.txtExCountry->text());
  c.airline = ToPlanText(c_.txtExAirline->text());
  c.ifr = c_.ckExportIFR->isChecked();
  c.vfr = c_.ckExportVFR->isChecked();
  const auto& aircraft = host_.Plan().PlanAircraftList;
  if (c_.cmExportAircraft->currentIndex() >= 1) {
    int index = c_.cmExportAircraft->currentData().toInt();
    if (index >= 0 && index < static_cast<int>(aircraft.size())) c.aircraftId = aircraft[index].Id;
  }
  QVariant cls = c_.cmExClass->currentData();
  c.aircraftClass = cls.isValid() ? cls.toInt() : -1;
  c.andSearch = c_.opANDSearch->isChecked();
  return c;
}

const std::vector<SceneryAirport>* SearchTab::LoadScenery() {
  if (sceneryLoader_) return sceneryLoader_();
  LoadSceneryAirports(SceneryAirports(), WindowSceneryContext(host_));
  return &SceneryAirports();
}

void SearchTab::SearchFlights(const std::string& departure, const std::string& leg, SearchMode mode) {
  PlanState& plan = host_.Plan();
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  EmptyWorkList(plan);

  SearchInput input;
  input.mode = mode;
  input.limits = ProgramLimits();
  input.geometry = geometry_;
  std::optional<LongOperation> progress;
  auto step = [&](const char* caption, int value) {
    if (!progress)
      progress.emplace(host_, caption, 4, value);
    else
      progress->Step(caption, value);
  };
  if (mode == SearchMode::ByCriteria) {
    input.criteria = ReadCriteria();
    input.criteria.departure = departure;
    input.criteria.leg = leg;
    if (input.criteria.NeedsScenery()) {
      step(kGettingSceneryStep, 1);
      input.scenery = LoadScenery();
      if (!input.scenery || input.scenery->empty()) {
        // Rows of an earlier search must not outlive the emptied work list.
        model_->Clear();
        SetCaptionForRows();
        return;
      }
    }
  }
  SearchResult result = velk::SearchFlights(plan, input, step);
  FillWorkList(plan, result);

  step(kFillingViewStep, 3);
  model_->Clear();
  const std::string zone = Zone();
  const bool errors = ModeHasFindings(mode);
  std::vector<SearchResultModel::Row> rows(plan.WorkList.size());
  for (size_t k = 0; k < rows.size(); ++k) {
    const Flight& f = plan.WorkList[k];
    rows[k].entry = static_cast<int>(k);
    FormatResultRow(f, result.installed.ById(f.AircraftId), zone, rows[k].cells);
    if (errors) rows[k].errors = plan.WorkListNotes[k];
  }
  model_->SetRows(std::move(rows), errors);
  if (errors) c_.lvExPreview->setColumnWidth(kErrorsColumn, kColumnWidths[kErrorsColumn]);
  c_.lvExPreview->header()->setSortIndicator(model_->SortColumn(), model_->SortOrder());
  SetCaptionForRows();
  c_.lvExPreview->clearSelection();
  QCoreApplication::processEvents();
  SelectOnly(TopVisibleRow());
}

void SearchTab::ResetSearchResults() {
  SetResultButtons(false);
  c_.cmdAddFlight->setEnabled(true);
  c_.cmdPreview->setEnabled(true);
  // The work list goes with the rows: after the plan changed, its copies
  // and indexes no longer describe the flights.
  EmptyWorkList(host_.Plan());
  model_->Clear();
  c_.lblExPreview->setText(kPreviewCaption);
  QComboBox* aircraft = c_.cmExportAircraft;
  aircraft->clear();
  aircraft->addItem("#None#", -1);
  const auto& list = host_.Plan().PlanAircraftList;
  for (size_t i = 0; i < list.size(); ++i)
    aircraft->addItem(FromPlanText(list[i].Title + " (" + list[i].Id + ")"), static_cast<int>(i));
  aircraft->setCurrentIndex(0);
  if (c_.cmExClass->count() > 0) c_.cmExClass->setCurrentIndex(0);
}

void SearchTab::EnterNoPlan() {
  EmptyWorkList(host_.Plan());
  model_->Clear();
  c_.lblExPreview->setText(kPreviewCaption);
  c_.cmExportAircraft->clear();
  SetResultButtons(false);
  c_.cmdAddFlight->setEnabled(false);
  c_.cmdPreview->setEnabled(false);
}

void SearchTab::RunReport(SearchMode mode) {
  SearchFlights("", "", mode);
  SetResultButtons(model_->rowCount() > 0);
  host_.SelectTab("EXPORT");
}

void SearchTab::ReportCommand(SearchMode mode) {
  if (host_.IsBusy()) return;
  RunReport(mode);
}

void SearchTab::PreviewClicked() {
  if (host_.IsBusy()) return;
  SearchFlights(ToPlanText(c_.txtExDeparture->text()), ToPlanText(c_.txtExLeg->text()), SearchMode::ByCriteria);
  SetResultButtons(model_->rowCount() > 0);
}

void SearchTab::ZoneChanged() {
  std::string from = ShownZone();
  std::string to = Zone();
  model_->ShiftZone(from, to);
  int row = SelectedRow();
  if (row >= 0) c_.lvExPreview->scrollTo(model_->index(row, 0));
  c_.cmExZone->setProperty("Tag", c_.cmExZone->currentText());
  Program().ExportZone = to;
}

void SearchTab::ColumnClicked(int column) {
  Qt::SortOrder order = Qt::AscendingOrder;
  if (model_->SortColumn() == column)
    order = model_->SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  model_->sort(column, order);
  c_.lvExPreview->header()->setSortIndicator(column, order);
  int row = SelectedRow();
  if (row >= 0) c_.lvExPreview->scrollTo(model_->index(row, 0));
}

void SearchTab::ListMouseUp(Qt::MouseButton button, const QPoint& globalPosition) {
  if (button != Qt::RightButton || host_.Plan().WorkList.empty()) return;
  emit selectMenuRequested(globalPosition);
}

// ---- Editing -------------------------------------------------------------------------

void SearchTab::AddClicked() {
  if (host_.IsBusy()) return;
  PlanState& plan = host_.Plan();
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  if (!host_.UndoHeld()) host_.SaveUndo();
  int k = AppendWorkEntry(plan, NewFlight(plan));
  bool inWorkList = true;
  std::string aircraft = host_.EditFlight(k, inWorkList, -1);
  if (aircraft.empty()) {
    DropLastWorkEntry(plan);
    return;
  }
  plan.WorkListIndex[k] = static_cast<int>(plan.Flights.size());
  plan.Flights.push_back(plan.WorkList[k]);

  InstalledMatch installed(plan);
  const Flight& f = plan.WorkList[k];
  const FSAircraft* match = installed.ById(f.AircraftId);
  SearchResultModel::Row row;
  row.entry = k;
  FormatResultRow(f, match, Zone(), row.cells);
  if (!match) row.cells[kAircraftColumn] = f.AircraftId;
  c_.lvExPreview->clearSelection();
  int at = model_->AddRow(std::move(row));
  SelectOnly(at);
  QCoreApplication::processEvents();
  c_.lvExPreview->scrollTo(model_->index(at, 0));
  SetResultButtons(true);
  SetCaptionForRows();
  host_.MarkPlanModified();
}

void SearchTab::EditClicked() {
  if (host_.IsBusy()) return;
  int row = SelectedRow();
  if (row < 0) return;
  PlanState& plan = host_.Plan();
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  if (!host_.UndoHeld()) host_.SaveUndo();
  int k = model_->Entry(row);
  if (!IsWorkEntry(plan, k)) return;
  bool inWorkList = true;
  std::string aircraft = host_.EditFlight(k, inWorkList, -1);
  if (aircraft.empty() || !IsWorkEntry(plan, k)) return;
  plan.Flights[plan.WorkListIndex[k]] = plan.WorkList[k];

  InstalledMatch installed(plan);
  ResultCells cells;
  FormatResultRow(plan.WorkList[k], installed.ById(plan.WorkList[k].AircraftId), Zone(), cells);
  cells[kAircraftColumn] = aircraft;
  model_->SetCells(model_->RowOfEntry(k), cells);
  host_.MarkPlanModified();
}

void SearchTab::DeleteClicked() {
  if (host_.IsBusy()) return;
  if (ShowMessageBox(kDeleteQuestion, kMbYesNo | kMbIconQuestion, kProgramTitle, host_.Window()) != kIdYes) return;
  PlanState& plan = host_.Plan();
  if (!host_.UndoHeld()) host_.SaveUndo();
  std::vector<int> removed;
  for (int k : SelectedEntries()) {
    if (!IsWorkEntry(plan, k)) continue;
    plan.WorkList[k].Removed = true;
    plan.Flights[plan.WorkListIndex[k]].Removed = true;
    removed.push_back(k);
  }
  BusyFrame busy(host_);
  QTreeView* list = c_.lvExPreview;
  list->setUpdatesEnabled(false);
  model_->RemoveEntries(removed);
  list->setUpdatesEnabled(true);
  if (model_->rowCount() > 0) {
    SelectOnly(TopVisibleRow());
    SetCaptionForRows();
  } else {
    SetResultButtons(false);
    c_.lblExPreview->setText(kPreviewCaption);
  }
  host_.MarkPlanModified();
}

// ---- Export and print ----------------------------------------------------------------

std::string SearchTab::AskExportPath(const char* title, const char* fileName) const {
  FileDialogRequest r;
  r.save = true;
  r.title = title;
  r.filter = kTextFileFilter;
  r.filterIndex = 1;
  r.fileName = fileName;
  r.flags = kSaveDialogFlags;
  r.owner = host_.Window();
  return ShowFileDialog(r);
}

bool SearchTab::WriteExport(const std::string& path, std::vector<Flight> flights, int count) {
  // Removed flights go to "Removed Flights.txt" beside the export. One that
  // is there already may be the plan's own list: it is replaced only when
  // the user says so, else the export is written without them.
  bool anyRemoved = std::any_of(flights.begin(), flights.end(), [](const Flight& f) { return f.Removed; });
  std::filesystem::path target(path);
  std::error_code ec;
  if (anyRemoved && std::filesystem::exists(target.parent_path() / kRemovedFlightsFileName, ec) &&
      ShowMessageBox(kReplaceRemovedQuestion, kMbYesNo | kMbIconQuestion, kProgramTitle, host_.Window()) != kIdYes) {
    std::erase_if(flights, [](const Flight& f) { return f.Removed; });
  }
  SetFailure failure;
  SetRecovery recovered;
  std::vector<std::string> copiesNotMade;
  const bool written = WriteFlightPlans(target, flights, &failure, &recovered, &copiesNotMade);
  ShowSetRecovery(recovered, host_.Window());
  if (!written) {
    ShowMessageBox(WithSetFailure(WriteFailedMessage(target), failure), kMbOk | kMbIconExclamation, kProgramTitle,
                   host_.Window());
    return false;
  }
  ShowMessageBox(WithCopiesNotMade("Successfully exported " + std::to_string(count) + " flights.", copiesNotMade),
                 kMbOk | (copiesNotMade.empty() ? kMbIconQuestion : kMbIconExclamation), kProgramTitle,
                 host_.Window());
  return true;
}

void SearchTab::ExportClicked() {
  if (host_.IsBusy()) return;
  std::string path = AskExportPath("Export - Save Flightplan", "Export FlightPlans.txt");
  if (path.empty()) return;
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  const PlanState& plan = host_.Plan();
  WriteExport(path, plan.WorkList, ExportedFlightCount(plan));
}

void SearchTab::ExportRemainderClicked() {
  if (host_.IsBusy()) return;
  std::string path = AskExportPath("Export remaining flights - Save Flightplan", "Remaining FlightPlans.txt");
  if (path.empty()) return;
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  std::vector<Flight> rest = RemainingFlights(host_.Plan());
  int count = static_cast<int>(rest.size());
  WriteExport(path, std::move(rest), count);
}

void SearchTab::PrintClicked() {
  if (host_.IsBusy()) return;
  const PlanState& plan = host_.Plan();
  PrintRequest request;
  request.dialogTitle = "Export - Print";
  request.owner = host_.Window();
  const int rows = model_->rowCount();
  // The printer dialog comes first: a cancelled one leaves the window as it
  // was. Once the user has confirmed it, the text is made in the busy frame
  // with its progress, and sent.
  std::optional<BusyFrame> busy;
  std::optional<LongOperation> progress;
  request.accepted = [&] {
    busy.emplace(host_);
    progress.emplace(host_, kMatchingAircraftStep, 3, 1);
    InstalledMatch installed(plan);
    progress->Step(kPrintingStep, 0);
    progress->SetMax(std::max(rows, 1));
    for (int r = 0; r < rows; ++r) {
      int k = model_->Entry(r);
      if (k < 0 || k >= static_cast<int>(plan.WorkList.size())) continue;
      const Flight& f = plan.WorkList[k];
      AppendFlightPrintout(request.text, f, installed.ByIdNoCase(f.AircraftId), geometry_.distance);
      host_.Progress()->SetValue(r + 1);
      if ((r + 1) % kPrintEventStride == 0) QCoreApplication::processEvents();
    }
  };
  PrintResult printed = PrintText(request);
  progress.reset();
  if (printed == PrintResult::Cancelled) return;
  if (printed == PrintResult::Failed) {
    ShowMessageBox(kPrintFailedMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  ShowMessageBox("Successfully printed " + std::to_string(rows) + " flights.", kMbOk | kMbIconQuestion,
                 kProgramTitle, host_.Window());
}

}  // namespace velk
