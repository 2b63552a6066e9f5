#pragma once
// The rows of the airport timetable: every arrival at and departure from the
// chosen airports over a time window of one day, shown in a display zone,
// filtered by weekday (weekly flights), AI percent, flight rules and row
// kind. Also the re-labelling of listed rows to another zone and the checks
// of the tab's time and percent boxes. Texts are Windows-1252 bytes.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/plan_records.h"

namespace velk {

// What the Timetable tab's boxes held when the list was built.
struct TimetableFilter {
  std::string airports;  // the airport box as typed: ICAO codes separated by ","
  int day = -1;          // weekday of weekly flights: -1 every day, 0 Sunday .. 6 Saturday
  std::string start = "00:00:00";  // time window, inclusive, no wrap over midnight
  std::string end = "23:59:59";
  std::string percent = "100";  // flights of at most this AI percent are listed
  bool ifr = true;
  bool vfr = true;
  bool arrivals = true;
  bool departures = true;
  std::string zone = "GMT";  // display zone of the times
};

enum class TimetableKind { Arrive, Depart };

// One row of the list. Arrive: leg `leg` of flight `flight` arrives at a
// listed airport; Depart: leg `leg` leaves from there.
struct TimetableRow {
  std::string time;  // "HH:MM:SS" in the zone; weekly flights add " (Weekday)"
  TimetableKind kind = TimetableKind::Arrive;
  std::string fromTo;        // where the arrival comes from / the departure goes to
  std::string airline;       // ATC airline of the installed aircraft, "" when none
  std::string flightNumber;
  std::string aircraft;      // "maker/type" of the installed aircraft, or "# NOT FOUND #"
  std::string registration;
  int flight = 0;  // index in PlanState::Flights
  int leg = 0;     // 0-based leg number
};

inline constexpr const char* kAircraftNotFound = "# NOT FOUND #";

// "Arrive" or "Depart".
const char* TimetableKindText(TimetableKind kind);

// The airport box text as the list the legs are matched against: blanks
// removed, upper case, framed by ","; "eddf, eddm" gives ",EDDF,EDDM,", an
// empty box ",".
std::string TimetableAirportList(std::string_view boxText);

// The airport list of the box, for testing a leg's destination against it.
class TimetableAirports {
 public:
  explicit TimetableAirports(std::string_view boxText);
  // True when "," + icao + "," occurs in the list: the stored code as it
  // stands (a lower-case code never matches the upper-cased list).
  bool Contains(std::string_view icao) const;

 private:
  std::string list_;
  std::vector<std::pair<size_t, size_t>> codes_;  // start and length of each text between two commas
};

// The rows of the timetable in the order they are found: flights in plan
// order, legs in flying order, an arrival before the departure that follows
// it, hourly flights repeated through the day. A leg qualifies when its
// destination is in the airport list (the stored code as it stands), the
// flight is not removed, its percent is not above the filter's, and its
// rules are exactly "IFR" or "VFR" with that box checked. A filter whose
// start, end or percent text is unreadable lists nothing.
std::vector<TimetableRow> BuildTimetable(const PlanState& plan, const TimetableFilter& filter);

// A row's time text moved from the zone it is shown in to another one, the
// weekday suffix following over midnight: "23:30:00 (Saturday)" from "GMT"
// to "GMT +01:00" gives "00:30:00 (Sunday)". An unreadable time is kept.
std::string RelabelTimetableTime(std::string_view text, std::string_view fromZone,
                                 std::string_view toZone);

// The checks of the start and end boxes and of the percent box: "" when the
// text is accepted, else the message to show.
std::string CheckTimetableTime(std::string_view text);
std::string CheckTimetablePercent(std::string_view text);

inline constexpr const char* kTimetableTimeMessage = "Invalid time format.";
inline constexpr const char* kTimetableNumberMessage = "Invalid numeric format.";
inline constexpr const char* kTimetablePercentHighMessage = "Percent value should be not greater than 100.";
inline constexpr const char* kTimetablePercentLowMessage = "Percent value should be not less than 1.";

}  // namespace velk
