#include "traffic_compiler/compiler/compiler_run.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "traffic_compiler/common/console.h"
#include "traffic_compiler/common/tool_error.h"
#include "traffic_compiler/common/tool_files.h"
#include "traffic_compiler/common/version.h"
#include "traffic_compiler/compiler/arrival_times.h"
#include "traffic_compiler/compiler/traffic_database.h"
#include "traffic_compiler/compiler/traffic_parser.h"
#include "platform/ascii_text.h"

namespace traffic {
namespace {

using velk::EqualsNoCase;

constexpr const char* kHelp =
    "Usage: orvane [/np] [/ep] [/na]\n"
    "Compiles Airports.txt, Aircraft.txt and FlightPlans.txt of the current folder\n"
    "into traffic.bgl in the simulator's SCENEDB/ATC/Scenery folder.\n"
    "\n"
    "  /np        do not wait for Enter before exit\n"
    "  /ep        wait for Enter only when the compile failed\n"
    "  /na        do not write the computed arrival times back into FlightPlans.txt\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "The simulator folder is taken from VELK_FS_PATH when it is set.\n"
    "Exit status: 0 when traffic.bgl was written and put in place, 1 on any error.\n";

struct Switches {
  bool no_prompt = false;
  bool prompt_on_error = false;
  bool no_arrivals = false;
};

// Puts the new database in place: keeps the database found there first as
// traffic_ORIGINAL.bbb (once), then replaces traffic.bgl in one step.
int InstallDatabase(const fs::path& folder, const fs::path& temp) {
  const fs::path current = FindFileNoCase(folder, "traffic.bgl");
  const fs::path backup = FindFileNoCase(folder, "traffic_ORIGINAL.bbb");
  std::error_code ec;
  if (fs::exists(current, ec)) {
    if (CopyFileExclusive(current, backup) == CopyResult::kFailed) {
      fs::remove(temp, ec);
      return ReportFileError(kErrCreateFile, backup.string());
    }
  }
  if (!ReplaceFile(temp, current)) return ReportFileError(kErrDeleteOld, current.string());
  return 0;
}

int Compile(const Switches& switches) {
  const fs::path sim = LocateFlightSim();
  if (sim.empty()) return ReportFileError(kErrSimNotFound, "");
  ConsoleWrite("FS2002 located, compiling traffic.bgl file now...\n\n");

  TrafficData data;
  if (int e = ParseTrafficFiles(".", data)) return e;

  const fs::path folder = TrafficSceneryFolder(sim);
  const fs::path temp = folder / "traffic_TEMP.bgl";
  if (int e = WriteTrafficDatabase(temp, data)) {
    std::error_code ec;
    if (e != kErrOpenOutput) fs::remove(temp, ec);
    return e;
  }
  if (int e = InstallDatabase(folder, temp)) return e;

  // The database is in place; a failed write-back is reported but does not
  // make the compile fail.
  if (!switches.no_arrivals) InsertArrivalTimes(FindFileNoCase(".", kFlightPlansFile), data.plans);
  ConsoleWrite("\nCompile of traffic.bgl completed\n\n");
  return 0;
}

}  // namespace

int CompilerMain(int argc, const char* const* argv) {
  Switches switches;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (i > 0 && arg == "--help") {
      ConsoleWrite(kHelp);
      ConsoleFlush();
      return 0;
    }
    if (i > 0 && arg == "--version") {
      ConsoleWrite(std::string("orvane (VELK) ") + kToolVersion + "\n");
      ConsoleFlush();
      return 0;
    }
  }
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (EqualsNoCase(arg, "/np")) switches.no_prompt = true;
    else if (EqualsNoCase(arg, "/ep")) switches.prompt_on_error = true;
    else if (EqualsNoCase(arg, "/na")) switches.no_arrivals = true;
  }

  ConsoleWrite(std::string("Compiler for FS2002 traffic.bgl file, version ") + kCompilerBannerVersion +
               "\n\n");
  const int error = Compile(switches);
  const bool wait = switches.prompt_on_error ? error != 0 : !switches.no_prompt;
  if (wait) WaitForEnter();
  ConsoleFlush();
  return error == 0 ? 0 : 1;
}

}  // namespace traffic
