// Heap settings for a program that builds texts of several megabytes again and
// again (the designer regenerates the whole page for every view of it).
#pragma once

namespace vq {

// Keeps large blocks in the heap instead of handing each back to the kernel
// when it is freed: otherwise every run maps its page buffers afresh and
// faults them in page by page, which costs more than building the page.
void keepLargeBlocksInHeap();

} // namespace vq
