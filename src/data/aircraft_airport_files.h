#pragma once
// Aircraft.txt and Airports.txt, the two files that lie beside every flight
// plan file. Aircraft.txt: AC#n,cruise speed,"title". Airports.txt:
// ICAO,latitude,longitude,elevation. Lines are trimmed first; ";" and "//"
// start comments; fields are kept as text.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "platform/file_set.h"
#include "platform/text_file.h"

namespace velk {

inline constexpr const char* kAircraftFileName = "Aircraft.txt";
inline constexpr const char* kAirportsFileName = "Airports.txt";

inline constexpr const char* kAircraftNotFoundMessage =
    "File 'AIRCRAFT.TXT' not found.  Please copy the file to the Flightplan folder.";
inline constexpr const char* kAirportsNotFoundMessage =
    "File 'AIRPORTS.TXT' not found. Please copy the file to the Flightplan folder.";
// For a file that is there but cannot be read: copying one there would
// replace it (see WithReadFailure).
inline constexpr const char* kAircraftUnreadableMessage = "File 'AIRCRAFT.TXT' could not be read.";
inline constexpr const char* kAirportsUnreadableMessage = "File 'AIRPORTS.TXT' could not be read.";

// The file `name` in the folder of the loaded plan, under the spelling it has
// there when only its letter case differs (plans copied from Windows often
// carry AIRCRAFT.TXT); `name` itself when there is none. Empty when the
// folder could not be listed; `unlisted` then names it.
std::filesystem::path PlanFolderFile(const char* name, std::filesystem::path* unlisted = nullptr);

// The aircraft of a file's text; `highestNumber` gets the largest n of the
// ids "AC#n" (0 when there is none).
std::vector<PlanAircraft> ParseAircraftTxt(std::string_view text, int& highestNumber);
// The airports of a file's text, in file order, duplicates included.
std::vector<Airport> ParseAirportsTxt(std::string_view text);

// Fills Plan().PlanAircraftList and HighestAircraftNumber from Aircraft.txt
// beside the plan, read once, and notes in Plan().KnownFiles what that read
// knew of it (ReadKnownFile). A file that is not there gives kAircraftNotFoundMessage,
// one that cannot be read kAircraftUnreadableMessage with the reason (a
// folder that cannot be listed, its ListFailedMessage), and false, with no
// aircraft.
bool ReadAircraftTxt();

// Adds to `files` Aircraft.txt beside the plan with the plan aircraft, each
// line ended by CRLF. Before the file is first replaced it is copied once to
// Aircraft.txt.velk.bak when Plan().BackupPlan is on: that copy is added to
// `copies`, for the writer to make. False, with nothing added, when the
// plan's folder could not be listed; `unlisted` then names it.
bool StageAircraftTxt(FileSet& files, FileCopies& copies, std::filesystem::path* unlisted = nullptr);

// Writes the plan aircraft back to Aircraft.txt beside the plan as
// StageAircraftTxt makes it, with its one-time backup, replacing the file
// atomically. False when the file could not be written; the old file is
// then left as it was. A backup that could not be made does not stop the
// write: `copiesNotMade` receives a line that says which and why, as
// SetOptions::copiesNotMade does.
bool WriteAircraftTxt(std::vector<std::string>* copiesNotMade = nullptr);

// Fills Plan().Airports and rebuilds Plan().AirportIndex from Airports.txt
// beside the plan, noting what is known of it as ReadAircraftTxt does. A file that is not there gives
// kAirportsNotFoundMessage, one that cannot be read kAirportsUnreadableMessage
// with the reason, and false, with no airports.
bool ReadAirportsTxt();

}  // namespace velk
