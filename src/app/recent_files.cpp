#include "app/recent_files.h"

namespace velk {

void AddRecentPath(RecentList& list, const std::string& path) {
  int found = static_cast<int>(list.size()) - 1;  // not found: the last place is given up
  for (int i = 0; i < static_cast<int>(list.size()); ++i) {
    if (list[i] == path) {
      found = i;
      break;
    }
  }
  for (int i = found; i > 0; --i) list[i] = list[i - 1];
  list[0] = path;
}

}  // namespace velk
