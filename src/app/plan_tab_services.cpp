#include "app/plan_tab_services.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/frm_main.h"
#include "data/plan_records.h"
#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"

namespace velk {
int& MovePercentage() {
  static int percentage = -1;
  return percentage;
}

void ClearTimetableTab(frmMain& m) {
  m.lvTimetable->clear();
  m.lblTTPreview->setText("Previe&w");
  m.cmdTTPrint->setEnabled(false);
  m.cmdTTSave->setEnabled(false);
  m.cmdTTStatistics->setEnabled(false);
  m.cmdTTShow->setEnabled(true);
}

void FillMoveAirportLists(frmMain& m) {
  MovePercentage() = -1;
  m.cmSource->clear();
  m.cmDest->clear();
  // Both choices keep their lists sorted, as sorted choices do: by code
  // without regard to case (Windows-1252 letters folded), the same for every
  // user whatever the locale; codes that differ only in case stay in file
  // order.
  std::vector<std::pair<std::string, const std::string*>> sorted;
  const auto& airports = Plan().Airports;
  sorted.reserve(airports.size());
  for (const Airport& a : airports) sorted.emplace_back(UpperCp1252(a.Icao), &a.Icao);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList codes;
  codes.reserve(static_cast<int>(sorted.size()));
  for (const auto& entry : sorted) codes << FromPlanText(*entry.second);
  m.cmSource->addItems(codes);
  m.cmDest->addItems(codes);
  if (!codes.isEmpty()) {
    m.cmSource->setCurrentIndex(0);
    m.cmDest->setCurrentIndex(0);
  }
  m.cmdMoveSave->setEnabled(false);
  m.cmdMoveExecute->setEnabled(false);
  bool any = m.cmSource->count() > 0;
  m.cmdMove->setEnabled(any);
  m.cmdMovePercent->setEnabled(any);
  m.cmdMoveLoad->setEnabled(any);
}

}  // namespace velk
