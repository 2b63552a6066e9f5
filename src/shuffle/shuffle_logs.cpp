#include "shuffle/shuffle_logs.h"

#include <cstdint>
#include <vector>

#include "platform/text_file.h"

namespace velk {
namespace {

const std::string kRule(66, '-');

class Lines {
 public:
  Lines& operator<<(std::string_view line) {
    text_.append(line);
    text_ += "\r\n";
    return *this;
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string N(long long v) { return std::to_string(v); }

// assigned * 100 / flights with two decimals, a half rounded away from zero.
std::string Percentage(int assigned, int flights) {
  std::int64_t num = static_cast<std::int64_t>(assigned) * 100 * 100;
  std::int64_t den = flights;
  bool negative = (num < 0) != (den < 0);
  if (num < 0) num = -num;
  if (den < 0) den = -den;
  std::int64_t hundredths = (2 * num + den) / (2 * den);
  std::string fraction = N(hundredths % 100);
  if (fraction.size() < 2) fraction.insert(0, 1, '0');
  return (negative && hundredths != 0 ? "-" : "") + N(hundredths / 100) + "." + fraction;
}

void AircraftLines(Lines& out, const AirlineShare& airline) {
  out << "\tAircraft (" + N(airline.AircraftCount()) + "):";
  for (const FSAircraft& a : airline.Aircraft) out << "\t\t" + a.Title + ": " + N(a.UseCount) + " flights";
}

void AirlineBlock(Lines& out, const AirlineShare& airline, int sectionFlights) {
  out << "\t" + kRule;
  out << "\tAirline: " + airline.Name;
  out << "\tTotal flights: " + N(airline.Assigned);
  out << "\tPlaned Percent: " + N(airline.PlannedPercent);
  out << (sectionFlights == 0 ? std::string("\tAchieved Percent: 0")
                              : "\tAchieved Percent: " + Percentage(airline.Assigned, sectionFlights));
  AircraftLines(out, airline);
  out << "\t" + kRule << "" << "";
}

void SectionBlock(Lines& out, const std::string& kind, const std::string& name, const LocationRules& section) {
  out << kRule << kind + ": " + name << "Airlines: " + N(section.AirlineCount())
      << "Total flights: " + N(section.FlightCount) << kRule << "" << "";
  for (const AirlineShare& airline : section.Airlines) AirlineBlock(out, airline, section.FlightCount);
}

}  // namespace

std::filesystem::path ShuffleLogFolder(const std::filesystem::path& planPath) { return planPath.parent_path(); }

void ShuffleLogFile::Line(std::string_view text) {
  text_.append(text);
  text_ += "\r\n";
}

bool ShuffleLogFile::Save(const std::filesystem::path& path) const { return WriteFileAtomic(path, text_); }

std::string ShuffleResultText(const LocationTables& tables, const AirlineShare& noAirline) {
  Lines out;
  out << kRule << "No Airline: " << "Total flights: " + N(noAirline.Assigned);
  AircraftLines(out, noAirline);
  out << "\t" + kRule << "" << "";

  SectionBlock(out, "Region", "Global", tables.Global);
  const std::pair<const char*, const std::vector<LocationRules>*> kinds[] = {{"Region", &tables.Regions},
                                                                             {"Country", &tables.Countries},
                                                                             {"State", &tables.States},
                                                                             {"City", &tables.Cities},
                                                                             {"Airport", &tables.Airports}};
  for (const auto& [kind, table] : kinds) {
    for (const LocationRules& section : *table) SectionBlock(out, kind, section.Name, section);
  }
  return out.Take();
}

bool WriteShuffleResult(const std::filesystem::path& planPath, const LocationTables& tables,
                        const AirlineShare& noAirline) {
  return WriteFileAtomic(ShuffleLogFolder(planPath) / kShuffleResultFileName, ShuffleResultText(tables, noAirline));
}

}  // namespace velk
