// The sound library's calls: lifecycle and failures, offline rendering with callbacks, and the
// real-time nowhere output, which must fire the same marks at the same frames.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound_library.h"
#include "platform/xm_test_modules.h"
#include "support/test_support.h"

namespace {

struct Recorder {
    std::mutex mutex;
    std::vector<SoundSyncEvent> events;
    std::vector<std::chrono::steady_clock::time_point> arrivals;
};

void Record(const SoundSyncEvent& event, void* context)
{
    Recorder* r = static_cast<Recorder*>(context);
    std::lock_guard<std::mutex> lock(r->mutex);
    r->events.push_back(event);
    r->arrivals.push_back(std::chrono::steady_clock::now());
}

// Speed 1 at 250 BPM: a row is one tick of 441 frames (10 ms at 44100 Hz).
XmModule FastMarkedModule()
{
    XmModule m = MakeTestModule(1, 32, 2, 1, 250);
    PutMark(m, 0, 0, 0, 255);
    PutMark(m, 0, 10, 1, 3);
    PutNote(m, 0, 10, 0);
    PutMark(m, 0, 20, 0, 1);
    PutMark(m, 0, 30, 1, 3);
    return m;
}

SoundModule* LoadBytes(const std::vector<uint8_t>& bytes)
{
    return SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void StartOffline(int32_t rate = 44100)
{
    ASSERT_TRUE(SoundStartup());
    ASSERT_TRUE(SoundSetOption(kSoundOptionOffline, 1));
    ASSERT_TRUE(SoundSetOption(kSoundOptionMixRate, rate));
    ASSERT_TRUE(SoundInit());
    ASSERT_TRUE(SoundStartBackgroundPlay(50));
}

std::vector<SoundSyncEvent> RenderOffline(const std::vector<uint8_t>& bytes, uint32_t frames)
{
    Recorder recorder;
    StartOffline();
    SoundModule* module = LoadBytes(bytes);
    EXPECT_NE(module, nullptr);
    SoundPlayHandle handle = SoundPlayModule(module, 1);
    EXPECT_NE(handle, 0);
    EXPECT_TRUE(SoundSetSyncCallback(handle, Record, &recorder));
    std::vector<int16_t> buffer(2 * 1000);
    for (uint32_t done = 0; done < frames; done += 1000) SoundRenderNext(buffer.data(), 1000);
    SoundClose();
    return recorder.events;
}

} // namespace

TEST(SoundLibrary, CallsFailCleanlyOutOfOrderAndOnBadInput)
{
    SoundStartup();
    EXPECT_EQ(SoundLoadModuleFromMemory(nullptr, 0), nullptr);
    EXPECT_EQ(SoundLastError(), kSoundErrorNotInitialised);
    EXPECT_FALSE(SoundSuspend());
    EXPECT_FALSE(SoundSetOption(kSoundOptionMixRate, 1000));
    EXPECT_EQ(SoundLastError(), kSoundErrorBadOption);

    StartOffline();
    std::filesystem::path dir = ScratchDir("sound-library-errors");
    const std::string missing = (dir / "NOPE.XM").string();
    EXPECT_EQ(SoundLoadModule(missing.c_str()), nullptr);
    EXPECT_EQ(SoundLastError(), kSoundErrorOpenFile);
    EXPECT_NE(std::string(SoundErrorMessage(SoundLastError())).find("NOPE.XM"), std::string::npos);
    WriteFileBytes(dir / "TEXT.XM", std::vector<uint8_t>(500, 'x'));
    EXPECT_EQ(SoundLoadModule((dir / "TEXT.XM").string().c_str()), nullptr);
    EXPECT_EQ(SoundLastError(), kSoundErrorNotModule);
    EXPECT_NE(std::string(SoundErrorMessage(kSoundErrorNotModule)).find("TEXT.XM"), std::string::npos);

    SoundModule* a = LoadBytes(WriteXm(FastMarkedModule()));
    SoundModule* b = LoadBytes(WriteXm(MakeTestModule(1, 8)));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SoundModuleMarks(a)->size(), 4u);
    EXPECT_EQ(SoundModuleInfo(a)->channels, 2);
    SoundPlayHandle playing = SoundPlayModule(a, 1);
    ASSERT_NE(playing, 0);
    EXPECT_EQ(SoundPlayModule(b, 1), 0);
    EXPECT_EQ(SoundLastError(), kSoundErrorAlreadyPlaying);
    EXPECT_FALSE(SoundFreeModule(a));
    EXPECT_EQ(SoundLastError(), kSoundErrorModulePlaying);
    EXPECT_FALSE(SoundStopModule(playing + 1));
    EXPECT_FALSE(SoundSetModuleVolume(0, 10));
    EXPECT_TRUE(SoundSetModuleVolume(playing, 99)); // clamped to 64
    EXPECT_TRUE(SoundFreeModule(b));
    EXPECT_FALSE(SoundFreeModule(b));
    EXPECT_EQ(SoundLastError(), kSoundErrorBadHandle);
    // A failed load leaves the playing module playing.
    EXPECT_EQ(SoundLoadModule(missing.c_str()), nullptr);
    EXPECT_TRUE(SoundModuleIsPlaying(playing));
    EXPECT_TRUE(SoundStopModule(playing));
    EXPECT_FALSE(SoundModuleIsPlaying(playing));
    EXPECT_TRUE(SoundFreeModule(a));

    // Closing releases everything; the old handles are refused afterwards, not used.
    SoundModule* c = LoadBytes(WriteXm(FastMarkedModule()));
    SoundPlayHandle again = SoundPlayModule(c, 1);
    EXPECT_TRUE(SoundClose());
    EXPECT_TRUE(SoundClose());
    EXPECT_FALSE(SoundStopModule(again));
    EXPECT_FALSE(SoundFreeModule(c));
    int16_t frame[2];
    EXPECT_FALSE(SoundRenderNext(frame, 1));
}

TEST(SoundLibrary, DummyDriverCountsAsNoDeviceAndNoSoundStillInitialises)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundStartup();
    EXPECT_FALSE(SoundInit());
    EXPECT_EQ(SoundLastError(), kSoundErrorNoDevice);
    EXPECT_NE(std::string(SoundErrorMessage(kSoundErrorNoDevice)).find("dummy"), std::string::npos);
    EXPECT_TRUE(SoundSetOption(kSoundOptionForceNoSound, 1));
    EXPECT_TRUE(SoundInit());
    EXPECT_EQ(SoundCurrentOutput(), kSoundOutputNowhere);
    EXPECT_FALSE(SoundInit());
    int16_t frame[2];
    EXPECT_FALSE(SoundRenderNext(frame, 1)); // only offline output renders on request
    SoundClose();
}

TEST(SoundLibrary, OfflineCallbacksFollowAttachDetachSuspendAndVolume)
{
    Recorder recorder;
    StartOffline();
    SoundModule* module = LoadBytes(WriteXm(FastMarkedModule()));
    ASSERT_NE(module, nullptr);
    SoundPlayHandle handle = SoundPlayModule(module, 1);
    std::vector<int16_t> buffer(2 * 441 * 12);
    SoundRenderNext(buffer.data(), 441 * 5); // the start mark passes with nothing attached
    ASSERT_TRUE(SoundSetSyncCallback(handle, Record, &recorder));
    // Suspended: silence, and the module does not move on.
    SoundSuspend();
    SoundRenderNext(buffer.data(), 441 * 12);
    EXPECT_TRUE(recorder.events.empty());
    SoundResume();
    SoundRenderNext(buffer.data(), 441 * 12);
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].value, 3u);
    EXPECT_EQ(recorder.events[0].row, 10);
    EXPECT_NEAR(static_cast<double>(recorder.events[0].frame), 10 * 441.0, kSoundChunkFrames);
    bool sound = false;
    for (int16_t v : buffer) sound |= v != 0;
    EXPECT_TRUE(sound);
    SoundSetModuleVolume(handle, 0);
    SoundSetSyncCallback(handle, nullptr, nullptr);
    SoundRenderNext(buffer.data(), 441 * 12);
    EXPECT_EQ(recorder.events.size(), 1u);
    for (int16_t v : buffer) ASSERT_EQ(v, 0);
    SoundClose();
}

TEST(ThreadsSoundLibrary, NowhereOutputKeepsRealTimeAndFiresTheOfflineMarks)
{
    const std::vector<uint8_t> bytes = WriteXm(FastMarkedModule());
    // Two passes of 32 rows of 441 frames.
    const std::vector<SoundSyncEvent> offline = RenderOffline(bytes, 441 * 64);
    ASSERT_GE(offline.size(), 8u);

    Recorder recorder;
    SoundStartup();
    SoundSetOption(kSoundOptionForceNoSound, 1);
    ASSERT_TRUE(SoundInit());
    ASSERT_TRUE(SoundStartBackgroundPlay(50));
    SoundModule* module = LoadBytes(bytes);
    ASSERT_NE(module, nullptr);
    const auto start = std::chrono::steady_clock::now();
    SoundPlayHandle handle = SoundPlayModule(module, 1);
    ASSERT_TRUE(SoundSetSyncCallback(handle, Record, &recorder));
    for (int i = 0; i < 400; ++i) {
        {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            if (recorder.events.size() >= 7) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(SoundStopModule(handle));
    SoundClose();
    std::lock_guard<std::mutex> lock(recorder.mutex);
    ASSERT_GE(recorder.events.size(), 7u);
    // The start mark can come before the callback is attached; compare from the first one seen.
    size_t skip = offline.size();
    for (size_t i = 0; i < offline.size(); ++i) {
        if (offline[i].frame == recorder.events[0].frame) {
            skip = i;
            break;
        }
    }
    ASSERT_LT(skip, offline.size());
    for (size_t i = 0; i < recorder.events.size() && skip + i < offline.size(); ++i) {
        EXPECT_EQ(recorder.events[i].value, offline[skip + i].value);
        EXPECT_EQ(recorder.events[i].frame, offline[skip + i].frame);
    }
    // Not faster than real time: the second pass's mark at row 30 is 630 ms of audio in.
    const size_t last = recorder.events.size() - 1;
    const double due = static_cast<double>(recorder.events[last].frame) / 44100.0;
    const double seen = std::chrono::duration<double>(recorder.arrivals[last] - start).count();
    EXPECT_GE(seen, due - 0.005);
}

TEST(ThreadsSoundLibrary, StopAndDetachWaitForACallbackInProgress)
{
    struct Slow {
        std::atomic<bool> inside{false};
        std::atomic<int> calls{0};
    } slow;
    SoundSyncCallback callback = [](const SoundSyncEvent&, void* context) {
        Slow* s = static_cast<Slow*>(context);
        s->inside.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        s->calls.fetch_add(1);
        s->inside.store(false);
    };
    // Every row carries a mark, so a callback is nearly always running.
    XmModule m = MakeTestModule(1, 16, 2, 1, 250);
    for (int row = 0; row < 16; ++row) PutMark(m, 0, row, 0, 7);
    const std::vector<uint8_t> bytes = WriteXm(m);
    SoundStartup();
    SoundSetOption(kSoundOptionForceNoSound, 1);
    ASSERT_TRUE(SoundInit());
    ASSERT_TRUE(SoundStartBackgroundPlay(50));
    SoundModule* module = LoadBytes(bytes);
    for (int round = 0; round < 3; ++round) {
        SoundPlayHandle handle = SoundPlayModule(module, 1);
        ASSERT_TRUE(SoundSetSyncCallback(handle, callback, &slow));
        while (slow.calls.load() < 2 * (round + 1)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (round == 1) {
            ASSERT_TRUE(SoundSetSyncCallback(handle, nullptr, nullptr));
            EXPECT_FALSE(slow.inside.load());
            const int calls = slow.calls.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            EXPECT_EQ(slow.calls.load(), calls);
        }
        ASSERT_TRUE(SoundStopModule(handle));
        EXPECT_FALSE(slow.inside.load());
        slow.calls.store(2 * (round + 1));
    }
    SoundClose();
}
