#pragma once
// The texts of a row of the search result list: one row per work-list
// entry, twelve columns, and a thirteenth ("Errors") while a report with
// findings is shown. Plan times are shown in the list's display zone, a
// weekly flight's day prefix moving with them across midnight.
#include <array>
#include <string>
#include <string_view>

#include "data/plan_records.h"

namespace velk {

inline constexpr int kResultColumns = 12;
inline constexpr int kErrorsColumn = 12;  // present only with findings
inline constexpr int kDepartColumn = 7;
inline constexpr int kArriveColumn = 8;
inline constexpr int kAircraftColumn = 1;
// Headers of the thirteen columns, the last one being "Errors".
extern const std::array<const char*, kResultColumns + 1> kResultHeaders;
inline constexpr const char* kNotFoundText = "# NOT FOUND #";

using ResultCells = std::array<std::string, kResultColumns>;

// The row of `flight`: airline and title of its installed aircraft
// (`installed`; null gives "# NOT FOUND #" and ""), the AC# number as
// "0000", registration, departure ICAO, the stops joined by " - ", the
// period ("02Hr"; "WEEK" as stored), departure and arrival shown in `zone`,
// flight rules, the last leg's level and the percent as stored. A number
// that is not a number is shown as stored.
void FormatResultRow(const Flight& flight, const FSAircraft* installed, std::string_view zone, ResultCells& cells);

// A stored plan time ("hh:mm:ss" GMT, or "d/hh:mm:ss") shown in `zone`. A
// time part that does not read leaves the day prefix alone.
std::string ZoneTimeCell(std::string_view stored, std::string_view zone);

// A cell shown in zone `from`, shown in zone `to` instead (through GMT, the
// day prefix carried through both steps). A cell whose time part does not
// read is left as it is.
std::string ReshiftTimeCell(std::string_view cell, std::string_view from, std::string_view to);

}  // namespace velk
