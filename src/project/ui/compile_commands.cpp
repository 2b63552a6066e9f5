#include "project/ui/compile_commands.h"

#include <QAction>
#include <QCoreApplication>

#include "data/aircraft_airport_files.h"
#include "data/flight_plan_file.h"
#include "data/program_state.h"
#include "gui/plan_host.h"
#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "platform/set_messages.h"
#include "project/console_tools.h"
#include "project/ui/file_choice.h"

namespace velk {

CompileCommands::CompileCommands(const CompileControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
  auto guarded = [this](void (CompileCommands::*command)()) {
    return [this, command] {
      if (!host_.IsBusy()) (this->*command)();
    };
  };
  connect(c_.mnuToolsCompile, &QAction::triggered, this, guarded(&CompileCommands::CompileFlightplan));
  connect(c_.mnuToolsCompileCurrent, &QAction::triggered, this,
          guarded(&CompileCommands::CompileCurrentFlightplan));
  connect(c_.mnuToolsDecompile, &QAction::triggered, this, guarded(&CompileCommands::DecompileFlightplan));
}

bool CompileCommands::CompilerPresent() {
  if (ToolPresent(host_.ProgramFolder(), kCompilerProgram)) return true;
  ShowMessageBox(kCompilerMissingMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
  return false;
}

void CompileCommands::CompileFlightplan() {
  if (!CompilerPresent()) return;
  const std::string& loaded = host_.Plan().FlightplanPath;
  std::string path =
      ChooseFileToOpen(host_, "Compile - Choose Flightplan", kTextFileFilter, loaded.empty() ? kFlightPlansName : loaded);
  if (path.empty()) return;
  Compile(path);
}

void CompileCommands::CompileCurrentFlightplan() {
  if (!CompilerPresent()) return;
  if (Program().PlanModified) {
    int answer = ShowMessageBox(kSaveBeforeCompileQuestion, kMbYesNoCancel | kMbIconQuestion, kProgramTitle,
                                host_.Window());
    if (answer != kIdYes && answer != kIdNo) return;
    if (answer == kIdYes) {
      BusyFrame busy(host_);
      QCoreApplication::processEvents();
      // The file on disk is not the plan the user meant to compile.
      if (!host_.SaveFlightplan()) return;
    }
  }
  const std::string path = host_.Plan().FlightplanPath;
  if (path.empty()) return;
  Compile(path);
}

void CompileCommands::Compile(const std::string& planFile) {
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  SetRecovery recovered;
  std::filesystem::path unlisted;
  UnreadInput unread;
  CompileOutcome outcome = CompilePlanFile(host_.ProgramFolder(), std::filesystem::path(planFile),
                                           c_.mnuToolsShowCompiler->isChecked(), &recovered, &unlisted, &unread);
  if (!ShowSetReading(recovered, host_.Window())) return;
  if (!unlisted.empty()) {
    ShowMessageBox(ListFailedMessage(unlisted), kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  switch (outcome) {
    case CompileOutcome::kAircraftMissing:
      ShowMessageBox(WithReadFailure(kAircraftTxtMissingMessage, kAircraftUnreadableMessage, unread.file, unread.read),
                     kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
      break;
    case CompileOutcome::kAirportsMissing:
      ShowMessageBox(WithReadFailure(kAirportsTxtMissingMessage, kAirportsUnreadableMessage, unread.file, unread.read),
                     kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
      break;
    case CompileOutcome::kPlanMissing:
      ShowMessageBox(WithChosenFileReadFailure(kFlightplanUnreadableMessage, unread.file, unread.read),
                     kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
      break;
    case CompileOutcome::kNotRead: break;
    case CompileOutcome::kFailed:
      ShowMessageBox(kCompileFailedMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
      break;
    case CompileOutcome::kCompiled:
      ShowMessageBox(kCompiledMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
      break;
  }
}

void CompileCommands::DecompileFlightplan() {
  if (!ToolPresent(host_.ProgramFolder(), kDecompilerProgram)) {
    ShowMessageBox(kDecompilerMissingMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  std::string path = ChooseFileToSave(host_, "Decompile - Choose Output File", kTextFileFilter, kFlightPlansName);
  if (path.empty()) return;
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  SetFailure failure;
  SetRecovery recovered;
  std::filesystem::path unlisted;
  const bool decompiled = DecompileTo(host_.ProgramFolder(), std::filesystem::path(path),
                                      c_.mnuToolsShowCompiler->isChecked(), &failure, &recovered, &unlisted);
  ShowSetRecovery(recovered, host_.Window());
  if (decompiled)
    ShowMessageBox(kDecompiledMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
  else if (!unlisted.empty())
    ShowMessageBox(ListFailedMessage(unlisted), kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
  else
    ShowMessageBox(WithSetFailure(kDecompileFailedMessage, failure), kMbOk | kMbIconCritical, kProgramTitle,
                   host_.Window());
}

}  // namespace velk
