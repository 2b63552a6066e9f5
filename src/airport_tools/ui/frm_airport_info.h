#pragma once
// The airport information window: the report of one scenery airport in the
// shared report window, with its own print and save texts.
class QWidget;

namespace velk {

class PlanHost;
class ReportWindow;

// Opens the report of SceneryAirports()[sceneryIndex] modal over `owner`
// and returns the window (it deletes itself when closed); null for an index
// that names no scenery airport.
ReportWindow* ShowAirportInfo(PlanHost& host, int sceneryIndex, QWidget* owner);

}  // namespace velk
