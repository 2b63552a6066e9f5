#include "plan_generator.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace bench {
namespace {

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed * 2862933555777941757ull + 3037000493ull) {}
  std::uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return static_cast<std::uint32_t>(s_ >> 16);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint64_t s_;
};

std::string Code(int i) {
  std::string c(4, 'A');
  for (int k = 3; k >= 0; --k) {
    c[k] = static_cast<char>('A' + i % 26);
    i /= 26;
  }
  return c;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

void GeneratePlan(const std::filesystem::path& folder, const PlanSize& size, std::uint64_t seed) {
  Rng rng(seed);
  char buf[256];
  // Airports gather in regions a few hundred miles across, as real
  // networks do; traffic lies mostly between 60S and 70N.
  std::string airports;
  const int per_region = 50;
  int center_lat = 0, center_lon = 0;
  for (int i = 0; i < size.airports; ++i) {
    if (i % per_region == 0) {
      center_lat = rng.Below(120) - 55;
      center_lon = rng.Below(350) - 175;
    }
    const int lat = center_lat + rng.Below(7) - 3, lon = center_lon + rng.Below(7) - 3;
    std::snprintf(buf, sizeof buf, "%s,%c%d* %d.%02d',%c%d* %d.%02d',%d\r\n", Code(i).c_str(),
                  lat < 0 ? 'S' : 'N', lat < 0 ? -lat : lat, rng.Below(60), rng.Below(100),
                  lon < 0 ? 'W' : 'E', lon < 0 ? -lon : lon, rng.Below(60), rng.Below(100), rng.Below(8000));
    airports += buf;
  }
  WriteText(folder / "Airports.txt", airports);

  std::string aircraft;
  for (int i = 1; i <= size.aircraft; ++i) {
    std::snprintf(buf, sizeof buf, "AC#%d,%d,\"Generated aircraft type %d\"\r\n", i, 120 + rng.Below(380), i);
    aircraft += buf;
  }
  WriteText(folder / "Aircraft.txt", aircraft);

  static const char* kPeriods[] = {"24Hr", "24Hr", "24Hr", "12Hr", "WEEK"};
  std::string plans;
  plans.reserve(static_cast<std::size_t>(size.flights) * 110);
  plans += "; generated plan\r\n";
  for (int f = 0; f < size.flights; ++f) {
    const char* period = kPeriods[rng.Below(5)];
    const bool week = period[0] == 'W';
    std::snprintf(buf, sizeof buf, "AC#%d,N%05d,%d%%,%s,%s", 1 + rng.Below(size.aircraft), f % 100000,
                  1 + rng.Below(100), period, rng.Below(4) ? "IFR" : "VFR");
    plans += buf;
    // Short hops around a home airport, as real schedules do.
    const int home = rng.Below(size.airports);
    const int legs = 2 + rng.Below(3);
    int minutes = rng.Below(600);
    for (int l = 0; l < legs; ++l) {
      // Mostly within the home region, one leg in ten to another region.
      const int region = home / per_region * per_region;
      int dest = l + 1 == legs ? home : region + rng.Below(per_region);
      if (l + 1 < legs && rng.Below(10) == 0) dest = rng.Below(size.airports);
      if (dest >= size.airports || (dest == home && l + 1 < legs)) dest = (home + 1) % size.airports;
      const int day = rng.Below(7);
      if (week) std::snprintf(buf, sizeof buf, ",%d/%02d:%02d:00", day, minutes / 60 % 24, minutes % 60);
      else std::snprintf(buf, sizeof buf, ",%02d:%02d:00", minutes / 60 % 24, minutes % 60);
      plans += buf;
      std::snprintf(buf, sizeof buf, ",00:00:00,%03d,%c,%d,%s", 50 + rng.Below(350), rng.Below(2) ? 'F' : 'R',
                    rng.Below(9999), Code(dest).c_str());
      plans += buf;
      minutes += 120 + rng.Below(300);
    }
    plans += "\r\n";
  }
  WriteText(folder / "FlightPlans.txt", plans);
}

}  // namespace bench
