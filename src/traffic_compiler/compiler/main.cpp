#include <cstdlib>  // defines __GLIBC__ on glibc systems

#include "traffic_compiler/compiler/compiler_run.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Large plans hold tens of megabytes of sector records that are freed band
  // by band while the database grows; a fixed mmap threshold hands that
  // memory back at once instead of keeping it in the heap.
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
  return traffic::CompilerMain(argc, argv);
}
