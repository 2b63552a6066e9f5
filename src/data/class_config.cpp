#include "data/class_config.h"

#include <utility>

#include "data/config_text.h"
#include "platform/text_file.h"

namespace velk {
namespace {

constexpr std::array<std::string_view, 9> kClassNames = {
    "", "Not Used", "Micro Prop", "Mid Prop", "Large Prop", "Micro Jet", "Small Jet", "Large Jet", "Huge Jet"};

// Class number of an upper-cased section word, 0 when unknown.
int ClassOfSectionWord(std::string_view word) {
  for (int c = 1; c <= 8; ++c) {
    if (word == UpperCp1252(kClassNames[c])) return c;
  }
  return 0;
}

struct Preset {
  int maxFL, minFL, maxRange, minRange, cruiseSpeed;
};

// First five values of each class before the file is read; a class without
// a section in the file keeps them.
constexpr std::array<Preset, 7> kPresets = {{
    {100, 0, 600, 0, 140},       // Micro Prop
    {150, 0, 1100, 0, 200},      // Mid Prop
    {150, 80, 1000, 100, 250},   // Large Prop
    {370, 100, 1000, 100, 400},  // Micro Jet
    {370, 100, 2100, 100, 430},  // Small Jet
    {420, 250, 5500, 1000, 480}, // Large Jet
    {420, 250, 7000, 2000, 490}, // Huge Jet
}};

void ApplyPresets(ClassDefaultSets& defaults) {
  for (size_t k = 0; k < defaults.size(); ++k) {
    ClassSettings& s = defaults[k];
    s.MaxFL = kPresets[k].maxFL;
    s.MinFL = kPresets[k].minFL;
    s.MaxRange = kPresets[k].maxRange;
    s.MinRange = kPresets[k].minRange;
    s.CruiseSpeed = kPresets[k].cruiseSpeed;
    if (k + 2 == kClassMidProp) s.MinFLText.reset();
  }
}

bool IsSectionLine(std::string_view line) {
  return !line.empty() && line[0] == '[' && line.find(']', 1) != std::string_view::npos;
}

// Stores the ten values of a class section line; false when one of its
// numbers does not convert.
bool StoreSectionValues(int aircraftClass, const std::vector<std::string_view>& f, ClassSettings& s) {
  auto num = [&](size_t k, int& out) {
    std::optional<int> v = ParseWholeNumber(f[k]);
    if (!v) return false;
    out = *v;
    return true;
  };
  if (!num(1, s.CruiseSpeed)) return false;
  if (aircraftClass == kClassMidProp) {
    s.MinFLText = std::string(f[2]);
    s.MinFL = ParseWholeNumber(f[2]).value_or(0);
  } else if (!num(2, s.MinFL)) {
    return false;
  }
  if (!num(3, s.MaxFL) || !num(4, s.MinRange) || !num(5, s.MaxRange) || !num(6, s.RunwayLength)) return false;
  s.RunwayTypes = std::string(f[7]);
  if (!num(8, s.MinParkingRadius)) return false;
  s.ParkingTypes = std::string(f[9]);
  return num(10, s.IFRPercent);
}

}  // namespace

std::string_view AircraftClassName(int aircraftClass) {
  if (aircraftClass < 1 || aircraftClass > 8) return {};
  return kClassNames[aircraftClass];
}

std::vector<ClassAircraft>* ClassAircraftLists::List(int aircraftClass) {
  switch (aircraftClass) {
    case kClassNotUsed: return &NotUsedList;
    case kClassMicroProp: return &MicroPropList;
    case kClassMidProp: return &MidPropList;
    case kClassLargeProp: return &LargePropList;
    case kClassMicroJet: return &MicroJetList;
    case kClassSmallJet: return &SmallJetList;
    case kClassLargeJet: return &LargeJetList;
    case kClassHugeJet: return &HugeJetList;
    default: return nullptr;
  }
}

const std::vector<ClassAircraft>* ClassAircraftLists::List(int aircraftClass) const {
  return const_cast<ClassAircraftLists*>(this)->List(aircraftClass);
}

ClassDefaultSets& ClassDefaults() {
  static ClassDefaultSets defaults;
  return defaults;
}

ClassAircraftLists& ClassAircraftConfig() {
  static ClassAircraftLists lists;
  return lists;
}

ClassSettings* ClassDefaultsOf(int aircraftClass) {
  if (aircraftClass < kClassMicroProp || aircraftClass > kClassHugeJet) return nullptr;
  return &ClassDefaults()[static_cast<size_t>(aircraftClass - kClassMicroProp)];
}

void ParseClassAircraftLine(ClassAircraft& entry, std::string_view line) {
  std::vector<std::string_view> f = SplitAtCommas(line);
  if (f.size() == 1) {
    entry.Id = std::string(f[0]);
    entry.CruiseSpeed = entry.MinFL = entry.MaxFL = entry.MinRange = entry.MaxRange = -1;
    entry.RunwayLength = entry.MinParkingRadius = entry.IFRPercent = -1;
    entry.RunwayTypes.clear();
    entry.ParkingTypes.clear();
    return;
  }
  if (f.size() != 11) return;
  auto num = [&](size_t k, int& out) {
    if (std::optional<int> v = ParseWholeNumber(f[k])) out = *v;
  };
  entry.Id = std::string(f[0]);
  num(1, entry.CruiseSpeed);
  num(2, entry.MinFL);
  num(3, entry.MaxFL);
  num(4, entry.MinRange);
  num(5, entry.MaxRange);
  num(6, entry.RunwayLength);
  entry.RunwayTypes = std::string(f[7]);
  num(8, entry.MinParkingRadius);
  entry.ParkingTypes = std::string(f[9]);
  num(10, entry.IFRPercent);
}

bool ReadClassConfig(const std::filesystem::path& programFolder) {
  const std::filesystem::path path = programFolder / kClassConfigFileName;
  const std::string notFound =
      "File 'VELK_AC.CFG' not found. Please copy the file to the VELK program folder.";
  if (!ConfigFileExists(path)) {
    ShowConfigMessage(notFound);
    return false;
  }
  ClassDefaultSets& defaults = ClassDefaults();
  ApplyPresets(defaults);

  std::optional<std::vector<std::string>> read = ReadConfigLines(path);
  if (!read) {
    // Present but unreadable: the program cannot run without it, so the
    // user is told as for a missing file rather than left with a silent end.
    ShowConfigMessage(notFound);
    return false;
  }
  const std::vector<std::string>& lines = *read;
  auto lineError = [&](const std::string& line) {
    ShowConfigMessage(ConfigLineErrorText(kClassConfigFileName, line));
    return false;
  };

  ClassAircraftLists working;
  size_t i = 0;
  while (i < lines.size()) {
    const std::string& line = lines[i];
    if (!IsSectionLine(line)) {
      ++i;
      continue;
    }
    std::string sectionText =
        std::string(TrimSpaces(UpperCp1252(std::string_view(line).substr(1, line.find(']', 1) - 1))));
    std::vector<std::string_view> fields = SplitAtCommas(sectionText);
    const int aircraftClass = ClassOfSectionWord(fields[0]);
    if (aircraftClass == kClassNone) {
      ++i;
      continue;
    }
    if (aircraftClass != kClassNotUsed) {
      if (fields.size() != 11) return lineError(line);
      // A value that does not convert would otherwise end the program with
      // no word at all; the line is shown so the user can mend it.
      if (!StoreSectionValues(aircraftClass, fields, *ClassDefaultsOf(aircraftClass))) return lineError(line);
    }
    std::vector<ClassAircraft>& list = *working.List(aircraftClass);
    // The line right after the section line always belongs to it; from then
    // on a line beginning with "[" ends the section.
    size_t j = i + 1;
    for (; j < lines.size(); ++j) {
      const std::string& body = lines[j];
      if (aircraftClass == kClassNotUsed) {
        // A line of blanks would give an empty Id, which matches every
        // aircraft that no other entry claims: an invisible line would mark
        // all of them unused.
        std::string id(TrimSpaces(body));
        if (!id.empty()) {
          ClassAircraft entry;
          entry.Id = std::move(id);
          list.push_back(std::move(entry));
        }
      } else if (!body.empty()) {
        size_t count = SplitAtCommas(body).size();
        if (count != 1 && count != 11) return lineError(body);
        ClassAircraft entry;
        ParseClassAircraftLine(entry, body);
        list.push_back(std::move(entry));
      }
      if (j + 1 < lines.size() && !lines[j + 1].empty() && lines[j + 1][0] == '[') break;
    }
    i = j + 1;
  }
  ClassAircraftConfig() = std::move(working);
  return true;
}

namespace {

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A text inside a section line must not end the brackets or add a field.
bool SectionTextIsWritable(std::string_view s) {
  return !HasLineBreak(s) && s.find_first_of(",]") == std::string_view::npos;
}

bool LineTextIsWritable(std::string_view s) {
  return !HasLineBreak(s) && s.find(',') == std::string_view::npos;
}

void AppendValue(std::string& out, int value) {
  out += ',';
  out += std::to_string(value);
}

void AppendValue(std::string& out, std::string_view text) {
  out += ',';
  out += text;
}

}  // namespace

bool ClassEntryIdIsWritable(std::string_view id, int aircraftClass) {
  if (HasLineBreak(id)) return false;
  if (aircraftClass == kClassNotUsed) return true;
  return id.find(',') == std::string_view::npos;
}

std::string FormatClassConfig(const ClassDefaultSets& defaults, const ClassAircraftLists& lists) {
  const std::string rule = ";" + std::string(81, '-');
  std::vector<std::string> out = {
      rule,
      ";" + std::string(31, '-') + " A I C R A F T S " + std::string(33, '-'),
      rule,
      ";Format:",
      ";  ID , Cruise speed , Min. Flight Level , Max. Flight Level ,",
      ";     Min. Range , Max. Range , Runway Length , Runway Types ,",
      ";     Min. Parking Radius ,Parking Types , IFR%",
      ";",
      rule,
  };
  for (int c = kClassMicroProp; c <= kClassHugeJet; ++c) {
    const ClassSettings& s = defaults[static_cast<size_t>(c - kClassMicroProp)];
    if (!SectionTextIsWritable(s.RunwayTypes) || !SectionTextIsWritable(s.ParkingTypes)) return {};
    if (s.MinFLText && !SectionTextIsWritable(*s.MinFLText)) return {};
    out.emplace_back();
    std::string section = "[" + std::string(kClassNames[c]);
    AppendValue(section, s.CruiseSpeed);
    if (c == kClassMidProp && s.MinFLText) AppendValue(section, *s.MinFLText);
    else AppendValue(section, s.MinFL);
    AppendValue(section, s.MaxFL);
    AppendValue(section, s.MinRange);
    AppendValue(section, s.MaxRange);
    AppendValue(section, s.RunwayLength);
    AppendValue(section, s.RunwayTypes);
    AppendValue(section, s.MinParkingRadius);
    AppendValue(section, s.ParkingTypes);
    AppendValue(section, s.IFRPercent);
    section += ']';
    out.push_back(std::move(section));

    for (const ClassAircraft& e : *lists.List(c)) {
      if (e.Id.empty()) continue;
      if (!ClassEntryIdIsWritable(e.Id, c)) return {};
      bool full = e.CruiseSpeed != -1 && e.MinFL != -1 && e.MaxFL != -1 && e.MinRange != -1 && e.MaxRange != -1;
      if (!full) {
        out.push_back(e.Id);
        continue;
      }
      if (!LineTextIsWritable(e.RunwayTypes) || !LineTextIsWritable(e.ParkingTypes)) return {};
      std::string line = e.Id;
      AppendValue(line, e.CruiseSpeed);
      AppendValue(line, e.MinFL);
      AppendValue(line, e.MaxFL);
      AppendValue(line, e.MinRange);
      AppendValue(line, e.MaxRange);
      AppendValue(line, e.RunwayLength);
      AppendValue(line, e.RunwayTypes);
      AppendValue(line, e.MinParkingRadius);
      AppendValue(line, e.ParkingTypes);
      AppendValue(line, e.IFRPercent);
      out.push_back(std::move(line));
    }
  }
  out.emplace_back();
  out.emplace_back("[Not Used]");
  for (const ClassAircraft& e : lists.NotUsedList) {
    if (e.Id.empty()) continue;
    if (!ClassEntryIdIsWritable(e.Id, kClassNotUsed)) return {};
    out.push_back(e.Id);
  }
  return JoinCrLf(out);
}

bool WriteClassConfig(const std::filesystem::path& programFolder) {
  return WriteClassConfig(programFolder, ClassDefaults(), ClassAircraftConfig());
}

bool WriteClassConfig(const std::filesystem::path& programFolder, const ClassDefaultSets& defaults,
                      const ClassAircraftLists& lists, std::string* error) {
  std::string text = FormatClassConfig(defaults, lists);
  if (text.empty()) {
    if (error) *error = "a class entry or default holds a text the file cannot carry";
    return false;
  }
  return WriteFileAtomic(programFolder / kClassConfigFileName, text, error);
}

}  // namespace velk
