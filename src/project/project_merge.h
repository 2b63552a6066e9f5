#pragma once
// Joining the plans of a project into one Aircraft.txt and one
// FlightPlans.txt. Every plan numbers its aircraft from AC#1 on by itself:
// an aircraft title that several plans use becomes one aircraft line, a
// number that two different titles claim is given to the second title anew
// (one above the highest number kept or given so far), and each plan's
// flight lines follow the numbers their aircraft got. Standard library only;
// the texts are Windows-1252 bytes.
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velk {

// The title an aircraft line is known by in a merge: its third field with
// leading and trailing blanks removed, then every double quote removed, then
// upper-cased (blanks inside the quotes stay).
std::string NormalisedAircraftTitle(std::string_view field);

// The lines of a text file as the merge reads them: a leading UTF-8 byte
// order mark is skipped; CRLF, LF and a lone CR each end a line; a final
// line end gives no empty line after it.
std::vector<std::string_view> MergeInputLines(std::string_view text);

// One merge run. Feed each entry in project order: its aircraft file (when
// it has one), then its flight plan file. The merged texts have CRLF after
// every line.
class ProjectMerger {
 public:
  // Starts the next entry: the renumbering of the entry before no longer
  // applies.
  void BeginEntry();

  // Adds the aircraft lines of the current entry. Blank lines, comment lines
  // (";" or "//" after blanks) and lines that are not exactly three fields
  // are left out. A title seen before is not written again and its flights
  // take the earlier number; a new title whose number is taken gets the next
  // free number above the highest so far.
  void AddAircraftText(std::string_view text);

  // Copies the flight plan lines of the current entry, comments and blank
  // lines included. A line that begins with a renumbered id and a comma
  // (letter case counts) gets the new id; the rest of the line is kept.
  void AddFlightPlanText(std::string_view text);

  const std::string& AircraftText() const { return aircraft_; }
  const std::string& FlightPlansText() const { return plans_; }
  // The highest aircraft number kept or given so far.
  int MaxAircraftNumber() const { return maxNumber_; }

 private:
  std::map<std::string, std::string> titleIds_;  // normalised title -> id in the merged file
  std::set<std::string> usedIds_;                 // upper-cased ids of the merged file
  int maxNumber_ = 0;
  // (new id, old id) of the current entry, in the order they arose.
  std::vector<std::pair<std::string, std::string>> idMap_;
  std::string aircraft_;
  std::string plans_;
};

}  // namespace velk
