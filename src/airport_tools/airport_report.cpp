#include "airport_tools/airport_report.h"

#include <cstdio>

#include "data/text_number.h"
#include "platform/pad_text.h"

namespace velk {
namespace {

// Every value sits in a column of fixed width (ColumnText): a value too wide
// for its column pushes the rest of the line along by what it overflows, and
// one blank, instead of running into the next value.

constexpr double kFeetPerMetre = 3.281;
const std::string kTab = "\t";
const std::string kEnd = "\r\n";

std::string Feet(std::int64_t metres) {
  return std::to_string(text_number::RoundHalfEven(static_cast<double>(metres) * kFeetPerMetre));
}

std::string Fixed2(double value) { return text_number::FormatFixed(value, 2); }

// Up to seven significant digits, no trailing zeros: 95.5 gives "95.5".
std::string GeneralNumber(float value) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(value));
  return buf;
}

std::string YesNo(bool flag) { return flag ? "Yes" : "No"; }

std::string PatternText(int pattern) {
  switch (pattern) {
    case 0: return ColumnText("None", 8);
    case 1: return ColumnText("Left", 8);
    case 2: return ColumnText("Right", 8);
    default: return "";
  }
}

// The number of the end opposite a runway number: 9 faces 27. A number
// above 18 is the higher end already, so its opposite is 18 lower.
int OppositeNumber(int number) { return number > 18 ? number - 18 : number + 18; }

std::string RunwayLine(const SceneryRunway& r, const std::string& name, double heading, bool takeoff, bool landing,
                       int pattern) {
  return kTab + ColumnText(name, 8) + ColumnText(Feet(r.Elevation) + "ft", 10) + ColumnText(Fixed2(heading), 8) +
         ColumnText(Fixed2(r.Variation), 6) + ColumnText(std::to_string(r.Length) + "ft", 8) +
         ColumnText(std::to_string(r.Width) + "ft", 6) + ColumnText(SurfaceName(r.Surface), 12) +
         ColumnText(YesNo(takeoff), 5) + ColumnText(YesNo(landing), 5) + PatternText(pattern) + kEnd;
}

std::string IlsLine(const std::string& end, const std::string& ident, float heading, const std::string& frequency) {
  return kTab + ColumnText(end, 8) + ColumnText(ident, 8) + ColumnText(GeneralNumber(heading), 8) +
         ColumnText(frequency, 8) + kEnd;
}

}  // namespace

std::string RunwayEndName(const SceneryRunway& r) {
  switch (r.Designator) {
    case 1: return std::to_string(r.Number) + "L";
    case 2: return std::to_string(r.Number) + "R";
    case 3: return std::to_string(r.Number) + "C";
    case 4: return "Helipad";
    default: return std::to_string(r.Number);
  }
}

std::string RunwayOppositeEndName(const SceneryRunway& r) {
  const std::string number = std::to_string(OppositeNumber(r.Number));
  switch (r.Designator) {
    case 1: return number + "R";
    case 2: return number + "L";
    case 3: return number + "C";
    case 4: return "Helipad";
    default: return number;
  }
}

std::string AirportReportCaption(const SceneryAirport& a) {
  return "Airport Information for " + a.Name + " (" + a.ICAO + ")";
}

std::string AirportReport(const SceneryAirport& a) {
  std::string out;
  out += ColumnText("Airport:", 17) + a.Name + " (" + a.ICAO + ")" + kEnd;
  out += ColumnText("Location:", 17) + a.City + " - " + a.Country + (a.State.empty() ? "" : "/" + a.State) + " (" +
         a.Region + ")" + kEnd;
  out += ColumnText("Reference Point:", 17) + a.Latitude + " " + a.Longitude + kEnd;
  out += ColumnText("Elevation:", 17) + Feet(a.Elevation) + "ft" + kEnd;

  out += kEnd + "Runways:" + kEnd + kEnd;
  out += kTab + ColumnText("Name", 8) + ColumnText("Elevation", 10) + ColumnText("Heading", 8) + ColumnText("Var.", 6) +
         ColumnText("Lenght", 8) + ColumnText("Width", 6) + ColumnText("Surface", 12) + ColumnText("TO", 5) +
         ColumnText("Land", 5) + ColumnText("Pattern", 8) + kEnd + kEnd;
  for (const SceneryRunway& r : a.Runways) {
    out += RunwayLine(r, RunwayEndName(r), r.Heading, r.TakeoffEnd1, r.LandingEnd1, r.PatternEnd1);
    if (r.Designator == 4) continue;
    // The opposite heading is worked out in single precision, as stored.
    float opposite = r.Heading > 180.0f ? r.Heading - 180.0f : r.Heading + 180.0f;
    out += RunwayLine(r, RunwayOppositeEndName(r), opposite, r.TakeoffEnd2, r.LandingEnd2, r.PatternEnd2);
  }

  out += kEnd;
  out += kTab + "Maximum Runway length for Takeoff: " + std::to_string(a.TakeoffLength) + "ft" + kEnd;
  out += kTab + "Maximum Runway length for Landing: " + std::to_string(a.LandingLength) + "ft" + kEnd;

  out += kEnd + "ILS:" + kEnd + kEnd;
  out += kTab + ColumnText("Runway", 8) + ColumnText("Ident.", 8) + ColumnText("Heading", 8) + ColumnText("Freq.", 8) +
         kEnd + kEnd;
  for (const SceneryRunway& r : a.Runways) {
    if (!r.ILSIdentEnd1.empty()) out += IlsLine(RunwayEndName(r), r.ILSIdentEnd1, r.ILSHeadingEnd1, r.ILSFrequencyEnd1);
    if (!r.ILSIdentEnd2.empty())
      out += IlsLine(RunwayOppositeEndName(r), r.ILSIdentEnd2, r.ILSHeadingEnd2, r.ILSFrequencyEnd2);
  }

  out += kEnd + "Frequencies:" + kEnd + kEnd;
  out += kTab + ColumnText("Name", 45) + ColumnText("Type", 11) + ColumnText("Freq.", 8) + kEnd + kEnd;
  for (const SceneryFrequency& q : a.Frequencies)
    out += kTab + ColumnText(q.Name, 45) + ColumnText(FrequencyTypeName(q.Type), 11) + ColumnText(q.Frequency, 8) +
           kEnd;

  out += kEnd + "Parking (" + std::to_string(a.ParkingCount()) + "):" + kEnd + kEnd;
  const std::pair<const char*, int> counted[] = {
      {"Gate Heavy:", 10},    {"Gate Medium:", 9},    {"Gate Small:", 8},    {"Dock GA:", 11},
      {"Ramp GA Large:", 4},  {"Ramp GA Medium:", 3}, {"Ramp GA Small:", 2}, {"Ramp Cargo:", 5},
      {"Ramp Mil Cargo:", 6}, {"Ramp Mil Combat:", 7}};
  for (const auto& [label, type] : counted) {
    int count = 0;
    for (const SceneryParking& k : a.Parkings)
      if (k.Type == type) ++count;
    out += kTab + ColumnText(label, 18) + std::to_string(count) + kEnd;
  }
  out += kEnd;
  out += kTab + ColumnText("Name", 15) + ColumnText("Type", 17) + ColumnText("Radius", 10) + ColumnText("Heading", 8) +
         kEnd + kEnd;
  for (const SceneryParking& k : a.Parkings) {
    std::string type = ParkingTypeName(k.Type);
    // The feet are held in single precision before they are written.
    float feet = static_cast<float>(static_cast<double>(k.Radius) * kFeetPerMetre);
    out += kTab + ColumnText(k.Name, 15) + (type.empty() ? "" : ColumnText(type, 17)) +
           ColumnText(text_number::FormatFixed(feet, 1) + "ft", 10) + ColumnText(Fixed2(k.Heading), 8) + kEnd;
  }
  return out;
}

}  // namespace velk
