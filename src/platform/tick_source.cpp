#include "platform/tick_source.h"

#include <atomic>
#include <time.h>

#include "platform/host_loop.h"

namespace {

std::atomic<uint32_t> realShift{0};

uint32_t UnshiftedMilliseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

uint32_t MonotonicMilliseconds(void*) { return UnshiftedMilliseconds() + realShift.load(std::memory_order_relaxed); }

struct TickSource {
    TickSourceFunction function;
    void* context;
};

// The music thread reads the clock too: the source is swapped as one atomic pointer.
TickSource systemSource{MonotonicMilliseconds, nullptr};
TickSource customSource{nullptr, nullptr};
std::atomic<const TickSource*> currentSource{&systemSource};

} // namespace

uint32_t GetTickCount32()
{
    const TickSource* source = currentSource.load(std::memory_order_acquire);
    return source->function(source->context);
}

void SetTickSource(TickSourceFunction source, void* context)
{
    if (!source) {
        currentSource.store(&systemSource, std::memory_order_release);
        return;
    }
    // Point at the system source while the custom one is rewritten.
    currentSource.store(&systemSource, std::memory_order_release);
    customSource = TickSource{source, context};
    currentSource.store(&customSource, std::memory_order_release);
}

void ContinueRealTicksFrom(uint32_t reading) { realShift.store(reading - UnshiftedMilliseconds()); }

void ResetRealTicks() { realShift.store(0); }

namespace {
SleepFunction sleepFunction = nullptr;
void* sleepContext = nullptr;
} // namespace

void SetSleepFunction(SleepFunction sleep, void* context)
{
    sleepFunction = sleep;
    sleepContext = context;
}

void SleepMilliseconds(uint32_t milliseconds)
{
    if (sleepFunction) {
        sleepFunction(milliseconds, sleepContext);
        return;
    }
    SleepOnHost(milliseconds);
}

bool TicksAreReal() { return currentSource.load(std::memory_order_acquire) == &systemSource && !sleepFunction; }
