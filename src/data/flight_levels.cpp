#include "data/flight_levels.h"

#include <cstdint>
#include <optional>

#include "data/config_text.h"
#include "data/text_number.h"
#include "platform/random_source.h"

namespace velk {
namespace {

// A table can make the search below hand the leg back and forth between two
// rows for ever; after this many restarts it gives up and the leg gets the
// answer for "no row applies".
constexpr int kMaxWindowRestarts = 16;

bool CourseIn(const FlightLevelRule& r, int course) { return r.MinCourse <= course && course <= r.MaxCourse; }

std::string RangeText(std::int64_t lower, std::int64_t step, std::int64_t n) {
  if (n == 0) return "FL" + FormatFlightLevel(lower);
  return "FL" + FormatFlightLevel(lower) + "-" + FormatFlightLevel(lower + step * n) + " +" + FormatFlightLevel(step);
}

const FSAircraft* AircraftAt(int index) {
  const auto& list = Plan().FSAircraftList;
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
  return &list[static_cast<size_t>(index)];
}

}  // namespace

std::vector<FlightLevelRule>& FlightLevelRules() {
  static std::vector<FlightLevelRule> rules;
  return rules;
}

bool ReadFlightLevelRules(const std::filesystem::path& programFolder) {
  std::vector<FlightLevelRule>& rules = FlightLevelRules();
  rules.clear();
  const std::filesystem::path path = programFolder / kFlightLevelFileName;
  std::optional<std::vector<std::string>> lines;
  if (ConfigFileExists(path)) lines = ReadConfigLines(path);
  if (!lines) {
    // An unreadable file is as useless as a missing one: without the rules
    // every leg would silently get FL100.
    ShowConfigMessage("File 'VELK_FL.CFG' not found.");
    return false;
  }
  for (const std::string& line : *lines) {
    std::string_view text = TrimSpaces(line);
    if (text.empty() || text[0] == ';') continue;
    std::vector<std::string_view> f = SplitAtCommas(text);
    if (f.size() != 7) {
      ShowConfigMessage(ConfigLineErrorText(kFlightLevelFileName, line));
      return false;
    }
    auto num = [&](size_t k) { return ParseWholeNumber(TrimSpaces(f[k])).value_or(0); };
    rules.push_back({num(0), num(1), num(2), num(3), num(4), num(5), num(6)});
  }
  return true;
}

std::string FormatFlightLevel(long long level) {
  std::string digits = std::to_string(level < 0 ? -static_cast<unsigned long long>(level)
                                                : static_cast<unsigned long long>(level));
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return level < 0 ? "-" + digits : digits;
}

FlightLevelWindow FindFlightLevelWindow(const std::vector<FlightLevelRule>& rules, const std::string& flightRules,
                                        int distance, int course, int minFL, int maxFL) {
  FlightLevelWindow w;
  if (flightRules == "VFR") distance = -1;
  const FlightLevelRule* r = nullptr;
  for (const FlightLevelRule& row : rules) {
    if (row.MinDistance <= distance && distance <= row.MaxDistance && CourseIn(row, course)) {
      r = &row;
      break;
    }
  }
  if (!r) return w;

  std::int64_t lower = 0;
  std::int64_t upper = 0;
  for (int restart = 0; restart <= kMaxWindowRestarts; ++restart) {
    // Highest level: the row's, cut to the aircraft's ceiling; when the row
    // lies wholly outside the aircraft's levels, the row of this course
    // that reaches highest without starting above the ceiling.
    if (r->MaxLevel <= maxFL) {
      upper = r->MaxLevel;
    } else if (minFL <= r->MinLevel && r->MinLevel <= maxFL) {
      upper = maxFL;
    } else {
      const FlightLevelRule* best = nullptr;
      int bestMax = 0;
      for (const FlightLevelRule& row : rules) {
        if (row.MinLevel <= maxFL && CourseIn(row, course) && row.MaxLevel > bestMax) {
          best = &row;
          bestMax = row.MaxLevel;
        }
      }
      if (best) r = best;
      upper = r->MaxLevel;
    }
    // Lowest level: the first level of the row's grid at or above the
    // aircraft's floor.
    if (r->MinLevel < minFL && r->LevelStep != 0) {
      if (r->LevelStep > 0) {
        std::int64_t steps = (static_cast<std::int64_t>(minFL) - r->MinLevel + r->LevelStep - 1) / r->LevelStep;
        lower = r->MinLevel + steps * r->LevelStep;
      }
    } else {
      lower = r->MinLevel;
    }
    if (r->MaxLevel > maxFL && r->MinLevel <= maxFL) upper = maxFL;
    if (lower >= minFL) {
      w.found = true;
      break;
    }
    const FlightLevelRule* above = nullptr;
    for (const FlightLevelRule& row : rules) {
      if (row.MinLevel >= minFL && CourseIn(row, course)) {
        above = &row;
        break;
      }
    }
    if (!above) {
      lower = minFL;
      w.found = true;
      break;
    }
    r = above;
  }
  if (!w.found) return w;
  w.lower = lower;
  w.upper = upper;
  w.step = r->LevelStep;
  return w;
}

std::string GetFlightLevel(const std::string& flightRules, int distance, int course, const FSAircraft& aircraft,
                           int aircraftIndex, bool prefix) {
  const FSAircraft* a = aircraftIndex == -1 ? &aircraft : AircraftAt(aircraftIndex);
  FlightLevelWindow w;
  if (a) w = FindFlightLevelWindow(FlightLevelRules(), flightRules, distance, course, a->MinFL, a->MaxFL);
  if (!w.found) return prefix ? "FL100" : "100";
  const std::string lead = prefix ? "FL" : "";
  std::int64_t span = w.upper - w.lower;
  if (w.step != 0 && span > 0) {
    std::int64_t n = span / w.step;
    if (n == 0) return lead + FormatFlightLevel(w.lower);
    if (prefix) return RangeText(w.lower, w.step, n);
    // Rounding makes the two ends half as likely as the levels between them.
    std::int64_t r = text_number::RoundHalfEven(NextRandom() * static_cast<double>(n));
    return FormatFlightLevel(w.lower + w.step * r);
  }
  return lead + FormatFlightLevel(w.lower);
}

bool CheckFlightLevel(const std::string& flightRules, int distance, int course, int aircraftIndex, int level,
                      std::string& answer) {
  const FSAircraft* a = AircraftAt(aircraftIndex);
  FlightLevelWindow w;
  if (a) w = FindFlightLevelWindow(FlightLevelRules(), flightRules, distance, course, a->MinFL, a->MaxFL);
  if (!w.found) {
    answer = "FL100";
    return false;
  }
  std::int64_t span = w.upper - w.lower;
  if (w.step != 0 && span >= 1) {
    std::int64_t offset = static_cast<std::int64_t>(level) - w.lower;
    if (w.lower <= level && level <= w.upper && offset % w.step == 0) {
      answer.clear();
      return true;
    }
    answer = RangeText(w.lower, w.step, span / w.step);
    return false;
  }
  if (level == w.lower) {
    answer.clear();
    return true;
  }
  answer = "FL" + FormatFlightLevel(w.lower);
  return false;
}

}  // namespace velk
