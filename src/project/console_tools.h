#pragma once
// Running the console compiler and decompiler of the program folder on the
// user's traffic files. Each run gets a private folder of its own (mode
// 0700, below the program's temporary folder) as the tool's working folder,
// holding copies of the input files; the tool itself runs from the program
// folder. The simulator folder reaches the tools through VELK_FS_PATH, which
// they inherit. Nothing of a run is left behind, and the user's own files
// change only when a decompile succeeded. Standard library only.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_set.h"
#include "platform/text_file.h"

namespace velk {

// The executables in the program folder.
inline constexpr const char* kCompilerProgram = "orvane";
inline constexpr const char* kDecompilerProgram = "ulvane";

// The tool's switches: "/EP" waits for Enter at the end (its console is
// shown, so the user can read it), "/NP" does not.
inline constexpr const char* kShownSwitch = "/EP";
inline constexpr const char* kHiddenSwitch = "/NP";

// The names the tools read and write in their working folder.
inline constexpr const char* kFlightPlansName = "FlightPlans.txt";
inline constexpr const char* kAircraftName = "Aircraft.txt";
inline constexpr const char* kAirportsName = "Airports.txt";

// A private folder for one run, removed with all it holds when the object
// goes, through the folder it was made in. Empty path when none could be
// made.
class RunFolder {
 public:
  RunFolder();
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  bool Made() const { return !path_.empty(); }

 private:
  WriteTarget place_;  // the folder it lies in, open
  std::string name_;
  std::filesystem::path path_;
};

// True when the program folder holds the tool as an ordinary file.
bool ToolPresent(const std::filesystem::path& programFolder, const char* tool);

// `name` in `folder`, found without regard to case; the exact spelling
// when no file of that name exists in any case. Empty when `folder` could
// not be listed; `unlisted` then names it.
std::filesystem::path FileInFolder(const std::filesystem::path& folder, const std::string& name,
                                   std::filesystem::path* unlisted = nullptr);

// Copies the bytes of `from` (read once, ReadKnownFile) to a new file `to`;
// false when `from` cannot be read (`read`, when given, then says why) or
// `to` cannot be written whole (`read` then kOk).
bool CopyInputFile(const std::filesystem::path& from, const std::filesystem::path& to, KnownRead* read = nullptr);

// Runs the compiler of the program folder in `workFolder`: "/EP" with its
// console shown, else "/NP" hidden. Returns its exit code; -1 when it could
// not be started or did not end by itself.
int RunCompiler(const std::filesystem::path& programFolder, const std::filesystem::path& workFolder,
                bool showConsole);

// ---- Compiling a plan file -------------------------------------------------

enum class CompileOutcome {
  kCompiled,          // the compiler ended with 0
  kAircraftMissing,   // Aircraft.txt beside the plan cannot be read (`unread` says why)
  kAirportsMissing,   // Airports.txt beside the plan cannot be read (`unread` says why)
  kPlanMissing,       // the plan file itself cannot be read (`unread` says why)
  kFailed,            // the inputs could not be prepared, or the compiler failed
  kNotRead,           // the folder's set may not be read now (`recovered` says why)
};

// Compiles `planFile` (whatever its name) with the Aircraft.txt and
// Airports.txt of its folder: the three are copied into a private folder
// as FlightPlans.txt, Aircraft.txt and Airports.txt and the compiler runs
// there, so its arrival-time write-back touches only the copy. They are
// copied under their folder's lock; a set of files there that an
// interrupted run left half replaced is made whole first (`recovered`, when
// given, says how), and one that cannot be, or that another run holds, is
// not compiled (kNotRead). The tool's presence is the caller's check. kFailed when the
// plan's folder could not be listed, with `unlisted` naming it. For
// kAircraftMissing, kAirportsMissing and kPlanMissing `unread`, when given,
// names the file and why it could not be read.
struct UnreadInput {
  std::filesystem::path file;
  KnownRead read;
};
CompileOutcome CompilePlanFile(const std::filesystem::path& programFolder, const std::filesystem::path& planFile,
                               bool showConsole, SetRecovery* recovered = nullptr,
                               std::filesystem::path* unlisted = nullptr, UnreadInput* unread = nullptr);

// ---- Decompiling -----------------------------------------------------------

// Runs the decompiler in a private folder and, only when it ended with 0
// and wrote all three files, puts its FlightPlans.txt in place as
// `chosenFile` and its Airports.txt and Aircraft.txt into that file's folder
// (replacing files of those names, under their existing spelling). When
// `chosenFile` is not that folder's FlightPlans.txt, a FlightPlans.txt
// there is left alone. The three are replaced as one set
// (ReplaceFilesInTurn, which fills in `failure` and `recovered`). False, with
// every file as it was unless `failure` says otherwise, on any failure;
// `unlisted` then names that folder when it was one that could not be listed.
bool DecompileTo(const std::filesystem::path& programFolder, const std::filesystem::path& chosenFile,
                 bool showConsole, SetFailure* failure = nullptr, SetRecovery* recovered = nullptr,
                 std::filesystem::path* unlisted = nullptr);

}  // namespace velk
