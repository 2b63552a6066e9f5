#include "airport_tools/ui/frm_airport_info.h"

#include "airport_tools/airport_report.h"
#include "gui/plan_host.h"
#include "gui/report_window.h"
#include "data/scenery_airports.h"

namespace velk {

ReportWindow* ShowAirportInfo(PlanHost& host, int sceneryIndex, QWidget* owner) {
  const std::vector<SceneryAirport>& scenery = SceneryAirports();
  if (sceneryIndex < 0 || static_cast<size_t>(sceneryIndex) >= scenery.size()) return nullptr;
  static const ReportTexts texts{"frmAirportInfo",
                                 "Print Airport Information",
                                 "Successfully printed the Airport Information.",
                                 "An error occured during printing the Airport Information.",
                                 "Save Airport Information",
                                 "Successfully saved the Airport Information.",
                                 "An error occured during writing the Airport Information."};
  const SceneryAirport& airport = scenery[static_cast<size_t>(sceneryIndex)];
  return ShowReportWindow(texts, AirportReportCaption(airport), airport.ICAO + ".txt", AirportReport(airport), owner,
                          [&host] { host.Reactivate(); });
}

}  // namespace velk
