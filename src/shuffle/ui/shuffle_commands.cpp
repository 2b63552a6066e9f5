#include "shuffle/ui/shuffle_commands.h"

#include <QCoreApplication>
#include <optional>
#include <vector>

#include "data/aircraft_types_file.h"
#include "data/program_state.h"
#include "data/scenery_airports.h"
#include "gui/frm_progress.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/text_file.h"
#include "shuffle/scenery_files.h"
#include "shuffle/shuffle_logs.h"

namespace velk {
namespace {

constexpr const char* kNoInstalledAircraftMessage = "No FS Aircraft detected.";
constexpr const char* kGettingSceneryStep = "Getting FS2002 Scenery...";

// A new step in the progress window; window events run after it.
void Step(PlanHost& host, const QString& caption, std::optional<int> value = std::nullopt) {
  host.Progress()->SetCaption(caption);
  if (value) host.Progress()->SetValue(*value);
  QCoreApplication::processEvents();
}

// The scenery load as the main window runs it: its messages over the main
// window, each facility file's name in the progress window, the cache in the
// program folder.
SceneryLoadContext SceneryContext(PlanHost& host) {
  SceneryLoadContext context = DefaultSceneryContext();
  context.programFolder = host.ProgramFolder();
  context.owner = host.Window();
  context.progress = [&host](const std::string& text) { Step(host, FromPlanText(text)); };
  return context;
}

void Tell(PlanHost& host, const std::string& text, int icon) {
  ShowMessageBox(text, kMbOk | icon, kProgramTitle, host.Window());
}

// The frame every generator runs in: busy, the progress window with its
// first step, the scenery loaded into a list of the generator's own, the
// file written, then the progress window gone before the closing message.
void GenerateFromScenery(PlanHost& host, const char* fileName, const std::filesystem::path& path,
                         const std::function<std::string(const std::vector<SceneryAirport>&)>& text) {
  BusyFrame busy(host);
  std::optional<LongOperation> operation;
  operation.emplace(host, kGettingSceneryStep, 2, 1);
  std::vector<SceneryAirport> scenery;
  LoadSceneryAirports(scenery, SceneryContext(host));
  if (scenery.empty()) {
    Tell(host, kNoSceneryMessage, kMbIconExclamation);
    return;
  }
  bool written = WriteFileAtomic(path, text(scenery));
  operation.reset();
  if (written) {
    Tell(host, std::string("Successfully generated '") + fileName + "'.", kMbIconInformation);
  } else {
    Tell(host, WriteFailedMessage(path), kMbIconExclamation);
  }
}

}  // namespace

bool ShuffleTraffic(PlanHost& host, const ShuffleOptions& options, int& removedCount, int& assignedCount) {
  removedCount = 0;
  assignedCount = 0;
  Step(host, kGettingSceneryStep);
  std::vector<SceneryAirport>& scenery = SceneryAirports();
  LoadSceneryAirports(scenery, SceneryContext(host));

  ShuffleProgress progress;
  progress.Caption = [&host](const std::string& text) { Step(host, FromPlanText(text)); };
  progress.Maximum = [&host](int maximum) { host.Progress()->SetMax(maximum); };
  progress.Value = [&host](int value) {
    host.Progress()->SetValue(value);
    QCoreApplication::processEvents();
  };

  const std::filesystem::path planPath = host.Plan().FlightplanPath;
  std::optional<ShuffleLogFile> log;
  if (options.DebugEnabled) log.emplace();
  ShuffleResult result =
      RunShuffle(host.Plan(), scenery, ProgramLocationTables(), options, log ? &*log : nullptr, progress);
  if (result.Status == ShuffleStatus::kNoScenery) {
    Tell(host, kNoSceneryMessage, kMbIconExclamation);
    return false;
  }

  // The trace goes out also after an error: it shows how far the run got.
  std::vector<std::filesystem::path> failed;
  if (log) {
    const std::filesystem::path folder = ShuffleLogFolder(planPath);
    if (planPath.empty() || !log->Save(folder / kShuffleLogFileName)) failed.push_back(folder / kShuffleLogFileName);
    if (result.Completed() &&
        (planPath.empty() || !WriteShuffleResult(planPath, ProgramLocationTables(), result.NoAirline)))
      failed.push_back(folder / kShuffleResultFileName);
  }
  if (!result.Completed()) Tell(host, result.Error, kMbIconCritical);
  for (const auto& path : failed) Tell(host, WriteFailedMessage(path), kMbIconExclamation);
  if (!result.Completed()) return false;
  removedCount = result.RemovedCount;
  assignedCount = result.AssignedCount;
  return true;
}

void CreateAircraftTypesFile(PlanHost& host, const AircraftTree& shuffleTree) {
  BusyFrame busy(host);
  std::optional<LongOperation> operation;
  operation.emplace(host, "Writing...", 2, 1);
  const std::vector<FSAircraft>& installed = host.Plan().FSAircraftList;
  if (installed.empty()) {
    Tell(host, kNoInstalledAircraftMessage, kMbIconExclamation);
    return;
  }
  operation->Step("Writing...", 2);
  std::vector<const FSAircraft*> ticked;
  for (const FSAircraft& a : installed) {
    if (!IsUsableAircraft(a)) continue;
    int leaf = shuffleTree.FindLeaf(LeafKey(a.Title));
    if (leaf >= 0 && shuffleTree.Node(leaf).Checked) ticked.push_back(&a);
  }
  const std::filesystem::path folder = host.ProgramFolder();
  bool written = WriteAircraftTypesFile(folder, ticked);
  operation.reset();
  if (written) {
    Tell(host, std::string("Successfully generated '") + kAircraftTypesFileName + "'.", kMbIconInformation);
  } else {
    Tell(host, WriteFailedMessage(folder / kAircraftTypesFileName), kMbIconExclamation);
  }
}

void CreateNewAirlineConfig(PlanHost& host) {
  GenerateFromScenery(host, kNewAirlineConfigFileName, host.ProgramFolder() / kNewAirlineConfigFileName,
                      NewAirlineConfigText);
}

void CreateNewAirportsFile(PlanHost& host) {
  GenerateFromScenery(host, kNewAirportsFileName, host.ProgramFolder() / kNewAirportsFileName, NewAirportsText);
}

void CreateFlightplanAirportsFile(PlanHost& host) {
  const std::vector<Flight>& flights = host.Plan().Flights;
  GenerateFromScenery(host, kFlightplanAirportsFileName, FlightplanAirportsPath(host.Plan().FlightplanPath),
                      [&host, &flights](const std::vector<SceneryAirport>& scenery) {
                        Step(host, "Analyzing Flightplan...", 2);
                        return FlightplanAirportsText(flights, scenery);
                      });
}

}  // namespace velk
