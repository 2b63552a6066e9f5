#include "flight_editor/flight_edit_session.h"

#include <algorithm>

#include "data/installed_aircraft.h"
#include "data/flight_levels.h"
#include "data/geodesy.h"
#include "data/text_number.h"
#include "data/times_zones.h"
#include "platform/ascii_text.h"
#include "platform/text_codec.h"

namespace velk {

const std::array<FlightPeriod, 8> kFlightPeriods = {{{"1Hr", 1},
                                                     {"2Hr", 2},
                                                     {"4Hr", 4},
                                                     {"6Hr", 6},
                                                     {"8Hr", 8},
                                                     {"12Hr", 12},
                                                     {"24Hr", 24},
                                                     {"WEEK", -1}}};

const std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

namespace {

// A time text cut at its first "/": the day prefix with its "/" and the
// time after it; no "/" gives an empty prefix.
struct SplitTime {
  std::string prefix;
  std::string time;
};
SplitTime Split(std::string_view text) {
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return {"", std::string(text)};
  return {std::string(text.substr(0, slash + 1)), std::string(text.substr(slash + 1))};
}

// 0..6 for "0/".."6/", else -1.
int DayOfPrefix(std::string_view prefix) {
  for (int d = 0; d < 7; ++d)
    if (prefix == kDayPrefixes[d]) return d;
  return -1;
}

// Lists show their items sorted without regard to case; equal items keep
// their order.
bool SortsBefore(const std::string& a, const std::string& b) { return UpperCp1252(a) < UpperCp1252(b); }

// A whole number as a validated box holds it: blanks allowed, halves to even.
std::optional<std::int64_t> BoxNumber(std::string_view text) {
  auto v = text_number::ParseDecimal(text);
  if (!v) return std::nullopt;
  return text_number::RoundHalfEven(*v);
}

bool BreaksPlanLine(std::string_view text) {
  return text.find(',') != std::string_view::npos || text.find(';') != std::string_view::npos ||
         text.find("//") != std::string_view::npos;
}

}  // namespace

FlightEditSession::FlightEditSession(const PlanState& plan, const Flight& flight, std::string zone, int selectLeg)
    : plan_(plan), work_(flight), undo_(flight), zone_("GMT"), selectLeg_(selectLeg) {
  for (const char* z : kTimeZoneNames)
    if (zone == z) zone_ = std::move(zone);
  Fill();
  UpdateArrivalTimes();
}

// ---- Filling ---------------------------------------------------------------

void FlightEditSession::Fill() {
  airportItems_.clear();
  for (const Airport& a : plan_.Airports) airportItems_.push_back(a.Icao);
  // A leg may name an airport the plan's list lacks; it is listed too, so the
  // leg frame can show it.
  for (const FlightLeg& leg : work_.Legs) {
    if (std::find(airportItems_.begin(), airportItems_.end(), leg.DestinationIcao) == airportItems_.end())
      airportItems_.push_back(leg.DestinationIcao);
  }
  std::stable_sort(airportItems_.begin(), airportItems_.end(), SortsBefore);

  aircraftMap_ = InstalledAircraftByPlanId(plan_);
  aircraftItems_.clear();
  int selectedPlanIndex = -1;
  for (size_t i = 0; i < plan_.PlanAircraftList.size(); ++i) {
    const PlanAircraft& a = plan_.PlanAircraftList[i];
    aircraftItems_.push_back({a.Title + " (" + a.Id + ")", static_cast<int>(i)});
    if (a.Id == work_.AircraftId) selectedPlanIndex = static_cast<int>(i);
  }
  std::stable_sort(aircraftItems_.begin(), aircraftItems_.end(),
                   [](const AircraftItem& a, const AircraftItem& b) { return SortsBefore(a.text, b.text); });
  aircraftItem_ = -1;
  for (size_t k = 0; k < aircraftItems_.size(); ++k)
    if (aircraftItems_[k].planIndex == selectedPlanIndex) aircraftItem_ = static_cast<int>(k);

  registrationText_ = work_.Registration;
  percentText_.clear();
  for (char c : work_.Percent)
    if (c != '%') percentText_.push_back(c);
  periodItem_ = -1;
  for (size_t k = 0; k < kFlightPeriods.size(); ++k)
    if (EqualsNoCase(work_.Period, kFlightPeriods[k].text)) periodItem_ = static_cast<int>(k);

  int row = selectLeg_ >= 0 && selectLeg_ < work_.LegCount() ? selectLeg_ : 0;
  selectLeg_ = -1;
  SelectLeg(row);
}

bool FlightEditSession::IsIfr() const { return UpperAscii(work_.FlightRules) == "IFR"; }

bool FlightEditSession::IsWeekly() const { return periodItem_ >= 0 && kFlightPeriods[periodItem_].hours == -1; }

const char* FlightEditSession::PeriodText() const { return periodItem_ >= 0 ? kFlightPeriods[periodItem_].text : ""; }

// The clock of a GMT time in the display zone, "HH:MM:SS"; the day prefix,
// when given, moves with a shift across midnight. A text that is no time is
// shown as it stands.
std::string FlightEditSession::ZoneClock(std::string_view gmt, std::string* dayPrefix) const {
  auto t = ParseTimeText(gmt);
  if (!t) return std::string(gmt);
  if (!dayPrefix) return ShiftZoneTime(*t, zone_, false);
  return ShiftZoneTimeDayIndex(*t, zone_, *dayPrefix, false);
}

std::vector<LegRow> FlightEditSession::Rows() const {
  std::vector<LegRow> rows;
  for (int i = 0; i < work_.LegCount(); ++i) {
    const FlightLeg& leg = work_.Legs[i];
    LegRow r;
    r.From = work_.DepartureIcao(i);
    r.To = leg.DestinationIcao;
    SplitTime dep = Split(leg.DepartureTime);
    std::string depClock = ZoneClock(dep.time, &dep.prefix);
    r.Depart = dep.prefix + depClock;
    SplitTime arr = Split(leg.ArrivalTime);
    std::string arrClock = ZoneClock(arr.time, &arr.prefix);
    r.Arrive = arr.prefix + arrClock;
    r.FlightNumber = leg.FlightNumber;
    r.FlightLevel = "FL" + leg.FlightLevel;
    rows.push_back(std::move(r));
  }
  return rows;
}

// ---- Leg selection ---------------------------------------------------------

void FlightEditSession::ClearFrame() {
  selectedLeg_ = -1;
  frame_ = LegFrame{};
}

FlightLeg* FlightEditSession::ShownLeg() {
  if (selectedLeg_ < 0 || selectedLeg_ >= work_.LegCount()) return nullptr;
  return &work_.Legs[selectedLeg_];
}

void FlightEditSession::SelectLeg(int leg) {
  if (leg < 0 || leg >= work_.LegCount()) {
    ClearFrame();
    return;
  }
  selectedLeg_ = leg;
  const FlightLeg& l = work_.Legs[leg];
  frame_.enabled = true;
  frame_.level = l.FlightLevel;
  frame_.number = l.FlightNumber;
  frame_.departure = work_.DepartureIcao(leg);
  frame_.arrival = l.DestinationIcao;
  frame_.useNumber = l.UseFlightNumber == "F";
  frame_.fixedEta = l.FixedArrival;
  frame_.etaEnabled = l.FixedArrival;
  if (IsWeekly()) {
    SplitTime dep = Split(l.DepartureTime);
    if (dep.prefix.empty()) dep.prefix = "0/";
    frame_.time = ZoneClock(dep.time, &dep.prefix);
    frame_.day = DayOfPrefix(dep.prefix);
    frame_.dayEnabled = true;
  } else {
    frame_.time = ZoneClock(Split(l.DepartureTime).time, nullptr);
    frame_.day = -1;
    frame_.dayEnabled = false;
  }
  // The box shows the stored arrival; one that is not fixed follows the
  // departure at once when an aircraft is chosen. A fixed arrival is only
  // shown: showing a leg never changes it.
  SplitTime arr = Split(l.ArrivalTime);
  frame_.eta = ZoneClock(arr.time, IsWeekly() ? &arr.prefix : nullptr);
  ComputeArrival();
  UpdateLegCaption();
  frame_.addEnabled = true;
  frame_.deleteEnabled = leg != 0 && leg != work_.LegCount() - 1;
}

// ---- The leg frame's boxes -----------------------------------------------

void FlightEditSession::EditTime(std::string_view text) {
  frame_.time = std::string(text);
  ComputeArrival();
}

void FlightEditSession::EditEta(std::string_view text) {
  frame_.eta = std::string(text);
  if (frame_.fixedEta) StoreArrival();
}

// The arrival of the shown leg from the departure box, the leg's distance
// and the aircraft's cruise speed. Times in the zone differ by the same
// amount as in GMT, so the shown times are used directly.
void FlightEditSession::ComputeArrival() {
  int planIndex = PlanAircraftIndex();
  if (planIndex < 0 || frame_.fixedEta) return;
  auto departure = ParseTimeText(frame_.time);
  if (!departure) return;  // in the middle of typing: the arrival waits
  std::int32_t distance = GetAirportDistance(frame_.departure, frame_.arrival);
  std::int32_t speed = text_number::ParseInt32(plan_.PlanAircraftList[planIndex].CruiseSpeed).value_or(0);
  frame_.eta = FormatTimeHMS(GetArrivalTime(*departure, distance, speed));
  StoreArrival();
}

void FlightEditSession::StoreArrival() {
  FlightLeg* leg = ShownLeg();
  if (!leg) return;
  auto eta = ParseTimeText(frame_.eta);
  if (!eta) return;
  if (IsWeekly()) {
    int day = frame_.day < 0 ? 0 : frame_.day;
    // An arrival earlier on the clock than the departure lands on the next day.
    auto departure = ParseTimeText(frame_.time);
    if (departure && SecondsOfDay(*eta) < SecondsOfDay(*departure)) day = (day + 1) % 7;
    std::string prefix = kDayPrefixes[day];
    std::string gmt = ShiftZoneTimeDayIndex(*eta, zone_, prefix, true);
    leg->ArrivalTime = prefix + gmt;
  } else {
    leg->ArrivalTime = ShiftZoneTime(*eta, zone_, true);
  }
}

void FlightEditSession::CommitDeparture() {
  FlightLeg* leg = ShownLeg();
  if (!leg) return;
  auto departure = ParseTimeText(frame_.time);
  if (!departure) return;
  if (frame_.dayEnabled) {
    std::string prefix = kDayPrefixes[frame_.day < 0 ? 0 : frame_.day];
    std::string gmt = ShiftZoneTimeDayIndex(*departure, zone_, prefix, true);
    leg->DepartureTime = prefix + gmt;
  } else {
    leg->DepartureTime = ShiftZoneTime(*departure, zone_, true);
  }
  EditTime(FormatTimeHMS(*departure));
}

void FlightEditSession::CommitLevel(std::string_view text) {
  FlightLeg* leg = ShownLeg();
  auto level = BoxNumber(text);
  if (!leg || !level) return;
  frame_.level = FormatFlightLevel(*level);
  leg->FlightLevel = frame_.level;
}

void FlightEditSession::CommitNumber(std::string_view text) {
  FlightLeg* leg = ShownLeg();
  if (!leg) return;
  frame_.number = std::string(TrimSpaces(text));
  leg->FlightNumber = frame_.number;
}

void FlightEditSession::CommitRegistration(std::string_view text) {
  registrationText_ = std::string(TrimSpaces(text));
  work_.Registration = registrationText_;
}

void FlightEditSession::CommitPercent(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c != '%') digits.push_back(c);
  auto percent = BoxNumber(digits);
  if (!percent) return;
  percentText_ = std::to_string(*percent);
  work_.Percent = percentText_ + "%";
}

void FlightEditSession::SetIfr(bool ifr) {
  work_.FlightRules = ifr ? "IFR" : "VFR";
  UpdateLegCaption();
}

std::optional<std::string> FlightEditSession::CheckTime(std::string_view text) {
  if (ParseTimeText(text)) return std::nullopt;
  return kInvalidTimeMessage;
}

std::optional<std::string> FlightEditSession::CheckLevel(std::string_view text) {
  auto v = BoxNumber(text);
  if (v && *v >= 10 && *v <= 999) return std::nullopt;
  return kFlightLevelRangeMessage;
}

std::optional<std::string> FlightEditSession::CheckPercent(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c != '%') digits.push_back(c);
  auto v = BoxNumber(digits);
  if (v && *v >= 1 && *v <= 99) return std::nullopt;
  return kPercentRangeMessage;
}

std::optional<std::string> FlightEditSession::CheckRegistration(std::string_view text) {
  if (BreaksPlanLine(text)) return kRegistrationCharsMessage;
  return std::nullopt;
}

std::optional<std::string> FlightEditSession::CheckFlightNumber(std::string_view text) {
  if (BreaksPlanLine(text)) return kFlightNumberCharsMessage;
  return std::nullopt;
}

// ---- The ring of legs --------------------------------------------------------

void FlightEditSession::AddLeg() {
  int n = work_.LegCount();
  int shown = selectedLeg_;
  if (shown < 0 || shown >= n) return;
  // The last leg closes the ring and stays last.
  int p = shown == n - 1 ? shown : shown + 1;
  if (p < 1) p = 1;
  const FlightLeg& before = work_.Legs[p - 1];
  FlightLeg leg;
  leg.FlightLevel = before.FlightLevel;
  leg.DestinationIcao = before.DestinationIcao;
  leg.FixedArrival = false;
  leg.FlightNumber = "0000";
  leg.UseFlightNumber = "F";
  constexpr int kHour = 3600;
  if (IsWeekly()) {
    SplitTime arrival = Split(before.ArrivalTime);
    int day = std::max(0, DayOfPrefix(arrival.prefix));
    auto t = ParseTimeText(arrival.time);
    if (t) {
      DateTime later{t->seconds + kHour};
      if (SecondsOfDay(later) < SecondsOfDay(*t)) day = (day + 1) % 7;
      leg.DepartureTime = kDayPrefixes[day] + FormatTimeHMS(later);
    } else {
      leg.DepartureTime = before.ArrivalTime;
    }
  } else {
    auto t = ParseTimeText(Split(before.ArrivalTime).time);
    leg.DepartureTime = t ? FormatTimeHMS(DateTime{t->seconds + kHour}) : before.ArrivalTime;
  }
  leg.ArrivalTime = leg.DepartureTime;
  work_.Legs.insert(work_.Legs.begin() + p, leg);
  Fill();
  SelectLeg(p);
}

bool FlightEditSession::DeleteLeg(Prompter& prompter) {
  int shown = selectedLeg_;
  if (shown <= 0 || shown >= work_.LegCount() - 1) return false;
  if (prompter.Ask(kDeleteLegQuestion, kMbYesNo | kMbIconQuestion) == kIdNo) return false;
  work_.Legs.erase(work_.Legs.begin() + shown);
  Fill();
  SelectLeg(shown);
  return true;
}

void FlightEditSession::SetDepartureAirport(std::string_view icao) {
  int shown = selectedLeg_;
  int n = work_.LegCount();
  if (shown < 0 || shown >= n) return;
  work_.Legs[shown == 0 ? n - 1 : shown - 1].DestinationIcao = std::string(icao);
  frame_.departure = std::string(icao);
  UpdateLegCaption();
  UpdateArrivalTimes();
}

void FlightEditSession::SetDestinationAirport(std::string_view icao) {
  FlightLeg* leg = ShownLeg();
  if (!leg) return;
  leg->DestinationIcao = std::string(icao);
  frame_.arrival = std::string(icao);
  UpdateLegCaption();
  UpdateArrivalTimes();
}

void FlightEditSession::SetDay(int day) {
  FlightLeg* leg = ShownLeg();
  if (!leg || day < 0 || day > 6) return;
  frame_.day = day;
  if (auto t = ParseTimeText(frame_.time)) {
    std::string prefix = kDayPrefixes[day];
    std::string gmt = ShiftZoneTimeDayIndex(*t, zone_, prefix, true);
    leg->DepartureTime = prefix + gmt;
  }
  ComputeArrival();
  if (frame_.fixedEta) StoreArrival();
}

void FlightEditSession::SetFixedEta(bool fixed) {
  frame_.fixedEta = fixed;
  frame_.etaEnabled = fixed;
  FlightLeg* leg = ShownLeg();
  if (!leg) return;
  leg->FixedArrival = fixed;
  if (!fixed) ComputeArrival();
}

void FlightEditSession::SetUseNumber(bool useNumber) {
  frame_.useNumber = useNumber;
  if (FlightLeg* leg = ShownLeg()) leg->UseFlightNumber = useNumber ? "F" : "R";
}

void FlightEditSession::SelectAircraft(int item) {
  if (item < 0 || item >= static_cast<int>(aircraftItems_.size())) return;
  aircraftItem_ = item;
  int planIndex = PlanAircraftIndex();
  if (planIndex >= 0) work_.AircraftId = plan_.PlanAircraftList[planIndex].Id;
  UpdateArrivalTimes();
  UpdateLegCaption();
}

// ---- Period and display zone -------------------------------------------------

void FlightEditSession::SelectPeriod(int item, Prompter& prompter) {
  if (item < 0 || item >= static_cast<int>(kFlightPeriods.size())) return;
  const char* chosen = kFlightPeriods[item].text;
  if (EqualsNoCase(chosen, work_.Period)) {
    periodItem_ = item;
    return;
  }
  if (IsWeekPeriod(work_.Period)) {
    if (prompter.Ask(kRemoveWeeklyQuestion, kMbYesNo | kMbIconQuestion) == kIdNo) return;
    work_.Period = chosen;
    periodItem_ = item;
    for (FlightLeg& leg : work_.Legs) {
      for (std::string* time : {&leg.DepartureTime, &leg.ArrivalTime}) {
        if (time->find('/') == std::string::npos) continue;
        std::string rest = Split(*time).time;
        auto t = ParseTimeText(rest);
        *time = t ? FormatTimeHMS(*t) : rest;
      }
    }
    SelectLeg(selectedLeg_);
  } else if (IsWeekPeriod(chosen)) {
    work_.Period = chosen;
    periodItem_ = item;
    // Every leg starts on Sunday. An arrival earlier on the clock than its
    // own departure lands on Monday, as a typed arrival would.
    for (FlightLeg& leg : work_.Legs) {
      auto dep = ParseTimeText(Split(leg.DepartureTime).time);
      auto arr = ParseTimeText(Split(leg.ArrivalTime).time);
      leg.DepartureTime = "0/" + (dep ? FormatTimeHMS(*dep) : Split(leg.DepartureTime).time);
      bool nextDay = dep && arr && SecondsOfDay(*arr) < SecondsOfDay(*dep);
      leg.ArrivalTime = (nextDay ? "1/" : "0/") + (arr ? FormatTimeHMS(*arr) : Split(leg.ArrivalTime).time);
    }
    SelectLeg(selectedLeg_);
  } else {
    work_.Period = chosen;
    periodItem_ = item;
  }
}

void FlightEditSession::SelectZone(std::string_view zone) {
  for (const char* z : kTimeZoneNames) {
    if (zone == z) {
      zone_ = z;
      SelectLeg(selectedLeg_);
      return;
    }
  }
}

// ---- Derived data ----------------------------------------------------------

int FlightEditSession::PlanAircraftIndex() const {
  if (aircraftItem_ < 0 || aircraftItem_ >= static_cast<int>(aircraftItems_.size())) return -1;
  int i = aircraftItems_[aircraftItem_].planIndex;
  return i >= 0 && i < static_cast<int>(plan_.PlanAircraftList.size()) ? i : -1;
}

int FlightEditSession::InstalledIndex() const {
  int planIndex = PlanAircraftIndex();
  if (planIndex < 0) return -1;
  auto it = aircraftMap_.find(plan_.PlanAircraftList[planIndex].Id);
  if (it == aircraftMap_.end() || it->second >= static_cast<int>(plan_.FSAircraftList.size())) return -1;
  return it->second;
}

void FlightEditSession::UpdateLegCaption() {
  frame_.caption = kLegFrameCaption;
  if (selectedLeg_ < 0) return;
  std::int32_t distance = GetAirportDistance(frame_.departure, frame_.arrival);
  std::int32_t course = GetAirportCourse(frame_.departure, frame_.arrival);
  if (distance != -1) frame_.caption += " - Distance " + std::to_string(distance) + "nm";
  if (course != -1) frame_.caption += " - Course " + std::to_string(course) + "\xB0";
  int installed = InstalledIndex();
  if (installed < 0) return;
  frame_.caption += " - " + GetFlightLevel(work_.FlightRules, distance, course, FSAircraft{}, installed, true);
}

void FlightEditSession::UpdateArrivalTimes() {
  int planIndex = PlanAircraftIndex();
  if (planIndex < 0) return;
  int n = work_.LegCount();
  // Leg 0 last: it follows the last leg in the cycle.
  for (int k = 1; k <= n; ++k) {
    int i = k % n;
    FlightLeg& leg = work_.Legs[i];
    if (leg.FixedArrival) continue;
    leg.ArrivalTime = GetArrivalTimeText(work_.DepartureIcao(i), leg.DestinationIcao, leg.DepartureTime,
                                         PeriodText(), planIndex, -1);
    if (i == selectedLeg_) SelectLeg(i);
  }
}

// ---- Whole flight ------------------------------------------------------------

void FlightEditSession::Undo() {
  work_ = undo_;
  Fill();
  UpdateArrivalTimes();
}

bool FlightEditSession::Warn(Prompter& prompter, const std::string& line) {
  return prompter.Ask(line + "\r\nContinue?", kMbYesNo | kMbIconExclamation | kMbDefButton2) != kIdNo;
}

int FlightEditSession::PeriodHoursForChecks() const {
  if (periodItem_ >= 0 && kFlightPeriods[periodItem_].hours > 0) return kFlightPeriods[periodItem_].hours;
  // A period the list does not offer ("3Hr") still has its hours.
  if (auto hours = PeriodHours(work_.Period)) return *hours;
  return 24;
}

// The time warnings in the order a user meets them: the stand before each
// leg, the cycle against the period, the stand at the end of the cycle.
// False when the user answered No; the leg concerned is then shown.
bool FlightEditSession::CheckTimes(Prompter& prompter, const TurnAroundLimits& turnAround) {
  int hours = PeriodHoursForChecks();
  FlightTimingReport report = AnalyzeFlightTimings(work_, hours, turnAround, WeekStandRule::Correction);
  const std::string minimum = std::to_string(turnAround.minMinutes);
  const std::string maximum = std::to_string(turnAround.maxHours);
  for (int i = 1; i < work_.LegCount(); ++i) {
    const std::string leg = std::to_string(i + 1);
    std::string line;
    switch (report.standFindings[i]) {
      case StandFinding::DepartEarlier:
        line = "Warning! Departure is earlier than arrival for leg number " + leg + ".";
        break;
      case StandFinding::BelowMinimum:
        line = "Warning! Stand time is less than " + minimum + " minutes for leg number " + leg + ".";
        break;
      case StandFinding::AboveMaximum:
        line = "Warning! Stand time is greater than " + maximum + " hours for leg number " + leg + ".";
        break;
      case StandFinding::None:
        continue;
    }
    if (!Warn(prompter, line)) {
      SelectLeg(i);
      return false;
    }
  }
  if (report.cycleTooLong &&
      !Warn(prompter, report.weekly ? std::string("Warning! Total flight time exceeds maximum allowed time of one week.")
                                    : "Warning! Total flight time exceeds maximum allowed time of " +
                                          std::to_string(hours) + " hours."))
    return false;
  std::string end;
  if (report.endFinding == StandFinding::BelowMinimum)
    end = "Warning! Stand time is less than " + minimum + " minutes for end of flight.";
  if (report.endFinding == StandFinding::AboveMaximum)
    end = "Warning! Stand time is greater than " + maximum + " hours for end of flight" + (report.weekly ? "." : "");
  if (!end.empty() && !Warn(prompter, end)) {
    SelectLeg(work_.LegCount() - 1);
    return false;
  }
  return true;
}

OkOutcome FlightEditSession::RunOkChecks(Prompter& prompter, const TurnAroundLimits& turnAround) {
  if (aircraftItem_ < 0) {
    prompter.Ask(kSelectAircraftMessage, kMbOk | kMbIconExclamation);
    return {};
  }
  int installed = InstalledIndex();
  if (installed >= 0) {
    const FSAircraft& aircraft = plan_.FSAircraftList[installed];
    for (int i = 0; i < work_.LegCount(); ++i) {
      const FlightLeg& leg = work_.Legs[i];
      const std::string& origin = work_.DepartureIcao(i);
      std::int32_t distance = GetAirportDistance(origin, leg.DestinationIcao);
      std::int32_t course = GetAirportCourse(origin, leg.DestinationIcao);
      if (distance == -1 || course == -1) continue;
      // A limit of -1 is no limit (an aircraft without a class has both).
      bool inRange = (aircraft.MinRange < 0 || distance >= aircraft.MinRange) &&
                     (aircraft.MaxRange < 0 || distance <= aircraft.MaxRange);
      if (checks.range && !inRange &&
          !Warn(prompter, "Warning! Aircraft range limits reached for leg " + std::to_string(i + 1) + " (" +
                              std::to_string(aircraft.MinRange) + "nm - " + std::to_string(aircraft.MaxRange) +
                              "nm).")) {
        SelectLeg(i);
        return {};
      }
      if (checks.levels) {
        std::string suggestion;
        int level = text_number::ParseInt32(leg.FlightLevel).value_or(0);
        if (!CheckFlightLevel(work_.FlightRules, distance, course, installed, level, suggestion) &&
            !Warn(prompter, "Warning! Flight Level might be incorrect for leg " + std::to_string(i + 1) +
                                ". Suggestion: " + suggestion)) {
          SelectLeg(i);
          return {};
        }
      }
    }
  }

  if (checks.times && !CheckTimes(prompter, turnAround)) return {};

  OkOutcome out;
  out.accepted = true;
  const std::string& text = aircraftItems_[aircraftItem_].text;
  out.result = text;
  size_t open = text.rfind('(');
  if (open != std::string::npos) {
    if (installed >= 0) {
      out.result = std::string(TrimSpaces(std::string_view(text).substr(0, open)));
    } else {
      // Between the last "(" and the final character: the Id.
      size_t length = text.size() >= open + 2 ? text.size() - open - 2 : 0;
      out.result = std::string(TrimSpaces(std::string_view(text).substr(open + 1, length)));
    }
  }
  // Callers take an empty text for "nothing saved": an accepted edit must
  // never come back empty.
  if (out.result.empty()) out.result = text;
  return out;
}

}  // namespace velk
