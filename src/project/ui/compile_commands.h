#pragma once
// The Tools menu's compile and decompile commands: compile a plan chosen in
// a dialog or the loaded one, and decompile the simulator's traffic database
// into text files chosen in a dialog. The Show Compiler switch (a checkable
// menu entry, its own store) shows the tool's console while it runs.
#include <QObject>
#include <string>

class QAction;

namespace velk {

class PlanHost;

struct CompileControls {
  QAction* mnuToolsCompileCurrent = nullptr;
  QAction* mnuToolsCompile = nullptr;
  QAction* mnuToolsDecompile = nullptr;
  QAction* mnuToolsShowCompiler = nullptr;
};

inline constexpr const char* kCompilerMissingMessage =
    "File 'orvane' not found. Please copy the file to the VELK program folder.";
inline constexpr const char* kDecompilerMissingMessage =
    "File 'ulvane' not found. Copy the file to the VELK program folder.";
inline constexpr const char* kSaveBeforeCompileQuestion = "Save modified Flightplan before starting compiling?";
inline constexpr const char* kAircraftTxtMissingMessage =
    "File 'AIRCRAFT.TXT' not found. Please copy the file to the Flightplan folder.";
inline constexpr const char* kAirportsTxtMissingMessage =
    "File 'AIRPORTS.TXT' not found. Please copy the file to the Flightplan folder.";
inline constexpr const char* kCompiledMessage = "Successfully compiled AI Traffic.";
inline constexpr const char* kCompileFailedMessage = "Errors occured during compiling AI Traffic.";
inline constexpr const char* kDecompiledMessage = "Successfully decompiled AI Traffic.";
inline constexpr const char* kDecompileFailedMessage = "Errors occured during decompiling AI Traffic.";

class CompileCommands : public QObject {
  Q_OBJECT

 public:
  CompileCommands(const CompileControls& controls, PlanHost& host, QObject* parent = nullptr);

  // Tools > Compile Flightplan: a plan file chosen in a dialog.
  void CompileFlightplan();
  // Tools > Compile current Flightplan: the loaded plan as saved, after the
  // offer to save its changes.
  void CompileCurrentFlightplan();
  // Tools > Decompile Flightplan.
  void DecompileFlightplan();

 private:
  bool CompilerPresent();
  void Compile(const std::string& planFile);

  CompileControls c_;
  PlanHost& host_;
};

}  // namespace velk
