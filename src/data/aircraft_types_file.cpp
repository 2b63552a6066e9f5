#include "data/aircraft_types_file.h"

#include <unordered_map>

#include "platform/text_codec.h"
#include "platform/text_file.h"

namespace velk {

std::string AircraftTypesText(const std::vector<const FSAircraft*>& aircraft) {
  std::string text;
  // Identifier (upper case) -> repeats so far.
  std::unordered_map<std::string, int> repeats;
  for (const FSAircraft* a : aircraft) {
    std::string id = a->ATCModel.empty() ? a->ATCType : a->ATCModel;
    if (!a->Texture.empty()) id += "." + a->Texture;
    auto [it, first] = repeats.try_emplace(UpperCp1252(id), 0);
    if (!first) id += "#" + std::to_string(++it->second);
    text += id;
    text += ',' + a->Title;
    for (int v : {a->CruiseSpeed, a->MinFL, a->MaxFL, a->MinRange, a->MaxRange, a->RunwayLength})
      text += ',' + std::to_string(v);
    text += ',' + a->RunwayTypes;
    text += ',' + std::to_string(a->MinParkingRadius);
    text += ',' + a->ParkingTypes;
    text += ',' + std::to_string(a->IFRPercent);
    text += "\r\n";
  }
  return text;
}

bool WriteAircraftTypesFile(const std::filesystem::path& programFolder, const std::vector<const FSAircraft*>& aircraft) {
  return WriteFileAtomic(programFolder / kAircraftTypesFileName, AircraftTypesText(aircraft));
}

}  // namespace velk
