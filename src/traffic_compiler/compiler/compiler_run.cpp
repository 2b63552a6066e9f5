#include "traffic_compiler/compiler/compiler_run.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
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
#include "platform/file_set.h"

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
// traffic_ORIGINAL.bbb (once), then replaces traffic.bgl in one step. Either
// name may be a symbolic link, and then the file it names is meant. The
// database replaced is freed through `replaced`, in the background.
int InstallDatabase(const fs::path& folder, const fs::path& temp, HeldFile& replaced) {
  fs::path unlisted;
  const fs::path found = FindFileNoCase(folder, "traffic.bgl", &unlisted);
  const fs::path found_backup = FindFileNoCase(folder, "traffic_ORIGINAL.bbb", &unlisted);
  if (found.empty() || found_backup.empty()) {
    std::error_code ec;
    fs::remove(temp, ec);
    return ReportFileError(kErrListFolder, unlisted.string());
  }
  const fs::path current = ResolveLinks(found);
  const fs::path backup = ResolveLinks(found_backup);
  // A link still there after resolving could not be followed (a loop): it
  // is no file, and replacing it would put a plain file in its place.
  struct stat st;
  const bool exists = ::lstat(current.c_str(), &st) == 0;
  const bool regular = exists && ::stat(current.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  const bool backed_up = ::lstat(backup.c_str(), &st) == 0;
  if (exists && !regular && !backed_up) {
    // A folder, FIFO or device is no database to keep.
    std::error_code ec;
    fs::remove(temp, ec);
    return ReportFileError(kErrOpenInput, current.string());
  }
  // Neither a write-protected database nor something that is not a file is
  // replaced; the new one stays beside it as traffic_TEMP.bgl.
  if ((exists && !regular) || IsWriteProtected(current)) return ReportFileError(kErrDeleteOld, current.string());
  if (regular && !backed_up && CopyFileExclusive(current, backup) == CopyResult::kFailed) {
    std::error_code ec;
    fs::remove(temp, ec);
    return ReportFileError(kErrCreateFile, backup.string());
  }
  if (regular) replaced.Hold(current);
  if (!ReplaceFile(temp, current)) return ReportFileError(kErrDeleteOld, current.string());
  replaced.Release();
  return 0;
}

int Compile(const Switches& switches) {
  fs::path unlisted;
  const fs::path sim = LocateFlightSim(&unlisted);
  if (sim.empty()) return unlisted.empty() ? ReportFileError(kErrSimNotFound, "")
                                           : ReportFileError(kErrListFolder, unlisted.string());
  ConsoleWrite("FS2002 located, compiling traffic.bgl file now...\n\n");

  // One run at a time per simulator: the lock is held until the database is
  // in place and the plan written back. A missing folder is reported when
  // the database cannot be created in it.
  const fs::path folder = TrafficSceneryFolder(sim, &unlisted);
  if (folder.empty()) return ReportFileError(kErrListFolder, unlisted.string());
  FolderLock lock;
  const FolderLock::Result locked =
      lock.Lock(folder, [] { ConsoleWaiting("compile or decompile of this simulator"); });
  // The texts are read, and the plan written back, while no other run
  // writes into their folder; a set of them that a killed run left half
  // replaced is made whole first, and a set that cannot be is not compiled.
  velk::SetFolder work(".", {kAirportsFile, kAircraftFile, kFlightPlansFile});
  work.Lock([] { ConsoleWaiting("run writing into this folder"); });
  const velk::SetRecovery recovered = work.Recover();
  if (!recovered.Empty()) ConsoleWrite(recovered.Text() + "\n");
  if (!recovered.Readable()) return ReportFileError(kErrSetFolder, recovered.Refusal());

  TrafficData data;
  std::uint64_t plans_fingerprint = 0;
  if (int e = ParseTrafficFiles(".", data, &plans_fingerprint)) return e;
  const fs::path plans_file = switches.no_arrivals ? fs::path() : FindFileNoCase(".", kFlightPlansFile, &unlisted);
  if (!switches.no_arrivals && plans_file.empty()) return ReportFileError(kErrListFolder, unlisted.string());

  const fs::path temp = folder / "traffic_TEMP.bgl";
  if (locked == FolderLock::Result::kLocked) {
    // Under the lock, a traffic_TEMP.bgl (a file or a planted link) can
    // only be left over from a run that died.
    RemoveFileEntry(temp);
    // Nor can a temporary copy of a backup that was never finished.
    RemoveLeftoverTemporaries(folder / "traffic_ORIGINAL.bbb");
  }
  // The new plan with the arrival times is made while the sectors are
  // walked, its console output held back; it replaces the plan only once
  // the database is in place, and is removed again when that fails.
  PlanWriteBack write_back;
  std::string write_back_output;
  bool prepared = false;
  auto prepare_write_back = [&] {
    ScopedConsoleCapture held_back;
    write_back.Prepare(plans_file, data.plans, plans_fingerprint);
    write_back_output = held_back.text();
    prepared = true;
  };
  if (int e = WriteTrafficDatabase(temp, data, switches.no_arrivals ? std::function<void()>() : prepare_write_back))
    return e;
  // The old database is let go of while the plan is written back.
  HeldFile replaced;
  if (int e = InstallDatabase(folder, temp, replaced)) return e;

  // A failed write-back is a failed run, although the database is in place.
  if (!switches.no_arrivals) {
    if (!prepared) prepare_write_back();
    ConsoleWrite(write_back_output);
    if (int e = write_back.Commit()) return e;
  }
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

  velk::SetProgramMark("orvane");
  ConsoleWrite(std::string("Compiler for FS2002 traffic.bgl file, version ") + kCompilerBannerVersion +
               "\n\n");
  const int error = Compile(switches);
  const bool wait = switches.prompt_on_error ? error != 0 : !switches.no_prompt;
  if (wait) WaitForEnter();
  ConsoleFlush();
  return error == 0 ? 0 : 1;
}

}  // namespace traffic
