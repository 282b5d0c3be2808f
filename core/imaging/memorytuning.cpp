#include "core/imaging/memorytuning.h"

#include <malloc.h>

namespace MemoryTuning {

void reuseLargeBlocks()
{
    // Blocks up to 32 MB (the allocator's ceiling for this setting) come from the heap, and the
    // heap gives memory back to the system only beyond 256 MB of free space at its top.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

} // namespace MemoryTuning
