#include "support/test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/file_ops.h"

namespace velk::test {

namespace {

std::vector<std::string>* g_steps = nullptr;
int g_stepNumber = 0;
int g_killAt = -1;
std::string g_killAtName;

bool RecordOrKill(std::string_view step, const std::filesystem::path& path) {
  const std::string name = std::string(step) + " " + path.filename().string();
  if (g_steps) g_steps->push_back(name);
  if (g_stepNumber++ == g_killAt || (!g_killAtName.empty() && name.rfind(g_killAtName, 0) == 0)) ::kill(::getpid(), SIGKILL);
  return false;
}

// Runs `write` in a child process with the seam set to kill it; true when
// it was killed.
bool KilledInChild(const std::function<void()>& write) {
  Child child([&] {
    g_steps = nullptr;
    g_stepNumber = 0;
    SetFileStepHook(RecordOrKill);
    write();
    return 0;
  });
  return WIFSIGNALED(child.Wait());
}

// The status of a child that could not be made or waited for: an exit
// with 126, neither a success nor a kill.
constexpr int kNoStatus = 126 << 8;

}  // namespace

Child::Child(const std::function<int()>& body) {
  std::fflush(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    int code = 125;
    try {
      code = body();
    } catch (...) {
    }
    ::_exit(code);
  }
  if (pid_ < 0) {
    ADD_FAILURE() << "cannot start a child process";
    status_ = kNoStatus;
  }
}

Child::~Child() {
  if (pid_ <= 0 || status_) return;
  ::kill(pid_, SIGKILL);
  Wait();
}

int Child::Wait() {
  if (status_) return *status_;
  int status = 0;
  pid_t waited;
  while ((waited = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  status_ = waited == pid_ ? status : kNoStatus;
  return *status_;
}

std::set<std::string> Names(const std::filesystem::path& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
  return names;
}

void WaitForLaterFileTime(const std::filesystem::path& earlier) {
  struct stat was {};
  if (::lstat(earlier.c_str(), &was) != 0)
    throw std::runtime_error("cannot look at " + earlier.string() + ": " + std::strerror(errno));
  const std::filesystem::path folder = earlier.has_parent_path() ? earlier.parent_path() : ".";
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    // A file without a name where the file system makes those, so that
    // the folder shows nothing of the wait; else one removed at once.
    std::string probe;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
      probe = (folder / ".clock-probe-XXXXXX").string();
      fd = ::mkstemp(probe.data());
    }
    if (fd < 0) throw std::runtime_error("cannot make a file in " + folder.string() + ": " + std::strerror(errno));
    struct stat now {};
    const bool looked = ::fstat(fd, &now) == 0;
    ::close(fd);
    if (!probe.empty()) ::unlink(probe.c_str());
    if (!looked) throw std::runtime_error("cannot look at a file made in " + folder.string());
    if (now.st_ctim.tv_sec != was.st_ctim.tv_sec ? now.st_ctim.tv_sec > was.st_ctim.tv_sec
                                                 : now.st_ctim.tv_nsec > was.st_ctim.tv_nsec)
      return;
    if (std::chrono::steady_clock::now() > until)
      throw std::runtime_error("the file clock of " + folder.string() + " did not move for 10 seconds");
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

std::vector<std::string> KillAtEveryFileStep(const std::function<void()>& reset, const std::function<void()>& write,
                                             const std::function<void(const std::string& step)>& check) {
  std::vector<std::string> steps;
  reset();
  g_steps = &steps;
  g_stepNumber = 0;
  g_killAt = -1;
  {
    const ScopedFileStepHook hook(RecordOrKill);
    write();
  }
  g_steps = nullptr;
  for (size_t i = 0; i < steps.size(); ++i) {
    reset();
    g_killAt = static_cast<int>(i);
    EXPECT_TRUE(KilledInChild(write)) << "not killed at " << steps[i];
    g_killAt = -1;
    check(steps[i]);
  }
  return steps;
}

void KillAtFileStep(const std::string& step, const std::function<void()>& write) {
  g_killAtName = step;
  EXPECT_TRUE(KilledInChild(write)) << "not killed at " << step;
  g_killAtName.clear();
}

SetRecovery RecoverSet(const std::filesystem::path& folder) {
  SetFolder set(folder);
  set.LockWithin(std::chrono::milliseconds(0));
  return set.Recover();
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "velk-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

ProgramFolder::ProgramFolder() {
  namespace fs = std::filesystem;
  const fs::path tools = ToolsDir();
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(tools, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("VELK_", 0) == 0 || name == "Help")
      fs::copy(entry.path(), path() / name, fs::copy_options::recursive);
  }
  for (const char* tool : {"orvane", "ulvane"})
    if (fs::exists(tools / tool)) fs::create_symlink(tools / tool, path() / tool);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : name_(name) {
  if (const char* old = std::getenv(name.c_str())) old_ = old;
  if (value) ::setenv(name.c_str(), value->c_str(), 1);
  else ::unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
  if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
  else ::unsetenv(name_.c_str());
}

std::filesystem::path SourceDir() {
  if (const char* s = std::getenv("VELK_SOURCE_DIR")) return std::filesystem::path(s);
  return std::filesystem::path(VELK_DEFAULT_SOURCE_DIR);
}

std::filesystem::path ToolsDir() {
  if (const char* s = std::getenv("VELK_TOOLS_DIR")) return std::filesystem::path(s);
  return std::filesystem::path(VELK_DEFAULT_TOOLS_DIR);
}

}  // namespace velk::test
