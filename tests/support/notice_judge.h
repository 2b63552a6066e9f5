#pragma once
// The judge of the notices that a recovery gives for a journal it set aside
// (platform/file_set.h): every way a notice offers is followed word for
// word on a copy of the folders, and must leave one whole version of the set
// (all earlier files or all new, byte for byte) and lose no version; what
// the notice says of each file must be true of it. JudgeNotices drives a
// writer to every state it leaves when killed, with its journal damaged as a
// power cut or a stray write can and with the user's changes on top, and
// judges each.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/set_walk.h"

namespace velk::test {

// The ways a notice offers, each a sentence on its own line that begins so.
inline constexpr const char* kKeepWay = "To keep the files as they stand, ";
inline constexpr const char* kBackWay = "To go back to the earlier files, ";
inline constexpr const char* kNewWay = "To make them all new, ";
inline constexpr const char* kUntoldWay = "What to do cannot be told";
inline constexpr const char* kWays[] = {kKeepWay, kBackWay, kNewWay, kUntoldWay};

// What came of following one way of a notice.
struct FollowedWay {
  bool offered = false;          // the notice has that way
  std::filesystem::path root;    // the copy of the root it was followed in
  std::filesystem::path folder;  // the set's folder in the copy
  struct Step {
    std::string words;  // "rename a.txt onto b.txt"
    bool possible = false;
    std::string why;    // why it was not
  };
  std::vector<Step> steps;
  // What of the sentence could not be followed; empty when all of it could.
  std::string unreadable;
  bool AllPossible() const;
};

// Carries out in a fresh copy of `root` ("<root>-followed", made anew) the
// way of `notice` that begins with `way`, word for word: "rename A to a name
// of your own" (and "rename A and B to names of your own") gives A a fresh
// name "mine-N" in its own folder, "rename A onto B" renames it over B,
// "delete A" removes it. A plain name, or one in single quotes that is no
// full path, is a file of the set's folder `setFolder`; a full path, always
// in single quotes, must lie beneath `root` and is taken in the copy (in
// quotes a quote stands twice, and \xNN for the byte NN). `root` holds the set's folder and every
// folder its links lead to; links within it keep leading there in the copy.
FollowedWay Follow(const std::filesystem::path& root, const std::filesystem::path& setFolder,
                   const std::string& notice, const std::string& way);

// One damaged variant of a journal's bytes.
struct JournalDamage {
  std::string label;  // "first record cut inside field 3 'AbCd1234'"
  std::string bytes;
};
// The ways a journal may be found damaged: zeroed whole; cut inside and
// just after each field of its first record; cut exactly before its second
// record and inside each of its fields; one byte in the middle of each field
// of either record changed to another printable one; the second record lost
// to NULs. Fields are split on NUL; the first record ends with the field
// after "staged" (its check sum), the second begins with "committed". None
// of them is the journal itself.
std::vector<JournalDamage> JournalDamages(const std::string& journal);

// What the user changed after the kill: the target `target` of the walk,
// the version it held when the user changed it (nothing when it held
// neither), and the bytes of the user's file: the target edited in place or
// saved over by a new file, or the file it held before the user deleted it
// or renamed it away to a name of the user's own. The user's change counts
// as that version of the target: an edited file where it stands, a target
// deleted or renamed away while nothing stands at its name.
struct UserChange {
  std::string what;  // "the first target edited in place"
  size_t target = 0;
  std::string bytes;
  std::optional<bool> ofNew;
  bool gone = false;              // its name was deleted or renamed away
  std::filesystem::path renamed;  // the user's name for it, when renamed away
  std::filesystem::path file;     // the file its name led to before
};

// A thing the judge found wrong.
struct NoticeFailure {
  std::string kind;    // for grouping: "way 'To make them all new': a version is lost"
  std::string where;   // the writer, where it stopped, the damage, the user's change
  std::string detail;  // what was wrong, what the folders held
  std::string notice;  // the notice, when there was one
};

// What judging states came to.
struct NoticeJudgement {
  size_t stops = 0;      // the stops of the writer
  size_t states = 0;     // the states the writer left, each once
  size_t scenarios = 0;  // states with a damage and a user's change, each judged
  size_t notices = 0;    // scenarios that ended in a notice
  size_t ways = 0;       // ways followed
  size_t whole = 0;      // ways of the three that left the set whole
  std::vector<NoticeFailure> failures;

  void Add(const NoticeJudgement& other);
  // The counts in one line.
  std::string Counts() const;
  // The failures grouped by kind, with their counts and two of each in full.
  std::string Summary() const;
};

// Judges the folders of `walk` as they stand now, `where` naming the
// scenario in its failures: the first run after a kill recovers them. A set
// that may be read then must be whole (each target holding one version's
// file, or the user's change of it), with no file of a run left and the
// user's change kept. Otherwise every line of the notice must be one the
// judge reads, and each claim in it true of the folders: its headline, a
// line for each target (what its name holds, where its run's files are and
// what they hold) and the lines of run files that stand for none. The
// notice must offer each way that the folders prove (by the writer's order,
// the names of the run's files and the journal, never bytes that happen to
// match), and at least one of the three unless the user took a target
// away; each way followed on a copy must leave the set whole ("What to do
// cannot be told" aside), and every way must keep every version and the
// user's change and leave a folder that the next run reads without a word.
NoticeJudgement JudgeState(const SetWalk& walk, const std::optional<UserChange>& change, const std::string& where);

// Every state that `walk`'s writer leaves when it is killed at each of its
// steps, and when the rename of the target `putBack` fails and the writer
// putting things back is killed at each later step; each state made afresh
// from the files before for every damage of its journal (and none) and
// every change of the user's (none; the first target edited in place; the
// last saved over by a new file; the first deleted; the second renamed
// away), and judged (JudgeState). Of the states
// (each told once, in the order they are reached), only those whose number
// leaves `part` when divided by `parts`: the other parts may be judged at
// the same time in copies of the walk (JudgeApart).
NoticeJudgement JudgeNotices(const SetWalk& walk, size_t putBack = 1, size_t part = 0, size_t parts = 1);

// Runs each job at once in a child process of its own (their folders must
// differ), and gives what each found, in their order; a job whose process
// did not end well found a failure that says so. Their reports pass through
// files in `scratch`.
std::vector<NoticeJudgement> JudgeApart(const std::vector<std::function<NoticeJudgement()>>& jobs,
                                        const std::filesystem::path& scratch);

}  // namespace velk::test
