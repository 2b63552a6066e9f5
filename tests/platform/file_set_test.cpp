// The one replacement of a set of files: all or none while it runs, made
// whole by the next run after a kill, and never at the cost of a file the
// user changed since or of a journal it cannot have written.
#include "platform/file_set.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_set_journal.h"
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

// The files of runs in `folder`, told by their whole names; with
// `keptOnly`, only the earlier files they keep.
std::vector<std::string> RunFiles(const fs::path& folder, bool keptOnly = false) {
  std::vector<std::string> out;
  for (const std::string& name : Names(folder))
    if (set_journal::IsRunFileName(name, "velk") && (!keptOnly || name.ends_with(".old"))) out.push_back(name);
  return out;
}

// The whole name of the new file for the target number `index` (from 0) of
// the run whose journal lies in `folder`.
std::string NewFileOf(const fs::path& folder, size_t index) {
  std::string why;
  std::optional<set_journal::Journal> j =
      set_journal::ParseJournal(ReadFile(folder / ".velk.journal").value_or(""), "velk", why);
  if (!j) return "no journal: " + why;
  set_journal::NameFiles(*j);
  return j->entries.at(index).temporary;
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
  test::ScopedFileStepHook hook;
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
  // More files than a recovery would read: refused before anything is made.
  FileSet many;
  for (size_t i = 0; i <= kMaxSetFiles; ++i) many.emplace_back(dir / ("f" + std::to_string(i)), "x");
  EXPECT_FALSE(ReplaceFilesInTurn(many, &failure));
  EXPECT_EQ(failure.step, SetFailure::Step::kRefused);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked"}));

  // The last rename fails: a gets its old file back, the new c goes again.
  hook.Set(FailRenames);
  g_failRename = "b.txt";
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}, {dir / "b.txt", "new b"}}, &failure));
  EXPECT_EQ(failure.step, SetFailure::Step::kReplace);
  EXPECT_EQ(failure.file, dir / "b.txt");
  EXPECT_EQ(failure.mixed, "");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked"}));
  EXPECT_EQ(ReadFile(dir / "a.txt"), "old a");

  // Putting a back fails as well: the failure says what is new and where
  // the old a lies, and the next run puts it back. Nothing else of the run
  // goes meanwhile, so that its files still tell which target is new.
  g_failPutBack = true;
  g_renamesOfA = 0;
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}, {dir / "b.txt", "new b"}}, &failure));
  g_failPutBack = false;
  hook.Off();
  const std::vector<std::string> kept = RunFiles(dir.path(), true), made = RunFiles(dir.path());
  ASSERT_EQ(kept.size(), 2u);
  ASSERT_EQ(made.size(), 3u);
  EXPECT_EQ(failure.mixed, "Could not put the earlier files back: a.txt is new, b.txt is old, c.txt is not there; the "
                           "earlier files are kept as " + kept[0] + " for a.txt and " + kept[1] + " for b.txt; the "
                           "new ones wait as " + made[1] + " for b.txt.");
  EXPECT_EQ(ReadFile(dir / "a.txt"), "new a");
  const SetRecovery r = RecoverSet(dir.path());
  EXPECT_EQ(r.lines, std::vector<std::string>{"Put back the earlier a.txt and b.txt, which an interrupted run of "
                                              "velk had left half replaced; c.txt is as before."});
  EXPECT_EQ(ReadFile(dir / "a.txt"), "old a");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked"}));

  ASSERT_TRUE(ReplaceFilesInTurn({{dir / "a.txt", "new a"}, {dir / "c.txt", "c"}}));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.txt", "b.txt", "blocked", "c.txt"}));
  // A name that a file alone may have fits a set as well.
  const std::string longest(250, 'n');
  EXPECT_TRUE(ReplaceFilesInTurn({{dir / longest, "long"}, {dir / "a.txt", "a"}}));
  EXPECT_EQ(ReadFile(dir / longest), "long");
}

// A replacement of a, b and c killed at `step`.
void KillWriting(const fs::path& folder, const std::string& step) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(folder / name, std::string("old ") + name[0]);
  test::KillAtFileStep(step, [&] {
    ReplaceFilesInTurn({{folder / "a.txt", "new a"}, {folder / "b.txt", "new b"}, {folder / "c.txt", "new c"}});
  });
}

// A file's identity as a journal records it.
std::string IdentityText(const fs::path& file) {
  struct stat st {};
  ::stat(file.c_str(), &st);
  return std::to_string(st.st_ino) + "." + std::to_string(st.st_size) + "." + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec);
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
         set_journal::Journal j{"velk", "AAAAAAAA", "1.1", "-", {{}}, set_journal::Journal::Records::kBoth};
         j.entries[0].name = "a.txt";
         j.entries[0].oldId = j.entries[0].keptId = FileIdentity{2, 3, 4, 5};
         j.entries[0].newId = FileIdentity{2, 3, 4, 6};
         fs::remove(f / ".velk.journal");
         WriteFile(f / ".velk.journal", set_journal::StagedRecord(j) + set_journal::CommittedRecord(j));
       },
       "The journal .velk.journal of an interrupted run could not be used (none of the files it names is as that "
       "run left it): nothing was changed"},
      // A journal that reaches out of its folder, by name or through a link
      // planted since, never touches what lies there.
      {"outside",
       [](const fs::path& f) {
         WriteFile(f.string() + "-other/notes.txt", "notes");
         fs::remove(f / ".velk.journal");
         WriteFile(f / ".velk.journal", "velk file set 3\0velk\0AAAAAAAA\0" "1.1\0-\0" "2\0../outside-other/notes.txt"
                                        "\0-\0gone.txt\0-\0staged\0committed\0-\0" + IdentityText(f.string() +
                                        "-other/notes.txt") + "\0-\0-\0" "1.1.1.1\0-\0end\0"s);
       },
       "The journal .velk.journal of an interrupted run could not be used (it is not a journal of this tool set)"},
      {"planted",
       [](const fs::path& f) {
         WriteFile(f.string() + "-other/notes.txt", "notes");
         fs::remove(f / "a.txt");
         fs::create_symlink(f.string() + "-other/notes.txt", f / "a.txt");
       },
       "a.txt changed after an interrupted run of velk had begun to replace a.txt, b.txt and c.txt"},
      {"read-only",
       [](const fs::path& f) { fs::permissions(f / "c.txt", fs::perms::owner_read | fs::perms::group_read); },
       "c.txt is read-only since an interrupted run of velk had begun to replace a.txt, b.txt and c.txt: nothing "
       "was put back"},
      // Come back as zeros after a power cut, in place: its last write, a
      // moment after the run's files were made, says nothing about them.
      {"zeroed",
       [](const fs::path& f) {
         const fs::path journal = f / ".velk.journal";
         std::fstream(journal, std::ios::in | std::ios::out | std::ios::binary)
             << std::string(fs::file_size(journal), '\0');
         fs::last_write_time(journal, fs::last_write_time(journal) + std::chrono::seconds(1));
       },
       "The journal .velk.journal of an interrupted run of velk names no file"},
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
    // A journal that does not name the run's files may be followed by the
    // line of those files, as of another run.
    EXPECT_NE(r.lines[0].find("; the journal is kept as .velk.journal.aside."), std::string::npos) << r.lines[0];
    EXPECT_TRUE(r.attention && !r.unfinished) << c.name;
    EXPECT_EQ(Set(folder), before) << c.name;
    std::set<std::string> aside = names;
    aside.erase(".velk.journal");
    aside.insert(".velk.journal.aside");
    EXPECT_EQ(Names(folder), aside) << c.name;
    EXPECT_EQ(RunFiles(folder, true).size(), 3u) << c.name;
    const std::vector<std::string> runFiles = RunFiles(folder);
    const fs::path other = folder.string() + "-other";
    if (fs::exists(other)) {
      EXPECT_EQ(ReadFile(other / "notes.txt"), "notes") << c.name;
    }
    // Set aside, it is never tried again; the set is not read until the
    // user has checked it, but can be written anew.
    const SetRecovery again = RecoverSet(folder);
    EXPECT_TRUE(again.Empty() && !again.Readable()) << c.name;
    EXPECT_NE(again.Refusal().find("delete .velk.journal.aside"), std::string::npos) << c.name;
    // The only copies of the new files among them.
    if (c.name == "zeroed"s)
      for (const std::string& file : runFiles) {
        EXPECT_NE(r.lines[0].find(file), std::string::npos) << file << "\n" << r.lines[0];
        EXPECT_NE(again.Refusal().find("/" + file + "'"), std::string::npos) << file << "\n" << again.Refusal();
      }
    // Which version stands under each name, where the other one is kept,
    // and how to keep either: never the kept files deleted on their own.
    if (c.name == "edited"s) {
      const std::string notice = again.Refusal();
      for (const std::string& part : std::vector<std::string>
           {"Now:\na.txt holds the new file; its earlier file is kept as '" + folder.string() + "/.velk-set-",
            "\nb.txt was replaced by the new file, but it was changed since; its earlier file is kept as '",
            "\nc.txt holds its earlier file; '",
            "' is a second name of it; the new file waits as '",
            "\nTo go back to the earlier files, rename a.txt to a name of your own, rename .velk-set-",
            ", rename b.txt to a name of your own, rename .velk-set-"})
        EXPECT_NE(notice.find(part), std::string::npos) << part << "\n" << notice;
    }
    fs::permissions(folder / "c.txt", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(ReplaceFilesInTurn({{folder / "a.txt", "newer a"}})) << c.name;
  }
}

// A journal that another user could have written is left as it is: it
// could name any file of this user's.
TEST(FileSet, AJournalOthersCouldHaveWrittenIsLeftAsItIs) {
  TempDir dir;
  for (const bool foreign : {false, true}) {
    if (foreign && ::geteuid() != 0) continue;  // only root can give a file away
    const fs::path folder = dir / (foreign ? "foreign" : "writable");
    KillWriting(folder, "rename c.txt");
    if (foreign) ASSERT_EQ(::chown((folder / ".velk.journal").c_str(), 65534, 65534), 0);
    else fs::permissions(folder / ".velk.journal", fs::perms::group_write, fs::perm_options::add);
    const std::set<std::string> names = Names(folder);
    const SetRecovery r = RecoverSet(folder);
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0], foreign ? "The journal .velk.journal in this folder belongs to the user " +
                                        std::string(::getpwuid(65534) ? ::getpwuid(65534)->pw_name : "number") +
                                        (::getpwuid(65534) ? " (65534)" : " 65534") + ", not to you: nothing was "
                                        "done. Only that user or the owner of the folder can remove it."
                                  : "The journal .velk.journal in this folder may be written by other users: nothing "
                                    "was done. If it is as your run left it, take those rights away (chmod go-w '" +
                                        (folder / ".velk.journal").string() + "'); otherwise check the files it "
                                        "names, then delete it.");
    EXPECT_TRUE(r.unfinished && !r.Readable());
    EXPECT_EQ(Set(folder), kMixed);
    EXPECT_EQ(Names(folder), names);
    SetFailure failure;
    EXPECT_FALSE(ReplaceFilesInTurn({{folder / "a.txt", "newer a"}}, &failure));
    EXPECT_EQ(failure.step, SetFailure::Step::kUnfinished);
    // Set aside by its owner, it still says whose it is and who may remove it.
    if (foreign) {
      fs::rename(folder / ".velk.journal", folder / ".velk.journal.aside");
      const SetRecovery aside = RecoverSet(folder);
      EXPECT_FALSE(aside.Readable());
      EXPECT_NE(aside.Refusal().find("set its journal .velk.journal.aside aside in the folder '" + folder.string() +
                                     "': files there may be left half replaced. Only that user or the owner of the "
                                     "folder can remove it."),
                std::string::npos)
          << aside.Refusal();
    }
  }
  // The names a journal gives reach the user with their control characters
  // written out, never as a terminal's escapes or new lines.
  const fs::path folder = dir / "escapes";
  const std::string name = "\x1b[31mFATAL\ndelete.txt";
  WriteFile(folder / name, "old");
  test::KillAtFileStep("rename", [&] { ReplaceFilesInTurn({{folder / name, "new"}}); });
  WriteFile(folder / name, "the user's");
  const std::string line = RecoverSet(folder).Text();
  const std::string refusal = RecoverSet(folder).Refusal();
  EXPECT_NE(line.find("'\\x1B[31mFATAL\\x0Adelete.txt' changed after"), std::string::npos) << line;
  EXPECT_NE(refusal.find("\n'\\x1B[31mFATAL\\x0Adelete.txt' was not replaced, but it was changed since"),
            std::string::npos)
      << refusal;
  EXPECT_EQ(line.find_first_of("\x1b\n"), line.size() - 1) << line;
  EXPECT_EQ(refusal.find('\x1b'), std::string::npos) << refusal;
}

const std::vector<std::string>* g_recorded = nullptr;
std::string g_failStep;  // the one step that fails, by its name

bool RecordOrFail(std::string_view step, const fs::path& path) {
  const std::string name = std::string(step) + " " + path.filename().string();
  if (g_recorded) const_cast<std::vector<std::string>*>(g_recorded)->push_back(name);
  const bool fail = name == g_failStep;
  if (fail) g_failStep.clear();
  return fail;
}

// A look, read or change of the recovery that fails is no verdict: the
// journal stays in force, the line says so, and the next run finishes.
// The step of the file-step seam that fails as on a read-only file system.
std::string_view g_readOnlyAt;
bool FailsAsReadOnly(std::string_view step, const fs::path&) {
  if (step != g_readOnlyAt) return false;
  errno = EROFS;
  return true;
}

TEST(FileSet, AFailingStepOfTheRecoveryIsTriedAgainByTheNextRun) {
  TempDir dir;
  test::ScopedFileStepHook hook;
  std::vector<std::string> steps;
  KillWriting(dir / "record", "rename c.txt");
  g_recorded = &steps;
  hook.Set(RecordOrFail);
  RecoverSet(dir / "record");
  hook.Off();
  g_recorded = nullptr;
  ASSERT_EQ(Set(dir / "record"), kNew);
  for (const char* step : {"stat .velk.journal", "open .velk.journal", "read .velk.journal"})
    EXPECT_NE(std::find(steps.begin(), steps.end(), step), steps.end()) << step;
  for (size_t i = 0; i < steps.size(); ++i) {
    const fs::path folder = dir / std::to_string(i);
    KillWriting(folder, "rename c.txt");
    g_failStep = steps[i];
    hook.Set(RecordOrFail);
    const SetRecovery r = RecoverSet(folder);
    hook.Off();
    if (!g_failStep.empty()) continue;  // a step that a failure before it leaves out
    EXPECT_NE(r.Text().find("(Input/output error)"), std::string::npos) << steps[i] << ": " << r.Text();
    EXPECT_TRUE(r.unfinished && !r.Readable()) << steps[i];
    // A look that fails before anything was done changes nothing.
    if (steps[i].starts_with("stat") || steps[i].starts_with("open") || steps[i].starts_with("read")) {
      EXPECT_NE(r.Text().find("nothing was changed, and the next run tries again."), std::string::npos) << steps[i];
    }
    EXPECT_TRUE(Set(folder) == kMixed || Set(folder) == kNew) << steps[i];
    const SetRecovery next = RecoverSet(folder);
    EXPECT_TRUE(next.Readable()) << steps[i] << ": " << next.Text();
    EXPECT_EQ(Set(folder), kNew) << steps[i];
    EXPECT_EQ(Names(folder), (std::set<std::string>{"a.txt", "b.txt", "c.txt"})) << steps[i];
  }
  // A file system that went read-only (after a crash) is no change of the
  // user's: the journal stays in force, and a run on a writable one
  // finishes the set.
  const fs::path mounted = dir / "read-only file system";
  KillWriting(mounted, "rename c.txt");
  const std::set<std::string> left = Names(mounted);
  g_readOnlyAt = "access";
  hook.Set(FailsAsReadOnly);
  const SetRecovery held = RecoverSet(mounted);
  hook.Off();
  EXPECT_EQ(held.lines, std::vector<std::string>{"c.txt is on a file system that is read-only now: nothing was "
                                                 "changed, and the next run on a writable one carries through the "
                                                 "replacement of a.txt, b.txt and c.txt that an interrupted run of "
                                                 "velk had begun."});
  EXPECT_TRUE(held.unfinished && !held.Readable());
  EXPECT_EQ(Names(mounted), left);
  // One that turns read-only on the way says so too.
  g_readOnlyAt = "rename";
  hook.Set(FailsAsReadOnly);
  const SetRecovery stopped = RecoverSet(mounted);
  hook.Off();
  ASSERT_EQ(stopped.lines.size(), 1u);
  EXPECT_TRUE(stopped.lines[0].starts_with("Could not finish replacing a.txt, b.txt and c.txt after an interrupted run "
                                           "of velk (Read-only file system): "))
      << stopped.lines[0];
  EXPECT_TRUE(stopped.lines[0].ends_with(" The next run on a file system that may be written carries it through."))
      << stopped.lines[0];
  EXPECT_TRUE(stopped.unfinished);
  EXPECT_EQ(Names(mounted), left);
  EXPECT_EQ(RecoverSet(mounted).lines, std::vector<std::string>{"Finished replacing a.txt, b.txt and c.txt, which an "
                                                                "interrupted run of velk had left half done."});
  EXPECT_EQ(Set(mounted), kNew);
}

// What a power cut or a failing look leaves before any target was touched:
// the run's own files go, and the set is as before.
TEST(FileSet, ARunThatTouchedNoTargetLeavesTheSetAsItWas) {
  TempDir dir;
  test::ScopedFileStepHook hook;
  const std::set<std::string> plain = {"a.txt", "b.txt", "c.txt"};
  // The second record cut short, or whole but for its check sum (the field
  // before "end"): no second record.
  const std::vector<std::string> asBefore = {"Removed what an interrupted run of velk left; a.txt, b.txt and c.txt "
                                             "are as before."};
  const std::vector<std::pair<std::string, std::function<void(std::string&)>>> damaged = {
      {"cut", [](std::string& text) { text.resize(text.size() - 3); }},
      {"check sum", [](std::string& text) {
         char& c = text[text.size() - "\0end\0"s.size() - 1];
         c = c == '0' ? '1' : '0';
       }}};
  for (const auto& [name, damage] : damaged) {
    const fs::path folder = dir / name;
    KillWriting(folder, "rename a.txt");
    std::string text = *ReadFile(folder / ".velk.journal");
    damage(text);
    WriteFile(folder / ".velk.journal", text);
    EXPECT_EQ(RecoverSet(folder).lines, asBefore) << name;
    EXPECT_EQ(Set(folder), kOld) << name;
    EXPECT_EQ(Names(folder), plain) << name;
  }
  // The second record come back as zeros, or lost while a rename of the run
  // was kept (a disk that lied about its flush): the zeros are no record,
  // and the renamed target is no reason to remove its only earlier copy.
  auto firstRecordOnly = [](const fs::path& journal, char fill) {
    std::string text = *ReadFile(journal);
    const size_t end = text.find('\0', text.find("staged\0"s) + 7) + 1;
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(end), text.end(), fill);
    if (fill == 'x') text.resize(end);
    WriteFile(journal, text);
  };
  KillWriting(dir / "zeros", "rename a.txt");
  firstRecordOnly(dir / "zeros/.velk.journal", '\0');
  EXPECT_EQ(RecoverSet(dir / "zeros").lines, asBefore);
  EXPECT_EQ(Set(dir / "zeros"), kOld);
  EXPECT_EQ(Names(dir / "zeros"), plain);
  KillWriting(dir / "lied", "rename b.txt");
  firstRecordOnly(dir / "lied/.velk.journal", 'x');
  const SetRecovery lied = RecoverSet(dir / "lied");
  ASSERT_EQ(lied.lines.size(), 1u);
  EXPECT_TRUE(lied.lines[0].starts_with("a.txt was replaced after an interrupted run of velk had begun to replace "
                                        "a.txt, b.txt and c.txt, though its journal does not say that it got so far: "
                                        "nothing was changed")) << lied.lines[0];
  EXPECT_EQ(RunFiles(dir / "lied", true).size(), 3u);
  EXPECT_EQ(Set(dir / "lied"), (std::vector<std::optional<std::string>>{"new a", "old b", "old c"}));
  // The first record cut short: the run made nothing yet.
  KillWriting(dir / "first", "write .velk.journal");
  WriteFile(dir / "first/.velk.journal", "velk file set 3\0ve"s);
  EXPECT_EQ(RecoverSet(dir / "first").lines,
            std::vector<std::string>{"Removed the journal of an interrupted run of velk, which had not begun."});
  EXPECT_EQ(Names(dir / "first"), plain);
  // The identity of a kept file cannot be had: the writer fails before any
  // rename, and leaves nothing.
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(dir / "stat" / name, std::string("old ") + name[0]);
  g_failStep = "stat .velk-set-";
  hook.Set([](std::string_view step, const fs::path& path) {
    const auto run = set_journal::ParseRunFileName(path.filename().string(), "velk");
    return !g_failStep.empty() && step == "stat" && run && run->kept && run->index == 1;
  });
  SetFailure failure;
  EXPECT_FALSE(ReplaceFilesInTurn({{dir / "stat/a.txt", "new a"}, {dir / "stat/b.txt", "new b"}}, &failure));
  hook.Off();
  g_failStep.clear();
  EXPECT_EQ(failure.step, SetFailure::Step::kCreate);
  EXPECT_EQ(Set(dir / "stat"), kOld);
  EXPECT_EQ(Names(dir / "stat"), plain);
}
// Writers take turns through the locks of every folder their files lie in;
// where the file system gives no lock, a live run's journal is left to it.
TEST(FileSet, WritersTakeTurnsEvenThroughLinksAndWithoutLocks) {
  TempDir dir;
  test::ScopedFileStepHook hook;
  const fs::path set = dir / "set";
  const fs::path other = dir / "other";
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(other / name, std::string("old ") + name[0]);
  fs::create_directories(set);
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) fs::create_symlink(other / name, set / name);
  int held[2], release[2];
  ASSERT_EQ(::pipe(held), 0);
  ASSERT_EQ(::pipe(release), 0);
  // A run that holds its place until told to go on: the lock of the folder
  // the links lead to, or, without locks, its journal before a rename.
  auto holder = [&](bool lockless) {
    test::Child child([&] {
      static int g_held = held[1], g_release = release[0];
      static bool g_lockless = lockless;
      if (!lockless) {
        FolderLock lock;
        lock.Lock(other, [] {});
        char c = 'x';
        return ::write(g_held, &c, 1) == 1 && ::read(g_release, &c, 1) == 1 ? 0 : 1;
      }
      SetFileStepHook([](std::string_view step, const fs::path& path) {
        if (step == "lock") return g_lockless;
        if (step == "rename" && path.filename() == "a.txt") {
          char c = 'x';
          if (::write(g_held, &c, 1) != 1 || ::read(g_release, &c, 1) != 1) ::_exit(1);
        }
        return false;
      });
      return ReplaceFilesInTurn({{set / "a.txt", "first a"}, {set / "b.txt", "first b"}}) ? 0 : 1;
    });
    char c;
    EXPECT_EQ(::read(held[0], &c, 1), 1);
    return child;
  };
  auto letGo = [&](test::Child& child) {
    char c = 'x';
    EXPECT_EQ(::write(release[1], &c, 1), 1);
    const int status = child.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  };
  // The folder a link leads to is held: the set waits for it.
  test::Child locking = holder(false);
  SetFolder waiting(set, {set / "a.txt", set / "b.txt"});
  EXPECT_EQ(waiting.LockWithin(std::chrono::milliseconds(100)), FolderLock::Result::kBusy);
  const SetRecovery busy = waiting.Recover();
  EXPECT_EQ(busy.Refusal(), "Another program is writing into the folder '" + set.string() +
                                "'. Try again when it has finished.");
  letGo(locking);
  ASSERT_TRUE(ReplaceFilesInTurn({{set / "a.txt", "new a"}, {set / "b.txt", "new b"}}));
  EXPECT_EQ(ReadFile(other / "a.txt"), "new a");
  EXPECT_TRUE(fs::is_symlink(set / "a.txt"));
  // Without locks: the second run finds the first one's journal, and its
  // writer alive, and changes nothing; the first one finishes.
  test::Child lockless = holder(true);
  hook.Set([](std::string_view step, const fs::path&) { return step == "lock"; });
  SetFailure failure;
  EXPECT_FALSE(ReplaceFilesInTurn({{set / "a.txt", "second a"}, {set / "c.txt", "second c"}}, &failure));
  hook.Off();
  EXPECT_EQ(failure.step, SetFailure::Step::kBusy);
  EXPECT_EQ(ReadFile(other / "c.txt"), "old c");
  letGo(lockless);
  EXPECT_EQ(Set(other), (std::vector<std::optional<std::string>>{"first a", "first b", "old c"}));
  EXPECT_EQ(Names(other), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  // A journal its writer could not remove, while that writer (this
  // process) still runs: where the folder gives locks, holding the lock
  // says no run is writing, and another process finishes it.
  hook.Set([](std::string_view step, const fs::path& path) {
    return step == "unlink" && path.filename() == ".velk.journal";
  });
  ASSERT_TRUE(ReplaceFilesInTurn({{set / "a.txt", "kept a"}, {set / "b.txt", "kept b"}}));
  hook.Off();
  ASSERT_TRUE(fs::exists(set / ".velk.journal"));
  test::Child recovery([&] {
    return RecoverSet(set).lines == std::vector<std::string>{"Removed what an interrupted run of velk left; a.txt "
                                                             "and b.txt are new."} ? 0 : 1;
  });
  const int status = recovery.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  // Without locks, a journal still empty may be a live run's that has yet
  // to write it: it is left alone while it is young.
  WriteFile(set / ".velk.journal", "");
  ::chmod((set / ".velk.journal").c_str(), 0600);
  hook.Set([](std::string_view step, const fs::path&) { return step == "lock"; });
  EXPECT_TRUE(RecoverSet(set).busy);
  fs::last_write_time(set / ".velk.journal", fs::file_time_type::clock::now() - std::chrono::minutes(5));
  EXPECT_EQ(RecoverSet(set).lines, std::vector<std::string>{"Removed the empty journal of an interrupted run of velk."});
  hook.Off();
  // A kill between the renames through the links is finished where the
  // links lead.
  test::KillAtFileStep("rename b.txt", [&] { ReplaceFilesInTurn({{set / "a.txt", "x"}, {set / "b.txt", "y"}}); });
  EXPECT_EQ(RecoverSet(set).lines, std::vector<std::string>{"Finished replacing a.txt and b.txt, which an "
                                                            "interrupted run of velk had left half done."});
  EXPECT_EQ(Set(other), (std::vector<std::optional<std::string>>{"x", "y", "old c"}));
  EXPECT_EQ(Names(other), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  for (int fd : {held[0], held[1], release[0], release[1]}) ::close(fd);
}

// A link of the user's own whose text climbs out of the set's folder: a
// writer killed between its renames through it is finished where the link
// leads, and the link stays as it was.
TEST(FileSet, AKillThroughALinkThatClimbsIsFinishedWhereTheLinkLeads) {
  TempDir dir;
  const fs::path set = dir / "set", shared = dir / "shared";
  WriteFile(shared / "a.txt", "old a");
  WriteFile(set / "b.txt", "old b");
  fs::create_symlink("../shared/a.txt", set / "a.txt");
  test::KillAtFileStep("rename b.txt", [&] {
    ReplaceFilesInTurn({{set / "a.txt", "new a"}, {set / "b.txt", "new b"}});
  });
  ASSERT_EQ(ReadFile(shared / "a.txt"), "new a");
  ASSERT_EQ(ReadFile(set / "b.txt"), "old b");
  EXPECT_EQ(RecoverSet(set).lines, std::vector<std::string>{"Finished replacing a.txt and b.txt, which an "
                                                            "interrupted run of velk had left half done."});
  EXPECT_EQ(ReadFile(shared / "a.txt"), "new a");
  EXPECT_EQ(ReadFile(set / "b.txt"), "new b");
  EXPECT_EQ(fs::read_symlink(set / "a.txt"), "../shared/a.txt");
  EXPECT_EQ(Names(shared), std::set<std::string>{"a.txt"});
  EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"}));
}

// Journals that a kill left in the format of an earlier version, or that
// a disk gave back as zeros from some byte on.
TEST(FileSetJournals, EarlierVersionsAreCarriedThroughAndOneThatNamesNothingKeepsTheRunsFiles) {
  TempDir dir;
  for (const int version : {2, 3, 4}) {
    const fs::path folder = dir / ("v" + std::to_string(version));
    KillWriting(folder, "rename c.txt");
    std::string why;
    std::optional<set_journal::Journal> j = set_journal::ParseJournal(*ReadFile(folder / ".velk.journal"), "velk", why);
    ASSERT_TRUE(j) << why;
    // What a run of that release left: its journal, and its files under
    // the names of that time.
    set_journal::NameFiles(*j);
    for (size_t i = 0; i < j->entries.size(); ++i) {
      const std::string was = set_journal::TemporaryName("velk", j->run, i);
      for (const std::string tail : {"", ".old"})
        if (fs::exists(folder / (j->entries[i].temporary + tail)))
          fs::rename(folder / (j->entries[i].temporary + tail), folder / (was + tail));
      j->entries[i].earlier.reset();
    }
    j->version = version;
    WriteFile(folder / ".velk.journal", set_journal::StagedRecord(*j) + set_journal::CommittedRecord(*j));
    EXPECT_EQ(RecoverSet(folder).lines, std::vector<std::string>{"Finished replacing a.txt, b.txt and c.txt, which an "
                                                                 "interrupted run of velk had left half done."});
    EXPECT_EQ(Set(folder), kNew) << version;
    EXPECT_EQ(Names(folder), (std::set<std::string>{"a.txt", "b.txt", "c.txt"})) << version;
  }
  // Zeros from any byte of the first record on, and a disk that kept the
  // run's files: they stay, and so does everything else.
  const fs::path zeroed = dir / "zeroed";
  KillWriting(zeroed, "rename a.txt");
  const fs::path journal = zeroed / ".velk.journal";
  const fs::file_time_type written = fs::last_write_time(journal);
  std::string text = *ReadFile(journal);
  std::fill(text.begin() + 20, text.end(), '\0');
  WriteFile(journal, text);
  fs::last_write_time(journal, written);
  SetRecovery r = RecoverSet(zeroed);
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_TRUE(r.lines[0].starts_with("The journal .velk.journal of an interrupted run of velk names no file (its "
                                     "first record is cut short), but .velk-set-"))
      << r.lines[0];
  EXPECT_EQ(Set(zeroed), kOld);
  EXPECT_EQ(RunFiles(zeroed).size(), 6u);
  const SetRecovery again = RecoverSet(zeroed);
  EXPECT_FALSE(again.Readable());
  const std::string notice = again.Refusal();
  // The names of the run's files tell what each stands for.
  for (const std::string part : {"; the set is whole. Now:\na.txt was not replaced; '", "\nc.txt was not "
                                 "replaced; '", "\nTo keep the files as they stand, rename .velk-set-",
                                 "\nTo make them all new, rename .velk-set-"})
    EXPECT_NE(notice.find(part), std::string::npos) << part << "\n" << notice;
  // Without them, the run had not begun: only the journal goes.
  for (const std::string& name : RunFiles(zeroed)) fs::remove(zeroed / name);
  fs::rename(zeroed / ".velk.journal.aside", journal);
  fs::last_write_time(journal, written);
  EXPECT_EQ(RecoverSet(zeroed).lines,
            std::vector<std::string>{"Removed the journal of an interrupted run of velk, which had not begun."});
  EXPECT_EQ(Names(zeroed), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
}

int g_looks = 0;
std::string g_lookedAt;  // the name whose second look changes it
std::function<void()> g_change;

bool ChangeAtSecondLook(std::string_view step, const fs::path& path) {
  if (step == "stat" && path.filename() == g_lookedAt && ++g_looks == 2) g_change();
  return false;
}

// Another program, one that takes no lock, changes a file between the
// recovery's look and its step: the step is not taken.
TEST(FileSetJournals, WhatChangedSinceTheLookIsNeitherReplacedNorRemoved) {
  TempDir dir;
  test::ScopedFileStepHook hook;
  struct Case {
    const char* name;
    const char* killedAt;
    std::function<std::string(const fs::path& folder)> looked;  // the name whose second look changes it
    std::function<void(const fs::path& folder)> change;
    const char* file;  // what stays
    const char* holds;
  };
  const std::vector<Case> cases = {
      // An edit of the target that the waiting new file would replace.
      {"edited", "rename c.txt", [](const fs::path&) { return "c.txt"s; },
       [](const fs::path& f) { WriteFile(f / "c.txt", "the user's c"); }, "c.txt", "the user's c"},
      // Another file put in the place of the waiting new one.
      {"waiting", "rename c.txt", [](const fs::path& f) { return NewFileOf(f, 2); },
       [](const fs::path& f) {
         const std::string name = NewFileOf(f, 2);
         fs::remove(f / name);
         WriteFile(f / name, "not the run's");
       },
       "c.txt", "old c"},
      // A journal that another run put in the place of the one looked at.
      {"replaced", "unlink .velk.journal", [](const fs::path&) { return ".velk.journal"s; },
       [](const fs::path& f) {
         WriteFile(f / "next", "another run's journal");
         fs::rename(f / "next", f / ".velk.journal");
       },
       ".velk.journal", "another run's journal"},
  };
  for (const Case& c : cases) {
    const fs::path folder = dir / c.name;
    KillWriting(folder, c.killedAt);
    g_looks = 0;
    g_lookedAt = c.looked(folder);
    ASSERT_TRUE(fs::exists(folder / g_lookedAt)) << c.name << ": " << g_lookedAt;
    g_change = [&] { c.change(folder); };
    hook.Set(ChangeAtSecondLook);
    const SetRecovery r = RecoverSet(folder);
    hook.Off();
    EXPECT_GE(g_looks, 2) << c.name << ": nothing was changed";
    ASSERT_EQ(r.lines.size(), 1u) << c.name;
    EXPECT_NE(r.lines[0].find("(Resource temporarily unavailable)"), std::string::npos) << c.name << ": " << r.lines[0];
    EXPECT_TRUE(r.unfinished) << c.name;
    EXPECT_EQ(ReadFile(folder / c.file), c.holds) << c.name;
  }
  // The writer's own second look: a target that another program made while
  // the new files were written is not replaced, since the names of the
  // run's files say that it had no earlier file.
  const fs::path made = dir / "made";
  WriteFile(made / "a.txt", "old a");
  g_looks = 0;
  g_lookedAt = "b.txt";
  g_change = [&] { WriteFile(made / "b.txt", "theirs"); };
  hook.Set(ChangeAtSecondLook);
  SetFailure failure;
  EXPECT_FALSE(ReplaceFilesInTurn({{made / "a.txt", "new a"}, {made / "b.txt", "new b"}}, &failure));
  hook.Off();
  EXPECT_EQ(SetFailureText(failure), "'" + (made / "b.txt").string() + "' was made by another program while the new "
                                     "files were written: no file was replaced.");
  EXPECT_EQ(ReadFile(made / "b.txt"), "theirs");
  EXPECT_EQ(Names(made), (std::set<std::string>{"a.txt", "b.txt"}));
}

// A look on the way through a link that fails is no verdict on where it
// leads: the next run, which can look, finishes the set.
TEST(FileSetJournals, AFailingLookThroughALinkIsTriedAgain) {
  TempDir dir;
  test::ScopedFileStepHook hook;
  const fs::path set = dir / "set", other = dir / "other";
  for (const char* name : {"a.txt", "b.txt"}) {
    WriteFile(other / name, std::string("old ") + name[0]);
    fs::create_directories(set);
    fs::create_symlink(other / name, set / name);
  }
  test::KillAtFileStep("rename b.txt", [&] { ReplaceFilesInTurn({{set / "a.txt", "x"}, {set / "b.txt", "y"}}); });
  hook.Set([](std::string_view step, const fs::path&) { return step == "readlink"; });
  const SetRecovery failed = RecoverSet(set);
  hook.Off();
  EXPECT_EQ(failed.lines, std::vector<std::string>{"Could not look at a.txt after an interrupted run of velk "
                                                   "(Input/output error): nothing was changed, and the next run "
                                                   "tries again."});
  EXPECT_EQ(RecoverSet(set).lines, std::vector<std::string>{"Finished replacing a.txt and b.txt, which an "
                                                            "interrupted run of velk had left half done."});
  EXPECT_EQ(ReadFile(other / "a.txt"), "x");
  EXPECT_EQ(ReadFile(other / "b.txt"), "y");
  EXPECT_EQ(Names(other), (std::set<std::string>{"a.txt", "b.txt"}));
}

// Without locks, a run whose writer cannot be told alive (another
// process-number space) is carried through once its journal is old; the
// writer, when it goes on, finds its journal gone and stops without
// touching a file.
const char* g_pauseAt = nullptr;  // the step where the writer waits to be let go on
int g_held = -1, g_release = -1;

bool IsKeptFileOfTheFirst(const std::string& name) {
  const std::optional<set_journal::RunFileName> run = set_journal::ParseRunFileName(name, "velk");
  return run && run->kept && run->index == 0;
}

TEST(FileSetJournals, AWriterWithoutLocksKeepsItsOwnOrStops) {
  TempDir dir;
  test::ScopedFileStepHook hook;
  // Held among its renames the run is finished by the other; held while it
  // gives the old files their second names, it is cleared, and the names it
  // makes after that go again.
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"b.txt", "Finished replacing a.txt and b.txt, which an interrupted run of velk had left half done."},
      {"a.txt.old", "Removed what an interrupted run of velk left; a.txt and b.txt are as before."}};
  for (const auto& [pause, line] : cases) {
    const fs::path set = dir / pause;
    for (const char* name : {"a.txt", "b.txt"}) WriteFile(set / name, std::string("old ") + name[0]);
    int held[2], release[2];
    ASSERT_EQ(::pipe(held), 0);
    ASSERT_EQ(::pipe(release), 0);
    g_pauseAt = pause;
    g_held = held[1];
    g_release = release[0];
    test::Child writer([&] {
      SetFileStepHook([](std::string_view step, const fs::path& path) {
        if (step == "lock") return true;
        const bool kept = std::string_view(g_pauseAt).ends_with(".old");
        if ((step == "rename" && !kept && path.filename() == g_pauseAt) ||
            (step == "link" && kept && IsKeptFileOfTheFirst(path.filename().native()))) {
          char c = 'x';
          if (::write(g_held, &c, 1) != 1 || ::read(g_release, &c, 1) != 1) ::_exit(3);
        }
        return false;
      });
      SetFailure failure;
      const bool ok = ReplaceFilesInTurn({{set / "a.txt", "first a"}, {set / "b.txt", "first b"}}, &failure);
      return !ok && failure.step == SetFailure::Step::kOvertaken ? 0 : 1;
    });
    char c;
    ASSERT_EQ(::read(held[0], &c, 1), 1);
    // Its journal as a writer of another space would have written it.
    const fs::path journal = set / ".velk.journal";
    const std::string text = *ReadFile(journal);
    const std::string space = set_journal::ThisSpace();
    ASSERT_NE(text.find(space), std::string::npos);
    std::string other = space;
    other[other.size() - 2] = other[other.size() - 2] == '1' ? '2' : '1';
    std::string why;
    std::optional<set_journal::Journal> j = set_journal::ParseJournal(text, "velk", why);
    ASSERT_TRUE(j) << why;
    j->space = other;
    {
      std::ofstream out(journal, std::ios::binary | std::ios::in | std::ios::out);
      out << set_journal::StagedRecord(*j);
      if (j->records == set_journal::Journal::Records::kBoth) out << set_journal::CommittedRecord(*j);
    }
    hook.Set([](std::string_view step, const fs::path&) { return step == "lock"; });
    EXPECT_TRUE(RecoverSet(set).busy) << pause;  // young: it may be a live run's
    fs::last_write_time(journal, fs::file_time_type::clock::now() - std::chrono::minutes(5));
    EXPECT_EQ(RecoverSet(set).lines, std::vector<std::string>{line}) << pause;
    hook.Off();
    c = 'x';
    ASSERT_EQ(::write(release[1], &c, 1), 1);
    const int status = writer.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << pause << ": " << status;
    const bool finished = std::string_view(line).starts_with("Finished");
    EXPECT_EQ(ReadFile(set / "a.txt"), finished ? "first a" : "old a") << pause;
    EXPECT_EQ(ReadFile(set / "b.txt"), finished ? "first b" : "old b") << pause;
    EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"})) << pause;
    for (int fd : {held[0], held[1], release[0], release[1]}) ::close(fd);
  }
}

// A folder its user may write into but not list holds no lock for a run to
// take: that says why, and is never taken for another run's.
TEST(FileSetJournals, AFolderThatCannotBeOpenedToBeLockedSaysWhy) {
  if (::geteuid() != 0) GTEST_SKIP() << "a second user needs root";
  TempDir dir;
  const fs::path drop = dir / "drop";
  fs::create_directories(drop);
  ASSERT_EQ(::chown(dir.path().c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chown(drop.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(drop.c_str(), 0300), 0);
  test::Child other([&] {
    if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0) return 2;
    const SetRecovery r = RecoverSet(drop);
    return !r.busy && r.unfinished &&
                   r.Text() == "Could not open the folder '" + drop.string() + "' (Permission denied): nothing was "
                               "changed, and the next run tries again.\n"
               ? 0
               : 1;
  });
  const int status = other.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace velk
