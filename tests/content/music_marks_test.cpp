// The three modules as the show plays them: read from the generated pack and rendered offline
// through the show's sound library, which fires each sync mark as its row starts. Checked: the
// start mark, the credit cues, the loading steps, the calibration gaps to the frame, the length
// of a pass and that a looping module comes back past its start mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "music/modules.h"
#include "platform/sound_library.h"
#include "resources/pack_archive.h"

using namespace content::music;

namespace {

std::vector<uint8_t> PackEntry(const char* name)
{
    OpenPack(VELA_CONTENT_PACK);
    std::vector<uint8_t> bytes(PackEntrySize(name));
    if (!bytes.empty() && ReadPackEntry(name, bytes.data(), 0, static_cast<uint32_t>(bytes.size())) != 0) bytes.clear();
    ClosePack();
    return bytes;
}

struct Played {
    std::vector<SoundSyncEvent> events;
    double passSeconds = 0.0; // one pass, as the player measures it
    uint64_t frames = 0;      // rendered
    bool ended = false;       // the pass ended (only without looping)
};

void Collect(const SoundSyncEvent& event, void* context) { static_cast<std::vector<SoundSyncEvent>*>(context)->push_back(event); }

// Renders the entry offline at `rate` for `seconds` (0: one pass), looping when asked.
Played Play(const char* name, int32_t rate, double seconds, bool loop)
{
    Played played;
    const std::vector<uint8_t> bytes = PackEntry(name);
    EXPECT_FALSE(bytes.empty()) << name << " is not in " << VELA_CONTENT_PACK;
    if (bytes.empty()) return played;
    SoundStartup();
    SoundSetOption(kSoundOptionOffline, 1);
    SoundSetOption(kSoundOptionMixRate, rate);
    EXPECT_TRUE(SoundInit());
    SoundModule* module = SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_NE(module, nullptr) << SoundErrorMessage(SoundLastError());
    if (!module) {
        SoundClose();
        return played;
    }
    played.passSeconds = SoundModuleInfo(module)->durationSeconds;
    const SoundPlayHandle handle = SoundPlayModule(module, loop ? 1 : 0);
    SoundSetSyncCallback(handle, Collect, &played.events);
    const uint64_t total = static_cast<uint64_t>((seconds > 0 ? seconds : played.passSeconds + 5.0) * rate);
    std::vector<int16_t> block(8192 * 2);
    while (played.frames < total) {
        if (!loop && !SoundModuleIsPlaying(handle)) {
            played.ended = true;
            break;
        }
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(8192, total - played.frames));
        SoundRenderNext(block.data(), n);
        played.frames += n;
    }
    SoundStopModule(handle);
    SoundClose();
    return played;
}

std::vector<SoundSyncEvent> WithValue(const std::vector<SoundSyncEvent>& events, uint32_t value)
{
    std::vector<SoundSyncEvent> out;
    for (const SoundSyncEvent& e : events) {
        if (e.value == value) out.push_back(e);
    }
    return out;
}

double Seconds(const SoundSyncEvent& e, int32_t rate) { return static_cast<double>(e.frame) / rate; }

// After a whole pass and into the loop: the start mark came once, at the very start.
void ExpectOneStartMark(const std::vector<SoundSyncEvent>& events)
{
    const std::vector<SoundSyncEvent> starts = WithValue(events, kStartMark);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].frame, 0u);
    EXPECT_EQ(starts[0].row, 0);
    EXPECT_EQ(events.front().value, kStartMark);
}

constexpr int32_t kRate = 48000; // at 125 BPM a tick is 960 frames, a whole number of chunks

} // namespace

TEST(MusicMarks, OpeningCuesCreditsOnPhrasesThenStepsTheLoadingOnEveryBeat)
{
    const Played pass = Play("ZIK\\VELA1.XM", kRate, 0, false);
    ASSERT_TRUE(pass.ended);
    EXPECT_GE(pass.passSeconds, 75.0);
    ExpectOneStartMark(pass.events);
    for (const SoundSyncEvent& e : pass.events) EXPECT_TRUE(e.value == kStartMark || e.value == kCueMark || e.value == kLoadingMark) << e.value;

    const std::vector<SoundSyncEvent> cues = WithValue(pass.events, kCueMark);
    ASSERT_EQ(cues.size(), 6u);
    EXPECT_GT(Seconds(cues[0], kRate), 2.56);
    for (size_t i = 1; i < cues.size(); ++i) EXPECT_GE(Seconds(cues[i], kRate) - Seconds(cues[i - 1], kRate), 5.2) << "cue " << i;
    EXPECT_LE(Seconds(cues[5], kRate), 53.0);

    // A step on every beat (half a second at 120 BPM) from 60 s to the end of the pass.
    const std::vector<SoundSyncEvent> steps = WithValue(pass.events, kLoadingMark);
    ASSERT_FALSE(steps.empty());
    EXPECT_NEAR(Seconds(steps.front(), kRate), 60.0, 0.1);
    EXPECT_GT(Seconds(steps.back(), kRate), pass.passSeconds - 0.6);
    for (size_t i = 1; i < steps.size(); ++i) EXPECT_NEAR(Seconds(steps[i], kRate) - Seconds(steps[i - 1], kRate), 0.5, 0.01);

    // Looping, the module comes back to the groove: the steps go on at the same pace and the
    // start mark never fires again.
    const Played looped = Play("ZIK\\VELA1.XM", kRate, pass.passSeconds + 12.0, true);
    ExpectOneStartMark(looped.events);
    EXPECT_EQ(WithValue(looped.events, kCueMark).size(), 6u);
    const std::vector<SoundSyncEvent> more = WithValue(looped.events, kLoadingMark);
    EXPECT_GE(more.size(), steps.size() + 22);
    for (size_t i = 1; i < more.size(); ++i) EXPECT_NEAR(Seconds(more[i], kRate) - Seconds(more[i - 1], kRate), 0.5, 0.01);
}

TEST(MusicMarks, HallOfFireCalibrationMarksLie1106ClockUnitsApart)
{
    // Beyond one pass, so the triple that spans the loop is checked too.
    const Played played = Play("ZIK\\VELA2.XM", kRate, 230.0, true);
    EXPECT_GE(played.passSeconds, 175.0);
    ExpectOneStartMark(played.events);
    const std::vector<SoundSyncEvent> marks = WithValue(played.events, kCalibrationMark);
    ASSERT_EQ(marks.size() + 1, played.events.size()) << "only start and calibration marks";
    ASSERT_GE(marks.size(), 21u);
    EXPECT_LT(Seconds(marks[0], kRate), 2.0);

    // The show counts three marks, measures the first two, and starts counting again.
    const uint64_t gap = 1106 * kRate / 100; // 11.06 s
    for (size_t i = 0; i + 2 < marks.size(); i += 3) {
        EXPECT_EQ(marks[i + 1].frame - marks[i].frame, gap) << "triple " << i / 3;
        EXPECT_GT(marks[i + 2].frame, marks[i + 1].frame);
        EXPECT_LE(marks[i + 2].frame - marks[i + 1].frame, static_cast<uint64_t>(3 * kRate)) << "triple " << i / 3;
        // What the show computes from clock units of 10 ms: a speed of exactly 1.
        const int64_t first = std::llround(Seconds(marks[i], kRate) * 100.0);
        const int64_t second = std::llround(Seconds(marks[i + 1], kRate) * 100.0);
        EXPECT_EQ(1106.0f / static_cast<float>(second - first), 1.0f);
    }
}

TEST(MusicMarks, HallOfFireGapHoldsAtCdRateWithinAChunk)
{
    // At 44100 frames a second a tick is 882 frames; marks fire at the start of the 8-frame
    // chunk that holds their row, so the gap is the exact 487746 frames to within a chunk.
    const Played played = Play("ZIK\\VELA2.XM", 44100, 25.0, false);
    const std::vector<SoundSyncEvent> marks = WithValue(played.events, kCalibrationMark);
    ASSERT_GE(marks.size(), 3u);
    const int64_t gap = static_cast<int64_t>(marks[1].frame - marks[0].frame);
    EXPECT_LT(std::llabs(gap - 487746), static_cast<int64_t>(kSoundChunkFrames));
}

TEST(MusicMarks, StarDeckLastsThroughPartsThreeAndFourAndLoopsPastItsStart)
{
    const Played pass = Play("ZIK\\VELA3.XM", kRate, 0, false);
    ASSERT_TRUE(pass.ended);
    // Part three (1.28 + 91 + 0.64 s), part four's tiles (28 s), the longest fifth scene (45 s)
    // and the closing pictures (13.14 s).
    EXPECT_GE(pass.passSeconds, 1.28 + 91.0 + 0.64 + 28.0 + 45.0 + 13.14);
    ExpectOneStartMark(pass.events);
    EXPECT_EQ(pass.events.size(), 1u);

    const Played looped = Play("ZIK\\VELA3.XM", kRate, pass.passSeconds + 20.0, true);
    ExpectOneStartMark(looped.events);
}
