#include "traffic_compiler/compiler/compiler_run.h"

int main(int argc, char** argv) { return traffic::CompilerMain(argc, argv); }
