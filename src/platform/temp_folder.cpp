#include "platform/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace velk {
namespace {

struct RunFolder {
  std::string path;  // with the trailing "/"
  pid_t owner = 0;

  ~RunFolder() { Remove(); }

  void Remove() {
    // A child that leaves by exit() without exec must not take the folder
    // of the program that made it.
    if (path.empty() || owner != ::getpid()) return;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
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
  std::error_code ec;
  if (!f.path.empty() && std::filesystem::is_directory(f.path, ec)) return f.path;
  const char* env = std::getenv("TMPDIR");
  std::string base = env && *env ? env : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string tmpl = base + "/velk-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return {};
  f.path = tmpl + "/";
  f.owner = ::getpid();
  return f.path;
}

}  // namespace velk
