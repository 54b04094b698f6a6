#include "sequencer/frame_timings.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include <unistd.h>

#include "platform/sound_library.h"
#include "resources/memory_pool.h"
#include "sequencer/parts.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timings {
    std::atomic<int32_t> part{0};
    std::atomic<int32_t> section{0};
    std::atomic<bool> on{false};
    std::mutex mutex; // the music's thread draws loading-screen frames too
    std::vector<float> millis[5];
    std::vector<float> sectionMillis[kSectionCount]; // part four's sections
    size_t highWater[5] = {};
    std::vector<size_t> passStarts, passEnds, residentEnds;
    std::vector<std::pair<int32_t, int32_t>> flamePhases; // the two re-phasing counters
};
Timings timings;
thread_local Clock::time_point frameStart;

// Frames, median, 99th percentile and worst of a list of frame times.
PartTimings Summarise(std::vector<float> sorted)
{
    PartTimings t;
    if (sorted.empty()) return t;
    std::sort(sorted.begin(), sorted.end());
    t.frames = static_cast<int64_t>(sorted.size());
    t.medianMs = sorted[sorted.size() / 2];
    t.percentile99Ms = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    t.worstMs = sorted.back();
    return t;
}

} // namespace

void SetPlayingPart(int32_t part)
{
    timings.section.store(0);
    const int32_t previous = timings.part.exchange(part);
    if (previous >= 1 && previous <= 4) {
        std::lock_guard<std::mutex> lock(timings.mutex);
        timings.highWater[previous] = std::max(timings.highWater[previous], PoolHighWater());
    }
    ResetPoolHighWater();
}

int32_t PlayingPart() { return timings.part.load(); }

void SetPlayingSection(int32_t section) { timings.section.store(section); }

int32_t PlayingSection() { return timings.section.load(); }

void BeginFrameTiming()
{
    if (timings.on.load(std::memory_order_relaxed)) frameStart = Clock::now();
}

void EndFrameTiming()
{
    if (!timings.on.load(std::memory_order_relaxed)) return;
    const float ms = std::chrono::duration<float, std::milli>(Clock::now() - frameStart).count();
    const int32_t part = timings.part.load();
    const int32_t section = timings.section.load();
    std::lock_guard<std::mutex> lock(timings.mutex);
    timings.millis[part >= 0 && part <= 4 ? part : 0].push_back(ms);
    if (part == 4 && section >= 1 && section <= kSectionCount) timings.sectionMillis[section - 1].push_back(ms);
}

void StartFrameTimings()
{
    std::lock_guard<std::mutex> lock(timings.mutex);
    for (auto& m : timings.millis) m.clear();
    for (auto& m : timings.sectionMillis) m.clear();
    std::fill(std::begin(timings.highWater), std::end(timings.highWater), size_t{0});
    timings.on.store(true);
}

PartTimings TimingsOfPart(int32_t part)
{
    if (part < 0 || part > 4) return PartTimings{};
    std::lock_guard<std::mutex> lock(timings.mutex);
    PartTimings t = Summarise(timings.millis[part]);
    t.poolHighWater = timings.highWater[part];
    if (timings.part.load() == part) t.poolHighWater = std::max(t.poolHighWater, PoolHighWater());
    return t;
}

PartTimings TimingsOfSection(int32_t section)
{
    if (section < 1 || section > kSectionCount) return PartTimings{};
    std::lock_guard<std::mutex> lock(timings.mutex);
    return Summarise(timings.sectionMillis[section - 1]);
}

void PrintFrameTimings(std::FILE* out)
{
    {
        std::lock_guard<std::mutex> lock(timings.mutex);
        for (size_t p = 0; p < timings.passEnds.size() && p < timings.passStarts.size(); ++p) {
            std::fprintf(out, "pass %zu: pool %zu bytes at the start, %zu at the end; resident %.2f MiB; flame phases %d and %d\n",
                         p + 1, timings.passStarts[p], timings.passEnds[p],
                         static_cast<double>(timings.residentEnds[p]) / (1024.0 * 1024.0), timings.flamePhases[p].first,
                         timings.flamePhases[p].second);
        }
    }
    const SoundTiming sound = SoundTimingSoFar();
    if (sound.marks > 0) {
        std::fprintf(out, "sync marks: %lld fired, at worst %.1f ms after their sound was due, %.1f ms ahead of it; "
                          "%lld audio underruns\n",
                     static_cast<long long>(sound.marks), sound.worstLateMs, sound.worstAheadMs,
                     static_cast<long long>(sound.underruns));
    }
    std::fprintf(out, "part  frames  median ms  99%% ms  worst ms  pool high-water\n");
    for (int32_t part = 1; part <= 4; ++part) {
        const PartTimings t = TimingsOfPart(part);
        if (t.frames == 0) continue;
        std::fprintf(out, "%4d  %6lld  %9.3f  %6.3f  %8.3f  %.2f MiB\n", part, static_cast<long long>(t.frames),
                     t.medianMs, t.percentile99Ms, t.worstMs, static_cast<double>(t.poolHighWater) / (1024.0 * 1024.0));
    }
    for (int32_t section = 1; section <= kSectionCount; ++section) {
        const PartTimings t = TimingsOfSection(section);
        if (t.frames == 0) continue;
        std::fprintf(out, "  4%c  %6lld  %9.3f  %6.3f  %8.3f\n", 'A' + section - 1, static_cast<long long>(t.frames),
                     t.medianMs, t.percentile99Ms, t.worstMs);
    }
}

void NotePassStart()
{
    std::lock_guard<std::mutex> lock(timings.mutex);
    timings.passStarts.push_back(PoolBytesInUse());
}

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

void NotePassEnd()
{
    std::lock_guard<std::mutex> lock(timings.mutex);
    timings.flamePhases.push_back({partTwoDesync.calls, partThreeDesync.calls});
    timings.passEnds.push_back(PoolBytesInUse());
    timings.residentEnds.push_back(ResidentBytes());
}

const std::vector<size_t>& PoolAtPassStarts() { return timings.passStarts; }
const std::vector<size_t>& PoolAtPassEnds() { return timings.passEnds; }
const std::vector<size_t>& ResidentAtPassEnds() { return timings.residentEnds; }
