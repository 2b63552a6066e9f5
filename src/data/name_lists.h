#pragma once
// The three name lists of the program folder that the simulator aircraft
// editor offers as choices: airline names (VELK_NAL.CFG), ATC model codes
// (VELK_NMD.CFG) and ATC type words (VELK_NTP.CFG).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The names of each list in file order (duplicates kept), and its lookup
// text: every name framed by "*" ("*A**B**C*"), so that a value is known
// when "*value*" occurs in it.
std::vector<std::string>& AirlineNames();
std::string& AirlineNameLookup();
std::vector<std::string>& ATCModelNames();
std::string& ATCModelNameLookup();
std::vector<std::string>& ATCTypeNames();
std::string& ATCTypeNameLookup();

// Each reads its file in `programFolder`: one name per line, blanks around it
// removed; empty lines and lines beginning with ";" are skipped. False, after
// telling the user, when the file is missing or cannot be read; the names are
// then empty and the lookup keeps what it held.
bool ReadAirlineNames(const std::filesystem::path& programFolder);
bool ReadATCModelNames(const std::filesystem::path& programFolder);
bool ReadATCTypeNames(const std::filesystem::path& programFolder);

// True when `value` is one of the names of `lookup`, ignoring case.
bool NameIsKnown(std::string_view lookup, std::string_view value);

}  // namespace velk
