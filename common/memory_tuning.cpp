#include "common/memory_tuning.h"

#include <malloc.h>

namespace vq {

void keepLargeBlocksInHeap()
{
    // 32 MiB is glibc's upper bound for the threshold on 64-bit systems.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
}

} // namespace vq
