#pragma once
// Fixtures shared by all test programs.
#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_set.h"

namespace velk::test {

// A private folder removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A private program folder: copies of the shipped configuration files and
// help pages, and links to the built orvane and ulvane, so that what a test
// writes into its program folder (the scenery cache, generated files) never
// lands beside the built programs.
class ProgramFolder : public TempDir {
 public:
  ProgramFolder();
};

// Writes bytes exactly as given (creating parent folders).
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// The file's bytes; empty optional when it cannot be read.
std::optional<std::string> ReadFile(const std::filesystem::path& path);

// Sets (or with nullopt unsets) an environment variable for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::optional<std::string>& value);
  ~ScopedEnv();

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Makes `dir` the current folder for a scope (the traffic tools work in
// the current folder).
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedCurrentDir() { std::filesystem::current_path(old_); }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

 private:
  std::filesystem::path old_;
};

// Sets the umask for a scope, for tests of the permissions that new files
// and copies get.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(SetUmask(mask)) {}
  ~ScopedUmask() { SetUmask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

// The writers' file-step seam (platform/file_ops.h) for a scope: whatever
// hook is set through it is taken out when the scope is left, also by a
// failed ASSERT, so that no later test runs with it.
class ScopedFileStepHook {
 public:
  explicit ScopedFileStepHook(FileStepHook hook = nullptr) { Set(hook); }
  ~ScopedFileStepHook() { Off(); }
  ScopedFileStepHook(const ScopedFileStepHook&) = delete;
  ScopedFileStepHook& operator=(const ScopedFileStepHook&) = delete;
  void Set(FileStepHook hook) { SetFileStepHook(hook); }
  void Off() { SetFileStepHook(nullptr); }
};

// A child process that runs `body` and ends with what it returns (125 when
// it throws). Unless it was waited for, it is killed and waited for when
// the object goes: a test that stops half way, at a failed ASSERT too,
// leaves no child behind, blocked on a pipe or holding a lock.
class Child {
 public:
  explicit Child(const std::function<int()>& body);
  ~Child();
  Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, -1)), status_(other.status_) {}
  Child& operator=(Child&&) = delete;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // Waits for it to end: its status, as waitpid gives it.
  int Wait();

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// The names in `folder`.
std::set<std::string> Names(const std::filesystem::path& folder);

// Waits until a file made afresh beside `earlier` gets a later change time
// than `earlier` has: whatever is made or changed on that file system from
// then on is later than it. The file clock is coarse (files made back to
// back often share one time), and no fixed pause is long enough on a
// loaded machine. Throws when the clock does not move for seconds.
void WaitForLaterFileTime(const std::filesystem::path& earlier);

// Kills a writer at each of its file steps in turn: `reset` puts the files
// back as they were before, `write` runs in a child process that is killed
// at the step (through the writers' test seam, platform/file_ops.h), and
// `check` looks at what is left, given the step's name and path. Returns
// the steps of a whole run, recorded first in this process.
std::vector<std::string> KillAtEveryFileStep(const std::function<void()>& reset, const std::function<void()>& write,
                                             const std::function<void(const std::string& step)>& check);

// Runs `write` in a child process killed at its first file step whose name
// begins with `step` ("rename a.txt": the step and the file's name).
void KillAtFileStep(const std::string& step, const std::function<void()>& write);

// What a run that next takes the lock of `folder` puts right there.
SetRecovery RecoverSet(const std::filesystem::path& folder);

// The source tree and the folder of the built programs, as the test
// environment names them.
std::filesystem::path SourceDir();
std::filesystem::path ToolsDir();

}  // namespace velk::test
