// The memory pool: one fixed reservation that serves scenes, textures, tables and pictures
// with caller-chosen alignment, or the system heap when no pool is reserved.
#pragma once

#include <cstddef>
#include <cstdint>

// Reserves `megabytes` MiB (0 or -1: no pool, allocations use the heap). 0 success, 1 failure.
int32_t InitMemoryPool(int32_t megabytes);

// A block of `size` bytes aligned to `alignment` (a power of two), or null.
void* PoolAlloc(uint32_t size, uint32_t alignment);

// Returns a block; a pointer the pool does not know is ignored.
void PoolFree(void* pointer);

// Returns every reserved chunk to the system; the pool is off afterwards.
void FreeMemoryPool();

// Bytes handed out now, and the most ever handed out since the pool was reserved.
size_t PoolBytesInUse();
size_t PoolHighWater();
// Starts a fresh high-water mark at the bytes in use now (for a measure per part).
void ResetPoolHighWater();

// The pool's block table, for tests and tools: the number of rows (0 without a pool) and one
// row's start, length and state; false when the index is past the last row.
uint32_t PoolRowCount();
bool PoolRow(uint32_t index, uintptr_t* address, size_t* size, bool* used);
