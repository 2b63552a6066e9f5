#pragma once
// The two files a shuffle leaves beside the plan file while the Debug switch
// is on: Shuffle.log, a trace of how every flight was served, and "Shuffle
// Result.log", how the flights were spread over the airlines of every place.
// Both are Windows-1252 text with CRLF line ends, replaced as a whole.
#include <filesystem>
#include <string>
#include <string_view>

#include "shuffle/shuffle_engine.h"

namespace velk {

inline constexpr const char* kShuffleLogFileName = "Shuffle.log";
inline constexpr const char* kShuffleResultFileName = "Shuffle Result.log";

// The folder the logs of a plan go to: the plan file's own folder.
std::filesystem::path ShuffleLogFolder(const std::filesystem::path& planPath);

// Collects Shuffle.log in memory while a run writes it.
class ShuffleLogFile : public ShuffleLog {
 public:
  void Line(std::string_view text) override;
  const std::string& Text() const { return text_; }
  // Replaces the file at `path` with the lines so far; false when it could
  // not be written (the old file then stays as it was).
  bool Save(const std::filesystem::path& path) const;

 private:
  std::string text_;
};

// "Shuffle Result.log" of the counts a run left in `tables` and in the
// fallback group `noAirline`: the fallback group, GLOBAL, then every region,
// country, state, city and airport section with its airlines and aircraft,
// in the tables' order. The achieved percentage of an airline is its share
// of its own section's flights with two decimals (a half rounded up) and a
// "." whatever the locale; "0" when the section served none.
std::string ShuffleResultText(const LocationTables& tables, const AirlineShare& noAirline);

// Writes ShuffleResultText into the folder of `planPath`; false when the
// file could not be written.
bool WriteShuffleResult(const std::filesystem::path& planPath, const LocationTables& tables,
                        const AirlineShare& noAirline);

}  // namespace velk
