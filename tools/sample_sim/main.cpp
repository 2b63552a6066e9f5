// velk-make-sample-sim <folder>: builds the sample simulator folder.
#include <iostream>

#include "sample_sim/sample_sim.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velk-make-sample-sim <folder>\n";
    return 2;
  }
  std::string error;
  if (!velk::sample::MakeSampleSimulator(argv[1], &error)) {
    std::cerr << "velk-make-sample-sim: " << error << "\n";
    return 1;
  }
  std::cout << argv[1] << "\n";
  return 0;
}
