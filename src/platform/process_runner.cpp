#include "platform/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace velk {
namespace {

ProcessConsoleFactory& ConsoleFactory() {
  static ProcessConsoleFactory factory;
  return factory;
}

std::function<void()>& EventPump() {
  static std::function<void()> pump;
  return pump;
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// A pseudo terminal for a shown program: the program sees a terminal (so
// its output is line-buffered and comes as it is written), and the user's
// lines reach it as typed at a console.
struct Terminal {
  int master = -1;
  int slave = -1;

  bool Open() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return false;
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
      CloseFd(master);
      return false;
    }
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
      CloseFd(master);
      return false;
    }
    termios t;
    if (::tcgetattr(slave, &t) == 0) {
      t.c_oflag &= ~static_cast<tcflag_t>(ONLCR);  // keep the program's own line ends
      ::tcsetattr(slave, TCSANOW, &t);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return true;
  }

  ~Terminal() {
    CloseFd(slave);
    CloseFd(master);
  }
};

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

// Everything the program has written so far.
void DrainOutput(int master, ProcessConsole& console) {
  char buf[4096];
  while (true) {
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n > 0) {
      console.Output(std::string_view(buf, static_cast<size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // nothing more now, or the terminal's far side is gone (EIO)
  }
}

void WritePending(int master, std::string& pending) {
  while (!pending.empty()) {
    ssize_t n = ::write(master, pending.data(), pending.size());
    if (n > 0) {
      pending.erase(0, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // full for now; the rest goes after the next wait
    }
  }
}

[[noreturn]] void ChildFails(int errFd) {
  int e = errno;
  ssize_t ignored = ::write(errFd, &e, sizeof e);
  (void)ignored;
  ::_exit(127);
}

}  // namespace

void SetProcessConsoleFactory(ProcessConsoleFactory factory) { ConsoleFactory() = std::move(factory); }

void SetEventPump(std::function<void()> pump) { EventPump() = std::move(pump); }

int RunAndWait(const std::vector<std::string>& argv, const std::string& workingFolder,
               std::string& output, bool showWindow) {
  (void)output;
  if (argv.empty() || argv[0].empty()) return -1;

  // A relative program path names a file seen from our folder, not from the
  // program's working folder.
  std::string program = argv[0];
  if (program.find('/') != std::string::npos && program[0] != '/') {
    std::error_code ec;
    program = std::filesystem::absolute(program, ec).string();
  }
  std::vector<std::string> args = argv;
  std::vector<char*> cargv;
  for (auto& a : args) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  std::unique_ptr<ProcessConsole> console;
  if (showWindow && ConsoleFactory()) console = ConsoleFactory()(argv);
  Terminal term;
  if (console && !term.Open()) return -1;
  int devNull = -1;
  if (!showWindow) {
    devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0) return -1;
  }
  int errPipe[2];
  if (::pipe2(errPipe, O_CLOEXEC) != 0) {
    CloseFd(devNull);
    return -1;
  }

  pid_t pid = ::fork();
  if (pid == 0) {
    // Child: only calls that are safe between fork and exec.
    ::close(errPipe[0]);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) ChildFails(errPipe[1]);
    if (term.slave >= 0) {
      ::setsid();
      if (::dup2(term.slave, 0) < 0 || ::dup2(term.slave, 1) < 0 || ::dup2(term.slave, 2) < 0)
        ChildFails(errPipe[1]);
      ::ioctl(0, TIOCSCTTY, 0);
    } else if (devNull >= 0) {
      if (::dup2(devNull, 0) < 0 || ::dup2(devNull, 1) < 0 || ::dup2(devNull, 2) < 0)
        ChildFails(errPipe[1]);
    }
    ::execvp(program.c_str(), cargv.data());
    ChildFails(errPipe[1]);
  }
  ::close(errPipe[1]);
  CloseFd(devNull);
  CloseFd(term.slave);
  if (pid < 0) {
    ::close(errPipe[0]);
    return -1;
  }

  // The start failed when the child reports an error before its exec.
  int childErrno = 0;
  ssize_t got;
  do {
    got = ::read(errPipe[0], &childErrno, sizeof childErrno);
  } while (got < 0 && errno == EINTR);
  ::close(errPipe[0]);
  if (got > 0) {
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (console) console->Finished(-1);
    return -1;
  }

  int pidFd = OpenPidFd(pid);
  std::string pending;
  bool hungUp = false;
  int status = 0;
  bool ended = false;
  bool outputOpen = console != nullptr;
  while (true) {
    pollfd fds[2];
    nfds_t count = 0;
    if (pidFd >= 0) fds[count++] = {pidFd, POLLIN, 0};
    int outputSlot = -1;
    if (outputOpen) {
      outputSlot = static_cast<int>(count);
      fds[count++] = {term.master, POLLIN, 0};
    }
    if (count) ::poll(fds, count, 100);
    else ::usleep(100000);
    // Once the program has closed its terminal the far side stays "hung
    // up"; waiting on it further would return at once, round after round.
    if (outputSlot >= 0 && (fds[outputSlot].revents & (POLLHUP | POLLERR)) &&
        !(fds[outputSlot].revents & POLLIN))
      outputOpen = false;

    if (console) {
      DrainOutput(term.master, *console);
      pending += console->TakeInput();
      WritePending(term.master, pending);
      if (console->Closed() && !hungUp) {
        ::kill(pid, SIGHUP);
        hungUp = true;
      }
    }
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      ended = true;
      break;
    }
    // Someone else took the child's status: its result is unknown, which
    // must not pass for success.
    if (done < 0 && errno != EINTR) break;
    if (EventPump()) EventPump()();
  }
  if (pidFd >= 0) ::close(pidFd);
  int result = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (console) {
    DrainOutput(term.master, *console);
    console->Finished(result);
  }
  return result;
}

}  // namespace velk
