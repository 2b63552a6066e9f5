#pragma once
// The Edit Flight dialog without its widgets: a working copy of one flight,
// what every control of the dialog shows, and one operation per thing the
// user does. The dialog (ui/frm_flight_edit.h) only mirrors this state into
// its controls and calls back in here.
//
// Stored times stay GMT ("hh:mm:ss", weekly "d/hh:mm:ss" with d 0 = Sunday);
// the leg list and the leg frame show them in the display zone. The leg list
// is always derived from the working copy, so no cell can disagree with the
// stored leg it shows. Texts are Windows-1252 bytes.
//
// Distances and courses come from the geodesy functions and so from the
// program's loaded plan; the plan passed in must be that plan (the main
// window's) for the leg geometry to match the airports listed.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/flight_timings.h"
#include "data/plan_records.h"
#include "flight_editor/prompter.h"

namespace velk {

inline constexpr const char* kLegFrameCaption = "Edit Le&g properties";
inline constexpr const char* kInvalidTimeMessage = "Invalid time format (hh:mm[:ss])";
inline constexpr const char* kFlightLevelRangeMessage = "Flight Level has to be a value between 10 and 999";
inline constexpr const char* kPercentRangeMessage = "Percent has to be a value between 1 and 99.";
// A "," or ";" or "//" would split or end the flight's line in FlightPlans.txt.
inline constexpr const char* kRegistrationCharsMessage =
    "The Registration must not contain ',', ';' or '//'.";
inline constexpr const char* kFlightNumberCharsMessage =
    "The Flight Number must not contain ',', ';' or '//'.";
inline constexpr const char* kSelectAircraftMessage = "You need to select an aircraft to save the flight.";
inline constexpr const char* kDeleteLegQuestion = "Are you sure to delete the leg?";
inline constexpr const char* kRemoveWeeklyQuestion = "Are you sure to remove the weekly flight?";

// The periods the dialog offers, with their length in hours (-1 weekly).
struct FlightPeriod {
  const char* text;
  int hours;
};
extern const std::array<FlightPeriod, 8> kFlightPeriods;
// "Sunday" .. "Saturday": the day digit of a weekly time is the position.
extern const std::array<const char*, 7> kDayNames;

// One row of the leg list, columns "From" to "Flight Level".
struct LegRow {
  std::string From;
  std::string To;
  std::string Depart;
  std::string Arrive;
  std::string FlightNumber;
  std::string FlightLevel;
  bool operator==(const LegRow&) const = default;
};

// What the leg frame shows. Box texts are what the boxes hold; a box's text
// reaches the leg only through the commit of that box.
struct LegFrame {
  bool enabled = false;   // the frame and its From, To, Time, Level, Number boxes
  std::string caption = kLegFrameCaption;
  std::string departure;  // From, "" no selection
  std::string arrival;    // To, "" no selection
  std::string time;       // departure in the display zone
  int day = -1;           // shown departure day 0..6 (weekly), -1 none
  bool dayEnabled = false;
  std::string level;
  std::string number;
  bool useNumber = false;
  bool fixedEta = false;
  bool etaEnabled = false;  // follows fixedEta
  std::string eta;          // arrival in the display zone
  bool addEnabled = false;
  bool deleteEnabled = false;
  bool operator==(const LegFrame&) const = default;
};

// One entry of the aircraft list: "Title (Id)" and its PlanAircraftList index.
struct AircraftItem {
  std::string text;
  int planIndex = -1;
  bool operator==(const AircraftItem&) const = default;
};

// The three plausibility switches of the dialog.
struct EditChecks {
  bool range = true;
  bool levels = true;
  bool times = true;
};

// What OK decided: accepted with the text the caller shows for the
// aircraft, or not accepted (the dialog stays open).
struct OkOutcome {
  bool accepted = false;
  std::string result;
};

class FlightEditSession {
 public:
  // Opens `flight` (copied twice: the working copy and the copy Undo goes
  // back to) with `zone` as display zone ("GMT" when it is not one of the
  // offered zones) and the row of leg `selectLeg` selected (the first row
  // when it names no leg). Arrivals that are not fixed are recomputed
  // before anything is shown.
  FlightEditSession(const PlanState& plan, const Flight& flight, std::string zone, int selectLeg);

  // ---- What the controls show --------------------------------------------
  const Flight& Work() const { return work_; }
  const std::vector<AircraftItem>& AircraftItems() const { return aircraftItems_; }
  int SelectedAircraftItem() const { return aircraftItem_; }  // index into AircraftItems(), -1 none
  // Every Airports ICAO, sorted, plus codes the legs name that are not in it.
  const std::vector<std::string>& AirportItems() const { return airportItems_; }
  const std::string& RegistrationText() const { return registrationText_; }
  const std::string& PercentText() const { return percentText_; }
  int PeriodItem() const { return periodItem_; }  // index into kFlightPeriods, -1 none
  const std::string& Zone() const { return zone_; }
  bool IsIfr() const;
  std::vector<LegRow> Rows() const;
  int SelectedLeg() const { return selectedLeg_; }  // -1 while no row is selected
  const LegFrame& Frame() const { return frame_; }
  EditChecks checks;

  // ---- Leg selection and the leg frame's boxes ----------------------------
  // Shows leg `leg` in the leg frame (-1 or an index beyond the legs clears
  // the frame), recomputing the shown arrival as a departure edit would.
  void SelectLeg(int leg);
  // The departure box's text changed: the shown leg's arrival follows it at
  // once (unless fixed); the departure itself is stored by CommitDeparture.
  void EditTime(std::string_view text);
  // The arrival box's text changed: stored when the arrival is fixed.
  void EditEta(std::string_view text);
  // Stores the departure box into the shown leg and writes the box again
  // as "HH:MM:SS". A text that is no time stores nothing.
  void CommitDeparture();
  void CommitLevel(std::string_view text);
  void CommitNumber(std::string_view text);
  void CommitRegistration(std::string_view text);
  void CommitPercent(std::string_view text);
  void SetIfr(bool ifr);

  // Box checks: the message to show when the text is refused, else nothing.
  static std::optional<std::string> CheckTime(std::string_view text);
  static std::optional<std::string> CheckLevel(std::string_view text);
  static std::optional<std::string> CheckPercent(std::string_view text);
  static std::optional<std::string> CheckRegistration(std::string_view text);
  static std::optional<std::string> CheckFlightNumber(std::string_view text);

  // ---- The ring of legs -----------------------------------------------------
  // A new leg after the shown one (before the last leg when the last is
  // shown): same level and destination as the leg before it, departing an
  // hour after that leg's arrival, flight number "0000". It is then shown.
  void AddLeg();
  // Deletes the shown leg after asking; the first and the last leg are never
  // deleted. True when a leg went.
  bool DeleteLeg(Prompter& prompter);
  // A new origin for the shown leg is the destination of the leg before it
  // in the ring; a new destination is the shown leg's own.
  void SetDepartureAirport(std::string_view icao);
  void SetDestinationAirport(std::string_view icao);
  // The shown weekly leg departs on day `day` (0 Sunday) at the shown time.
  void SetDay(int day);
  void SetFixedEta(bool fixed);
  void SetUseNumber(bool useNumber);
  // The aircraft of AircraftItems()[item]; arrivals follow its speed.
  void SelectAircraft(int item);

  // ---- Period and display zone ------------------------------------------------
  // Period kFlightPeriods[item]. Entering "WEEK" puts every leg on Sunday;
  // leaving it (after asking) strips the days; between hourly periods only
  // the text changes.
  void SelectPeriod(int item, Prompter& prompter);
  // Shows every time in `zone`; the stored times do not change.
  void SelectZone(std::string_view zone);

  // ---- Derived data -------------------------------------------------------
  // Recomputes the arrival of every leg that is not fixed from its
  // departure, its distance and the chosen aircraft's cruise speed.
  void UpdateArrivalTimes();
  // Rebuilds the leg frame's caption: distance, course and level text.
  void UpdateLegCaption();

  // ---- Whole flight ---------------------------------------------------------
  // Back to the flight as it was opened, with the first row selected.
  void Undo();
  // The OK checks: an aircraft is required, then the range and level of
  // every leg and the flight times, each warning asked through `prompter`.
  // A "No" selects the leg concerned and gives a not-accepted outcome.
  OkOutcome RunOkChecks(Prompter& prompter, const TurnAroundLimits& turnAround);

  // PlanAircraftList index of the chosen aircraft, -1 none; FSAircraftList
  // index of the installed aircraft of the same title, -1 none.
  int PlanAircraftIndex() const;
  int InstalledIndex() const;
  // Hours of the period for the time checks: the period box's entry, else
  // the number of a period such as "3Hr", else 24.
  int PeriodHoursForChecks() const;

 private:
  void Fill();
  void ClearFrame();
  bool IsWeekly() const;
  const char* PeriodText() const;
  FlightLeg* ShownLeg();
  void ComputeArrival();   // the departure box changed
  void StoreArrival();     // the arrival box holds a new arrival
  std::string ZoneClock(std::string_view gmt, std::string* dayPrefix) const;
  bool Warn(Prompter& prompter, const std::string& line);
  bool CheckTimes(Prompter& prompter, const TurnAroundLimits& turnAround);

  const PlanState& plan_;
  Flight work_;
  Flight undo_;
  std::unordered_map<std::string, int> aircraftMap_;  // plan aircraft Id -> installed index
  std::vector<AircraftItem> aircraftItems_;
  int aircraftItem_ = -1;
  std::vector<std::string> airportItems_;
  std::string registrationText_;
  std::string percentText_;
  int periodItem_ = -1;
  std::string zone_;
  int selectLeg_ = -1;
  int selectedLeg_ = -1;
  LegFrame frame_;
};

}  // namespace velk
