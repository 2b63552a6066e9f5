#include "aircraft_editors/class_assignment.h"

#include "data/class_lookup.h"
#include "data/installed_aircraft.h"
#include "platform/ascii_text.h"

namespace velk {

const std::string& ClassText(const FSAircraft& aircraft) {
  return aircraft.ATCModel.empty() ? aircraft.ATCType : aircraft.ATCModel;
}

bool ReclassifyAircraft(FSAircraft& aircraft, const ClassAircraftLists& lists, const ClassDefaultSets& defaults) {
  ClassAircraft entry;
  int cls = GetAircraftClassInfo(lists, ClassText(aircraft), entry);
  if (cls == aircraft.Class && entry.Id == aircraft.ClassEntryId) return false;
  aircraft.Class = cls;
  aircraft.ClassEntryId = entry.Id;
  ApplyClassValues(aircraft, cls, entry, defaults);
  return true;
}

std::vector<size_t> RederiveClasses(std::vector<FSAircraft>& list, const std::vector<bool>& listed,
                                    const ClassAircraftLists& lists, const ClassDefaultSets& defaults) {
  std::vector<size_t> changed;
  for (size_t i = 0; i < list.size() && i < listed.size(); ++i) {
    if (listed[i] && ReclassifyAircraft(list[i], lists, defaults)) changed.push_back(i);
  }
  return changed;
}

namespace {

const ClassAircraft* FindEntry(const ClassAircraftLists& lists, int cls, const std::string& id) {
  const std::vector<ClassAircraft>* from = lists.List(cls);
  if (!from) return nullptr;
  for (const ClassAircraft& e : *from) {
    if (e.Id == id) return &e;
  }
  return nullptr;
}

}  // namespace

bool MoveClassEntry(ClassAircraftLists& lists, int fromClass, int toClass, const std::string& entryId) {
  std::vector<ClassAircraft>* from = lists.List(fromClass);
  std::vector<ClassAircraft>* to = lists.List(toClass);
  if (!from || !to) return false;
  for (auto it = from->begin(); it != from->end(); ++it) {
    if (it->Id != entryId) continue;
    ClassAircraft entry = std::move(*it);
    from->erase(it);
    if (fromClass == kClassNotUsed && toClass != kClassNotUsed) {
      std::string id = std::move(entry.Id);
      entry = ClassAircraft{};
      entry.Id = std::move(id);
      entry.CruiseSpeed = entry.MinFL = entry.MaxFL = entry.MinRange = entry.MaxRange = -1;
      entry.RunwayLength = entry.MinParkingRadius = entry.IFRPercent = -1;
    }
    to->push_back(std::move(entry));
    return true;
  }
  return false;
}

void AddClassEntry(ClassAircraftLists& lists, int aircraftClass, const std::string& id) {
  std::vector<ClassAircraft>* to = lists.List(aircraftClass);
  if (!to) return;
  ClassAircraft entry;
  entry.Id = id;
  entry.CruiseSpeed = entry.MinFL = entry.MaxFL = entry.MinRange = entry.MaxRange = -1;
  entry.RunwayLength = entry.MinParkingRadius = entry.IFRPercent = -1;
  to->push_back(std::move(entry));
}

bool ClassEntryMayMove(const ClassAircraftLists& lists, int fromClass, int toClass, const std::string& entryId) {
  if (!FindEntry(lists, fromClass, entryId)) return true;
  return ClassEntryIdIsWritable(entryId, toClass);
}

std::optional<std::string> NewClassEntryId(std::string_view answer, int aircraftClass, bool& refused) {
  refused = false;
  std::string id(TrimBlanks(answer));
  if (id.empty()) return std::nullopt;
  if (id.front() == '[' || !ClassEntryIdIsWritable(id, aircraftClass)) {
    refused = true;
    return std::nullopt;
  }
  return id;
}

}  // namespace velk
