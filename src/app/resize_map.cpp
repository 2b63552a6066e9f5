#include "app/resize_map.h"

#include <QWidget>

#include "app/c_resize.h"

namespace velk {

// The tab strip and its five pages are sized by the window's layout and the
// tab widget, so they are not in the map. Controls inside a frame are moved
// with the frame: only their horizontal growth with the frame is mapped
// (picProjectDummy and its fields), and the option buttons of a frame that
// keeps its size are not mapped at all, so they never leave their frame.
const std::vector<ResizeMapRow>& MainWindowResizeMap() {
  static const std::vector<ResizeMapRow> map{
      // Shuffle
      {"cmShufflerView", 0, 0, 0, 1},
      {"tvShuffleAircraft", 0, 0, 1, 1},
      {"lblStartNumber", 1, 0, 0, 0},
      {"txtStartNumber", 1, 0, 0, 0},
      {"cmdCalcStartNumber", 1, 0, 0, 0},
      {"ckOverwriteTailNumber", 1, 0, 0, 0},
      {"ckRemoveMinus", 1, 0, 0, 0},
      {"ckCheckFL", 1, 0, 0, 0},
      {"ckIFRVFR", 1, 0, 0, 0},
      {"ckCheckVisitedAirports", 1, 0, 0, 0},
      {"cmdShuffle", 1, 2, 1, 2},
      {"cmdACTypeDat", 1, 2, 1, 2},
      // Move
      {"cmMoveView", 0, 0, 0, 1},
      {"lblMoveAircrafts", 0, 0, 0, 0},
      {"tvMoveAircrafts", 0, 0, 1, 1},
      {"lblSource", 1, 0, 0, 0},
      {"cmSource", 1, 0, 0, 2},
      {"lblDest", 1, 2, 0, 0},
      {"cmDest", 1, 2, 0, 1},
      {"cmdMove", 1, 0, 1, 0},
      {"cmdMovePercent", 1, 0, 1, 0},
      {"cmdMoveSave", 1, 1, 1, 1},
      {"cmdMoveLoad", 1, 1, 1, 1},
      {"cmdMoveExecute", 1, 1, 1, 1},
      // Export/Search
      {"lblExDeparture", 0, 0, 0, 0},
      {"txtExDeparture", 0, 0, 0, 2},
      {"lblExLeg", 0, 2, 0, 0},
      {"txtExLeg", 0, 2, 0, 1},
      {"lblExContinent", 0, 0, 0, 0},
      {"txtExContinent", 0, 0, 0, 2},
      {"lblExCountry", 0, 2, 0, 0},
      {"txtExCountry", 0, 2, 0, 1},
      {"lblExAirline", 0, 0, 0, 0},
      {"txtExAirline", 0, 0, 0, 2},
      {"lblExportAircraft", 0, 2, 0, 0},
      {"cmExportAircraft", 0, 2, 0, 1},
      {"lblExClass", 0, 0, 0, 1},
      {"cmExClass", 0, 0, 0, 1},
      {"lblExZone", 0, 1, 0, 1},
      {"cmExZone", 0, 1, 0, 1},
      {"frIFRVFR", 0, 1, 0, 1},
      {"frSearchType", 0, 1, 0, 1},
      {"lblExPreview", 0, 0, 0, 0},
      {"lvExPreview", 0, 0, 1, 1},
      {"cmdEditFlight", 1, 0, 1, 0},
      {"cmdAddFlight", 1, 0, 1, 0},
      {"cmdDeleteFlight", 1, 0, 1, 0},
      {"cmdPreview", 1, 1, 1, 1},
      {"cmdExport", 1, 1, 1, 1},
      {"cmdExportRemainder", 1, 1, 1, 1},
      {"cmdExportPrint", 1, 1, 1, 1},
      // Project
      {"lvProject", 0, 0, 1, 1},
      {"frProject", 1, 0, 1, 1},
      {"picProjectDummy", 0, 0, 0, 1},
      {"txtProjectFile", 0, 0, 0, 1},
      {"cmdProjectFile", 0, 1, 0, 1},
      {"txtProjectAC", 0, 0, 0, 1},
      {"cmdProjectAC", 0, 1, 0, 1},
      {"txtProjectDescription", 0, 0, 0, 1},
      {"cmdProjectCompile", 1, 2, 1, 2},
      {"cmdProjectMerge", 1, 2, 1, 2},
      {"cmdProjectAdd", 1, 2, 1, 2},
      {"cmdProjectDelete", 1, 2, 1, 2},
      // Timetable
      {"txtTTAirport", 0, 0, 0, 1},
      {"lblTTZone", 0, 1, 0, 1},
      {"cmTTZone", 0, 1, 0, 1},
      {"lvTimetable", 0, 0, 1, 1},
      {"cmdTTShow", 1, 2, 1, 2},
      {"cmdTTPrint", 1, 2, 1, 2},
      {"cmdTTSave", 1, 2, 1, 2},
      {"cmdTTStatistics", 1, 2, 1, 2},
  };
  return map;
}

int MapMainWindowControls(cResize& resizer, QWidget* window) {
  int found = 0;
  for (const ResizeMapRow& row : MainWindowResizeMap()) {
    auto* control = window->findChild<QWidget*>(row.Name);
    if (!control) continue;
    resizer.Map(control, row.Top, row.Left, row.Bottom, row.Right, 1);
    ++found;
  }
  return found;
}

}  // namespace velk
