#pragma once
// Working on photos allocates and frees buffers of tens of megabytes for every photo. With the
// allocator's defaults each such buffer comes fresh from the system and is filled page by page
// on first touch, which costs more than the work itself in a lossless turn (measured here: a
// batch of quarter turns runs more than twice as fast without it). Programs that work through
// many photos call this once at start: large freed blocks then stay in the process for reuse,
// at the price of keeping up to a few hundred megabytes that a batch has already used.
namespace MemoryTuning {

void reuseLargeBlocks();

} // namespace MemoryTuning
