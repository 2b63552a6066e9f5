#pragma once
// The recent-file lists of the File menu: five paths, most recent first, an
// empty text for a free place. Standard library only.
#include <string>

#include "app/settings_list.h"

namespace velk {

// Puts `path` at the top of `list`. A path already in the list moves up;
// otherwise the oldest entry drops out. Paths compare exactly: on this file
// system "/d/Plan.txt" and "/d/plan.txt" are two files, and folding case
// would let the menu open the wrong one.
void AddRecentPath(RecentList& list, const std::string& path);

}  // namespace velk
