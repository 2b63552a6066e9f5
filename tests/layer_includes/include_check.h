// The include-direction check: reads every #include of src/ and tools/ and
// names, by file and line, each one that breaks the layers. The test
// layer_includes runs it on the tree; layer_includes_fixtures on small trees
// planted with known breaks, so that a break the check stops seeing fails.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace layer_includes {

struct Folder {
  std::string path;  // from the tree's root, '/' separated
  int line = 0;      // which line of the layer list, top down
};

// The folders of the layer list, each once.
std::vector<Folder> ListedFolders();

struct Report {
  // One line each: a listed folder the tree lacks, or "file:line: #include
  // ...: why" for an include that breaks the layers.
  std::vector<std::string> faults;
  int wrongIncludes = 0;
  int includes = 0;  // every include read that names, or may name, a file of the tree
  std::size_t files = 0;
};

Report CheckTree(const std::filesystem::path& root);

}  // namespace layer_includes
