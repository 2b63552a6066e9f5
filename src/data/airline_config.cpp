#include "data/airline_config.h"

#include <algorithm>
#include <optional>

#include "data/config_text.h"

namespace velk {
namespace {

struct AirlineTables {
  LocationRules global;
  std::vector<LocationRules> region, country, city, state, airport;
};

AirlineTables& Tables() {
  static AirlineTables tables;
  return tables;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

void ReadBodyLine(LocationRules& rules, std::string_view line) {
  if (line.empty() || line[0] == ';') return;
  if (line[0] == '#') {
    if (!rules.TailPatterns.empty()) rules.TailPatterns += ',';
    rules.TailPatterns += UpperCp1252(line.substr(1));
    return;
  }
  std::vector<std::string_view> fields = SplitAtCommas(line);
  AirlineShare share;
  share.Name = CleanConfigEntry(fields[0]);
  if (fields.size() >= 2) {
    // A percent too large for 32 bits is simply more than 100.
    if (std::optional<int> percent = ParseWholeNumberClamped(TrimSpaces(fields[1]))) {
      share.Percent = std::min(*percent, 100);
    }
  }
  rules.Airlines.push_back(std::move(share));
}

}  // namespace

LocationRules& GlobalRules() { return Tables().global; }
std::vector<LocationRules>& RegionRules() { return Tables().region; }
std::vector<LocationRules>& CountryRules() { return Tables().country; }
std::vector<LocationRules>& CityRules() { return Tables().city; }
std::vector<LocationRules>& StateRules() { return Tables().state; }
std::vector<LocationRules>& AirportRules() { return Tables().airport; }

std::string CleanConfigEntry(std::string_view text) {
  std::string_view name = TrimSpaces(text);
  name = name.substr(0, name.find('('));
  name = name.substr(0, name.find(';'));
  return std::string(name);
}

bool ReadAirlineConfig(const std::filesystem::path& programFolder) {
  const std::filesystem::path path = programFolder / kAirlineConfigFileName;
  std::optional<std::vector<std::string>> lines;
  if (ConfigFileExists(path)) lines = ReadConfigLines(path);
  if (!lines) {
    // A file that is there but cannot be read leaves the shuffle with no
    // airlines at all; the user hears of it as of a missing file.
    ShowConfigMessage("File 'VELK_AL.CFG' not found.");
    return false;
  }

  AirlineTables working;
  struct Kind {
    std::string_view prefix;
    std::vector<LocationRules>* table;
  };
  const Kind kinds[] = {{"REGION:", &working.region},   {"COUNTRY:", &working.country},
                        {"CITY:", &working.city},       {"AIRPORT:", &working.airport},
                        {"STATE:", &working.state}};

  size_t i = 0;
  while (i < lines->size()) {
    const std::string& line = (*lines)[i];
    ++i;
    size_t close = line.empty() || line[0] != '[' ? std::string::npos : line.find(']', 1);
    if (close == std::string::npos) continue;
    std::string_view header = TrimSpaces(std::string_view(line).substr(1, close - 1));
    std::string upper = UpperCp1252(header);

    LocationRules* target = nullptr;
    if (StartsWith(upper, "GLOBAL")) {
      working.global.Name = "Global";
      target = &working.global;
    } else {
      for (const Kind& kind : kinds) {
        if (!StartsWith(upper, kind.prefix)) continue;
        std::string_view name = TrimSpaces(header.substr(kind.prefix.size()));
        if (!name.empty()) {
          kind.table->push_back(LocationRules{});
          kind.table->back().Name = std::string(name);
          target = &kind.table->back();
        }
        break;
      }
    }
    if (!target) continue;
    while (i < lines->size() && ((*lines)[i].empty() || (*lines)[i][0] != '[')) {
      ReadBodyLine(*target, (*lines)[i]);
      ++i;
    }
  }
  Tables() = std::move(working);
  return true;
}

}  // namespace velk
