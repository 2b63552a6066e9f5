#include "shuffle/scenery_files.h"

#include <unordered_map>
#include <unordered_set>

#include "data/text_number.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

const std::string kRule = ";" + std::string(81, '-');

void Add(std::string& out, std::string_view line) {
  out.append(line);
  out += "\r\n";
}

// Names in the order they are first met, letter case ignored.
class FirstSeen {
 public:
  void Add(const std::string& name) {
    if (keys_.insert(UpperCp1252(name)).second) names_.push_back(name);
  }
  const std::vector<std::string>& Names() const { return names_; }

 private:
  std::unordered_set<std::string> keys_;
  std::vector<std::string> names_;
};

}  // namespace

std::string NewAirlineConfigText(const std::vector<SceneryAirport>& scenery) {
  FirstSeen regions;
  FirstSeen countries;
  for (const SceneryAirport& a : scenery) {
    if (!a.Region.empty()) regions.Add(a.Region);
    if (!a.Country.empty()) countries.Add(a.Region + "/" + a.Country);
  }
  std::string out;
  for (const char* line : {kRule.c_str(),
                           ";------------------------------------ R E G I O N S ------------------------------",
                           kRule.c_str(), ";Airline Format: AIRLINE,PERCENT", ";Tailnumber Format: #NUMBER",
                           ";   Placeholder:", ";           ! - Random Number", ";           . - Random Char",
                           ";           ? - Random Number or Char", kRule.c_str(), "", "[Global]", ""}) {
    Add(out, line);
  }
  for (const std::string& region : regions.Names()) {
    Add(out, "[Region:" + region + "]");
    Add(out, "");
  }
  Add(out, kRule);
  Add(out, ";----------------------------------- C O U N T R I E S ---------------------------");
  Add(out, kRule);
  Add(out, "");
  for (const std::string& pair : countries.Names()) {
    Add(out, "[Country:" + pair + "]");
    Add(out, "");
  }
  return out;
}

std::string AirportLine(const SceneryAirport& airport, const std::string& icao) {
  long long feet = text_number::RoundHalfEven(airport.Elevation * 3.281);
  return icao + "," + airport.Latitude + "," + airport.Longitude + "," + std::to_string(feet);
}

std::string NewAirportsText(const std::vector<SceneryAirport>& scenery) {
  std::string out;
  for (const SceneryAirport& a : scenery) Add(out, AirportLine(a, a.ICAO));
  return out;
}

std::string FlightplanAirportsText(const std::vector<Flight>& flights, const std::vector<SceneryAirport>& scenery) {
  std::unordered_map<std::string, std::vector<size_t>> byCode;  // upper-case code -> scenery airports
  for (size_t k = 0; k < scenery.size(); ++k) byCode[UpperCp1252(scenery[k].ICAO)].push_back(k);
  std::unordered_set<std::string> written;
  std::string out;
  for (const Flight& flight : flights) {
    for (const FlightLeg& leg : flight.Legs) {
      std::string code = UpperCp1252(leg.DestinationIcao);
      if (!written.insert(code).second) continue;
      auto found = byCode.find(code);
      if (found == byCode.end()) continue;
      for (size_t k : found->second) Add(out, AirportLine(scenery[k], code));
    }
  }
  return out;
}

std::filesystem::path FlightplanAirportsPath(const std::filesystem::path& planPath) {
  return planPath.parent_path() / kFlightplanAirportsFileName;
}

}  // namespace velk
