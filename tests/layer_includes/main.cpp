// The test layer_includes: the include-direction check on the source tree.
#include <iostream>

#include "include_check.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " SOURCE_TREE\n";
    return 2;
  }
  const layer_includes::Report report = layer_includes::CheckTree(argv[1]);
  for (const std::string& fault : report.faults) std::cerr << fault << "\n";
  if (report.includes == 0) {
    std::cerr << "no includes of the tree found below " << argv[1] << "\n";
    return 1;
  }
  if (report.wrongIncludes > 0) {
    std::cerr << report.wrongIncludes << " of " << report.includes
              << " includes break the layers; README.md, Layout, says where the code they need belongs\n";
    return 1;
  }
  if (!report.faults.empty()) return 1;
  std::cout << report.includes << " includes of " << report.files << " files run down the layers\n";
  return 0;
}
