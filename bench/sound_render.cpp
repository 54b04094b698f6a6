// Rendering cost of the sound library: one second of an 8-channel module with its row checks,
// rendered offline. The real-time outputs need far less than one second per second.
#include <benchmark/benchmark.h>

#include <vector>

#include "formats/xm_writer.h"
#include "platform/sound_library.h"

namespace {

std::vector<uint8_t> BusyModule()
{
    XmModule m;
    m.channels = 8;
    m.bpm = 150;
    m.speed = 3;
    XmInstrument tone;
    XmSample s = MakeSquareSample(2048, 37, 9000, true);
    s.loopType = kXmForwardLoop;
    s.loopLength = 2048;
    tone.samples.push_back(s);
    m.instruments.push_back(tone);
    XmPattern p = MakeXmPattern(64, 8);
    for (int row = 0; row < 64; ++row) {
        for (int ch = 0; ch < 8; ++ch) {
            if ((row + ch) % 4 == 0) p.At(row, ch) = XmCell{static_cast<uint8_t>(30 + (row * 7 + ch * 5) % 40), 1, 0, 0, 0};
        }
        p.At(row, row % 8).effect = 0x20;
        p.At(row, row % 8).param = 1;
    }
    m.patterns.push_back(p);
    m.orders = {0};
    return WriteXm(m);
}

void BM_RenderOneSecond(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = BusyModule();
    SoundStartup();
    SoundSetOption(kSoundOptionOffline, 1);
    SoundInit();
    SoundModule* module = SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    SoundPlayHandle handle = SoundPlayModule(module, 1);
    int marks = 0;
    SoundSetSyncCallback(handle, [](const SoundSyncEvent&, void* count) { ++*static_cast<int*>(count); }, &marks);
    std::vector<int16_t> out(44100 * 2);
    for (auto _ : state) {
        SoundRenderNext(out.data(), 44100);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["marks"] = marks;
    state.SetItemsProcessed(state.iterations() * 44100);
    SoundClose();
}
BENCHMARK(BM_RenderOneSecond)->Unit(benchmark::kMillisecond);

} // namespace
