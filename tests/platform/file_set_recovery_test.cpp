// The recovery of a set whose files are the user's own links into a folder
// elsewhere: a share that is away for a while, or another file system.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_set.h"
#include "support/notice_judge.h"
#include "support/set_walk.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::Names;
using test::ReadFile;
using test::RecoverSet;
using test::TempDir;
using test::WriteFile;
using namespace std::string_literals;

// `set` holding a.txt and b.txt as links that climb to `share`, each with
// its earlier bytes; the writer killed at `step`.
void KillThroughLinks(const fs::path& set, const fs::path& share, const std::string& step) {
  fs::create_directories(set);
  for (const char* name : {"a.txt", "b.txt"}) {
    WriteFile(share / name, std::string("old ") + name[0]);
    fs::create_symlink(fs::relative(share / name, set), set / name);
  }
  test::KillAtFileStep(step, [&] { ReplaceFilesInTurn({{set / "a.txt", "new a"}, {set / "b.txt", "new b"}}); });
}

std::vector<std::optional<std::string>> Set(const fs::path& share) {
  return {ReadFile(share / "a.txt"), ReadFile(share / "b.txt")};
}

// A folder missing on the way the journal names, or a file in its place,
// is no verdict on where the link leads: nothing is set aside, readers
// stop, and once the folder is back the set is finished. A link that leads
// elsewhere now is one that changed.
TEST(FileSetThroughLinks, AFolderMissingOnTheWayIsTriedAgain) {
  TempDir dir;
  const fs::path set = dir / "set", share = dir / "share/x", away = dir / "away";
  KillThroughLinks(set, share, "rename b.txt");
  ASSERT_EQ(Set(share), (std::vector<std::optional<std::string>>{"new a", "old b"}));
  const std::set<std::string> left = Names(share);
  fs::rename(share, away);
  for (const int err : {ENOENT, ENOTDIR}) {
    if (err == ENOTDIR) WriteFile(share, "not a folder");
    const SetRecovery r = RecoverSet(set);
    EXPECT_EQ(r.lines, std::vector<std::string>{"Could not reach the folder '" + share.string() + "' on the way to "
                                                "a.txt after an interrupted run of velk (" + std::strerror(err) +
                                                "): nothing was changed, and the next run tries again. If that "
                                                "folder is gone for good, remove the links that lead there (a.txt "
                                                "and b.txt) or make the folder again: the next run then sets the "
                                                "journal aside, keeps every file that is left, and says what it can "
                                                "tell of each."});
    EXPECT_TRUE(r.unfinished && !r.Readable());
    EXPECT_EQ(Names(set), (std::set<std::string>{".velk.journal", "a.txt", "b.txt"}));
    EXPECT_EQ(Names(away), left);
  }
  fs::remove(share);
  // Either way out of a folder gone for good does as the line says.
  for (const bool unlinked : {true, false}) {
    const fs::path gone = dir / (unlinked ? "unlinked" : "made again");
    KillThroughLinks(gone / "set", gone / "share/x", "rename b.txt");
    fs::remove_all(gone / "share");
    if (unlinked) {
      fs::remove(gone / "set/a.txt");
      fs::remove(gone / "set/b.txt");
    } else {
      fs::create_directories(gone / "share/x");
    }
    const SetRecovery r = RecoverSet(gone / "set");
    ASSERT_EQ(r.lines.size(), 1u) << gone;
    EXPECT_TRUE(r.lines[0].ends_with("; the journal is kept as .velk.journal.aside.")) << r.lines[0];
    const SetRecovery after = RecoverSet(gone / "set");
    ASSERT_EQ(after.asides.size(), 1u) << gone;
    EXPECT_NE(after.asides[0].find("\nWhat to do cannot be told"), std::string::npos) << after.asides[0];
  }
  fs::rename(away, share);
  const SetRecovery back = RecoverSet(set);
  EXPECT_EQ(back.lines, std::vector<std::string>{"Finished replacing a.txt and b.txt, which an interrupted run of "
                                                 "velk had left half done."});
  EXPECT_TRUE(back.Readable());
  EXPECT_EQ(Set(share), (std::vector<std::optional<std::string>>{"new a", "new b"}));
  EXPECT_EQ(Names(share), (std::set<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"}));

  // The link of a.txt now names another folder, which is missing too.
  const fs::path moved = dir / "moved", elsewhere = dir / "moved-share/y";
  KillThroughLinks(moved, elsewhere, "rename b.txt");
  fs::remove(moved / "a.txt");
  fs::create_symlink("../moved-share/z/a.txt", moved / "a.txt");
  const SetRecovery changed = RecoverSet(moved);
  ASSERT_EQ(changed.lines.size(), 1u);
  EXPECT_TRUE(changed.lines[0].starts_with("a.txt changed after an interrupted run of velk")) << changed.lines[0];
  EXPECT_EQ(Set(elsewhere), (std::vector<std::optional<std::string>>{"new a", "old b"}));
}

// A target whose link leads onto another file system is carried through
// like any: its files lie in the folder it leads to, all on that one.
TEST(FileSetThroughLinks, ATargetOnAnotherFileSystemIsCarriedThrough) {
  TempDir dir;
  const fs::path shm = "/dev/shm";
  struct stat here {}, there {};
  if (::stat(dir.path().c_str(), &here) != 0 || ::stat(shm.c_str(), &there) != 0 || here.st_dev == there.st_dev ||
      ::access(shm.c_str(), W_OK) != 0)
    GTEST_SKIP() << "no second file system to write to";
  const fs::path share = shm / dir.path().filename();
  struct Removed {
    fs::path path;
    ~Removed() { fs::remove_all(path); }
  } removed{share};
  const std::pair<const char*, const char*> cases[] = {
      {"rename b.txt", "Finished replacing a.txt and b.txt, which an interrupted run of velk had left half done."},
      {"link .velk-set-", "Removed what an interrupted run of velk left; a.txt and b.txt are as before."}};
  for (const auto& [step, line] : cases) {
    const fs::path set = dir / step, files = share / step;
    KillThroughLinks(set, files, step);
    const SetRecovery r = RecoverSet(set);
    EXPECT_EQ(r.lines, std::vector<std::string>{line}) << step;
    EXPECT_TRUE(r.Readable()) << step;
    EXPECT_EQ(Names(files), (std::set<std::string>{"a.txt", "b.txt"})) << step;
    EXPECT_EQ(Names(set), (std::set<std::string>{"a.txt", "b.txt"})) << step;
  }
}

// The bytes of every file in `folder`, the journals aside.
std::multiset<std::string> Versions(const fs::path& folder) {
  std::multiset<std::string> out;
  for (const std::string& name : Names(folder))
    if (name.find(".journal") == std::string::npos) out.insert(*ReadFile(folder / name));
  return out;
}

// Every notice of a journal set aside, followed word for word, keeps every
// version and, in each way that it offers, leaves the set whole: all earlier
// files, or all new. A first record lost to a power cut while the run's
// files lie in the folder, with the set's names known to the notice
// (ulvane's) or not (velk's), and whole journals whose files were changed.
TEST(FileSetNotices, EachWayOfANoticeFollowedWordForWordKeepsTheSetWhole) {
  TempDir dir;
  const std::vector<std::string> texts = {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};
  struct Case {
    const char* name;
    const char* mark;
    const char* killedAt;
    bool zeroed;  // the journal's first record lost
    std::function<void(const fs::path& folder)> change;
    std::vector<std::string> ways;  // that the notice must give
    // A copy of the first kept file under its name with a leading zero
    // ("-01of3-"): no file of a run, which no way touches or loses.
    bool forged = false;
  };
  const std::vector<Case> cases = {
      {"among the renames", "ulvane", "rename FlightPlans.txt", true, {},
       {"To go back to the earlier files, ", "To make them all new, "}},
      {"before the renames", "ulvane", "rename Airports.txt", true, {},
       {"To keep the files as they stand, ", "To make them all new, "}},
      {"beside a forged name", "ulvane", "rename Aircraft.txt", true, {},
       {"To go back to the earlier files, ", "To make them all new, "}, true},
      {"velk's, among the renames", "velk", "rename FlightPlans.txt", true, {},
       {"To go back to the earlier files, ", "To make them all new, "}},
      {"edited", "velk", "rename FlightPlans.txt", false,
       [](const fs::path& f) { WriteFile(f / "Aircraft.txt", "the user's"); },
       {"To go back to the earlier files, ", "To make them all new, "}},
      {"the second record lost", "velk", "rename Aircraft.txt", false,
       [](const fs::path& f) {
         std::string text = *ReadFile(f / ".velk.journal");
         text.resize(text.find("committed"));
         WriteFile(f / ".velk.journal", text);
       },
       {"To go back to the earlier files, ", "To make them all new, "}},
  };
  for (const Case& c : cases) {
    const fs::path folder = dir / c.name;
    for (const std::string& t : texts) WriteFile(folder / t, "old " + t);
    test::KillAtFileStep(c.killedAt, [&] {
      SetProgramMark(c.mark);
      ReplaceFilesInTurn({{folder / texts[0], "new " + texts[0]}, {folder / texts[1], "new " + texts[1]},
                          {folder / texts[2], "new " + texts[2]}});
    });
    const fs::path journal = folder / ("." + std::string(c.mark) + ".journal");
    if (c.zeroed) WriteFile(journal, std::string(fs::file_size(journal), '\0'));
    if (c.change) c.change(folder);
    std::string forged;
    for (const std::string& n : Names(folder)) {
      const size_t at = n.find("-1of3-");
      if (c.forged && at != std::string::npos && n.ends_with(".old"))
        fs::copy_file(folder / n, folder / (forged = n.substr(0, at) + "-01of3-" + n.substr(at + 6)));
    }
    ASSERT_EQ(forged.empty(), !c.forged) << c.name;
    ASSERT_TRUE(RecoverSet(folder).attention) << c.name;
    const std::multiset<std::string> versions = Versions(folder);
    const std::string notice = RecoverSet(folder).Refusal();
    ASSERT_NE(notice.find(".journal.aside"), std::string::npos) << c.name << "\n" << notice;
    if (c.forged) {
      EXPECT_TRUE(fs::exists(folder / forged)) << notice;
      EXPECT_EQ(notice.find(forged), std::string::npos) << notice;
    }
    // Half replaced only where a target was.
    EXPECT_EQ(notice.find("half replaced") != std::string::npos, c.killedAt != "rename Airports.txt"s)
        << c.name << "\n" << notice;
    const std::vector<std::string> all(std::begin(test::kWays), std::end(test::kWays));
    for (const std::string& way : all) {
      const test::FollowedWay followed = test::Follow(folder, folder, notice, way);
      const bool wanted = std::find(c.ways.begin(), c.ways.end(), way) != c.ways.end();
      EXPECT_EQ(followed.offered, wanted || (c.ways.empty() && way == all.back())) << c.name << ", " << way << "\n"
                                                                                  << notice;
      if (!followed.offered) continue;
      EXPECT_TRUE(followed.unreadable.empty() && followed.AllPossible()) << c.name << ", " << way << ": "
                                                                         << followed.unreadable << "\n" << notice;
      const fs::path* copy = &followed.folder;
      if (c.forged) {
        EXPECT_TRUE(fs::exists(*copy / forged)) << way;
      }
      // Nothing that held a version of its own is gone.
      std::multiset<std::string> now = Versions(*copy);
      for (const std::string& v : versions)
        EXPECT_TRUE(now.count(v) > 0) << c.name << ", " << way << ": \"" << v << "\" is gone\n" << notice;
      const SetRecovery r = RecoverSet(*copy);
      EXPECT_TRUE(r.Readable()) << c.name << ", " << way << "\n" << r.Text() << r.Refusal();
      if (way == all.back()) continue;
      std::set<std::string> held;
      // The user's change of a file stands for the version it was made of.
      for (const std::string& t : texts)
        if (ReadFile(*copy / t) != "the user's") held.insert(ReadFile(*copy / t).value_or("-").substr(0, 4));
      EXPECT_TRUE(held == std::set<std::string>{"old "} || held == std::set<std::string>{"new "})
          << c.name << ", " << way << "\n" << notice;
    }
  }
  SetProgramMark("velk");
}

const std::vector<std::string> kTexts = {"Airports.txt", "Aircraft.txt", "FlightPlans.txt"};

// ulvane's three texts in `folder`, each with its earlier bytes (in `share`,
// when given, with the texts the user's own links there), ulvane killed at
// `step` as it replaces them; or the run of `mark` that writes `texts`.
test::SetWalk KillUlvane(const fs::path& folder, const std::string& step, const fs::path& share = {},
                         const std::vector<std::string>& texts = kTexts, const std::string& mark = "ulvane") {
  test::SetWalk walk;
  walk.root = folder.parent_path();
  walk.folders = {folder};
  if (!share.empty()) walk.folders.push_back(share);
  FileSet files;
  fs::create_directories(folder);
  for (const std::string& t : texts) {
    WriteFile((share.empty() ? folder : share) / t, "old " + t);
    if (!share.empty()) fs::create_symlink(fs::relative(share / t, folder), folder / t);
    walk.targets.push_back({folder / t, "old " + t, "new " + t});
    files.emplace_back(folder / t, "new " + t);
  }
  test::KillAtFileStep(step, [&] {
    SetProgramMark(mark);
    ReplaceFilesInTurn(files);
  });
  return walk;
}

// The file of that name whose look the seam refuses, as a folder the user
// may not search would.
std::string g_unlookable;
bool LookRefused(std::string_view step, const fs::path& path) {
  if (step != "stat" || path.filename() != g_unlookable) return false;
  errno = EACCES;
  return true;
}

// A target that cannot be looked at while the notice is made is told so,
// and nothing is claimed of it: no way is offered but keeping every
// version. A journal whole, whose set the user changed, and ulvane's lost
// to zeros.
TEST(FileSetNotices, ATargetThatCannotBeLookedAtIsClaimedNothingOf) {
  TempDir dir;
  for (const bool zeroed : {false, true}) {
    const fs::path folder = dir / (zeroed ? "zeroed" : "changed");
    KillUlvane(folder, "rename Aircraft.txt");
    if (zeroed) WriteFile(folder / ".ulvane.journal", std::string(fs::file_size(folder / ".ulvane.journal"), '\0'));
    else WriteFile(folder / "FlightPlans.txt", "the user's");
    ASSERT_TRUE(RecoverSet(folder).attention) << folder;
    g_unlookable = "Aircraft.txt";
    std::string notice;
    {
      const test::ScopedFileStepHook hook(LookRefused);
      notice = RecoverSet(folder).Refusal();
    }
    EXPECT_NE(notice.find("\nAircraft.txt could not be looked at (Permission denied)"), std::string::npos)
        << folder << "\n" << notice;
    EXPECT_NE(notice.substr(0, notice.find('\n')).find(" may have left "), std::string::npos) << folder << "\n" << notice;
    for (const char* claim : {" holds", " was replaced", " was not replaced"})
      EXPECT_EQ(notice.find("\nAircraft.txt" + std::string(claim)), std::string::npos) << folder << "\n" << notice;
    for (const char* way : {test::kKeepWay, test::kBackWay, test::kNewWay})
      EXPECT_EQ(notice.find("\n" + std::string(way)), std::string::npos) << folder << "\n" << notice;
    EXPECT_NE(notice.find("\n" + std::string(test::kUntoldWay)), std::string::npos) << folder << "\n" << notice;
  }
  SetProgramMark("velk");
}

// The failures of a judged state, but those of the kinds `allowed`, each
// with its notice.
std::string Failures(const test::NoticeJudgement& j, const std::vector<std::string>& allowed = {}) {
  std::string text;
  for (const test::NoticeFailure& f : j.failures)
    if (std::find(allowed.begin(), allowed.end(), f.kind) == allowed.end())
      text += f.kind + "\n" + f.detail + "\n" + f.notice + "\n\n";
  return text;
}

// The files that a run of the release before leaves, killed at its third
// rename with its journal lost to zeros, are still read: ulvane's by the
// numbers of its texts, every way followed leaving the set whole; velk's,
// whose targets its files do not name, with every version kept.
TEST(FileSetNotices, FilesOfTheReleaseBeforeAreStillTold) {
  TempDir dir;
  for (const std::string mark : {"ulvane", "velk"}) {
    const fs::path folder = dir / mark;
    const std::string run = "." + mark + "-set-ABCD1234-";
    WriteFile(folder / ("." + mark + ".journal"), std::string(300, '\0'));
    test::SetWalk walk;
    walk.root = folder;
    walk.folders = {folder};
    for (size_t k = 0; k < kTexts.size(); ++k) {
      const std::string& t = kTexts[k];
      walk.targets.push_back({folder / t, "old " + t, "new " + t});
      const std::string n = std::to_string(k + 1);
      if (k < 2) {
        WriteFile(folder / t, "new " + t);
        WriteFile(folder / (run + n + ".old"), "old " + t);
      } else {
        WriteFile(folder / t, "old " + t);
        WriteFile(folder / (run + n), "new " + t);
        fs::create_hard_link(folder / t, folder / (run + n + ".old"));
      }
    }
    const test::NoticeJudgement j = test::JudgeState(walk, std::nullopt, mark);
    const std::string notice = RecoverSet(folder).Refusal();
    if (mark == "ulvane") {
      EXPECT_EQ(Failures(j), "");
      // FlightPlans.txt is told by its number: its line names both files.
      const size_t line = notice.find("\nFlightPlans.txt ");
      ASSERT_NE(line, std::string::npos) << notice;
      for (const std::string& file : {run + "3'", run + "3.old'"})
        EXPECT_NE(notice.substr(line, notice.find('\n', line + 1) - line).find("/" + file), std::string::npos)
            << file << "\n" << notice;
      for (const char* way : {"\nTo go back to the earlier files, ", "\nTo make them all new, "})
        EXPECT_NE(notice.find(way), std::string::npos) << way << "\n" << notice;
    } else {
      // No way is proved where the files do not tell the targets.
      EXPECT_EQ(Failures(j, {"no way offered but \"cannot be told\"",
                             "way 'To go back to the earlier files' is there to be had, but not offered"}),
                "");
      EXPECT_NE(notice.substr(0, notice.find('\n')).find("may have left"), std::string::npos) << notice;
      EXPECT_NE(notice.find("\n" + std::string(test::kUntoldWay)), std::string::npos) << notice;
    }
    EXPECT_EQ(j.notices, 1u) << notice;
  }
}

// "Had not begun" is said, and the set read, only where the journal proves
// that no file was made: not of ulvane's journal whose first record is cut
// short with a byte of its run's letters changed, nor of one lost to zeros
// whose run's files lie where the texts' links lead.
TEST(FileSetNotices, HadNotBegunOnlyWhereNothingWasBegun) {
  TempDir dir;
  for (const bool linked : {false, true}) {
    const fs::path folder = dir / (linked ? "linked" : "cut") / "work";
    KillUlvane(folder, "rename FlightPlans.txt", linked ? folder.parent_path() / "share/x" : fs::path());
    const fs::path journal = folder / ".ulvane.journal";
    std::string text = *ReadFile(journal);
    if (linked) {
      text.assign(text.size(), '\0');
    } else {
      // The run's letters are the third field; the last target's name is
      // cut in the middle.
      const size_t run = text.find('\0', text.find('\0') + 1) + 1;
      text[run + 3] = text[run + 3] == 'a' ? 'b' : 'a';
      const size_t last = text.rfind(std::string(1, '\0') + "FlightPlans.txt" + '\0');
      ASSERT_NE(last, std::string::npos);
      text.resize(last + 8);
    }
    WriteFile(journal, text);
    const SetRecovery r = RecoverSet(folder);
    EXPECT_EQ(r.Text().find("which had not begun"), std::string::npos) << folder << "\n" << r.Text();
    EXPECT_FALSE(r.Readable()) << folder << "\n" << r.Text();
  }
  SetProgramMark("velk");
}

// A folder copied while a journal was pending (a backup, "cp -a"): every
// file has another identity than the journal records, and the names of
// the run's files, with the second names the copy kept, still tell what
// each holds and prove the ways.
TEST(FileSetNotices, AFolderCopiedWhileAJournalWasPendingIsToldByItsNames) {
  TempDir dir;
  const test::SetWalk killed = KillUlvane(dir / "killed" / "work", "rename FlightPlans.txt");
  ASSERT_EQ(std::system(("cp -a '" + (dir / "killed").string() + "' '" + (dir / "copy").string() + "'").c_str()), 0);
  test::SetWalk copy = killed;
  copy.root = dir / "copy";
  copy.folders = {dir / "copy" / "work"};
  for (test::WalkTarget& t : copy.targets) t.path = copy.folders[0] / t.path.filename();
  const test::NoticeJudgement j = test::JudgeState(copy, std::nullopt, "copied");
  EXPECT_EQ(Failures(j), "");
  const std::string notice = RecoverSet(copy.folders[0]).Refusal();
  for (const char* part : {"\nNo file has the identity that the journal records for it", "\nFlightPlans.txt was not "
                           "replaced; '", "\nTo go back to the earlier files, ", "\nTo make them all new, "})
    EXPECT_NE(notice.find(part), std::string::npos) << part << "\n" << notice;
  SetProgramMark("velk");
}

// Names that hold what the sentences join their parts with, a quote, a
// backslash, a space at their start or a line break stand in quotes, so
// that each way of the notice is followed word for word: the set killed
// among its renames, its journal's second record lost (the notice reads the
// names from the journal) or all of it lost to zeros (from the run's files).
TEST(FileSetNotices, NamesThatHoldASeparatorAreQuotedInEachWay) {
  TempDir dir;
  const std::vector<std::string> names = {"Bob's, Ann's and more.txt", " back\\slash.txt", "line\nbreak; or not.txt"};
  for (const bool zeroed : {false, true}) {
    const fs::path folder = dir / (zeroed ? "zeroed" : "first record") / "work";
    const test::SetWalk walk = KillUlvane(folder, "rename " + names[1], {}, names, "velk");
    const fs::path journal = folder / ".velk.journal";
    std::string text = *ReadFile(journal);
    WriteFile(journal, zeroed ? std::string(text.size(), '\0') : text.substr(0, text.find("committed")));
    const test::NoticeJudgement j = test::JudgeState(walk, std::nullopt, folder.string());
    EXPECT_EQ(Failures(j), "");
    EXPECT_EQ(j.ways, 2u) << folder;
    const std::string notice = RecoverSet(folder).Refusal();
    for (const char* quoted : {"'Bob''s, Ann''s and more.txt'", "' back\\x5Cslash.txt'", "'line\\x0Abreak; or not.txt'"})
      EXPECT_NE(notice.find(quoted), std::string::npos) << quoted << "\n" << notice;
  }
}

// Run files and journals that no run of ours left so (names that disagree,
// another run's file among them, a folder or a link at a run file's name,
// another user's file, a journal of stray bytes, names with any byte
// changed) give a notice or a refusal, never a crash, and never a way that
// mixes the set or loses a version.
TEST(FileSetNotices, StrayRunFilesAndJournalsGiveNoWayThatMixesTheSet) {
  TempDir dir;
  using Plant = std::function<void(const fs::path& folder, const std::string& file)>;
  auto renamed = [](auto change) {
    return [change](const fs::path& f, const std::string& file) {
      std::string name = file;
      change(name);
      fs::rename(f / file, f / name);
    };
  };
  std::vector<std::pair<std::string, Plant>> plants = {
      {"flags that disagree", renamed([](std::string& n) { n[n.find("of3-") + 4] ^= 'e' ^ 'n'; })},
      {"sums that name nothing", renamed([](std::string& n) { n[n.rfind('-') + 3] ^= 1; })},
      {"another run's file", [](const fs::path& f, const std::string& file) {
         std::string other = file;
         other.replace(other.find("-set-") + 5, 8, "ZZZZ9999");
         fs::copy_file(f / file, f / other);
       }},
      {"a folder", [](const fs::path& f, const std::string& file) {
         fs::remove(f / file);
         fs::create_directory(f / file);
       }},
      {"a link", [](const fs::path& f, const std::string& file) {
         fs::remove(f / file);
         fs::create_symlink("Aircraft.txt", f / file);
       }},
      {"stray bytes for the journal", [](const fs::path& f, const std::string&) {
         WriteFile(f / ".ulvane.journal", "velk file set 5\0ulvane\0\x01\x02 not what a run writes\0"s);
       }},
  };
  if (::geteuid() == 0)
    plants.push_back({"another user's file", [](const fs::path& f, const std::string& file) {
                        ASSERT_EQ(::chown((f / file).c_str(), 65534, 65534), 0);
                      }});
  for (size_t k = 0; k < 24; ++k)
    plants.push_back({"byte " + std::to_string(k) + " of a name changed", renamed([k](std::string& n) {
                        n[1 + (k * 7) % (n.size() - 1)] = "-.0aZ/"[k % 5];
                      })});
  // Stray files may take away what proves a way.
  std::vector<std::string> allowed = {"no way offered but \"cannot be told\"", "no way offered"};
  for (const char* way : {test::kKeepWay, test::kBackWay, test::kNewWay})
    allowed.push_back("way '" + std::string(way).substr(0, std::string(way).size() - 2) +
                      "' is there to be had, but not offered");
  size_t judged = 0;
  for (const char* step : {"rename Airports.txt", "rename Aircraft.txt", "unlink .ulvane-set-"}) {
    for (const auto& [what, plant] : plants) {
      const fs::path folder = dir / (std::to_string(judged++) + " " + what) / "work";
      const test::SetWalk walk = KillUlvane(folder, step);
      const fs::path journal = folder / ".ulvane.journal";
      WriteFile(journal, std::string(fs::file_size(journal), '\0'));
      std::vector<std::string> runFiles;
      for (const std::string& name : Names(folder))
        if (name.find("-set-") != std::string::npos) runFiles.push_back(name);
      ASSERT_FALSE(runFiles.empty()) << step;
      plant(folder, runFiles.back());
      const test::NoticeJudgement j = test::JudgeState(walk, std::nullopt, std::string(step) + ", " + what);
      EXPECT_EQ(Failures(j, allowed), "") << step << ", " << what;
    }
  }
  SetProgramMark("velk");
}

}  // namespace
}  // namespace velk
