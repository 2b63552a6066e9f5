#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "traffic_compiler/decompiler/decompiler_main.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::error_code ec;
  std::filesystem::path here = std::filesystem::current_path(ec);
  if (ec) here = ".";
  return ulvane::DecompilerMain(args, stdout, stdin, here);
}
