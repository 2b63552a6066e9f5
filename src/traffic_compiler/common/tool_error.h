#pragma once
// The one error reporter of the traffic tools. Codes 1-11 are file errors
// printed as one text; every other code is a line error that shows the
// offending line with a marker under the faulty field.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace traffic {

enum ToolError : int {
  kOk = 0,
  kErrSimNotFound = 1,
  kErrOpenOutput = 2,
  kErrListFolder = 3,
  kErrWriteOutput = 4,
  kErrReadInput = 5,
  kErrDeleteOld = 6,
  kErrTooLarge = 7,
  kErrUnknownAircraft = 8,
  kErrUnknownAirport = 9,
  kErrOpenInput = 10,
  kErrCreateFile = 11,
  kErrMissingAirportCode = 12,
  kErrMissingLatitude = 13,
  kErrMissingLongitude = 14,
  kErrMissingElevation = 15,
  kErrMissingAircraftNumber = 16,
  kErrMissingCruiseSpeed = 17,
  kErrMissingAircraftName = 18,
  kErrMissingRegistration = 19,
  kErrMissingPercent = 20,
  kErrMissingPeriod = 21,
  kErrMissingFlightRules = 22,
  kErrMissingDeparture = 23,
  kErrMissingAltitude = 24,
  kErrMissingArrival = 25,
  kErrMissingFlightNumber = 26,
  kErrMissingFlightNumberChoice = 27,
  kErrAirportCodeTooLong = 28,
  kErrElevationFormat = 29,
  kErrLatitudeFormat = 30,
  kErrLongitudeFormat = 31,
  kErrLatitudeRange = 32,
  kErrLongitudeRange = 33,
  kErrAircraftNumberFormat = 34,
  kErrAircraftNumberZero = 35,
  kErrCruiseSpeedFormat = 36,
  kErrCruiseSpeedZero = 37,
  kErrAircraftNameFormat = 38,
  kErrAircraftNameTooLong = 39,
  kErrRegistrationTooLong = 40,
  kErrPercentFormat = 41,
  kErrPercentRange = 42,
  kErrPeriod = 43,
  kErrFlightRules = 44,
  kErrDepartureFormat = 45,
  kErrArrivalFormat = 46,
  kErrAltitudeFormat = 47,
  kErrAltitudeRange = 48,
  kErrFlightNumberFormat = 49,
  kErrFlightNumberRange = 50,
  kErrFlightNumberChoice = 51,
  kErrTooFewLegs = 52,
  kErrDayRange = 53,
  kErrDayMissing = 54,
  kErrArrivalSync = 55,
  // Numbers that do not fit the 16-bit fields of the database.
  kErrAircraftNumberRange = 56,
  kErrCruiseSpeedRange = 57,
  // A folder whose set of text files another run holds, or that an
  // interrupted run left to be checked: the detail says which and why.
  kErrSetFolder = 60,
};

inline constexpr int kMaxAircraftName = 100;
inline constexpr int kMaxRegistration = 7;

// True for the codes printed as a single file error text.
bool IsFileError(int code);

// The message printed under a line error (empty for unassigned codes).
std::string_view LineErrorMessage(int code);

// The full text of a report, as printed. For file errors `text` is the
// detail put in place of "%s" (file name, path, folder, "AC#n", an airport code, or
// the sizes of a database too large)
// and the other arguments are unused; for line errors `text` is the line,
// `start` the field start in it and `length` the field length (0 for a
// missing field). A line error with line 0 concerns the whole file and
// shows no line.
std::string FormatToolError(std::string_view file, int line, std::string_view text,
                            std::size_t start, std::size_t length, int code);

// Prints the report on the console and returns `code`.
int ReportToolError(std::string_view file, int line, std::string_view text, std::size_t start,
                    std::size_t length, int code);

// Shorthand for file errors.
int ReportFileError(int code, std::string_view detail);
// A file error for the file `shown` (as the user knows it) that nothing was
// written to, followed by a line with the reason `why` when there is one
// (a link of another user's on the way, which the tools never follow).
int ReportNotWritten(int code, std::string_view detail, std::string_view shown, std::string_view why);

// The detail of kErrTooLarge: a database of `size` bytes, or of about or at
// least that many as `how` says ("", "about ", "at least "), against the
// `limit` that its offsets reach.
std::string TooLargeDetail(std::string_view how, std::uint64_t size, std::uint64_t limit);

}  // namespace traffic
