#include "show/frame_clock.h"

#include <atomic>
#include <cmath>

#include "platform/tick_source.h"

namespace {

struct FrameClock {
    std::atomic<float> rate{0.1f};
    std::atomic<int32_t> base{0};
    std::atomic<int32_t> offset{0};
    std::atomic<int32_t> pauseStart{0};
};

FrameClock frameClock;

int32_t RawNow()
{
    return ClockRawValue(GetTickCount32(), frameClock.rate.load(std::memory_order_relaxed));
}

} // namespace

int32_t ClockRawValue(uint32_t tick, float rate)
{
    // The product is formed exactly (extended precision), then stored as a single.
    long double exact = static_cast<long double>(static_cast<uint64_t>(tick)) * static_cast<long double>(rate);
    float product = static_cast<float>(exact);
    return static_cast<int32_t>(std::nearbyint(product));
}

void ClockInit(int32_t unitsPerSecond)
{
    frameClock.offset.store(0);
    frameClock.rate.store(static_cast<float>(static_cast<double>(unitsPerSecond) * 0.001));
    frameClock.base.store(RawNow());
}

void ClockReset(int32_t value)
{
    frameClock.offset.store(value);
    frameClock.base.store(RawNow());
}

int32_t ClockNow()
{
    uint32_t raw = static_cast<uint32_t>(RawNow());
    return static_cast<int32_t>(raw - static_cast<uint32_t>(frameClock.base.load()) +
                                static_cast<uint32_t>(frameClock.offset.load()));
}

void ClockPause()
{
    frameClock.pauseStart.store(RawNow());
}

void ClockResume()
{
    uint32_t paused = static_cast<uint32_t>(RawNow()) - static_cast<uint32_t>(frameClock.pauseStart.load());
    frameClock.base.store(static_cast<int32_t>(static_cast<uint32_t>(frameClock.base.load()) + paused));
}
