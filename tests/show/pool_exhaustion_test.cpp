// Each part's load with the show's own content, in a pool that has only so much room left: at
// every level from nothing to what the load needs, the load either succeeds or refuses with a
// message, and in both cases the pool is back at its level before the load once the part is
// released. Across the levels, each part's own out-of-memory texts come up.
#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "support/part_harness.h"
#include "show/parts.h"
#include "show/sequencer_state.h"

namespace {

struct PartLoad {
    int32_t (*load)();
    void (*release)();
    std::set<std::string> memoryTexts; // each must come up at some level
};

// Part two hands its still picture on to part three; here no part three follows to take it.
void FreeHandedPicture()
{
    PoolFree(handedPicture);
    handedPicture = nullptr;
}

// Takes every free byte of the pool but `room` bytes at the end of its largest free block.
std::vector<void*> FillPoolLeaving(size_t room)
{
    std::vector<std::pair<uintptr_t, size_t>> freeRows;
    for (uint32_t i = 0; i < PoolRowCount(); ++i) {
        uintptr_t address = 0;
        size_t size = 0;
        bool used = false;
        PoolRow(i, &address, &size, &used);
        if (!used) freeRows.emplace_back(address, size);
    }
    std::sort(freeRows.begin(), freeRows.end(), [](auto a, auto b) { return a.second < b.second; });
    std::vector<void*> fillers;
    for (size_t i = 0; i < freeRows.size(); ++i) {
        const bool largest = i + 1 == freeRows.size();
        const size_t take = largest ? freeRows[i].second - std::min(room, freeRows[i].second) : freeRows[i].second;
        if (take) fillers.push_back(PoolAlloc(static_cast<uint32_t>(take), 1));
    }
    return fillers;
}

using PoolExhaustionTest = PartTest;

TEST_F(PoolExhaustionTest, EveryPartRefusesCleanlyWhereverItsLoadRunsOutOfRoom)
{
    UseContentPack();
    const std::vector<PartLoad> parts = {
        {LoadPart1, FreePart1, {"Memory error", "Not enough Memory for engine", "plus de memoire pour les credits"}},
        {LoadPart2, FreePart2,
         {"Memory error", "Not enough Memory for engine", "plus de memoire pour loading part II", "No more memory"}},
        {LoadPart3, FreePart3, {"No more memory", "Memory error", "Not enough Memory for engine", "plus de memoire pour les greetings"}},
        {LoadPart4, FreePart4, {"Memory error", "Not enough Memory for engine"}},
    };
    constexpr int32_t kLevels = 64;
    for (size_t p = 0; p < parts.size(); ++p) {
        const PartLoad& part = parts[p];
        // What the load needs: its high-water above the level it starts at.
        const size_t base = PoolBytesInUse();
        ResetPoolHighWater();
        ASSERT_EQ(part.load(), 0) << "part " << p + 1 << ": " << sequencer.errorMessage;
        const size_t need = PoolHighWater() - base;
        part.release();
        FreeHandedPicture();
        ASSERT_EQ(PoolBytesInUse(), base);

        std::set<std::string> seen;
        int32_t refusals = 0;
        for (int32_t level = 0; level <= kLevels; ++level) {
            const size_t room = need * level / kLevels;
            const std::vector<void*> fillers = FillPoolLeaving(room);
            const size_t before = PoolBytesInUse();
            sequencer.errorMessage = nullptr;
            if (part.load() == 0) {
                part.release();
                FreeHandedPicture();
            } else {
                ASSERT_NE(sequencer.errorMessage, nullptr) << "part " << p + 1 << " at " << room;
                seen.insert(sequencer.errorMessage);
                ++refusals;
            }
            EXPECT_EQ(PoolBytesInUse(), before) << "part " << p + 1 << " with " << room << " bytes of room";
            for (void* filler : fillers) PoolFree(filler);
        }
        EXPECT_GE(refusals, kLevels / 2) << "part " << p + 1;
        for (const std::string& text : part.memoryTexts)
            EXPECT_TRUE(seen.count(text)) << "part " << p + 1 << " never said \"" << text << "\"";
    }
    ClosePack();
}

} // namespace
