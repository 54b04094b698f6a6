#include "show/frame_timings.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>


#include "resources/memory_pool.h"

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
};
Timings timings;
thread_local Clock::time_point frameStart;
std::atomic<float> lastFrameMs{0};
std::atomic<int64_t> framesTimed{0};

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

void BeginFrameTiming() { frameStart = Clock::now(); }

void EndFrameTiming()
{
    const float ms = std::chrono::duration<float, std::milli>(Clock::now() - frameStart).count();
    lastFrameMs.store(ms, std::memory_order_relaxed);
    framesTimed.fetch_add(1, std::memory_order_relaxed);
    if (!timings.on.load(std::memory_order_relaxed)) return;
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

double LastFrameMs() { return lastFrameMs.load(std::memory_order_relaxed); }

int64_t FramesTimed() { return framesTimed.load(std::memory_order_relaxed); }
