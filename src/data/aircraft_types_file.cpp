#include "data/aircraft_types_file.h"

#include <unordered_map>

#include "platform/text_codec.h"
#include "platform/text_file.h"

namespace velk {

std::string AircraftTypesText(const std::vector<const FSAircraft*>& aircraft) {
  std::unordered_map<std::string, int> repeats;  // upper-case identifier -> repeats so far
  std::string out;
  for (const FSAircraft* a : aircraft) {
    std::string id = a->ATCModel.empty() ? a->ATCType : a->ATCModel;
    if (!a->Texture.empty()) id += "." + a->Texture;
    auto [it, first] = repeats.try_emplace(UpperCp1252(id), 0);
    if (!first) id += "#" + std::to_string(++it->second);
    const auto n = [](int v) { return std::to_string(v); };
    out += id + "," + a->Title + "," + n(a->CruiseSpeed) + "," + n(a->MinFL) + "," + n(a->MaxFL) + "," +
           n(a->MinRange) + "," + n(a->MaxRange) + "," + n(a->RunwayLength) + "," + a->RunwayTypes + "," +
           n(a->MinParkingRadius) + "," + a->ParkingTypes + "," + n(a->IFRPercent) + "\r\n";
  }
  return out;
}

bool WriteAircraftTypesFile(const std::filesystem::path& programFolder, const std::vector<const FSAircraft*>& aircraft,
                            std::string* error) {
  return WriteFileAtomic(programFolder / kAircraftTypesFileName, AircraftTypesText(aircraft), error);
}

}  // namespace velk
