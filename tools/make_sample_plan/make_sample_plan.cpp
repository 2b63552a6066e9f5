// velk-make-sample-plan FOLDER: writes the sample traffic plan
// (Airports.txt, Aircraft.txt, FlightPlans.txt) into FOLDER.
//
// Forty real airports with their positions and elevations, fifteen aircraft
// types of our own naming, and 300 flights of 2 to 6 legs, daily and weekly,
// each a closed cycle that its aircraft can fly: every leg within the type's
// range, levels by direction of flight, arrival times from the great-circle
// distance at the type's cruise speed plus a quarter of an hour, and room for
// the turn-arounds within the day or the week. The output is the same on
// every run and every machine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/splitmix_rng.h"
#include "common/tool_args.h"
#include "platform/text_file.h"

namespace {

struct AirportRow {
  const char* icao;
  const char* city;
  int latMicro;  // millionths of a degree, north positive
  int lonMicro;  // millionths of a degree, east positive
  int elevationFt;
  const char* registrationPrefix;  // of the aircraft based there
  int registrationStyle;           // 0: letters after the prefix, 1: "N" digits, 2: "JA" digits
};

const AirportRow kAirports[] = {
    {"KBOS", "Boston", 42362900, -71006400, 20, "N", 1},
    {"KJFK", "New York", 40639800, -73778900, 13, "N", 1},
    {"KIAD", "Washington", 38944500, -77455800, 313, "N", 1},
    {"KATL", "Atlanta", 33636700, -84428100, 1026, "N", 1},
    {"KMIA", "Miami", 25793300, -80290600, 8, "N", 1},
    {"KORD", "Chicago", 41978600, -87904800, 672, "N", 1},
    {"KDFW", "Dallas-Fort Worth", 32896800, -97038000, 607, "N", 1},
    {"KDEN", "Denver", 39861700, -104673100, 5434, "N", 1},
    {"KPHX", "Phoenix", 33434300, -112011600, 1135, "N", 1},
    {"KLAX", "Los Angeles", 33942500, -118408100, 128, "N", 1},
    {"KSFO", "San Francisco", 37619000, -122374900, 13, "N", 1},
    {"KSEA", "Seattle", 47449000, -122309300, 433, "N", 1},
    {"CYYZ", "Toronto", 43677200, -79630600, 569, "C-F", 0},
    {"CYVR", "Vancouver", 49193900, -123184400, 14, "C-G", 0},
    {"MMMX", "Mexico City", 19436300, -99072100, 7316, "XA-", 0},
    {"PHNL", "Honolulu", 21318700, -157922500, 13, "N", 1},
    {"EGLL", "London", 51470600, -461900, 83, "G-", 0},
    {"EIDW", "Dublin", 53421300, -6270100, 242, "EI-", 0},
    {"LFPG", "Paris", 49009700, 2547800, 392, "F-G", 0},
    {"EHAM", "Amsterdam", 52308600, 4763900, -11, "PH-", 0},
    {"EDDF", "Frankfurt", 50033300, 8570600, 364, "D-A", 0},
    {"EDDM", "Munich", 48353800, 11786100, 1487, "D-A", 0},
    {"LSZH", "Zurich", 47464700, 8549200, 1416, "HB-", 0},
    {"LOWW", "Vienna", 48110300, 16569700, 600, "OE-L", 0},
    {"EKCH", "Copenhagen", 55618100, 12656100, 17, "OY-", 0},
    {"ESSA", "Stockholm", 59651900, 17918600, 137, "SE-", 0},
    {"ENGM", "Oslo", 60193900, 11100400, 681, "LN-", 0},
    {"LEMD", "Madrid", 40471900, -3562600, 1998, "EC-", 0},
    {"LPPT", "Lisbon", 38781300, -9135900, 374, "CS-T", 0},
    {"LIRF", "Rome", 41800300, 12238900, 13, "I-", 0},
    {"LGAV", "Athens", 37936400, 23944500, 308, "SX-", 0},
    {"OMDB", "Dubai", 25252800, 55364400, 62, "A6-", 0},
    {"VHHH", "Hong Kong", 22308900, 113914600, 28, "B-H", 0},
    {"WSSS", "Singapore", 1350200, 103994000, 22, "9V-S", 0},
    {"RJTT", "Tokyo Haneda", 35552300, 139779800, 35, "JA", 2},
    {"RJAA", "Tokyo Narita", 35764700, 140386400, 141, "JA", 2},
    {"YSSY", "Sydney", -33946100, 151177200, 21, "VH-", 0},
    {"NZAA", "Auckland", -37008200, 174785000, 23, "ZK-", 0},
    {"SBGR", "Sao Paulo", -23435600, -46473100, 2459, "PR-", 0},
    {"FAOR", "Johannesburg", -26139200, 28246000, 5558, "ZS-", 0},
};
constexpr int kAirportCount = sizeof kAirports / sizeof kAirports[0];

struct AircraftRow {
  const char* title;
  int cruiseKt;
  int rangeNm;
  int minLevel;  // hundreds of feet
  int maxLevel;
  bool prop;     // turboprops and the charter twin: short legs, call by registration
};

const AircraftRow kAircraft[] = {
    {"VELK Sample 737-800 Blue", 450, 2900, 290, 410, false},
    {"VELK Sample 737-800 Green", 450, 2900, 290, 410, false},
    {"VELK Sample A320 Red", 447, 3000, 290, 390, false},
    {"VELK Sample A320 White", 447, 3000, 290, 390, false},
    {"VELK Sample 757-200 Grey", 460, 3900, 310, 410, false},
    {"VELK Sample 767-300 Orange", 470, 5900, 310, 410, false},
    {"VELK Sample 777-200 Silver", 490, 7500, 310, 410, false},
    {"VELK Sample 747-400 Navy", 490, 7200, 310, 410, false},
    {"VELK Sample A340-300 Gold", 475, 7000, 310, 410, false},
    {"VELK Sample MD-80 Yellow", 440, 2000, 290, 370, false},
    {"VELK Sample CRJ-200 Teal", 420, 1300, 250, 370, false},
    {"VELK Sample Fokker 100 Purple", 410, 1300, 250, 350, false},
    {"VELK Sample Dash 8 Sky", 270, 800, 170, 250, true},
    {"VELK Sample ATR 72 Coral", 275, 800, 170, 250, true},
    {"VELK Sample King Air Charter", 260, 900, 150, 250, true},
};
constexpr int kAircraftCount = sizeof kAircraft / sizeof kAircraft[0];

constexpr int kFlights = 300;
constexpr int kMinLegNm = 90;
constexpr long kDay = 86400;
constexpr long kWeek = 7 * kDay;

using Rng = velk::tools::SplitMixRng;

// Latitude "N42* 21.77'": whole degrees, minutes cut (not rounded) to
// hundredths.
std::string Coordinate(int micro, char positive, char negative) {
  long long hundredths = std::llabs(static_cast<long long>(micro)) * 6000 / 1000000;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%c%lld* %lld.%02lld'", micro < 0 ? negative : positive,
                hundredths / 6000, hundredths % 6000 / 100, hundredths % 100);
  return buf;
}

double Radians(int micro) { return micro / 1e6 * 0.017453292519943295; }

double DistanceNm(const AirportRow& a, const AirportRow& b) {
  double p1 = Radians(a.latMicro), p2 = Radians(b.latMicro);
  double dl = Radians(a.lonMicro) - Radians(b.lonMicro);
  double c = std::cos(p1) * std::cos(p2) * std::cos(dl) + std::sin(p1) * std::sin(p2);
  c = std::fmax(-1.0, std::fmin(1.0, c));
  return std::acos(c) * 3437.7467707849396;
}

bool Eastbound(const AirportRow& from, const AirportRow& to) {
  double dl = Radians(to.lonMicro) - Radians(from.lonMicro);
  if (dl > M_PI) dl -= 2 * M_PI;
  if (dl < -M_PI) dl += 2 * M_PI;
  return dl >= 0;
}

// Odd thousands eastbound, even westbound; lower on short legs.
int Level(const AircraftRow& type, double nm, bool east, Rng& rng) {
  int cap = type.maxLevel;
  if (nm < 150) cap = std::min(cap, type.prop ? 170 : 210);
  else if (nm < 300) cap = std::min(cap, type.prop ? 210 : 290);
  else if (nm < 600) cap = std::min(cap, 350);
  int low = std::min(type.minLevel, cap);
  int level = rng.Range(low / 10, cap / 10) * 10;
  if (((level / 10) % 2 == 1) != east) level += level + 10 <= cap ? 10 : -10;
  return level;
}

std::string Time(long seconds, bool weekly) {
  char buf[24];
  if (weekly) {
    seconds %= kWeek;
    std::snprintf(buf, sizeof buf, "%ld/%02ld:%02ld:%02ld", seconds / kDay, seconds % kDay / 3600,
                  seconds % 3600 / 60, seconds % 60);
  } else {
    seconds %= kDay;
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", seconds / 3600, seconds % 3600 / 60,
                  seconds % 60);
  }
  return buf;
}

std::string Registration(const AirportRow& home, int serial, Rng& rng) {
  std::string r = home.registrationPrefix;
  auto letter = [&] { return static_cast<char>('A' + rng.Range(0, 25)); };
  switch (home.registrationStyle) {
    case 1:  // N123VK
      r += std::to_string(100 + serial % 900);
      r += 'V';
      r += letter();
      break;
    case 2:  // JA801V
      r += std::to_string(800 + serial % 200);
      r += letter();
      break;
    default:
      while (r.size() < 6) r += letter();
      break;
  }
  return r;
}

struct Leg {
  int dest;
  long departure;
  long arrival;
  int level;
  bool fixed;
};

// A closed cycle from `home` of `legs` legs that `type` can fly, or an empty
// list when none was found.
std::vector<int> Route(int home, int legs, const AircraftRow& type, Rng& rng) {
  auto ok = [&](int a, int b) {
    if (a == b) return false;
    double d = DistanceNm(kAirports[a], kAirports[b]);
    return d >= kMinLegNm && d <= type.rangeNm;
  };
  for (int attempt = 0; attempt < 200; ++attempt) {
    std::vector<int> stops;
    int at = home;
    bool failed = false;
    for (int k = 0; k + 1 < legs && !failed; ++k) {
      std::vector<int> options;
      for (int c = 0; c < kAirportCount; ++c) {
        if (c == home || !ok(at, c)) continue;
        if (k + 2 == legs && !ok(c, home)) continue;
        options.push_back(c);
      }
      if (options.empty()) {
        failed = true;
      } else {
        at = options[static_cast<size_t>(rng.Range(0, static_cast<int>(options.size()) - 1))];
        stops.push_back(at);
      }
    }
    if (!failed) {
      stops.push_back(home);
      return stops;
    }
  }
  return {};
}

bool Feasible(int home, const AircraftRow& type) {
  for (int c = 0; c < kAirportCount; ++c) {
    double d = DistanceNm(kAirports[home], kAirports[c]);
    if (c != home && d >= kMinLegNm && d <= type.rangeNm) return true;
  }
  return false;
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  return velk::WriteFileAtomic(path, text);
}

}  // namespace

int main(int argc, char** argv) {
  if (auto status = velk::tools::CheckPlainArguments(argc, argv, 1, 1, "usage: velk-make-sample-plan FOLDER\n"))
    return *status;
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  Rng rng(20021);

  std::string airports =
      "; VELK sample plan: airports\r\n"
      "; ICAO, latitude, longitude, elevation in feet\r\n"
      "// Written by tools/make_sample_plan; change the tool, not this file.\r\n";
  for (const auto& a : kAirports) {
    airports += std::string(a.icao) + "," + Coordinate(a.latMicro, 'N', 'S') + "," +
                Coordinate(a.lonMicro, 'E', 'W') + "," + std::to_string(a.elevationFt) + " ; " +
                a.city + "\r\n";
  }

  std::string aircraft =
      "; VELK sample plan: aircraft types\r\n"
      "; AC number, cruise speed in knots, \"title\"\r\n"
      "// Written by tools/make_sample_plan; change the tool, not this file.\r\n";
  for (int i = 0; i < kAircraftCount; ++i) {
    aircraft += "AC#" + std::to_string(i + 1) + "," + std::to_string(kAircraft[i].cruiseKt) +
                ",\"" + kAircraft[i].title + "\"\r\n";
  }

  // Flights grouped by home airport: every airport is home to at least one
  // flight, and every type flies.
  std::vector<std::vector<std::string>> byHome(kAirportCount);
  int flightNumberBase = 100;
  for (int i = 0; i < kFlights; ++i) {
    int typeIndex = i % kAircraftCount;
    int home = i < kAirportCount ? i : rng.Range(0, kAirportCount - 1);
    while (!Feasible(home, kAircraft[typeIndex])) {
      if (i < kAirportCount) {
        typeIndex = rng.Range(0, kAircraftCount - 1);
      } else {
        home = rng.Range(0, kAirportCount - 1);
      }
    }
    const AircraftRow& type = kAircraft[typeIndex];
    bool weekly = rng.Percent(30);
    int legs = rng.Range(2, 6);
    std::vector<Leg> plan;
    for (;;) {
      std::vector<int> stops = Route(home, legs, type, rng);
      if (stops.empty()) {
        legs = legs > 2 ? legs - 1 : 2;
        continue;
      }
      long start = (weekly ? rng.Range(0, 6) * kDay : 0) + rng.Range(5 * 12, 14 * 12) * 300L;
      long t = start;
      int at = home;
      plan.clear();
      for (int dest : stops) {
        double nm = DistanceNm(kAirports[at], kAirports[dest]);
        long flight = static_cast<long>(nm / (type.cruiseKt / 3600.0)) + 900;
        Leg leg{dest, t, t + flight, Level(type, nm, Eastbound(kAirports[at], kAirports[dest]), rng),
                rng.Percent(8)};
        plan.push_back(leg);
        at = dest;
        long turn = rng.Range(7, 18) * 300L;
        t = (leg.arrival + turn + 299) / 300 * 300;
      }
      long cycle = plan.back().arrival - start;
      if (!weekly && cycle > kDay - 1800) {
        // Too long for a day: fewer legs, or else once a week.
        if (legs > 2) --legs;
        else weekly = true;
        continue;
      }
      if (weekly && cycle > kWeek - 3600) {
        legs = legs > 2 ? legs - 1 : 2;
        continue;
      }
      break;
    }
    const AirportRow& base = kAirports[home];
    int percent = 10 + 5 * rng.Range(0, 16);  // 10% to 90%
    bool vfr = type.prop && rng.Percent(40);
    std::string line = "AC#" + std::to_string(typeIndex + 1) + "," + Registration(base, i, rng) + "," +
                       std::to_string(percent) + "%," + (weekly ? "WEEK" : "24Hr") + "," +
                       (vfr ? "VFR" : "IFR");
    int at = home;
    for (size_t k = 0; k < plan.size(); ++k) {
      const Leg& leg = plan[k];
      // Visual flights cruise low, at odd thousands and a half eastbound,
      // even ones westbound.
      int cruise = leg.level;
      if (vfr) {
        bool east = Eastbound(kAirports[at], kAirports[leg.dest]);
        cruise = (rng.Range(2, 5) * 2 + (east ? 1 : 0)) * 10 + 5;
      }
      at = leg.dest;
      char level[8];
      std::snprintf(level, sizeof level, "%03d", cruise);
      char number[8];
      std::snprintf(number, sizeof number, "%04d", flightNumberBase + static_cast<int>(k));
      line += "," + Time(leg.departure, weekly) + "," + (leg.fixed ? "@" : "") +
              Time(leg.arrival, weekly) + "," + level + "," +
              (type.prop && rng.Percent(50) ? "R" : "F") + "," + number + "," +
              kAirports[leg.dest].icao;
    }
    flightNumberBase += 10 + 10 * static_cast<int>(plan.size() / 5);
    if (weekly && rng.Percent(15)) line += " ; once a week";
    else if (rng.Percent(4)) line += " // seasonal";
    byHome[static_cast<size_t>(home)].push_back(line);
  }

  std::string flights =
      "; VELK sample plan: 300 flights over 40 airports, daily (24Hr) and weekly (WEEK)\r\n"
      "; aircraft, registration, AI percent, period, IFR/VFR, then for each leg:\r\n"
      ";   departure, arrival (\"@\" = fixed), flight level, F/R, flight number, destination\r\n"
      "// Written by tools/make_sample_plan; change the tool, not this file.\r\n";
  for (int h = 0; h < kAirportCount; ++h) {
    flights += "\r\n; --- based at " + std::string(kAirports[h].icao) + " (" + kAirports[h].city +
               ") ---\r\n";
    for (const auto& line : byHome[static_cast<size_t>(h)]) flights += line + "\r\n";
  }

  bool ok = WriteFile(folder / "Airports.txt", airports) &&
            WriteFile(folder / "Aircraft.txt", aircraft) &&
            WriteFile(folder / "FlightPlans.txt", flights);
  if (!ok) {
    std::fprintf(stderr, "velk-make-sample-plan: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
