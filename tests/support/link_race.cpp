#include "support/link_race.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "support/test_support.h"

#ifndef RENAME_EXCHANGE
#define RENAME_EXCHANGE (1 << 1)
#endif

namespace velk::test {
namespace {

namespace fs = std::filesystem;

constexpr char kOwnLink[] = "Airports.txt";
constexpr char kOtherLink[] = ".a";

// The shared folder while link reads are to be raced, else -1.
std::atomic<int> g_exchangeIn{-1};

// renameat2 through the system call itself: the C library may lack the
// wrapper, and the other user's process may call nothing that takes a lock
// after the fork.
long Exchange(int folder) {
  return ::syscall(SYS_renameat2, folder, kOwnLink, folder, kOtherLink, RENAME_EXCHANGE);
}

ssize_t ReadLinkRaced(int folder, const char* path, char* buffer, size_t size) {
  const int shared = g_exchangeIn.load();
  if (shared >= 0) Exchange(shared);
  const long n = ::syscall(SYS_readlinkat, folder, path, buffer, size);
  if (shared >= 0) {
    const int err = errno;
    Exchange(shared);
    errno = err;
  }
  return n;
}

// The shared folder while the writers' file steps exchange the names.
int g_stepExchangeIn = -1;

bool ExchangeAtStep(std::string_view, const fs::path&) {
  Exchange(g_stepExchangeIn);
  return false;
}

// A folder of its own, in memory where there is a memory file system: the
// writers flush every file they make, which costs nothing there, so that
// many runs fit in a second.
fs::path MakeFolder() {
  std::error_code ec;
  const fs::path under = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                             ? fs::path("/dev/shm")
                             : fs::temp_directory_path();
  std::string name = (under / "velk-race-XXXXXX").string();
  if (!::mkdtemp(name.data())) throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
  return name;
}

}  // namespace
}  // namespace velk::test

// Every link read of the test program comes here first (the C++ library's
// too), so that a name can be exchanged exactly between a look at it and the
// read of its link, a moment no file step of the writers reaches. Without
// ExchangeAroundLinkReads they read as the system does.
extern "C" ssize_t readlink(const char* __restrict path, char* __restrict buffer, size_t size) noexcept {
  return velk::test::ReadLinkRaced(AT_FDCWD, path, buffer, size);
}
extern "C" ssize_t readlinkat(int folder, const char* __restrict path, char* __restrict buffer, size_t size) noexcept {
  return velk::test::ReadLinkRaced(folder, path, buffer, size);
}

namespace velk::test {

LinkRace::LinkRace()
    : dir_(MakeFolder()),
      shared_(dir_ / "shared"),
      raced_(shared_ / kOwnLink),
      file_(shared_ / "real" / "Airports.txt"),
      outside_(dir_ / "home"),
      notes_(outside_ / "notes.txt") {
  fs::create_directories(shared_ / "real");
  fs::create_directories(outside_);
  fs::permissions(shared_, fs::perms::all);  // 0777, no sticky bit
  fs::permissions(outside_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
  fs::create_symlink("real/Airports.txt", raced_);
  fs::create_symlink(notes_, shared_ / kOtherLink);
  if (::lchown((shared_ / kOtherLink).c_str(), kOther, kOther) != 0)
    throw std::runtime_error(std::string("lchown: ") + std::strerror(errno));
  PutOutsideBack();
  sharedFd_ = ::open(shared_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

LinkRace::~LinkRace() {
  ExchangeAroundLinkReads(false);
  ExchangeAtFileSteps(false);
  StopSwapping();
  if (sharedFd_ >= 0) ::close(sharedFd_);
  if (exchanges_) ::munmap(exchanges_, sizeof *exchanges_);
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

bool LinkRace::StartSwapping(std::string& why) {
  StopSwapping();
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) {
    why = std::strerror(errno);
    return false;
  }
  if (!exchanges_) {
    void* shared = ::mmap(nullptr, sizeof *exchanges_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
      why = std::strerror(errno);
      return false;
    }
    exchanges_ = new (shared) std::atomic<unsigned long>(0);
  }
  std::atomic<unsigned long>& exchanges = *exchanges_;
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child == 0) {
    int err = 0;
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kOther, kOther, kOther) != 0 ||
        ::setresuid(kOther, kOther, kOther) != 0 || Exchange(sharedFd_) != 0)
      err = errno;
    // Gone with the test, also when it crashes; asked for only now, as a
    // change of user forgets it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);
    if (::write(ready[1], &err, sizeof err) != sizeof err || err != 0) ::_exit(1);
    for (;;) {
      Exchange(sharedFd_);
      exchanges.fetch_add(1, std::memory_order_relaxed);
    }
  }
  ::close(ready[1]);
  int err = child < 0 ? errno : EPIPE;
  const bool started = child > 0 && ::read(ready[0], &err, sizeof err) == sizeof err && err == 0;
  ::close(ready[0]);
  swapper_ = child;
  if (!started) {
    StopSwapping();
    why = std::string("the other user's process: ") + std::strerror(err);
  }
  return started;
}

void LinkRace::StopSwapping() {
  if (swapper_ <= 0) return;
  ::kill(swapper_, SIGKILL);
  ::waitpid(swapper_, nullptr, 0);
  swapper_ = -1;
}

bool LinkRace::AwaitExchanges() {
  if (swapper_ <= 0) return true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (exchanges_->load() == seen_) {
    if (std::chrono::steady_clock::now() > until) return false;
    ::sched_yield();
  }
  seen_ = exchanges_->load();
  return true;
}

void LinkRace::ExchangeAroundLinkReads(bool on) { g_exchangeIn.store(on ? sharedFd_ : -1); }

void LinkRace::ExchangeAtFileSteps(bool on) {
  g_stepExchangeIn = on ? sharedFd_ : -1;
  SetFileStepHook(on ? ExchangeAtStep : nullptr);
}

void LinkRace::PutOutsideBack() {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(outside_)) fs::remove_all(e.path(), ec);
  WriteFile(notes_, "the user's notes");
  fs::permissions(notes_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
  notesIdentity_ = IdentityOf(notes_);
}

std::string LinkRace::Tally::Text() const {
  return std::to_string(runs) + " runs, " + std::to_string(written) + " written, " + std::to_string(refused) +
         " refused; " + std::to_string(escaped) + " wrote outside the shared folder, " + std::to_string(misreported) +
         " said what did not happen to the user's file, " + std::to_string(unexplained) +
         " refused for another reason" + (first.empty() ? "" : ":" + first);
}

LinkRace::Tally LinkRace::Run(const Writer& writer, int runs) {
  Tally t;
  // The first run of each kind gone wrong is told.
  std::set<std::string> told;
  auto wrong = [&](int run, const std::string& kind, const std::string& what) {
    if (told.insert(kind).second)
      t.first += "\n  " + writer.name + " run " + std::to_string(run) + " " + kind + ": " + what;
  };
  for (int run = 0; run < runs; ++run) {
    if (writer.before) WriteFile(file_, *writer.before);
    else fs::remove(file_);
    const std::string bytes = writer.name + " run " + std::to_string(run);
    // Each run begins with the user's link at the name, and while his
    // process runs, with an exchange of his just made.
    struct stat st {};
    if (g_stepExchangeIn >= 0 && ::lstat(raced_.c_str(), &st) == 0 && st.st_uid == kOther) Exchange(sharedFd_);
    if (!AwaitExchanges()) {
      t.stalled = true;
      t.first += "\n  the other user's process stopped exchanging the names";
      break;
    }
    const Outcome o = writer.write(bytes);
    ++t.runs;
    ++(o.ok ? t.written : t.refused);
    const std::set<std::string> there = Names(outside_);
    if (IdentityOf(notes_) != notesIdentity_ || ReadFile(notes_) != "the user's notes" ||
        there != std::set<std::string>{"notes.txt"}) {
      ++t.escaped;
      std::string names;
      for (const std::string& n : there) names += " " + n;
      wrong(run, "wrote outside", std::string(IdentityOf(notes_) == notesIdentity_ ? "" : "notes.txt replaced; ") +
                                      "outside holds" + names);
      PutOutsideBack();
    }
    const std::optional<std::string> now = ReadFile(file_);
    if (now != (o.ok ? std::optional<std::string>(writer.lands.value_or(bytes)) : writer.before)) {
      ++t.misreported;
      wrong(run, o.ok ? "succeeded" : "failed", "the user's file " +
                     (now ? "holds '" + *now + "'" : "is missing"));
    }
    if (!o.ok && (o.why.find(raced_.filename().string()) == std::string::npos ||
                  o.why.find("belongs to the user") == std::string::npos ||
                  o.why.find(std::to_string(kOther)) == std::string::npos)) {
      ++t.unexplained;
      wrong(run, "refused", "'" + o.why + "'");
    }
  }
  return t;
}

void LinkRace::ExpectNoneFollowsWhileHeSwaps(const std::function<std::vector<Writer>(LinkRace&)>& writers) {
  LinkRace race;
  std::string why;
  ASSERT_TRUE(race.StartSwapping(why)) << why;
  for (const Writer& w : writers(race)) {
    // Enough runs for the exchanges to meet each writer's look at the link
    // often, few enough for a second or two.
    const Tally t = race.Run(w, 300);
    EXPECT_TRUE(t.Clean()) << w.name << ": " << t.Text();
    EXPECT_GT(t.refused, 0) << w.name << ": the other user's link never stood at the name";
  }
}

void LinkRace::ExpectNoneFollowsASwapBeforeTheRead(const std::function<std::vector<Writer>(LinkRace&)>& writers) {
  LinkRace race;
  race.ExchangeAroundLinkReads(true);
  for (const Writer& w : writers(race)) {
    const Tally t = race.Run(w, 3);
    EXPECT_TRUE(t.Clean()) << w.name << ": " << t.Text();
    // The user's own link stood at the name at every look.
    EXPECT_EQ(t.written, t.runs) << w.name << ": " << t.Text();
  }
}

void LinkRace::ExpectNoneFollowsASwapAfterTheLook(const std::function<std::vector<Writer>(LinkRace&)>& writers) {
  LinkRace race;
  race.ExchangeAtFileSteps(true);
  // A writer that looks again may refuse then; none goes where his link
  // leads.
  for (const Writer& w : writers(race)) {
    const Tally t = race.Run(w, 3);
    EXPECT_TRUE(t.Clean()) << w.name << ": " << t.Text();
  }
}

}  // namespace velk::test
