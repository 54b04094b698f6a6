#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "resources/memory_pool.h"

namespace {

struct Row {
    uintptr_t address;
    size_t size;
    bool used;
};

std::vector<Row> Rows()
{
    std::vector<Row> rows;
    Row r{};
    for (uint32_t i = 0; PoolRow(i, &r.address, &r.size, &r.used); ++i) rows.push_back(r);
    return rows;
}

// The rows must tile the reservation: ascending, no gap inside a chunk, no empty row, and
// no two free rows that touch (they would have been merged).
void ExpectTableSound()
{
    std::vector<Row> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_GT(rows[i].size, 0u) << "row " << i;
        if (i > 0) {
            EXPECT_GE(rows[i].address, rows[i - 1].address + rows[i - 1].size) << "row " << i;
            if (!rows[i].used && !rows[i - 1].used) {
                EXPECT_NE(rows[i].address, rows[i - 1].address + rows[i - 1].size) << "unmerged row " << i;
            }
        }
    }
}

size_t FreeBytes()
{
    size_t total = 0;
    for (const Row& r : Rows()) total += r.used ? 0 : r.size;
    return total;
}

class MemoryPool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitMemoryPool(2), 0); }
    void TearDown() override { FreeMemoryPool(); }
};

TEST_F(MemoryPool, AlignedBlocksComeFromThePoolAndLeaveTheGapFree)
{
    std::vector<Row> fresh = Rows();
    ASSERT_GE(fresh.size(), 1u);
    void* p = PoolAlloc(100, 0x10000);
    ASSERT_NE(p, nullptr);
    uintptr_t a = reinterpret_cast<uintptr_t>(p);
    EXPECT_EQ(a % 0x10000, 0u);
    std::vector<Row> rows = Rows();
    bool chunkWasAligned = fresh[0].address % 0x10000 == 0;
    ASSERT_EQ(rows.size(), chunkWasAligned ? 2u : 3u);
    if (!chunkWasAligned) {
        EXPECT_FALSE(rows[0].used);
        EXPECT_EQ(rows[0].address + rows[0].size, a);
    }
    ExpectTableSound();

    for (uint32_t alignment : {1u, 4u, 0x200u, 0x20000u}) {
        uint8_t* q = static_cast<uint8_t*>(PoolAlloc(alignment, alignment));
        ASSERT_NE(q, nullptr) << alignment;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(q) % alignment, 0u);
        std::memset(q, 0xAB, alignment);
    }
    ExpectTableSound();
    EXPECT_EQ(PoolBytesInUse(), 100u + 1 + 4 + 0x200 + 0x20000);
}

TEST_F(MemoryPool, FirstFitReusesTheLowestHole)
{
    void* a = PoolAlloc(1000, 4);
    void* b = PoolAlloc(1000, 4);
    void* c = PoolAlloc(1000, 4);
    ASSERT_TRUE(a && b && c);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    PoolFree(b);
    EXPECT_EQ(PoolAlloc(500, 4), b);  // the hole b left is the first that fits
    EXPECT_GT(PoolAlloc(2000, 4), c); // too big for the rest of the hole
    ExpectTableSound();
}

TEST_F(MemoryPool, FreeingNeighboursInAnyOrderMergesThemBack)
{
    const size_t wholeFree = FreeBytes();
    const size_t rowsAtStart = Rows().size();
    const int orders[][3] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}, {0, 2, 1}, {2, 0, 1}, {1, 2, 0}};
    for (const auto& order : orders) {
        void* blocks[3] = {PoolAlloc(300, 4), PoolAlloc(300, 4), PoolAlloc(300, 4)};
        for (int i : order) PoolFree(blocks[i]);
        EXPECT_EQ(FreeBytes(), wholeFree);
        EXPECT_EQ(Rows().size(), rowsAtStart);
        ExpectTableSound();
    }
    EXPECT_EQ(PoolBytesInUse(), 0u);
    EXPECT_EQ(PoolHighWater(), 900u);
    void* kept = PoolAlloc(100, 4);
    ResetPoolHighWater();
    EXPECT_EQ(PoolHighWater(), 100u);
    PoolFree(kept);
}

TEST_F(MemoryPool, UnknownPointersAndImpossibleRequestsChangeNothing)
{
    uint8_t* a = static_cast<uint8_t*>(PoolAlloc(256, 4));
    ASSERT_NE(a, nullptr);
    std::vector<Row> before = Rows();
    int onStack = 0;
    PoolFree(&onStack);
    PoolFree(a + 4); // inside a block, not its start
    PoolFree(nullptr);
    EXPECT_EQ(Rows().size(), before.size());
    EXPECT_EQ(PoolBytesInUse(), 256u);

    EXPECT_EQ(PoolAlloc(3 * 1024 * 1024, 4), nullptr);     // more than the pool holds
    EXPECT_EQ(PoolAlloc(UINT32_MAX, 0x20000), nullptr);    // size plus alignment overflows
    EXPECT_EQ(PoolAlloc(UINT32_MAX - 2, 4), nullptr);
    EXPECT_EQ(PoolAlloc(16, 3), nullptr);                  // not a power of two
    EXPECT_EQ(Rows().size(), before.size());

    PoolFree(a);
    PoolFree(a); // a second free of the same block is ignored
    EXPECT_EQ(PoolBytesInUse(), 0u);
    ExpectTableSound();
}

TEST_F(MemoryPool, ZeroByteBlocksNeverShareAnAddress)
{
    void* a = PoolAlloc(0, 4);
    void* b = PoolAlloc(8, 4);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    PoolFree(a);
    EXPECT_EQ(PoolBytesInUse(), 8u); // b is still handed out
}

TEST_F(MemoryPool, AFullTableRefusesFurtherSplits)
{
    // Alternating blocks with alignment gaps need about two rows each.
    std::vector<void*> blocks;
    void* p;
    while ((p = PoolAlloc(4, 64)) != nullptr) blocks.push_back(p);
    EXPECT_LE(Rows().size(), 16384u);
    EXPECT_GT(blocks.size(), 5000u);
    EXPECT_LT(FreeBytes(), 2u * 1024 * 1024);
    for (void* b : blocks) PoolFree(b);
    EXPECT_EQ(PoolBytesInUse(), 0u);
    ExpectTableSound();
}

TEST(MemoryPoolHeap, WithoutAPoolBlocksComeFromTheHeapAligned)
{
    ASSERT_EQ(InitMemoryPool(0), 0);
    EXPECT_EQ(PoolRowCount(), 0u);
    for (uint32_t alignment : {1u, 4u, 0x200u, 0x10000u}) {
        uint8_t* p = static_cast<uint8_t*>(PoolAlloc(alignment * 2, alignment));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignment, 0u);
        std::memset(p, 1, alignment * 2);
        PoolFree(p);
    }
    PoolFree(nullptr);
    ASSERT_EQ(InitMemoryPool(-1), 0);
    EXPECT_EQ(PoolRowCount(), 0u);
}

TEST(MemoryPoolLifecycle, ReservingAgainStartsAFreshPool)
{
    ASSERT_EQ(InitMemoryPool(1), 0);
    ASSERT_NE(PoolAlloc(1000, 4), nullptr);
    ASSERT_EQ(InitMemoryPool(1), 0);
    EXPECT_EQ(PoolBytesInUse(), 0u);
    EXPECT_EQ(PoolHighWater(), 0u);
    FreeMemoryPool();
    EXPECT_EQ(PoolRowCount(), 0u);
}

} // namespace
