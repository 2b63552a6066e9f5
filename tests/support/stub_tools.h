#pragma once
// Stand-ins for the console tools: small shell scripts put into a test
// program folder under a tool's name. Each run records its argument list,
// its working folder, the files it found there (with copies of them), the
// VELK_FS_PATH it was given and whether its output is a terminal, then runs
// the test's own shell lines and exits with the chosen code.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/process_runner.h"
#include "support/test_support.h"

namespace velk::test {

class StubTools {
 public:
  StubTools();

  // The program folder that holds the stubs.
  const std::filesystem::path& ProgramFolder() const { return program_.path(); }

  // Writes the stub `name` (replacing one of that name). `shell` runs in the
  // tool's working folder after the record is taken.
  void Install(const std::string& name, int exitCode, const std::string& shell = "");

  struct Run {
    std::vector<std::string> argv;  // argv[0] is the path the stub was started by
    std::filesystem::path workFolder;
    std::vector<std::string> files;  // names in the working folder, sorted
    std::filesystem::path seen;      // copies of those files
    std::string fsPath;              // VELK_FS_PATH as the stub saw it
    bool terminal = false;           // its output went to a terminal
  };
  // Every run of any stub so far, in order.
  std::vector<Run> Runs() const;

 private:
  TempDir program_;
  TempDir records_;
};

// The console of a tool run shown: keeps what the tool wrote and answers
// Enter once its closing prompt ("...finish...") has come, as a user would.
class EnterAtPromptConsole : public ProcessConsole {
 public:
  explicit EnterAtPromptConsole(std::string* seen) : seen_(seen) {}
  void Output(std::string_view bytes) override { seen_->append(bytes); }
  std::string TakeInput() override;

 private:
  std::string* seen_;
  bool answered_ = false;
};

}  // namespace velk::test
