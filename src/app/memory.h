#pragma once
// How the program asks the C library for memory.

namespace app {

// Keeps the buffers of a multi-megabyte catalogue file (its bytes, its
// decoded text, a rewrite) in the program's heap once freed, instead of
// handing them back to the system and taking them fresh, page by page, at
// the next file opened: on a virtual machine each fresh page costs
// microseconds, and the text view of a 4.5 MB file took six times longer
// after some saves than before them. Costs a few megabytes at start; memory
// once used stays with the program. Does nothing where the C library is not
// glibc.
void keepLargeBuffersInHeap();

}  // namespace app
