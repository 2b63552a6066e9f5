#include "plangen/plan_generator.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <vector>

#include "common/splitmix_rng.h"

namespace velk::bench {
namespace {

constexpr int kCodeSpace = 26 * 26 * 26 * 26;

using Rng = velk::tools::SplitMixRng;

void AppendCoordinate(std::string& out, char positive, char negative, int hundredthsOfMinute) {
  out += hundredthsOfMinute < 0 ? negative : positive;
  int v = std::abs(hundredthsOfMinute);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d* %d.%02d'", v / 6000, v % 6000 / 100, v % 100);
  out += buf;
}

void AppendTime(std::string& out, long seconds, bool weekly) {
  char buf[24];
  if (weekly) {
    seconds %= 7 * 86400;
    std::snprintf(buf, sizeof buf, "%ld/%02ld:%02ld:%02ld", seconds / 86400, seconds % 86400 / 3600,
                  seconds % 3600 / 60, seconds % 60);
  } else {
    seconds %= 86400;
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", seconds / 3600, seconds % 3600 / 60,
                  seconds % 60);
  }
  out += buf;
}

bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

std::string GeneratedAirportCode(int index) {
  // A bijection of [0, 26^4): 7919 shares no factor with 2 or 13.
  int v = static_cast<int>((static_cast<long long>(index) * 7919 + 12345) % kCodeSpace);
  std::string code(4, 'A');
  for (int i = 3; i >= 0; --i) {
    code[static_cast<size_t>(i)] = static_cast<char>('A' + v % 26);
    v /= 26;
  }
  return code;
}

GeneratedPlan GeneratePlan(const PlanGenOptions& o) {
  Rng rng(o.seed);
  GeneratedPlan plan;
  const int airports = std::clamp(o.airports, 3, kCodeSpace);
  const int aircraft = std::max(o.aircraft, 1);
  const int minLegs = std::clamp(o.minLegs, 2, 666);
  const int maxLegs = std::clamp(o.maxLegs, minLegs, 666);

  std::vector<std::string> codes;
  codes.reserve(static_cast<size_t>(airports));
  plan.airportsTxt.reserve(static_cast<size_t>(airports) * 40 + 64);
  plan.airportsTxt += "; Generated airports\r\n";
  for (int i = 0; i < airports; ++i) {
    codes.push_back(GeneratedAirportCode(i));
    std::string& out = plan.airportsTxt;
    out += codes.back();
    out += ',';
    AppendCoordinate(out, 'N', 'S', rng.Range(-55 * 6000, 70 * 6000));
    out += ',';
    AppendCoordinate(out, 'E', 'W', rng.Range(-180 * 6000 + 1, 180 * 6000 - 1));
    out += ',';
    out += std::to_string(rng.Range(0, 7000));
    out += "\r\n";
  }

  plan.aircraftTxt += "; Generated aircraft\r\n";
  std::vector<int> speeds;
  for (int i = 1; i <= aircraft; ++i) {
    speeds.push_back(rng.Range(250, 500));
    plan.aircraftTxt += "AC#" + std::to_string(i) + "," + std::to_string(speeds.back()) +
                        ",\"VELK Bench Type " + std::to_string(i) + "\"\r\n";
  }

  std::string& out = plan.flightPlansTxt;
  out.reserve(static_cast<size_t>(std::max(o.flights, 0)) * (40 + 40 * (minLegs + maxLegs) / 2));
  out += "; Generated flight plans\r\n";
  char buf[64];
  for (int f = 0; f < o.flights; ++f) {
    if (o.comments && f % 100 == 0) {
      out += "// Block " + std::to_string(f / 100) + "\r\n";
    }
    const int ac = rng.Range(1, aircraft);
    const bool weekly = rng.Percent(o.weeklyPercent);
    const int legs = rng.Range(minLegs, maxLegs);
    // Registration: "VK" and five base-36 characters of the flight number,
    // so every flight has its own.
    std::snprintf(buf, sizeof buf, "AC#%d,VK", ac);
    out += buf;
    for (int i = 4, v = f; i >= 0; --i) {
      int p = 1;
      for (int k = 0; k < i; ++k) p *= 36;
      int d = v / p % 36;
      out += static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
    }
    std::snprintf(buf, sizeof buf, ",%d%%,%s,%s", rng.Range(1, 20) * 5, weekly ? "WEEK" : "24Hr",
                  rng.Percent(90) ? "IFR" : "VFR");
    out += buf;
    const int home = rng.Range(0, airports - 1);
    int at = home;
    long t = weekly ? rng.Range(0, 6) * 86400L + rng.Range(0, 287) * 300L : rng.Range(0, 287) * 300L;
    const int number = rng.Range(1, 9000);
    for (int k = 0; k < legs; ++k) {
      // A closed cycle: out from home, never through it, back on the last leg.
      int dest = home;
      if (k + 1 < legs) {
        do dest = rng.Range(0, airports - 1);
        while (dest == at || dest == home);
      }
      const long duration = rng.Range(6, 60) * 300L;
      out += ',';
      AppendTime(out, t, weekly);
      out += ',';
      if (rng.Percent(10)) out += '@';
      AppendTime(out, t + duration, weekly);
      std::snprintf(buf, sizeof buf, ",%03d,%c,%04d,", rng.Range(5, 41) * 10,
                    rng.Percent(90) ? 'F' : 'R', number + k);
      out += buf;
      out += codes[static_cast<size_t>(dest)];
      at = dest;
      t += duration + rng.Range(6, 18) * 300L;
    }
    if (o.comments && rng.Percent(5)) out += " ; note";
    out += "\r\n";
  }
  return plan;
}

bool WritePlanFolder(const std::filesystem::path& folder, const PlanGenOptions& options) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  GeneratedPlan plan = GeneratePlan(options);
  return WriteBytes(folder / "Airports.txt", plan.airportsTxt) &&
         WriteBytes(folder / "Aircraft.txt", plan.aircraftTxt) &&
         WriteBytes(folder / "FlightPlans.txt", plan.flightPlansTxt);
}

}  // namespace velk::bench
