#include "timetable/timetable_statistics.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "data/installed_aircraft.h"
#include "data/times_zones.h"
#include "platform/ascii_text.h"
#include "platform/pad_text.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

constexpr int kLabelWidth = 20;
constexpr int kFirstClass = 2;
constexpr int kLastClass = 8;
const char* const kClassLabels[7] = {"Max. Micro Prop:", "Max. Mid Prop:",   "Max. Large Prop:", "Max. Micro Jet:",
                                     "Max. Small Jet:",  "Max. Large Jet:", "Max. Huge Jet:"};

std::optional<int> HourOf(std::string_view text) {
  std::optional<DateTime> t = ParseTimeText(text);
  if (!t) return std::nullopt;
  return SecondsOfDay(*t) / 3600;
}

struct Maximum {
  int count = 0;
  int max = 0;
  std::string at;
};

std::string Line(const char* label, const std::string& value) {
  return PadText(label, kLabelWidth) + value + "\r\n";
}

std::string CountAt(const Maximum& m, const std::string& at) {
  return m.max == 0 ? std::to_string(m.max) : std::to_string(m.max) + " at " + at;
}

}  // namespace

std::string TimetableStatistics(const PlanState& plan, const std::vector<TimetableRow>& rows,
                                const TimetableStatisticsFilter& filter) {
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return LessNoCase(rows[a].time, rows[b].time); });

  const std::unordered_map<std::string, int> installed = InstalledAircraftByPlanId(plan);
  auto classOf = [&](int flight) {
    if (flight < 0 || static_cast<size_t>(flight) >= plan.Flights.size()) return 0;
    auto it = installed.find(plan.Flights[static_cast<size_t>(flight)].AircraftId);
    if (it == installed.end()) return 0;
    int c = plan.FSAircraftList[static_cast<size_t>(it->second)].Class;
    return c >= kFirstClass && c <= kLastClass ? c : 0;
  };

  Maximum total;
  std::array<Maximum, 7> classes;
  std::array<int, 24> arrivalsByHour{};
  std::array<int, 24> departuresByHour{};
  int arrivals = 0;
  int departures = 0;
  std::unordered_set<int> onGround;

  for (size_t k : order) {
    const TimetableRow& row = rows[k];
    size_t paren = row.time.rfind('(');
    std::string t(paren == std::string::npos ? std::string_view(row.time)
                                             : TrimBlanks(std::string_view(row.time).substr(0, paren)));
    const int c = classOf(row.flight);
    Maximum* cls = c ? &classes[static_cast<size_t>(c - kFirstClass)] : nullptr;
    std::optional<int> hour = HourOf(t);
    if (row.kind == TimetableKind::Arrive) {
      // An aircraft that is on the ground already stays counted once.
      if (onGround.insert(row.flight).second) {
        if (cls && ++cls->count > cls->max) {
          cls->max = cls->count;
          cls->at = t;
        }
        if (++total.count > total.max) {
          total.max = total.count;
          total.at = row.time;
        }
      }
      ++arrivals;
      if (hour) ++arrivalsByHour[static_cast<size_t>(*hour)];
    } else {
      if (onGround.erase(row.flight)) {
        --total.count;
        if (cls) --cls->count;
      } else {
        // It stood there before the first row: it was on the ground
        // together with those counted now.
        if (total.count + 1 > total.max) {
          total.max = total.count + 1;
          total.at = row.time;
        }
        if (cls && cls->count + 1 > cls->max) {
          cls->max = cls->count + 1;
          cls->at = t;
        }
      }
      ++departures;
      if (hour) ++departuresByHour[static_cast<size_t>(*hour)];
    }
  }

  std::string day;
  for (char ch : filter.day)
    if (ch != '#') day.push_back(ch);
  std::string out;
  out += Line("Airport:", UpperCp1252(filter.airports));
  out += Line("Time:", day + " " + filter.start + " - " + filter.end + " (" + filter.zone + ")");
  out += "\r\n";
  out += Line("Arrivals:", std::to_string(arrivals));
  out += Line("Departures:", std::to_string(departures));
  out += "\r\n";
  out += Line("Max. Aircraft:", CountAt(total, total.at));
  out += "\r\n";
  for (size_t i = 0; i < classes.size(); ++i) out += Line(kClassLabels[i], CountAt(classes[i], classes[i].at));
  out += "\r\n";
  std::optional<int> first = HourOf(filter.start);
  std::optional<int> last = HourOf(filter.end);
  if (first && last) {
    char buf[96];
    for (int h = *first; h <= *last; ++h) {
      std::snprintf(buf, sizeof buf, "%02d:00:00-%02d:59:59 -> Arrivals %03d - Departures %03d\r\n", h, h,
                    arrivalsByHour[static_cast<size_t>(h)], departuresByHour[static_cast<size_t>(h)]);
      out += buf;
    }
  }
  return out;
}

}  // namespace velk
