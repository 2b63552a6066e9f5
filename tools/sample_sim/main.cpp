// velk-make-sample-sim <folder>: builds the sample simulator folder.
#include <iostream>

#include "common/tool_args.h"
#include "sample_sim/sample_sim.h"

int main(int argc, char** argv) {
  if (auto status = velk::tools::CheckPlainArguments(argc, argv, 1, 1, "usage: velk-make-sample-sim <folder>\n"))
    return *status;
  std::string error;
  if (!velk::sample::MakeSampleSimulator(argv[1], &error)) {
    std::cerr << "velk-make-sample-sim: " << error << "\n";
    return 1;
  }
  std::cout << argv[1] << "\n";
  return 0;
}
