#pragma once
// Moving installed aircraft between the aircraft classes. An aircraft's class
// is not stored with the aircraft: it comes from the first class entry whose
// Id occurs in its ATC model (or ATC type) text. Giving an aircraft another
// class therefore moves that entry to the other class list, or creates one,
// and then every aircraft is classified again from the lists.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/class_config.h"
#include "data/plan_records.h"

namespace velk {

// The text an aircraft is classified by: its ATC model, or its ATC type when
// the model is empty.
const std::string& ClassText(const FSAircraft& aircraft);

// Classifies `aircraft` again from `lists`: its class, the Id of the entry
// that gave it (so that a later move finds that entry) and, when either
// changed, its ten class values. True when the class or the entry changed.
bool ReclassifyAircraft(FSAircraft& aircraft, const ClassAircraftLists& lists, const ClassDefaultSets& defaults);

// Classifies again every aircraft whose `listed` flag is set; returns the
// indexes of those whose class or entry changed.
std::vector<size_t> RederiveClasses(std::vector<FSAircraft>& list, const std::vector<bool>& listed,
                                    const ClassAircraftLists& lists, const ClassDefaultSets& defaults);

// Moves the first entry of the list of `fromClass` whose Id equals `entryId`
// (exact text) to the end of the list of `toClass`, keeping its values; an
// entry leaving "Not Used" for a class with limits gives up the zeros that
// "Not Used" entries carry, so it takes its new class's defaults. False, with
// the lists unchanged, when there is no such entry or a class is not 1-8.
bool MoveClassEntry(ClassAircraftLists& lists, int fromClass, int toClass, const std::string& entryId);

// Appends an entry that carries only `id` (its aircraft take the class
// defaults) to the list of `aircraftClass` (1 to 8).
void AddClassEntry(ClassAircraftLists& lists, int aircraftClass, const std::string& id);

// Whether the entry `entryId` of `fromClass` may move to `toClass`: its Id
// must be one the class file can hold there (no comma in classes 2 to 8).
bool ClassEntryMayMove(const ClassAircraftLists& lists, int fromClass, int toClass, const std::string& entryId);

// The answer of the "New class entry" box as an Id for `aircraftClass`:
// blanks around it removed. Nothing when it is empty then (no entry is made).
// `refused` is set, and nothing returned, when the file could not hold it:
// a comma, a line break, or a "[" at its start (which would read as a
// section header).
std::optional<std::string> NewClassEntryId(std::string_view answer, int aircraftClass, bool& refused);

}  // namespace velk
