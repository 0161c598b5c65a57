#include "app/memory.h"

#include <cstdlib>  // defines __GLIBC__ where glibc is the C library

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace app {

void keepLargeBuffersInHeap() {
#ifdef __GLIBC__
    // Without fixed values glibc moves both limits by what was last freed,
    // so the cost of opening a file depended on the actions before it.
    constexpr int kMapAbove = 32 << 20;  // the largest glibc takes
    // Free address space kept at the heap's top; a text view reserves more
    // than it touches, so a lower limit handed its pages back at every close.
    constexpr int kTrimAbove = 128 << 20;
    mallopt(M_MMAP_THRESHOLD, kMapAbove);
    mallopt(M_TRIM_THRESHOLD, kTrimAbove);
#endif
}

}  // namespace app
