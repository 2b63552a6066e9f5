// The path-write check: reads every source file of src/ outside src/platform
// and names, by file and line, each call that writes, renames, links,
// removes or copies by path, where a link planted on the way would be
// followed; such steps belong in the platform, on an open folder. The test
// path_writes runs it on the tree; path_writes_fixtures on a small tree
// planted with one call of each kind, so that a call the check stops seeing
// fails.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace path_writes {

// A call by path that is safe where it stands.
struct Allowed {
  std::string_view file;  // from the tree's root, '/' separated
  std::string_view call;  // as the check names it: "mkdtemp", "std::filesystem::remove", ...
  std::string_view why;
};

// The tree's own list.
std::span<const Allowed> AllowedCalls();

struct Report {
  // One line each: "file:line: call: what it does by path", or an entry of
  // the allow list that the tree no longer needs.
  std::vector<std::string> faults;
  int pathWrites = 0;  // calls by path found, allowed ones too
  int allowed = 0;
  std::size_t files = 0;
};

Report CheckTree(const std::filesystem::path& root, std::span<const Allowed> allowed = AllowedCalls());

}  // namespace path_writes
