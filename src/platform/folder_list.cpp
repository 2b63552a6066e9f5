#include "platform/folder_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_ops.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

FolderListFault& Fault() {
  static FolderListFault fault;
  return fault;
}

}  // namespace

bool ListFolder(const std::filesystem::path& folder, std::vector<std::filesystem::directory_entry>& entries,
                std::error_code& error) {
  entries.clear();
  error.clear();
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (Fault() && (error = Fault()(folder, entries.size()))) break;
    entries.push_back(*it);
  }
  return !error;
}

bool ForEachEntry(int folder, const std::function<bool(const std::string&)>& each) {
  // A listing of its own, so that the reading position of `folder` stays.
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return false;
  DIR* dir = ::fdopendir(listed);
  if (!dir) {
    CloseKeepingErrno(listed);
    return false;
  }
  bool ok = true;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      ok = errno == 0;
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!each(name)) {
      ok = false;
      break;
    }
  }
  const int err = errno;
  ::closedir(dir);
  errno = err;
  return ok;
}

std::string ListFailedMessage(const std::filesystem::path& folder) {
  return "Could not list folder '" + Utf8ToCp1252(folder.string()) + "'.";
}

void SetFolderListFault(FolderListFault fault) { Fault() = std::move(fault); }

}  // namespace velk
