#include "platform/folder_list.h"

#include <utility>

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

std::string ListFailedMessage(const std::filesystem::path& folder) {
  return "Could not list folder '" + Utf8ToCp1252(folder.string()) + "'.";
}

void SetFolderListFault(FolderListFault fault) { Fault() = std::move(fault); }

}  // namespace velk
