#include <filesystem>
#include <string>
#include <vector>

#include "traffic_compiler/decompiler/decompiler_main.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  std::error_code ec;
  std::filesystem::path here = std::filesystem::current_path(ec);
  if (ec) here = ".";
  return ulvane::DecompilerMain(args, here);
}
