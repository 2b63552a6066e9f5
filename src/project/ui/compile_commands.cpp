#include "project/ui/compile_commands.h"

#include <QAction>
#include <QCoreApplication>

#include "app/plan_host.h"
#include "data/program_state.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "project/console_tools.h"

namespace velk {
namespace {

constexpr const char* kPlanFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

}  // namespace

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
  FileDialogRequest r;
  r.title = "Compile - Choose Flightplan";
  r.filter = kPlanFilter;
  const std::string& loaded = host_.Plan().FlightplanPath;
  r.fileName = loaded.empty() ? kFlightPlansName : loaded;
  r.flags = kOpenDialogFlags;
  r.owner = host_.Window();
  std::string path = ShowFileDialog(r);
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
  CompileOutcome outcome =
      CompilePlanFile(host_.ProgramFolder(), std::filesystem::path(planFile), c_.mnuToolsShowCompiler->isChecked());
  switch (outcome) {
    case CompileOutcome::kAircraftMissing:
      ShowMessageBox(kAircraftTxtMissingMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
      break;
    case CompileOutcome::kAirportsMissing:
      ShowMessageBox(kAirportsTxtMissingMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
      break;
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
  FileDialogRequest r;
  r.save = true;
  r.title = "Decompile - Choose Output File";
  r.filter = kPlanFilter;
  r.fileName = kFlightPlansName;
  r.flags = kSaveDialogFlags;
  r.owner = host_.Window();
  std::string path = ShowFileDialog(r);
  if (path.empty()) return;
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  if (DecompileTo(host_.ProgramFolder(), std::filesystem::path(path), c_.mnuToolsShowCompiler->isChecked()))
    ShowMessageBox(kDecompiledMessage, kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
  else
    ShowMessageBox(kDecompileFailedMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
}

}  // namespace velk
