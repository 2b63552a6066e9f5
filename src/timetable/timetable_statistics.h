#pragma once
// The timetable statistics: arrivals and departures, the most aircraft on
// the ground at the listed airports in total and per aircraft class with the
// time it is reached, and the arrivals and departures of every hour of the
// time window, as a fixed-width text report (Windows-1252, CR LF lines).
#include <string>
#include <vector>

#include "data/plan_records.h"
#include "timetable/timetable_rows.h"

namespace velk {

// What the list was built for; shown in the report's first lines.
struct TimetableStatisticsFilter {
  std::string airports;  // the airport box as typed
  std::string day;       // the day choice's text ("#Week#", "Monday", ...)
  std::string start;     // time window texts; their hours bound the hour lines
  std::string end;
  std::string zone;      // the zone the rows are shown in
};

// Counts the rows in time order (a stable sort by the time text, so rows of
// equal time keep the order given). An arrival puts the flight's aircraft on
// the ground until the flight's next departure; a departure with no arrival
// before it counts an aircraft that stood there from the start. An aircraft
// already on the ground is not counted again by a second arrival. The class
// lines count aircraft whose installed aircraft has a class from 2 to 8;
// rows whose flight or aircraft is unknown count in the totals and hours.
std::string TimetableStatistics(const PlanState& plan, const std::vector<TimetableRow>& rows,
                                const TimetableStatisticsFilter& filter);

}  // namespace velk
