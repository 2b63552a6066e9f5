// The test path_writes: the path-write check on the source tree.
#include <iostream>

#include "write_check.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " SOURCE_TREE\n";
    return 2;
  }
  const path_writes::Report report = path_writes::CheckTree(argv[1]);
  for (const std::string& fault : report.faults) std::cerr << fault << "\n";
  if (report.files == 0) {
    std::cerr << "no source files found below " << argv[1] << "/src\n";
    return 1;
  }
  if (!report.faults.empty()) {
    std::cerr << "Outside src/platform a file is written, renamed, linked, removed or copied only through an open "
                 "folder (a WriteTarget's folder(), platform/file_ops.h, platform/folder_tree.h); a call that is safe "
                 "by path goes on the list in tests/path_writes/write_check.cpp with the reason\n";
    return 1;
  }
  std::cout << report.files << " files outside src/platform make no call by path";
  if (report.allowed > 0) std::cout << " but the " << report.allowed << " allowed";
  std::cout << "\n";
  return 0;
}
