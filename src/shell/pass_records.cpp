#include "shell/pass_records.h"

#include <unistd.h>

#include <cstdio>

#include "resources/memory_pool.h"
#include "show/parts.h"

namespace {

struct PassRecords {
    std::vector<size_t> starts, ends, residentEnds;
    std::vector<std::pair<int32_t, int32_t>> flamePhases;
};
PassRecords passes;

// The process's resident memory in bytes (0 where it cannot be read).
size_t ResidentBytes()
{
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long pages = 0, resident = 0;
    const int read = std::fscanf(f, "%lu %lu", &pages, &resident);
    std::fclose(f);
    return read == 2 ? static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace

void NotePassStart() { passes.starts.push_back(PoolBytesInUse()); }

void NotePassEnd()
{
    passes.flamePhases.push_back({partTwoDesync.calls, partThreeDesync.calls});
    passes.ends.push_back(PoolBytesInUse());
    passes.residentEnds.push_back(ResidentBytes());
}

const std::vector<size_t>& PoolAtPassStarts() { return passes.starts; }
const std::vector<size_t>& PoolAtPassEnds() { return passes.ends; }
const std::vector<size_t>& ResidentAtPassEnds() { return passes.residentEnds; }
const std::vector<std::pair<int32_t, int32_t>>& FlamePhasesAtPassEnds() { return passes.flamePhases; }
