#pragma once
// Helpers shared by the readers of the configuration files in the program
// folder (aircraft classes, airlines, name lists, flight levels): finding and
// reading a file, cutting lines and fields, converting numbers the way every
// file of the program does, and telling the user about a file that cannot be
// used.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "platform/message_box.h"
#include "platform/text_codec.h"

namespace velk {

// kProgramTitle, the caption of every message, comes with the message box.

// True when `path` names an ordinary file (a folder of that name does not
// count).
bool ConfigFileExists(const std::filesystem::path& path);

// The lines of a configuration file, cut as every text of the program is
// (text_lines.h: CR LF, LF or a lone CR end a line; a leading UTF-8
// byte-order mark is dropped), so a file saved by any editor reads the same
// as one written by the program. No value when the file cannot be read.
std::optional<std::vector<std::string>> ReadConfigLines(const std::filesystem::path& path);

// TrimSpaces (spaces only, at both ends) comes with the plan records.

// Fields between commas; an empty text is one empty field.
std::vector<std::string_view> SplitAtCommas(std::string_view s);

// A whole number as the program reads it from text: blanks around it, an
// optional sign, decimal digits with an optional fraction. A fraction is
// rounded to the nearest whole number, a half to the even neighbour. No value
// when the text is not such a number or does not fit in 32 bits.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// Like ParseWholeNumber, but a number too large for 32 bits is clamped to
// the nearest 32-bit value instead of failing.
std::optional<std::int32_t> ParseWholeNumberClamped(std::string_view text);

// True when `needle` occurs in `haystack`, letters compared without regard to
// case. An empty needle occurs in every non-empty haystack and in no empty
// one.
bool ContainsNoCase(std::string_view haystack, std::string_view needle);

// Shows `prompt` with the critical-stop icon and an OK button, the program's
// title as caption and no owner.
void ShowConfigMessage(const std::string& prompt);

// "Error in file '<file>' in line:" CR LF <line>.
std::string ConfigLineErrorText(std::string_view fileName, std::string_view line);

}  // namespace velk
