// The memory pool: a table of rows covering the reserved chunks in address order, served
// first fit with caller-chosen alignment; without a reservation, the system heap.
#include "resources/memory_pool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kMaxRows = 16384;
constexpr size_t kMebibyte = size_t{1} << 20;
constexpr size_t kMaxChunks = 4096;

struct MemoryBlock {
    uint32_t used;     // 0 free, 1 handed out
    uintptr_t address; // start of the block
    size_t size;       // length in bytes
};

struct PoolState {
    bool enabled = false;
    MemoryBlock* rows = nullptr; // kMaxRows rows from the heap
    uint32_t rowCount = 0;
    void** chunks = nullptr; // the reservations as the heap gave them, for release
    size_t chunkCount = 0;
    size_t bytesInUse = 0;
    size_t highWater = 0;
};

PoolState pool;

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

void RemoveRow(uint32_t index)
{
    std::memmove(&pool.rows[index], &pool.rows[index + 1], (pool.rowCount - index - 1) * sizeof(MemoryBlock));
    --pool.rowCount;
}

void InsertRow(uint32_t index, const MemoryBlock& row)
{
    std::memmove(&pool.rows[index + 1], &pool.rows[index], (pool.rowCount - index) * sizeof(MemoryBlock));
    pool.rows[index] = row;
    ++pool.rowCount;
}

void ReleaseAll()
{
    for (size_t i = 0; i < pool.chunkCount; ++i) std::free(pool.chunks[i]);
    std::free(pool.chunks);
    std::free(pool.rows);
    pool = PoolState{};
}

// Heap fallback: the heap block's own address sits just before the returned pointer.
void* HeapAlloc(uint32_t size, uint32_t alignment)
{
    const size_t prefix = sizeof(void*);
    uint8_t* block = static_cast<uint8_t*>(std::malloc(size_t{size} + alignment + prefix));
    if (!block) return nullptr;
    uintptr_t start = reinterpret_cast<uintptr_t>(block) + prefix;
    start = (start + alignment - 1) & ~uintptr_t{alignment - 1};
    uint8_t* result = reinterpret_cast<uint8_t*>(start);
    std::memcpy(result - prefix, &block, prefix);
    return result;
}

void HeapFree(void* pointer)
{
    void* block;
    std::memcpy(&block, static_cast<uint8_t*>(pointer) - sizeof(void*), sizeof(void*));
    std::free(block);
}

} // namespace

int32_t InitMemoryPool(int32_t megabytes)
{
    if (pool.enabled) FreeMemoryPool();
    if (megabytes <= 0) return 0;
    size_t total = static_cast<size_t>(megabytes) * kMebibyte;
    pool.rows = static_cast<MemoryBlock*>(std::malloc(kMaxRows * sizeof(MemoryBlock)));
    pool.chunks = static_cast<void**>(std::malloc(kMaxChunks * sizeof(void*)));
    if (!pool.rows || !pool.chunks) {
        ReleaseAll();
        return 1;
    }
    size_t reserved = 0;
    while (reserved < total) {
        void* chunk = nullptr;
        size_t size = total - reserved;
        while (size >= kMebibyte && pool.chunkCount < kMaxChunks) {
            chunk = std::malloc(size);
            if (chunk) break;
            size -= kMebibyte;
        }
        if (!chunk) {
            // Not even 1 MiB more: give back what was obtained and report the failure.
            ReleaseAll();
            return 1;
        }
        pool.chunks[pool.chunkCount++] = chunk;
        pool.rows[pool.rowCount++] = MemoryBlock{0, reinterpret_cast<uintptr_t>(chunk), size};
        reserved += size;
    }
    std::sort(pool.rows, pool.rows + pool.rowCount,
              [](const MemoryBlock& a, const MemoryBlock& b) { return a.address < b.address; });
    pool.enabled = true;
    return 0;
}

void* PoolAlloc(uint32_t size, uint32_t alignment)
{
    if (alignment == 0) alignment = 1;
    if (!IsPowerOfTwo(alignment)) return nullptr;
    // A zero-byte block would vanish from the table and could share its address with the next
    // block; it is served as one byte so that freeing it can never release someone else's.
    if (size == 0) size = 1;
    if (!pool.enabled) return HeapAlloc(size, alignment);

    const uintptr_t mask = uintptr_t{alignment} - 1;
    for (uint32_t i = 0; i < pool.rowCount; ++i) {
        MemoryBlock& row = pool.rows[i];
        if (row.used) continue;
        if (row.address > UINTPTR_MAX - mask) continue;
        uintptr_t start = (row.address + mask) & ~mask;
        uintptr_t rowEnd = row.address + row.size;
        if (start > rowEnd || rowEnd - start < size) continue;
        if (pool.rowCount + 2 > kMaxRows) return nullptr;

        MemoryBlock before{0, row.address, start - row.address};
        MemoryBlock used{1, start, size};
        MemoryBlock after{0, start + size, rowEnd - (start + size)};
        uint32_t at = i;
        pool.rows[at] = used;
        if (before.size) InsertRow(at++, before);
        if (after.size) InsertRow(at + 1, after);

        pool.bytesInUse += size;
        pool.highWater = std::max(pool.highWater, pool.bytesInUse);
        return reinterpret_cast<void*>(start);
    }
    return nullptr;
}

void PoolFree(void* pointer)
{
    if (!pointer) return;
    if (!pool.enabled) {
        HeapFree(pointer);
        return;
    }
    uintptr_t address = reinterpret_cast<uintptr_t>(pointer);
    MemoryBlock* end = pool.rows + pool.rowCount;
    MemoryBlock* found = std::lower_bound(pool.rows, end, address,
                                          [](const MemoryBlock& r, uintptr_t a) { return r.address < a; });
    if (found == end || found->address != address || !found->used) return;

    uint32_t index = static_cast<uint32_t>(found - pool.rows);
    pool.rows[index].used = 0;
    pool.bytesInUse -= pool.rows[index].size;
    if (index + 1 < pool.rowCount) {
        MemoryBlock& next = pool.rows[index + 1];
        if (!next.used && next.address == address + pool.rows[index].size) {
            pool.rows[index].size += next.size;
            RemoveRow(index + 1);
        }
    }
    if (index > 0) {
        MemoryBlock& previous = pool.rows[index - 1];
        if (!previous.used && previous.address + previous.size == address) {
            previous.size += pool.rows[index].size;
            RemoveRow(index);
        }
    }
}

void FreeMemoryPool() { ReleaseAll(); }

size_t PoolBytesInUse() { return pool.bytesInUse; }

size_t PoolHighWater() { return pool.highWater; }

void ResetPoolHighWater() { pool.highWater = pool.bytesInUse; }

// Rows of the table, for tests and tools that inspect the pool's layout.
uint32_t PoolRowCount() { return pool.enabled ? pool.rowCount : 0; }

bool PoolRow(uint32_t index, uintptr_t* address, size_t* size, bool* used)
{
    if (!pool.enabled || index >= pool.rowCount) return false;
    *address = pool.rows[index].address;
    *size = pool.rows[index].size;
    *used = pool.rows[index].used != 0;
    return true;
}
