#include "app/plan_tab_services.h"

#include <QCollator>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/frm_main.h"
#include "data/plan_records.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

QString Text(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }

}  // namespace

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
  // Both choices list the airports in code order, so a code is found by
  // typing or scrolling whatever the order of Airports.txt.
  QStringList codes;
  const auto& airports = Plan().Airports;
  codes.reserve(static_cast<int>(airports.size()));
  for (const Airport& a : airports) codes << Text(a.Icao);
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(codes.begin(), codes.end(),
                   [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
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
