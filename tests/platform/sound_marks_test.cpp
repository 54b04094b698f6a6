// Sync marks: found in the pattern data and taken out of it, then fired by the player as their
// rows start, through jumps, loops and delays, at the right output frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "formats/xm_sync_marks.h"
#include "platform/sound_player.h"
#include "platform/xm_test_modules.h"

namespace {

std::vector<XmSyncMark> Scan(std::vector<uint8_t>& bytes)
{
    std::vector<XmSyncMark> marks;
    std::string error;
    EXPECT_TRUE(FindAndClearSyncMarks(bytes.data(), bytes.size(), &marks, &error)) << error;
    return marks;
}

// Renders `frames` frames of the module (marks taken out first) and returns the marks fired.
std::vector<SoundSyncEvent> Play(const XmModule& module, uint32_t frames, int32_t rate = 44100, bool loop = true,
                                 std::vector<int16_t>* audio = nullptr, int32_t volume = 64)
{
    std::vector<uint8_t> bytes = WriteXm(module);
    std::vector<XmSyncMark> marks = Scan(bytes);
    std::string error;
    SoundPlayer* player = CreateSoundPlayer(bytes, marks, rate, loop, &error);
    EXPECT_NE(player, nullptr) << error;
    std::vector<SoundSyncEvent> fired;
    if (!player) return fired;
    SetSoundPlayerVolume(player, volume);
    std::vector<int16_t> buffer(static_cast<size_t>(frames) * 2);
    // Odd request sizes: the output must not depend on how the caller slices it.
    uint32_t done = 0;
    for (uint32_t step = 1; done < frames; step = step * 3 % 1000 + 1) {
        uint32_t n = std::min(step, frames - done);
        RenderSoundPlayer(player, buffer.data() + static_cast<size_t>(done) * 2, n, &fired);
        done += n;
    }
    DestroySoundPlayer(player);
    if (audio) *audio = buffer;
    return fired;
}

std::vector<uint32_t> Values(const std::vector<SoundSyncEvent>& events)
{
    std::vector<uint32_t> values;
    for (const SoundSyncEvent& e : events) values.push_back(e.value);
    return values;
}

} // namespace

TEST(SyncMarkScan, FindsMarksInPackedAndPlainCellsOfAnyChannelAndClearsThem)
{
    XmModule m = MakeTestModule(2, 16, 4);
    PutMark(m, 0, 0, 3, 255);
    PutMark(m, 0, 5, 0, 1);
    PutMark(m, 0, 5, 2, 3);
    // All five fields present: the writer stores this cell unpacked.
    XmCell& full = m.patterns[1].At(15, 1);
    full = XmCell{49, 1, 0x40, 0x20, 2};
    PutEffect(m, 1, 3, 0, 0x0F, 0x20); // a speed effect with the same parameter stays
    std::vector<uint8_t> bytes = WriteXm(m);
    std::vector<XmSyncMark> marks = Scan(bytes);
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[0].row, 0);
    EXPECT_EQ(marks[0].channel, 3);
    EXPECT_EQ(marks[0].value, 255);
    EXPECT_EQ(marks[1].channel, 0);
    EXPECT_EQ(marks[2].channel, 2);
    EXPECT_EQ(marks[2].value, 3);
    EXPECT_EQ(marks[3].pattern, 1);
    EXPECT_EQ(marks[3].row, 15);
    EXPECT_EQ(marks[3].value, 2);

    // The copy the player gets holds no mark any more, and the other effects are untouched.
    std::vector<XmSyncMark> again;
    std::string error;
    ASSERT_TRUE(FindAndClearSyncMarks(bytes.data(), bytes.size(), &again, &error));
    EXPECT_TRUE(again.empty());
    m.patterns[0].At(0, 3) = XmCell{};
    m.patterns[0].At(5, 0) = XmCell{};
    m.patterns[0].At(5, 2) = XmCell{};
    full.effect = 0;
    full.param = 0;
    // The cleared bytes stay in place (the packing is not redone): compare by what plays.
    std::vector<int16_t> a, b;
    Play(m, 20000, 44100, false, &a);
    std::string err;
    SoundPlayer* p = CreateSoundPlayer(bytes, {}, 44100, false, &err);
    ASSERT_NE(p, nullptr) << err;
    b.resize(a.size());
    std::vector<SoundSyncEvent> none;
    RenderSoundPlayer(p, b.data(), 20000, &none);
    DestroySoundPlayer(p);
    EXPECT_EQ(a, b);
}

TEST(SyncMarkScan, RejectsWhatIsNotXmAndSurvivesDamagedPatternData)
{
    std::vector<XmSyncMark> marks;
    std::string error;
    std::vector<uint8_t> junk(400, 0x41);
    EXPECT_FALSE(FindAndClearSyncMarks(junk.data(), junk.size(), &marks, &error));
    EXPECT_EQ(error, "no \"Extended Module: \" signature");
    std::vector<uint8_t> tiny = {'E', 'x'};
    EXPECT_FALSE(FindAndClearSyncMarks(tiny.data(), tiny.size(), &marks, &error));
    // The signature is there, but the file ends before the song header does.
    std::vector<uint8_t> header = WriteXm(MakeTestModule(1, 4, 2));
    header.resize(60);
    EXPECT_FALSE(FindAndClearSyncMarks(header.data(), header.size(), &marks, &error));
    EXPECT_EQ(error, "too short: 60 bytes, where its headers alone take 80");

    XmModule m = MakeTestModule(1, 64, 2);
    for (int row = 0; row < 64; ++row) PutMark(m, 0, row, row % 2, static_cast<uint8_t>(row));
    const std::vector<uint8_t> whole = WriteXm(m);
    // Every cut of the file scans only what is there, and never more marks than were written.
    for (size_t cut = 80; cut < whole.size(); cut += 7) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(cut));
        ASSERT_TRUE(FindAndClearSyncMarks(part.data(), part.size(), &marks, &error));
        EXPECT_LE(marks.size(), 64u);
    }
    // A header claiming no channels, or a pattern header longer than the file.
    std::vector<uint8_t> noChannels = whole;
    noChannels[68] = noChannels[69] = 0;
    EXPECT_TRUE(FindAndClearSyncMarks(noChannels.data(), noChannels.size(), &marks, &error));
    EXPECT_TRUE(marks.empty());
    std::vector<uint8_t> longHeader = whole;
    longHeader[336 + 3] = 0x7F;
    EXPECT_TRUE(FindAndClearSyncMarks(longHeader.data(), longHeader.size(), &marks, &error));
    EXPECT_TRUE(marks.empty());
}

TEST(SyncMarkTiming, MarksFireAtTheFrameTheirRowStartsAndWithTheSound)
{
    // 125 BPM: a tick is 882 frames at 44100 Hz, a row of 6 ticks 5292 frames.
    XmModule m = MakeTestModule(1, 32, 2);
    PutMark(m, 0, 0, 1, 255);
    PutMark(m, 0, 4, 1, 1);
    PutNote(m, 0, 4, 0);
    PutEffect(m, 0, 6, 0, 0x0E, 0xC0); // note cut: silence again
    PutMark(m, 0, 12, 0, 3);
    PutNote(m, 0, 12, 1);
    std::vector<int16_t> audio;
    std::vector<SoundSyncEvent> fired = Play(m, 5292 * 14, 44100, true, &audio);
    ASSERT_EQ(Values(fired), (std::vector<uint32_t>{255, 1, 3}));
    const uint64_t rowStarts[] = {0, 4 * 5292, 12 * 5292};
    for (int i = 0; i < 3; ++i) {
        EXPECT_LE(fired[i].frame, rowStarts[i]);
        EXPECT_GE(fired[i].frame + kSoundChunkFrames, rowStarts[i]) << "mark " << i;
    }
    // In the audio: the first sound of the marked rows lies within 5 ms (220 frames) of the mark.
    auto onsetAfter = [&](uint64_t from) {
        for (uint64_t f = from; f < audio.size() / 2; ++f) {
            if (audio[f * 2] != 0 || audio[f * 2 + 1] != 0) return f;
        }
        return static_cast<uint64_t>(audio.size());
    };
    EXPECT_GE(onsetAfter(0), fired[1].frame);
    EXPECT_LE(onsetAfter(0), fired[1].frame + 220);
    EXPECT_GE(onsetAfter(8 * 5292), fired[2].frame);
    EXPECT_LE(onsetAfter(8 * 5292), fired[2].frame + 220);
    EXPECT_EQ(fired[2].order, 0);
    EXPECT_EQ(fired[2].row, 12);

    // At 48000 Hz the same rows start at 960 frames a tick.
    std::vector<SoundSyncEvent> at48 = Play(m, 5760 * 14, 48000);
    ASSERT_EQ(at48.size(), 3u);
    EXPECT_LE(at48[2].frame, 12u * 5760);
    EXPECT_GE(at48[2].frame + kSoundChunkFrames, 12u * 5760);
}

TEST(SyncMarkTiming, JumpsLoopsAndDelaysFireTheRowsActuallyPlayed)
{
    XmModule m = MakeTestModule(3, 8, 2, 2);
    PutMark(m, 0, 2, 0, 10);
    PutEffect(m, 0, 3, 1, 0x0D, 0x00); // pattern break to the next order's row 0
    PutMark(m, 0, 5, 0, 11);            // never played
    PutMark(m, 1, 0, 0, 20);
    PutMark(m, 1, 1, 0, 21);
    PutEffect(m, 1, 1, 1, 0x0E, 0xE2); // pattern delay: the row lasts three times as long
    PutMark(m, 1, 2, 0, 22);
    PutEffect(m, 1, 2, 1, 0x0E, 0x60); // loop start
    PutMark(m, 1, 3, 0, 23);
    PutEffect(m, 1, 3, 1, 0x0E, 0x62); // back to the loop start twice
    PutEffect(m, 1, 4, 1, 0x0B, 0x02); // position jump to order 2
    PutMark(m, 1, 5, 0, 24);           // never played
    PutMark(m, 2, 0, 1, 30);
    PutMark(m, 2, 7, 1, 31);
    // 2 ticks of 882 frames a row: one pass is 4 + (1 + 3 + 6 + 1) + 8 rows = 23 rows.
    std::vector<SoundSyncEvent> fired = Play(m, 1764 * 30);
    const std::vector<uint32_t> expected = {10, 20, 21, 22, 23, 22, 23, 22, 23, 30, 31, 10, 20, 21};
    EXPECT_EQ(Values(fired), expected);
    ASSERT_GE(fired.size(), 12u);
    // The delayed row holds the next mark back by two extra row lengths.
    EXPECT_NEAR(static_cast<double>(fired[3].frame - fired[2].frame), 3 * 1764.0, kSoundChunkFrames);
    // The loop back to the start comes after the 23 rows of the first pass.
    EXPECT_NEAR(static_cast<double>(fired[11].frame), 23 * 1764.0 + 2 * 1764.0, kSoundChunkFrames);
    EXPECT_EQ(fired[11].order, 0);

    // Without looping, one pass fires each played mark once and ends in silence.
    std::vector<SoundSyncEvent> once = Play(m, 1764 * 40, 44100, false);
    EXPECT_EQ(Values(once), std::vector<uint32_t>(expected.begin(), expected.begin() + 11));
}

TEST(SyncMarkOutput, OfflineOutputIsTheSameEveryRunAndVolumeScalesIt)
{
    XmModule m = MakeTestModule(2, 16, 2);
    for (int row = 0; row < 16; row += 2) PutNote(m, 0, row, row % 2, static_cast<uint8_t>(40 + row));
    std::vector<int16_t> first, second, half, silent;
    Play(m, 30000, 44100, true, &first);
    Play(m, 30000, 44100, true, &second);
    EXPECT_EQ(first, second);
    Play(m, 30000, 44100, true, &half, 32);
    Play(m, 30000, 44100, true, &silent, 0);
    bool anySound = false;
    for (size_t i = 0; i < first.size(); ++i) {
        anySound |= first[i] != 0;
        ASSERT_EQ(half[i], first[i] * 32 / 64) << i;
        ASSERT_EQ(silent[i], 0);
    }
    EXPECT_TRUE(anySound);
}
