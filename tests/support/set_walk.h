#pragma once
// A walk of the states that a writer of a set of files (platform/file_set.h)
// and the recoveries after it really reach: the writer stopped at each of
// its file steps, killed there or with that one step failing, then the
// recovery stopped the same two ways at each of its steps, and the recovery
// of that, and at the end a plain recovery that must leave the set whole.
//
// Everything runs in this process, through the file-step seam: a kill is a
// run that from its stop on fails every step, so that it can change nothing
// on disk any more, exactly like a dead process, and whose objects then go
// and let go of their locks. ProveFrozenKills compares that with real kills.
// A state is kept as hard links to its files, so that putting it back gives
// every file its very inode, size and modification time, which the journal
// records.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velk::test {

// A file of the set: the path the writer is given, what it held before (none
// when there was no file) and what the writer writes.
struct WalkTarget {
  std::filesystem::path path;
  std::optional<std::string> before;
  std::string after;
};

struct SetWalk {
  std::string name;
  // The folders whose entries make a state, the set's own first; all of
  // them beneath `root`, which holds the kept states too.
  std::filesystem::path root;
  std::vector<std::filesystem::path> folders;
  // Lays out the files as they are before the writer runs (once).
  std::function<void()> make;
  // Called each time those files are back, before the writer runs.
  std::function<void()> reset;
  // Runs the writer; true when it says it replaced the set.
  std::function<bool()> write;
  std::vector<WalkTarget> targets;
  // One-time backups that may stay, with the bytes each must hold.
  std::vector<std::pair<std::filesystem::path, std::string>> backups;
  // The folder gives no lock to anyone (every "lock" step fails).
  bool lockless = false;
  // How many stopped recoveries follow each other before the plain one.
  int depth = 2;
};

struct WalkResult {
  // The states reached by the writer, then after one and two stopped
  // recoveries (stopped recoveries that changed nothing left out), and how
  // many of them were new: a state that holds the same names, bytes, shared
  // inodes and journal records as one walked before, with the same end due,
  // is not walked again.
  std::vector<size_t> reached, states;
  size_t runs = 0;    // runs of the writer and of the recovery
  size_t pruned = 0;  // stopped recoveries that changed nothing on disk
  struct Failure {
    std::string kind;      // what was wrong, for grouping
    std::string writer;    // where the writer stopped
    std::string recovery;  // where the last recovery stopped, if one did
    std::string report;    // all the stops, what the folder held, the lines
    // The other ways to the same state: the writer's stop, the last
    // recovery's.
    std::vector<std::pair<std::string, std::string>> also;
  };
  std::vector<Failure> failures;
  // The failures grouped by kind with their counts, the stops that led
  // there, and a few of each in full.
  std::string Summary() const;
  // The counts, in a line.
  std::string Counts() const;
};

// A fresh folder for a walk: in memory when /dev/shm may be written (the
// walk's many syncs cost nothing there), else beneath the temporary folder.
class WalkRoot {
 public:
  WalkRoot();
  ~WalkRoot();
  WalkRoot(const WalkRoot&) = delete;
  WalkRoot& operator=(const WalkRoot&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

WalkResult WalkSetStates(const SetWalk& walk);

// Runs `run` in this process stopped as the walk stops a writer: step
// `failAt` alone fails, and from step `killAt` on every step fails, so that
// it changes nothing on disk any more, exactly like a dead process (-1: no
// such stop). `steps`, when given, receives the name and file of each step
// ("rename b.txt"). Returns what `run` returns.
bool RunStopped(int failAt, int killAt, const std::function<bool()>& run, std::vector<std::string>* steps = nullptr);
// A name or step without the letters a run picks: ".velk-set-*-2".
std::string WithoutRunLetters(std::string name);
// What the folders of `walk` hold, in a line: "a.txt=new1 b.txt=old2
// .velk-set-*-3=new3 .velk.journal(both)".
std::string Describe(const SetWalk& walk);

// For each step given (its name and file, the run's letters left out:
// "rename b.txt", "unlink .velk-set-"), stops the writer there in this
// process as WalkSetStates does and kills it in a child process
// (KillAtFileStep), and then, from the state a real kill at `recoveredAfter`
// leaves, does the same with the recovery at each of `recoverySteps`.
// Returns a line for each stop where the folders differ: their names, the
// bytes of each file, which names share an inode or keep one from before,
// and the records of the journal.
std::vector<std::string> ProveFrozenKills(const SetWalk& walk, const std::vector<std::string>& writerSteps,
                                          const std::string& recoveredAfter,
                                          const std::vector<std::string>& recoverySteps);

}  // namespace velk::test
