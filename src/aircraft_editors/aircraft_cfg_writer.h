#pragma once
// Writing edited installed aircraft back into their aircraft.cfg. Of the
// seventeen keys the editor owns, only those whose value differs from what
// the file holds are written, so values the reader shortened (a description
// cut at ";", a cruise speed cut at ".") or spelled its own way ("True" for
// a flag) stay as they are unless the user changed them. All keys of one
// file go in one atomic replacement: the file holds all of them or none.
#include <filesystem>
#include <string>
#include <vector>

#include "data/plan_records.h"

namespace velk {

struct CfgKeyValue {
  std::string section;
  std::string key;
  std::string value;

  bool operator==(const CfgKeyValue&) const = default;
};

// The keys of `now` that differ from `onDisk`, in the editor's write order:
// title, atc_id, atc_flight_number, atc_airline, ui_manufacturer, ui_type,
// ui_variation, visual_damage ("1"/"0"), atc_heavy ("1"/"0"), model, texture,
// sim, description in the entry's own section; atc_model, atc_type,
// Performance in [general]; cruise_speed in [Reference Speeds]. Without
// `onDisk` all seventeen.
std::vector<CfgKeyValue> ChangedCfgKeys(const FSAircraft& now, const FSAircraft* onDisk);

// Sets `keys` in the aircraft.cfg at `cfgFile` (every other byte stays) and
// replaces the file atomically. With `backup` the file is first copied once
// to its name with ".velk.bak" appended. Nothing to write leaves the file
// untouched. False, with the file unchanged and the reason in `error` (when
// given), when it is not a regular file the user may change (see
// MayRewrite), cannot be read or written, the backup fails, or a value holds
// a line break.
bool WriteCfgKeys(const std::filesystem::path& cfgFile, const std::vector<CfgKeyValue>& keys,
                  bool backup, std::string* error = nullptr);

}  // namespace velk
