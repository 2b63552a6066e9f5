#include "platform/process_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/pad_text.h"
#include "platform/temp_folder.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

int RunChild(const std::vector<std::string>& argv, const std::string& folder = "", bool show = false) {
  std::string output = "untouched";
  int rc = RunAndWait(argv, folder, output, show);
  EXPECT_EQ(output, "untouched");
  return rc;
}

fs::path Script(const fs::path& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

TEST(RunAndWait, ReturnsTheExitCodeAndMinusOneForFailedStartsAndSignals) {
  TempDir dir;
  WriteFile(dir / "not-executable", "#!/bin/sh\nexit 0\n");
  const std::pair<std::vector<std::string>, int> runs[] = {
      {{"/bin/sh", "-c", "exit 0"}, 0},
      {{"/bin/sh", "-c", "exit 1"}, 1},
      {{"sh", "-c", "exit 42"}, 42},  // found through PATH
      {{"/bin/sh", "-c", "kill -KILL $$"}, -1},
      {{"/bin/sh", "-c", "kill -TERM $$"}, -1},
      {{(dir / "no such program").string()}, -1},
      {{"velk-no-such-program-anywhere"}, -1},
      {{}, -1},
      {{(dir / "not-executable").string()}, -1},
  };
  for (const auto& [argv, code] : runs) EXPECT_EQ(RunChild(argv), code) << testing::PrintToString(argv);
  EXPECT_EQ(RunChild({"/bin/sh", "-c", "exit 0"}, (dir / "missing folder").string()), -1);
}

TEST(RunAndWait, PassesArgumentsWithBlanksAndRunsInTheWorkingFolder) {
  TempDir dir;
  fs::path tool = Script(dir / "program folder" / "my tool",
                         "printf '%s|' \"$@\" > args.txt\npwd > where.txt\n");
  fs::path work = dir / "work folder";
  fs::create_directories(work);
  ASSERT_EQ(RunChild({tool.string(), "/NP", "two words", "", "quote\"d"}, work.string()), 0);
  EXPECT_EQ(ReadFile(work / "args.txt").value_or(""), "/NP|two words||quote\"d|");
  EXPECT_EQ(fs::path(ReadFile(work / "where.txt").value_or("").substr(0, work.string().size())),
            fs::canonical(work));
}

TEST(RunAndWait, HiddenProgramFindsItsInputClosed) {
  TempDir dir;
  // Our own input is a pipe that stays open: a child that inherited it
  // would wait for Enter for ever. The pump closes it after many rounds
  // so that a fault ends the test instead of hanging it.
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
  int savedIn = ::dup(0);
  ::dup2(pipeFds[0], 0);
  ::close(pipeFds[0]);
  int rounds = 0;
  bool forced = false;
  SetEventPump([&] {
    if (++rounds == 100 && pipeFds[1] >= 0) {
      ::close(pipeFds[1]);
      pipeFds[1] = -1;
      forced = true;
    }
  });
  int rc = RunChild({"/bin/sh", "-c", "printf 'Press ENTER key to finish...'; if read x; then exit 5; fi; exit 7"},
               dir.path().string(), false);
  SetEventPump(nullptr);
  ::dup2(savedIn, 0);
  ::close(savedIn);
  if (pipeFds[1] >= 0) ::close(pipeFds[1]);
  EXPECT_FALSE(forced);
  EXPECT_EQ(rc, 7);
}

TEST(RunAndWait, LetsEventsRunWhileWaiting) {
  int rounds = 0;
  SetEventPump([&] { ++rounds; });
  EXPECT_EQ(RunChild({"/bin/sh", "-c", "sleep 0.4; exit 3"}), 3);
  SetEventPump(nullptr);
  EXPECT_GE(rounds, 1);
}

// A console that answers the prompt once it has shown.
class ScriptedConsole : public ProcessConsole {
 public:
  ScriptedConsole(std::string* seen, int* finished, std::string answer, bool closeAtPrompt)
      : seen_(seen), finished_(finished), answer_(std::move(answer)), closeAtPrompt_(closeAtPrompt) {}
  void Output(std::string_view bytes) override { seen_->append(bytes); }
  std::string TakeInput() override {
    if (seen_->find("finish...") == std::string::npos || answered_) return {};
    answered_ = true;
    return answer_;
  }
  bool Closed() const override { return closeAtPrompt_ && answered_; }
  void Finished(int result) override { *finished_ = result; }

 private:
  std::string* seen_;
  int* finished_;
  std::string answer_;
  bool closeAtPrompt_;
  bool answered_ = false;
};

TEST(RunAndWait, ShownProgramTalksThroughItsConsole) {
  std::string seen;
  int finished = -99;
  bool closeAtPrompt = false;
  SetProcessConsoleFactory([&](const std::vector<std::string>& argv) -> std::unique_ptr<ProcessConsole> {
    EXPECT_EQ(argv[0], "/bin/sh");
    return std::make_unique<ScriptedConsole>(&seen, &finished, "hello there\n", closeAtPrompt);
  });
  const std::string prompt =
      "printf 'Press ENTER key to finish...'; read x; echo \"got [$x]\"; echo err >&2; exit 3";
  EXPECT_EQ(RunChild({"/bin/sh", "-c", prompt}, "", true), 3);
  EXPECT_EQ(finished, 3);
  EXPECT_NE(seen.find("got [hello there]\n"), std::string::npos) << seen;
  EXPECT_NE(seen.find("err\n"), std::string::npos) << seen;
  EXPECT_EQ(seen.find('\r'), std::string::npos) << seen;

  // Closing the console ends a program that still waits.
  seen.clear();
  closeAtPrompt = true;
  EXPECT_EQ(RunChild({"/bin/sh", "-c", "printf 'finish...'; sleep 30; exit 0"}, "", true), -1);
  EXPECT_EQ(finished, -1);
  SetProcessConsoleFactory(nullptr);
}

TEST(SmallUtilities, PadTextAndTempFolder) {
  EXPECT_EQ(PadText("ABC", 6), "ABC   ");
  EXPECT_EQ(PadText("ABC", 3), "ABC");
  EXPECT_EQ(PadText("ABC", 2), "ABC");
  EXPECT_EQ(PadText("", -4), "");

  std::string tmp = GetTempFolder();
  ASSERT_FALSE(tmp.empty());
  EXPECT_EQ(tmp.back(), '/');
  struct stat st;
  ASSERT_EQ(::stat(tmp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(GetTempFolder(), tmp);  // one folder per run
  fs::remove_all(tmp);
  std::string again = GetTempFolder();
  EXPECT_TRUE(fs::is_directory(again));
}

}  // namespace
}  // namespace velk
