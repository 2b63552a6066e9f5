// The one replacement of a set of files: all or none while it runs, made
// whole by the next run after a kill, and never at the cost of a file the
// user changed since or of a journal it cannot have written.
#include "platform/file_set.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::Names;
using test::RecoverSet;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The names of `folder` that hold `part`.
std::vector<std::string> NamesWith(const fs::path& folder, const std::string& part) {
  std::vector<std::string> out;
  for (const std::string& name : Names(folder))
    if (name.find(part) != std::string::npos) out.push_back(name);
  return out;
}

const char* g_failRename = nullptr;  // a target whose rename fails
bool g_failPutBack = false;          // and so does putting a kept file back
int g_renamesOfA = 0;

bool FailRenames(std::string_view step, const fs::path& path) {
  if (step != "rename") return false;
  const std::string name = path.filename().string();
  return name == g_failRename || (g_failPutBack && name == "a.txt" && ++g_renamesOfA == 2);
}

TEST(FileSet, AFailureLeavesTheSetAsItWasOrSaysWhatIsNew) {
  TempDir dir;
  WriteFile(dir / "a.txt", "old a");
  WriteFile(dir / "b.txt", "old b");
  fs::create_directory(dir / "blocked");
  SetFailure failure;
  // A target in a missing folder, a target that is a folder: nothing changes.
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}, {dir / "no/d.txt", "d"}}, &failure));
  EXPECT_EQ(failure.step, SetFailure::Step::kRefused);
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "blocked", "x"}}, &failure));
  EXPECT_EQ(failure.step, SetFailure::Step::kRefused);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked"}));
  EXPECT_EQ(ReadFile(dir / "a.txt"), "old a");

  // The last rename fails: a gets its old file back, the new c goes again.
  SetFileStepHook(FailRenames);
  g_failRename = "b.txt";
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}, {dir / "b.txt", "new b"}}, &failure));
  EXPECT_EQ(failure.step, SetFailure::Step::kReplace);
  EXPECT_EQ(failure.file, dir / "b.txt");
  EXPECT_EQ(failure.mixed, "");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked"}));
  EXPECT_EQ(ReadFile(dir / "a.txt"), "old a");

  // Putting a back fails as well: the failure says what is new and where
  // the old a lies, and the next run puts it back.
  g_failPutBack = true;
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}, {dir / "b.txt", "new b"}}, &failure));
  g_failPutBack = false;
  SetFileStepHook(nullptr);
  const std::vector<std::string> kept = NamesWith(dir.path(), ".old");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(failure.mixed, "Could not put the earlier files back: a.txt is new, c.txt and b.txt are old; the "
                           "earlier files are kept as " + kept[0] + " for a.txt.");
  EXPECT_EQ(ReadFile(dir / "a.txt"), "new a");
  const SetRecovery r = RecoverSet(dir.path());
  EXPECT_EQ(r.lines, std::vector<std::string>{"Put back the earlier a.txt, c.txt and b.txt, which an interrupted "
                                              "run of velk had left half replaced."});
  EXPECT_EQ(ReadFile(dir / "a.txt"), "old a");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked"}));

  ASSERT_TRUE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}}));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked", "c.txt"}));
}

// A replacement of a, b and c killed at `step`.
void KillWriting(const fs::path& folder, const std::string& step) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(folder / name, std::string("old ") + name[0]);
  test::KillAtFileStep(step, [&] {
    ReplaceFilesInTurn({{folder / "a.txt", "new a"}, {folder / "b.txt", "new b"}, {folder / "c.txt", "new c"}});
  });
}

std::vector<std::optional<std::string>> Set(const fs::path& folder) {
  return {ReadFile(folder / "a.txt"), ReadFile(folder / "b.txt"), ReadFile(folder / "c.txt")};
}

const std::vector<std::optional<std::string>> kOld = {"old a", "old b", "old c"};
const std::vector<std::optional<std::string>> kNew = {"new a", "new b", "new c"};
const std::vector<std::optional<std::string>> kMixed = {"new a", "new b", "old c"};

TEST(FileSet, AnInterruptedSetIsFinishedWhereverItsFolderWentAndNeverTurnedBack) {
  TempDir dir;
  // Killed before its last rename; the folder is renamed before the next run.
  KillWriting(dir / "set", "rename c.txt");
  ASSERT_EQ(Set(dir / "set"), kMixed);
  fs::rename(dir / "set", dir / "moved");
  SetRecovery r = RecoverSet(dir / "moved");
  EXPECT_EQ(r.lines, std::vector<std::string>{"Finished replacing a.txt, b.txt and c.txt, which an interrupted run "
                                              "of velk had left half done."});
  EXPECT_EQ(Set(dir / "moved"), kNew);
  EXPECT_EQ(Names(dir / "moved"), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  // Killed once every file was in place, before its journal went.
  KillWriting(dir / "done", "unlink .velk.journal");
  r = RecoverSet(dir / "done");
  EXPECT_EQ(r.lines, std::vector<std::string>{"Removed what an interrupted run of velk left; a.txt, b.txt and "
                                              "c.txt are new."});
  EXPECT_EQ(Set(dir / "done"), kNew);
  EXPECT_EQ(Names(dir / "done"), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  // Killed while it wrote the new files: only its own files go.
  KillWriting(dir / "early", "fsync .velk-set-");
  WriteFile(dir / "early/.b.txt.Ab12Cd", "another program's");
  r = RecoverSet(dir / "early");
  EXPECT_EQ(r.lines, std::vector<std::string>{"Removed what an interrupted run of velk left; a.txt, b.txt and "
                                              "c.txt are as before."});
  EXPECT_EQ(Set(dir / "early"), kOld);
  EXPECT_EQ(Names(dir / "early"), (std::set<std::string>{".b.txt.Ab12Cd", "a.txt", "b.txt", "c.txt"}));
}

// Files changed after the kill, and journals that the run cannot have
// written: nothing is touched, every file stays, and the journal is set
// aside so that no later run tries it again.
TEST(FileSet, NothingIsTouchedWhenAFileChangedOrTheJournalCannotBeTrusted) {
  TempDir dir;
  struct Case {
    const char* name;
    std::function<void(const fs::path& folder)> after_kill;
    const char* line;  // how the line begins
  };
  const std::vector<Case> cases = {
      {"edited", [](const fs::path& f) { WriteFile(f / "b.txt", "the user's b"); },
       "b.txt changed after an interrupted run of velk had begun to replace a.txt, b.txt and c.txt: nothing was "
       "put back; check a.txt, b.txt and c.txt; the earlier files are kept as .velk-set-"},
      {"linked",
       [](const fs::path& f) {
         fs::rename(f / ".velk.journal", f.parent_path() / "elsewhere");
         fs::create_symlink(f.parent_path() / "elsewhere", f / ".velk.journal");
       },
       "The journal .velk.journal of an interrupted run could not be used (it is not a regular file)"},
      {"huge",
       [](const fs::path& f) {
         fs::resize_file(f / ".velk.journal", std::uintmax_t{64} << 20);
       },
       "The journal .velk.journal of an interrupted run could not be used (it is far larger than a journal)"},
      {"twice",
       [](const fs::path& f) {
         std::string text = *ReadFile(f / ".velk.journal");
         text.replace(text.find("c.txt\0"s), 5, "a.txt");
         WriteFile(f / ".velk.journal", text);
       },
       "The journal .velk.journal of an interrupted run could not be used (it names a file twice)"},
      {"forged",
       [](const fs::path& f) {
         fs::remove(f / ".velk.journal");
         WriteFile(f / ".velk.journal", "velk file set 2\0velk\0AAAAAAAA\0" "1.1\0-\0" "1\0a.txt\0-\0staged\0"
                                        "committed\0" "2.3.4.5\0" "2.3.4.6\0" "2.3.4.5\0end\0"s);
       },
       "The journal .velk.journal of an interrupted run could not be used (none of the files it names is as that "
       "run left it): nothing was changed"},
  };
  for (const Case& c : cases) {
    const fs::path folder = dir / c.name;
    KillWriting(folder, "rename c.txt");
    c.after_kill(folder);
    const std::vector<std::optional<std::string>> before = Set(folder);
    const std::set<std::string> names = Names(folder);
    const SetRecovery r = RecoverSet(folder);
    ASSERT_EQ(r.lines.size(), 1u) << c.name;
    EXPECT_EQ(r.lines[0].rfind(c.line, 0), 0u) << c.name << ": " << r.lines[0];
    EXPECT_TRUE(r.lines[0].ends_with("; the journal is kept as .velk.journal.aside.")) << r.lines[0];
    EXPECT_TRUE(r.attention && !r.unfinished) << c.name;
    EXPECT_EQ(Set(folder), before) << c.name;
    std::set<std::string> aside = names;
    aside.erase(".velk.journal");
    aside.insert(".velk.journal.aside");
    EXPECT_EQ(Names(folder), aside) << c.name;
    EXPECT_EQ(NamesWith(folder, ".old").size(), 3u) << c.name;
    // Set aside, it is never tried again, and the set can be written anew.
    EXPECT_TRUE(RecoverSet(folder).Empty()) << c.name;
    EXPECT_TRUE(ReplaceFilesInTurn({{folder / "a.txt", "newer a"}})) << c.name;
  }
}
}  // namespace
}  // namespace velk
