#include "aircraft_editors/plan_aircraft_commands.h"

#include <unordered_set>

#include "data/text_number.h"

namespace velk {

std::optional<int> AircraftNumberOf(std::string_view id) {
  if (id.size() <= 3) return std::nullopt;
  std::optional<double> n = text_number::ParseDecimal(id.substr(3));
  if (!n || *n != static_cast<double>(static_cast<long long>(*n))) return std::nullopt;
  if (*n < -2147483648.0 || *n > 2147483647.0) return std::nullopt;
  return static_cast<int>(*n);
}

std::string AircraftIdOf(int number) { return "AC#" + std::to_string(number); }

int HighestAircraftNumber(const std::vector<PlanAircraft>& aircraft) {
  int highest = 0;
  for (const PlanAircraft& a : aircraft) {
    std::optional<int> n = AircraftNumberOf(a.Id);
    if (n && *n > highest) highest = *n;
  }
  return highest;
}

bool AircraftNumberInUse(const std::vector<PlanAircraft>& aircraft, int number) {
  const std::string id = AircraftIdOf(number);
  for (const PlanAircraft& a : aircraft) {
    if (a.Id == id) return true;
  }
  return false;
}

int NextFreeAircraftNumber(const std::vector<PlanAircraft>& aircraft, int highest) {
  std::unordered_set<std::string> used;
  for (const PlanAircraft& a : aircraft) used.insert(a.Id);
  for (long long n = static_cast<long long>(highest) + 1; n <= kMaxAircraftNumber; ++n) {
    if (n >= 1 && !used.count(AircraftIdOf(static_cast<int>(n)))) return static_cast<int>(n);
  }
  return 0;
}

bool PlanTitleIsWritable(std::string_view title) {
  for (char c : title) {
    if (c == ',' || c == '"' || c == ';' || c == '\r' || c == '\n') return false;
  }
  return title.find("//") == std::string_view::npos;
}

bool PlanSpeedIsUsable(long long knots) { return knots >= 1 && knots <= kMaxPlanCruiseSpeed; }

int NewPlanAircraftSpeed(const FSAircraft& installed) {
  if (PlanSpeedIsUsable(installed.CruiseSpeed)) return installed.CruiseSpeed;
  return installed.CfgCruiseSpeed;
}

PlanAircraft MakePlanAircraft(const FSAircraft& installed, int number) {
  PlanAircraft a;
  a.Id = AircraftIdOf(number);
  a.Title = installed.Title;
  a.CruiseSpeed = std::to_string(NewPlanAircraftSpeed(installed));
  a.UseCount = 0;
  return a;
}

int DeletePlanAircraft(PlanState& plan, const std::vector<std::string>& ids) {
  int removed = 0;
  for (const std::string& id : ids) {
    for (Flight& f : plan.Flights) {
      if (f.AircraftId != id) continue;
      f.Removed = true;
      ++removed;
    }
    std::erase_if(plan.PlanAircraftList, [&](const PlanAircraft& a) { return a.Id == id; });
  }
  return removed;
}

int SubstitutePlanAircraft(std::vector<Flight>& flights, const std::string& oldId, const std::string& newId) {
  int changed = 0;
  for (Flight& f : flights) {
    if (f.AircraftId != oldId) continue;
    f.AircraftId = newId;
    ++changed;
  }
  return changed;
}

int RenumberPlanAircraft(PlanState& plan, size_t index, int number) {
  PlanAircraft& a = plan.PlanAircraftList[index];
  const std::string newId = AircraftIdOf(number);
  int changed = SubstitutePlanAircraft(plan.Flights, a.Id, newId);
  a.Id = newId;
  return changed;
}

std::optional<long long> WholeNumberAnswer(std::string_view text) {
  std::optional<double> n = text_number::ParseDecimal(text);
  if (!n) return std::nullopt;
  std::int64_t whole = text_number::RoundHalfEven(*n);
  if (whole < INT32_MIN || whole > INT32_MAX) return std::nullopt;
  return whole;
}

}  // namespace velk
