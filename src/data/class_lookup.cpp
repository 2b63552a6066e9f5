#include "data/class_lookup.h"

#include "data/config_text.h"

namespace velk {

int GetAircraftClassInfo(const ClassAircraftLists& lists, std::string_view text, ClassAircraft& entry) {
  entry.MinFL = entry.MaxFL = entry.MinRange = entry.MaxRange = -1;
  entry.CruiseSpeed = entry.RunwayLength = entry.MinParkingRadius = entry.IFRPercent = -1;
  entry.RunwayTypes.clear();
  entry.ParkingTypes.clear();
  // "Not Used" comes last so that a code listed there never hides a class
  // that gives real limits.
  static constexpr int kOrder[] = {kClassMicroProp, kClassMidProp, kClassLargeProp, kClassMicroJet,
                                   kClassSmallJet,  kClassLargeJet, kClassHugeJet,  kClassNotUsed};
  for (int aircraftClass : kOrder) {
    for (const ClassAircraft& candidate : *lists.List(aircraftClass)) {
      if (ContainsNoCase(text, candidate.Id)) {
        entry = candidate;
        return aircraftClass;
      }
    }
  }
  return kClassNone;
}

int GetAircraftClassInfo(std::string_view text, int& MinFL, int& MaxFL, int& MinRange, int& MaxRange,
                         int& CruiseSpeed, int& RunwayLength, std::string& RunwayTypes, int& MinParkingRadius,
                         std::string& ParkingTypes, int& IFRPercent, std::string& Id) {
  ClassAircraft found;
  found.Id = Id;
  int aircraftClass = GetAircraftClassInfo(ClassAircraftConfig(), text, found);
  MinFL = found.MinFL;
  MaxFL = found.MaxFL;
  MinRange = found.MinRange;
  MaxRange = found.MaxRange;
  CruiseSpeed = found.CruiseSpeed;
  RunwayLength = found.RunwayLength;
  RunwayTypes = found.RunwayTypes;
  MinParkingRadius = found.MinParkingRadius;
  ParkingTypes = found.ParkingTypes;
  IFRPercent = found.IFRPercent;
  if (aircraftClass != kClassNone) Id = found.Id;
  return aircraftClass;
}

}  // namespace velk
