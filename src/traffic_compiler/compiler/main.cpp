#include <cstdlib>  // defines __GLIBC__ on glibc systems

#include "traffic_compiler/compiler/compiler_run.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Large plans pass through tens of megabytes of text, sector records and
  // band buffers, each freed once it is used; a fixed mmap threshold hands
  // that memory back at once instead of keeping it in the heap, which keeps
  // the peak a quarter lower.
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
  return traffic::CompilerMain(argc, argv);
}
