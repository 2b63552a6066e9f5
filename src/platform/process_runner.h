#pragma once
// Starting a console program (orvane, ulvane) and waiting for it while the
// windows keep running. Standard library and POSIX only: the window layer
// plugs in its console window and its event loop through the two setters.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The console window of a program that runs shown: it gets the program's
// output as it comes and hands over what the user typed.
class ProcessConsole {
 public:
  virtual ~ProcessConsole() = default;
  // Bytes the program wrote to its output or error stream.
  virtual void Output(std::string_view bytes) = 0;
  // Text typed since the last call (lines ending in "\n"); empty for none.
  virtual std::string TakeInput() = 0;
  // True once the user closed the window: the program is then ended, as a
  // console program ends with its console.
  virtual bool Closed() const { return false; }
  // The program has ended with this result of RunAndWait.
  virtual void Finished(int result) { (void)result; }
};

// Makes the console for one shown run (`argv` as given to RunAndWait).
// Without a factory, or when it gives none, a shown program shares the
// caller's own terminal.
using ProcessConsoleFactory =
    std::function<std::unique_ptr<ProcessConsole>(const std::vector<std::string>& argv)>;
void SetProcessConsoleFactory(ProcessConsoleFactory factory);

// Called after every wait of RunAndWait so that pending window events run.
void SetEventPump(std::function<void()> pump);

// Runs the program argv[0] (a path, or a name looked up in PATH) with the
// arguments argv[1..] (no shell, so blanks in them need no quoting) in
// `workingFolder` (empty: ours), waits for it in steps of 100 ms with the
// event pump running between them, and returns its exit code.
// -1 when it cannot be started (missing, not executable, no such working
// folder) or when it ends by a signal: callers take only 0 as success.
// Shown: it runs in a console (see SetProcessConsoleFactory). Hidden: its
// input is closed, so a wait for Enter ends at once, and its output is
// dropped. `output` is not written; callers pass it by the old convention.
int RunAndWait(const std::vector<std::string>& argv, const std::string& workingFolder,
               std::string& output, bool showWindow);

}  // namespace velk
