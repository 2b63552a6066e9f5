#include "timetable/ui/timetable_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "data/program_state.h"
#include "gui/box_check.h"
#include "gui/frm_progress.h"
#include "gui/list_row.h"
#include "gui/plan_host.h"
#include "gui/report_window.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/qt/qt_text.h"
#include "platform/set_messages.h"
#include "platform/text_file.h"
#include "timetable/timetable_statistics.h"
#include "timetable/timetable_text.h"

namespace velk {
namespace {

constexpr const char* kPreviewCaption = "Previe&w";
constexpr const char* kPrinterTitle = "Print Airport Timetable";
constexpr const char* kSaveTitle = "Save Airport Timetable";
constexpr const char* kSaveFileName = "Airport Timetable.txt";
constexpr const char* kSaveFailedMessage = "An error occured during writing the Airport Timetable.";
constexpr const char* kPrintFailedMessage = "An error occured during printing the Airport Timetable.";

const ReportTexts& StatisticsTexts() {
  static const ReportTexts texts{"frmTTStatistics",
                                 "Airport Timetable Statistics",
                                 "Successfully printed the Airport Timetable Statistics.",
                                 "An error occured during printing the Airport Timetable Statistics.",
                                 "Save Airport Timetable Statistics",
                                 "Successfully saved the Airport Timetable Statistics.",
                                 "An error occured during writing the Airport Timetable Statistics."};
  return texts;
}

// One row of the list, with the flight, leg and place in which Show found
// it; the leg number shows as the row's tip.
class TimetableItem : public ListRow {
 public:
  TimetableItem(QStringList texts, const TimetableRow& row, int order)
      : ListRow(std::move(texts)), flight(row.flight), leg(row.leg), order(order) {}

  QVariant data(int column, int role) const override {
    if (role == Qt::ToolTipRole && column == 0) return QString::number(leg);
    return ListRow::data(column, role);
  }

  const int flight;  // index in Flights
  const int leg;     // 0-based leg number
  const int order;   // position in which Show found it
};

// The texts of a row. `previous` holds those of the row made before it:
// rows of one flight come together and share its texts.
QStringList RowTexts(const TimetableRow& row, const TimetableRow* previous, const QStringList* previousTexts) {
  static const QString kArrive = QStringLiteral("Arrive");
  static const QString kDepart = QStringLiteral("Depart");
  const bool sameFlight = previous && previousTexts && previous->flight == row.flight;
  return {FromPlanText(row.time),
          row.kind == TimetableKind::Arrive ? kArrive : kDepart,
          FromPlanText(row.fromTo),
          sameFlight ? (*previousTexts)[3] : FromPlanText(row.airline),
          FromPlanText(row.flightNumber),
          sameFlight ? (*previousTexts)[5] : FromPlanText(row.aircraft),
          sameFlight ? (*previousTexts)[6] : FromPlanText(row.registration)};
}

std::string Plain(const QString& text) { return ToPlanText(text); }

}  // namespace

TimetableTab::TimetableTab(const TimetableControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host), shownZone_(controls.cmTTZone->currentText()) {
  QTreeWidget* list = c_.lvTimetable;
  list->sortByColumn(0, Qt::AscendingOrder);
  list->setSortingEnabled(true);
  connect(list->header(), &QHeaderView::sortIndicatorChanged, this, [list] {
    if (QTreeWidgetItem* current = list->currentItem()) list->scrollToItem(current);
  });
  connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelectedFlight(); });
  connect(c_.cmdTTShow, &QPushButton::clicked, this, &TimetableTab::Show);
  connect(c_.cmdTTPrint, &QPushButton::clicked, this, &TimetableTab::Print);
  connect(c_.cmdTTSave, &QPushButton::clicked, this, &TimetableTab::Save);
  connect(c_.cmdTTStatistics, &QPushButton::clicked, this, &TimetableTab::ShowStatistics);
  connect(c_.cmTTZone, &QComboBox::currentIndexChanged, this, &TimetableTab::ChangeZone);
  CheckOnLeaving(c_.txtTTStart, [this] { return ValidateStart(); });
  CheckOnLeaving(c_.txtTTEnd, [this] { return ValidateEnd(); });
  CheckOnLeaving(c_.txtTTPercent, [this] { return ValidatePercent(); });
}

TimetableTab::~TimetableTab() = default;

void TimetableTab::Reset() {
  c_.lvTimetable->clear();
  c_.lblTTPreview->setText(kPreviewCaption);
  c_.cmdTTPrint->setEnabled(false);
  c_.cmdTTSave->setEnabled(false);
  c_.cmdTTStatistics->setEnabled(false);
  c_.cmdTTShow->setEnabled(true);
  built_ = {};
}

TimetableFilter TimetableTab::ReadFilter() const {
  TimetableFilter f;
  f.airports = Plain(c_.txtTTAirport->text());
  QVariant day = c_.cmTTDay->currentData();
  f.day = day.isValid() ? day.toInt() : -1;
  f.start = Plain(c_.txtTTStart->text());
  f.end = Plain(c_.txtTTEnd->text());
  f.percent = Plain(c_.txtTTPercent->text());
  f.ifr = c_.ckTTIFR->checkState() == Qt::Checked;
  f.vfr = c_.ckTTVFR->checkState() == Qt::Checked;
  f.arrivals = c_.ckTTArrival->checkState() == Qt::Checked;
  f.departures = c_.ckTTDeparture->checkState() == Qt::Checked;
  f.zone = Plain(c_.cmTTZone->currentText());
  return f;
}

void TimetableTab::Show() {
  if (host_.IsBusy()) return;
  // Enter runs Show without the box losing the focus: check it here too.
  if (!ValidateStart() || !ValidateEnd() || !ValidatePercent()) return;
  BusyFrame busy(host_);
  TimetableFilter filter = ReadFilter();
  std::vector<TimetableRow> rows = BuildTimetable(host_.Plan(), filter);

  QTreeWidget* list = c_.lvTimetable;
  list->setUpdatesEnabled(false);
  list->setSortingEnabled(false);
  list->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  QStringList texts;
  for (size_t k = 0; k < rows.size(); ++k) {
    texts = RowTexts(rows[k], k > 0 ? &rows[k - 1] : nullptr, k > 0 ? &texts : nullptr);
    items.append(new TimetableItem(texts, rows[k], static_cast<int>(k)));
  }
  list->addTopLevelItems(items);
  c_.lblTTPreview->setText(QString("Previe&w (%1 flights found)").arg(rows.size()));
  list->setSortingEnabled(true);
  list->setUpdatesEnabled(true);
  list->clearSelection();
  if (QTreeWidgetItem* first = list->topLevelItem(0)) {
    list->setCurrentItem(first);
    first->setSelected(true);
    list->scrollToItem(first);
  }

  const bool any = !rows.empty();
  c_.cmdTTPrint->setEnabled(any);
  c_.cmdTTSave->setEnabled(any);
  c_.cmdTTStatistics->setEnabled(any && c_.cmTTDay->currentIndex() >= 1);
  built_ = {filter.airports, Plain(c_.cmTTDay->currentText()), filter.start, filter.end};
}

std::vector<TimetableRow> TimetableTab::ListedRows() const {
  std::vector<TimetableRow> rows;
  QTreeWidget* list = c_.lvTimetable;
  rows.reserve(static_cast<size_t>(list->topLevelItemCount()));
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list->topLevelItem(i);
    TimetableRow r;
    r.time = Plain(item->text(0));
    r.kind = item->text(1) == "Arrive" ? TimetableKind::Arrive : TimetableKind::Depart;
    r.fromTo = Plain(item->text(2));
    r.airline = Plain(item->text(3));
    r.flightNumber = Plain(item->text(4));
    r.aircraft = Plain(item->text(5));
    r.registration = Plain(item->text(6));
    auto* row = dynamic_cast<const TimetableItem*>(item);
    r.flight = row ? row->flight : -1;
    r.leg = row ? row->leg : 0;
    rows.push_back(std::move(r));
  }
  return rows;
}

void TimetableTab::Print() {
  if (host_.IsBusy()) return;
  std::vector<TimetableRow> rows = ListedRows();
  if (rows.empty()) return;
  PrintRequest request;
  request.dialogTitle = kPrinterTitle;
  request.text = TimetableText(rows, built_.airports, ReportDateText(), Plain(shownZone_));
  request.owner = host_.Window();
  std::optional<LongOperation> progress;
  const double count = static_cast<double>(rows.size());
  request.accepted = [&] { progress.emplace(host_, "Printing...", count, count); };
  PrintResult result = PrintText(request);
  progress.reset();
  if (result == PrintResult::Cancelled) return;
  if (result == PrintResult::Printed)
    ShowMessageBox("Successfully printed " + std::to_string(rows.size()) + " flights.", kMbOk | kMbIconQuestion,
                   kProgramTitle, host_.Window());
  else
    ShowMessageBox(kPrintFailedMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
}

void TimetableTab::Save() {
  if (host_.IsBusy()) return;
  std::vector<TimetableRow> rows = ListedRows();
  if (rows.empty()) return;
  FileDialogRequest request;
  request.save = true;
  request.title = kSaveTitle;
  request.filter = kTextFileFilter;
  request.filterIndex = 1;
  request.fileName = kSaveFileName;
  request.flags = kSaveDialogFlags;
  request.owner = host_.Window();
  std::string path = ShowFileDialog(request);
  if (path.empty()) return;
  bool written = false;
  std::string reason;
  {
    BusyFrame busy(host_);
    written = WriteFileAtomic(std::filesystem::path(path),
                              TimetableText(rows, built_.airports, ReportDateText(), Plain(shownZone_)), &reason);
  }
  if (written)
    ShowMessageBox("Successfully saved " + std::to_string(rows.size()) + " flights.", kMbOk | kMbIconQuestion,
                   kProgramTitle, host_.Window());
  else
    ShowMessageBox(WithWriteFailure(kSaveFailedMessage, path, reason), kMbOk | kMbIconCritical, kProgramTitle,
                   host_.Window());
}

void TimetableTab::ShowStatistics() {
  if (host_.IsBusy() || statistics_) return;
  std::vector<TimetableRow> rows = ListedRows();
  if (rows.empty()) return;
  std::string report;
  {
    BusyFrame busy(host_);
    // Rows of the same time are counted in the order Show found them,
    // whatever column the list is sorted by now.
    std::vector<std::pair<int, size_t>> order;
    order.reserve(rows.size());
    for (int i = 0; i < c_.lvTimetable->topLevelItemCount(); ++i) {
      auto* row = dynamic_cast<const TimetableItem*>(c_.lvTimetable->topLevelItem(i));
      order.emplace_back(row ? row->order : i, static_cast<size_t>(i));
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TimetableRow> found;
    found.reserve(rows.size());
    for (const auto& [position, index] : order) found.push_back(std::move(rows[index]));
    report = TimetableStatistics(host_.Plan(), found,
                                 {built_.airports, built_.day, built_.start, built_.end, Plain(shownZone_)});
  }
  QPointer<TimetableTab> self(this);
  statistics_ = ShowReportWindow(StatisticsTexts(), kTimetableStatisticsCaption,
                                 "Airport Timetable Statistics.txt", report, host_.Window(), [self] {
                                   if (self) self->host_.Reactivate();
                                 });
}

ReportWindow* TimetableTab::StatisticsWindow() const { return statistics_.data(); }

void TimetableTab::SortNow() {
  // Switching sorting off and on sorts once by the current column and order.
  c_.lvTimetable->setSortingEnabled(false);
  c_.lvTimetable->setSortingEnabled(true);
}

void TimetableTab::ChangeZone() {
  const QString zone = c_.cmTTZone->currentText();
  const std::string from = Plain(shownZone_);
  const std::string to = Plain(zone);
  QTreeWidget* list = c_.lvTimetable;
  list->setSortingEnabled(false);
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    item->setText(0, FromPlanText(RelabelTimetableTime(Plain(item->text(0)), from, to)));
  }
  SortNow();
  if (QTreeWidgetItem* current = list->currentItem()) list->scrollToItem(current);
  shownZone_ = zone;
  c_.cmTTZone->setProperty("Tag", zone);
  Program().TimetableZone = to;
}

void TimetableTab::EditSelectedFlight() {
  if (host_.IsBusy()) return;
  const QList<QTreeWidgetItem*> selected = c_.lvTimetable->selectedItems();
  if (selected.isEmpty()) return;
  auto* row = dynamic_cast<const TimetableItem*>(selected.front());
  if (!row) return;
  const int flight = row->flight;
  PlanState& plan = host_.Plan();
  // A row left from before the plan changed may name a flight that is no
  // longer there; it opens nothing.
  if (flight < 0 || static_cast<size_t>(flight) >= plan.Flights.size()) return;
  int leg = row->leg;
  if (leg < 0 || leg >= plan.Flights[static_cast<size_t>(flight)].LegCount()) leg = 0;
  if (!host_.UndoHeld()) host_.SaveUndo();
  bool inWorkList = false;
  if (!host_.EditFlight(flight, inWorkList, leg).empty()) host_.MarkPlanModified();
  host_.Reactivate();
}

bool TimetableTab::Check(QLineEdit* box, const std::string& message) {
  if (message.empty()) return true;
  ShowMessageBox(message, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
  box->setFocus();
  box->selectAll();
  return false;
}

bool TimetableTab::ValidateStart() { return Check(c_.txtTTStart, CheckTimetableTime(Plain(c_.txtTTStart->text()))); }

bool TimetableTab::ValidateEnd() { return Check(c_.txtTTEnd, CheckTimetableTime(Plain(c_.txtTTEnd->text()))); }

bool TimetableTab::ValidatePercent() {
  return Check(c_.txtTTPercent, CheckTimetablePercent(Plain(c_.txtTTPercent->text())));
}

}  // namespace velk
