#pragma once
// The flight plan file (FlightPlans.txt and its exports): one flight a line,
//   AC#n,REG,25%,24Hr,IFR, then per leg: dep,[@]arr,level,F|R,number,ICAO
// with ";" and "//" comments. Every field is kept as text; checking them is
// left to the compiler.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "platform/file_set.h"
#include "platform/text_file.h"

namespace velk {

// Written beside a saved plan with the flights marked removed.
inline constexpr const char* kRemovedFlightsFileName = "Removed Flights.txt";
// Appended to a plan or aircraft file's name for its one-time backup.
inline constexpr const char* kBackupSuffix = ".velk.bak";

// Shown when the plan file is not there or may not be read, and when it
// cannot be read for another reason (see WithReadFailure).
inline constexpr const char* kFlightplanNotFoundMessage =
    "Flightplan file not found or access denied.";
inline constexpr const char* kFlightplanUnreadableMessage = "Flightplan file could not be read.";

// Progress of a long read: the value of a bar that runs from 0 to 100. It is
// called once with 0 before the first line and then every 202 lines; the
// receiver may let window events run.
using ReadProgress = std::function<void(int value)>;

// The number of lines of the file whose text, with spaces trimmed, is not
// empty (comment lines count too). 0 when the file cannot be read.
int CountFileLines(const std::filesystem::path& path);

// One line of the file as a flight, or false when the line is no flight (a
// comment, blank, or fewer than the 17 fields of a two-leg flight). Fields
// after the last whole leg are dropped; levels and flight numbers are
// normalised as the reader stores them.
bool ParseFlightPlanLine(std::string_view line, Flight& flight);

// Every flight of a file's text. Lines may end in CRLF or LF; the last one
// needs no end.
std::vector<Flight> ParseFlightPlans(std::string_view text, const ReadProgress& progress = {});

// Reads Plan().FlightplanPath into Plan().Flights (emptied first), and notes
// in Plan().KnownFiles what that read knew of the file (ReadKnownFile). When the
// file cannot be read it says why (kFlightplanNotFoundMessage alone for a
// file that is not there, with the reason for one that may not be read,
// else kFlightplanUnreadableMessage with the reason) and returns false with
// no flights; the caller judges the result by the number of flights.
bool ReadFlightPlans(const ReadProgress& progress = {});

// The line of a flight as it is written, without its line end.
std::string FormatFlightPlanLine(const Flight& flight);
void AppendFlightPlanLine(std::string& out, const Flight& flight);

// Adds to `files` what saving `flights` as `path` replaces, in this order:
// "Removed Flights.txt" in the same folder with the flights marked removed,
// when there are any (else an existing removed list is left alone), so that
// a flight is never dropped from the plan before it is in the removed list;
// then `path` with every other flight. Each line is ended by CRLF. Before
// the plan file is first replaced it is copied once to `path` + ".velk.bak"
// when Plan().BackupPlan is on: that copy is added to `copies`, to be made
// under the set's lock.
void StageFlightPlans(const std::filesystem::path& path, const std::vector<Flight>& flights, FileSet& files,
                      FileCopies& copies);

// Writes the files of StageFlightPlans as one set (ReplaceFilesInTurn):
// both or neither are replaced. False when a file could not be written,
// with `failure` and `recovered` as ReplaceFilesInTurn fills them in.
// `copiesNotMade` receives one line for each backup copy that could not be
// made (SetOptions::copiesNotMade); the files are written all the same.
bool WriteFlightPlans(const std::filesystem::path& path, const std::vector<Flight>& flights,
                      SetFailure* failure = nullptr, SetRecovery* recovered = nullptr,
                      std::vector<std::string>* copiesNotMade = nullptr);

// `message` (Windows-1252), followed after an empty line by the lines of
// `copiesNotMade`, one a line: a save that went on without its backup says
// so in its closing message.
std::string WithCopiesNotMade(const std::string& message, const std::vector<std::string>& copiesNotMade);

}  // namespace velk
