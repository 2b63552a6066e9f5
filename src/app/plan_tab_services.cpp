#include "app/plan_tab_services.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/frm_main.h"
#include "app/frm_progress.h"
#include "app/plan_files.h"
#include "data/plan_records.h"
#include "data/program_state.h"
#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"

namespace velk {

void ClearTimetableTab(frmMain& m) {
  m.lvTimetable->clear();
  m.lblTTPreview->setText("Previe&w");
  m.cmdTTPrint->setEnabled(false);
  m.cmdTTSave->setEnabled(false);
  m.cmdTTStatistics->setEnabled(false);
  m.cmdTTShow->setEnabled(true);
}

void ClearSearchTab(frmMain& m) {
  m.cmdExport->setEnabled(false);
  m.cmdExportRemainder->setEnabled(false);
  m.cmdExportPrint->setEnabled(false);
  m.cmdEditFlight->setEnabled(false);
  m.cmdAddFlight->setEnabled(true);
  m.cmdDeleteFlight->setEnabled(false);
  m.lvExPreview->clear();
  m.cmdPreview->setEnabled(true);
  m.lblExPreview->setText("Previe&w");
  m.cmExportAircraft->clear();
  m.cmExportAircraft->addItem("#None#", -1);
  const auto& aircraft = Plan().PlanAircraftList;
  for (size_t i = 0; i < aircraft.size(); ++i)
    m.cmExportAircraft->addItem(FromPlanText(aircraft[i].Title + " (" + aircraft[i].Id + ")"), static_cast<int>(i));
  m.cmExportAircraft->setCurrentIndex(0);
  if (m.cmExClass->count() > 0) m.cmExClass->setCurrentIndex(0);
}

void SearchFlights(frmMain& m, const std::string& /*first*/, const std::string& /*second*/, int mode) {
  PlanState& plan = Plan();
  m.BeginBusy();
  {
    LongOperation op(m, "Searching in Flights...", 4, 2);
    plan.WorkList.clear();
    plan.WorkListIndex.clear();
    plan.WorkListNotes.clear();
    std::vector<int> found;
    if (mode == kSearchAircraftNotFound) found = FlightsOfMissingAircraft(plan);
    for (int i : found) {
      plan.WorkList.push_back(plan.Flights[static_cast<size_t>(i)]);
      plan.WorkListIndex.push_back(i);
      plan.WorkListNotes.emplace_back();
    }

    op.Step("Filling View...", 3);
    // The installed aircraft each plan aircraft id stands for.
    std::vector<int> match = MatchInstalledAircraft(plan);
    std::unordered_map<std::string, int> installedById;
    for (size_t i = 0; i < plan.PlanAircraftList.size(); ++i)
      if (match[i] >= 0) installedById.emplace(plan.PlanAircraftList[i].Id, match[i]);
    std::string zone = ToPlanText(m.cmExZone->currentText());

    QTreeWidget* list = m.lvExPreview;
    list->setUpdatesEnabled(false);
    list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<int>(plan.WorkList.size()));
    for (size_t k = 0; k < plan.WorkList.size(); ++k) {
      const Flight& f = plan.WorkList[k];
      auto it = installedById.find(f.AircraftId);
      const FSAircraft* matched =
          it == installedById.end() ? nullptr : &plan.FSAircraftList[static_cast<size_t>(it->second)];
      auto* row = new QTreeWidgetItem;
      std::vector<std::string> texts = SearchResultRow(f, matched, zone);
      for (size_t c = 0; c < texts.size(); ++c) row->setText(static_cast<int>(c), FromPlanText(texts[c]));
      row->setData(0, Qt::UserRole, static_cast<int>(k));
      rows.append(row);
    }
    list->addTopLevelItems(rows);
    list->setUpdatesEnabled(true);
    m.lblExPreview->setText(QString("Previe&w (%1 flights found)").arg(list->topLevelItemCount()));
    m.DeselectAllSearchResults();
    if (list->topLevelItemCount() > 0) {
      list->setCurrentItem(list->topLevelItem(0));
      list->topLevelItem(0)->setSelected(true);
    }
  }
  m.EndBusy();
}

}  // namespace velk
