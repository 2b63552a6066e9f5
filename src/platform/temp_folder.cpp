#include "platform/temp_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/folder_tree.h"

namespace velk {
namespace {

struct RunFolder {
  std::string path;  // with the trailing "/"
  int base = -1;     // the folder it was made in
  std::string name;  // its name there
  pid_t owner = 0;

  ~RunFolder() { Remove(); }

  void Remove() {
    // A child that leaves by exit() without exec must not take the folder
    // of the program that made it. Removed through the folder it was made
    // in, so that nothing planted on the way is followed.
    if (path.empty() || owner != ::getpid()) return;
    RemoveTreeAt(base, name, path);
    ::close(base);
    base = -1;
    path.clear();
  }
};

RunFolder& Folder() {
  static RunFolder folder;
  return folder;
}

}  // namespace

std::string GetTempFolder() {
  static std::mutex m;
  std::lock_guard lock(m);
  RunFolder& f = Folder();
  struct stat st {};
  if (!f.path.empty() && ::fstatat(f.base, f.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
    return f.path;
  // Gone (a cleaner of old temporary folders): whatever has its name now
  // is not ours to remove.
  if (f.base >= 0) ::close(f.base);
  f.base = -1;
  f.path.clear();
  const char* env = std::getenv("TMPDIR");
  std::string base = env && *env ? env : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  // Made once per process and outside the file-step seam, so that a run's
  // steps are the same whether or not an earlier run of it made the folder.
  std::string tmpl = base + "/velk-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return {};
  f.base = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  f.name = std::filesystem::path(tmpl).filename().string();
  f.path = tmpl + "/";
  f.owner = ::getpid();
  return f.path;
}

}  // namespace velk
