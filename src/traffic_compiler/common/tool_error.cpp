#include "traffic_compiler/common/tool_error.h"

#include <algorithm>
#include <array>

#include "traffic_compiler/common/console.h"

namespace traffic {
namespace {

// File error texts split around the place of the detail.
struct FileErrorText {
  int code;
  std::string_view before;
  std::string_view after;
};

constexpr std::array<FileErrorText, 12> kFileErrors{{
    {1, "ERROR: Unable to locate FS2002 in computer\n\n", ""},
    {2, "\nERROR: Unable to open output file ", "\n\n"},
    // A folder whose files are looked for without regard to case: part of a
    // listing could miss the file and have a twin of it made.
    {3, "\nERROR: Unable to list folder ", "\n\n"},
    {4, "\nERROR: Unable to write to output file ", "\n\n"},
    {5, "\nERROR: Unable to read from file ", "\n\n"},
    {6, "\nERROR: Unable to delete old traffic file\n", "\nIs it write protected?\n\n"},
    // The detail is a TooLargeDetail.
    {7, "\nERROR: The flight plans are too large for the traffic.bgl format:\nthe file would take ", " bytes\n\n"},
    {8, "\nERROR: A flight plan specifies an aircraft type ",
     "\nThat type is not in the Aircraft.txt file\n\n"},
    {9, "\nERROR: A flight plan specifies the airport ",
     "\nThat airport is not in the Airports.txt file\n\n"},
    {10, "\nERROR: Unable to find or open file ", "\n\n"},
    {11, "\nERROR: Unable to create file ", "\n\n"},
    {60, "\nERROR: ", "\n\n"},
}};

const FileErrorText* FindFileError(int code) {
  for (const auto& e : kFileErrors)
    if (e.code == code) return &e;
  return nullptr;
}

}  // namespace

bool IsFileError(int code) { return FindFileError(code) != nullptr; }

std::string_view LineErrorMessage(int code) {
  switch (code) {
    case 12: return "A parameter is missing, expecting the airport code here";
    case 13: return "A parameter is missing, expecting the latitude here";
    case 14: return "A parameter is missing, expecting the longitude here";
    case 15: return "A parameter is missing, expecting the elevation here";
    case 16: return "A parameter is missing, expecting the aircraft type number here";
    case 17: return "A parameter is missing, expecting the cruise speed here";
    case 18: return "A parameter is missing, expecting the aircraft type here";
    case 19: return "A parameter is missing, expecting the aircraft registration number here";
    case 20: return "A parameter is missing, expecting the AI percent here";
    case 21: return "A parameter is missing, expecting the repeat period here";
    case 22: return "A parameter is missing, expecting IFR/VFR here";
    case 23: return "A parameter is missing, expecting the departure time here";
    case 24: return "A parameter is missing, expecting the altitude here";
    case 25: return "A parameter is missing, expecting the arrival time here";
    case 26: return "A parameter is missing, expecting the flight number here";
    case 27: return "A parameter is missing, expecting F or T here";
    case 28: return "The airport code cannot be more than 4 characters long";
    case 29: return "The elevation format is bad";
    case 30: return "Latitude format is bad, expecting something like N45* 21.43' or N45* 21' 10\"";
    case 31: return "Longitude format is bad, expecting something like W118* 21.43' or W118* 21' 10\"";
    case 32: return "Latitude degrees are limited to +/-89, minutes and seconds are limited to 0-59";
    case 33: return "Longitude degrees are limited to +/-179, minutes and seconds are limited to 0-59";
    case 34: return "The aircraft type number format is bad (should be something like AC#21)";
    case 35: return "The aircraft type number (AC#) must be greater than 0";
    case 36: return "The cruise speed format is bad";
    case 37: return "The cruise speed must be greater than 0";
    case 38:
      return "The aircraft type description format is bad (should be something like \"Boeing 737-400\")";
    case 39: return "The aircraft name is limited to 100 characters";
    case 40: return "The aircraft registration is limited to 7 characters";
    case 41: return "The AI Percent format is bad";
    case 42: return "The AI Percent must be between 1% and 100% inclusive";
    case 43: return "The cycle repeat period must be one of 1,2,4,6,8,12 or 24 hours or \"WEEK\"";
    case 44: return "The flight rules field must be either IFR or VFR";
    case 45:
      return "The departure time must be in the form HH:MM:SS or HH:MM\n"
             "or D/HH:MM:SS for weekly repeat periods";
    case 46:
      return "The arrival time must be in the form AHH:MM:SS or AHH:MM\n"
             "or AD/HH:MM:SS for weekly repeat periods";
    case 47: return "The altitude format is bad (should be 0 to 1023)";
    case 48: return "The altitude cannot be higher than 1023 (102300 feet)";
    case 49: return "The flight number format is bad (should be 0000 to 16383)";
    case 50: return "The flight number cannot be higher than 16383";
    case 51: return "This must be either F to use flight number or R to use registration number";
    case 52: return "There must be at least 2 flight plan legs";
    case 53: return "The day of the week must be between 0 and 6 (Saturday to Friday)";
    case 54:
      return "You specified a weekly repeat period so you must specify\n"
             "a day along with time fields, e.g. 2/01:30:00";
    case 55:
      return "A synchronisation error occured for unknown reasons\n"
             "while inserting arrival times.\n"
             "Arrival time insertion has been cancelled.";
    case 56: return "The aircraft type number cannot be higher than 65535";
    case 57: return "The cruise speed cannot be higher than 65535";
    default: return "";
  }
}

std::string FormatToolError(std::string_view file, int line, std::string_view text,
                            std::size_t start, std::size_t length, int code) {
  std::string out;
  if (const FileErrorText* fe = FindFileError(code)) {
    out += fe->before;
    if (code != kErrSimNotFound) out += text;
    out += fe->after;
    return out;
  }

  out += "\nERROR in file ";
  out += file;
  out += " :\n\n";
  if (line <= 0) {
    // About the file as a whole: no line to show.
    out += LineErrorMessage(code);
    out += "\n\n";
    return out;
  }

  const std::string prefix = "Line " + std::to_string(line) + ": ";
  const std::size_t p = prefix.size();
  // Screen lines are 79 columns; a piece that is cut gets "..." after it.
  const std::size_t width = p < 78 ? 78 - p : 1;
  const std::size_t probe = p < 75 ? 75 - p : 1;
  if (start > text.size()) start = text.size();

  std::size_t piece_offset = 0;
  if (text.size() <= width) {
    out += prefix;
    out += text;
    out += '\n';
  } else {
    std::string pre = prefix;
    std::size_t offset = 0;
    for (;;) {
      std::string_view rest = text.substr(offset);
      if (rest.size() <= width) {
        out += pre;
        out += rest;
        out += '\n';
        piece_offset = offset;
        break;
      }
      // Cut right after the last comma at or before the probe column, never
      // before the first character, so every piece makes progress.
      std::size_t cut = std::min(probe, rest.size());
      for (std::size_t i = std::min(probe, rest.size() - 1); i >= 1; --i) {
        if (rest[i] == ',') {
          cut = i + 1;
          break;
        }
      }
      out += pre;
      out += rest.substr(0, cut);
      out += "...\n";
      piece_offset = offset;
      if (start >= offset && start < offset + cut) break;
      offset += cut;
      pre.assign(p, ' ');
    }
  }

  const std::size_t col = p + (start - piece_offset);
  out.append(col, ' ');
  out += '|';
  if (length > 2) {
    out.append(length - 2, '-');
    out += '|';
  } else if (length == 2) {
    out += '|';
  }
  out += '\n';
  out.append(std::min<std::size_t>(col, 64), ' ');
  out += "Error location\n\n";
  out += LineErrorMessage(code);
  out += "\n\n";
  return out;
}

int ReportToolError(std::string_view file, int line, std::string_view text, std::size_t start,
                    std::size_t length, int code) {
  ConsoleWrite(FormatToolError(file, line, text, start, length, code));
  ConsoleFlush();
  return code;
}

int ReportFileError(int code, std::string_view detail) {
  return ReportToolError({}, 0, detail, 0, 0, code);
}

int ReportNotWritten(int code, std::string_view detail, std::string_view shown, std::string_view why) {
  ReportFileError(code, detail);
  if (why.empty()) return code;
  ConsoleWrite("Nothing was written to '" + std::string(shown) + "' (" + std::string(why) + ").\n\n");
  ConsoleFlush();
  return code;
}

std::string TooLargeDetail(std::string_view how, std::uint64_t size, std::uint64_t limit) {
  return std::string(how) + std::to_string(size) + " bytes, but the format's\n32-bit offsets reach only " +
         std::to_string(limit);
}

}  // namespace traffic
