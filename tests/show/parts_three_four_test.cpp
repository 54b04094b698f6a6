// Parts three and four run headless in virtual time, with test pictures whose colours show each
// effect in single pixels, and with the show's own content for the reference frames.
#include <algorithm>

#include "formats/bmp_writer.h"

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "shell/show_main.h"
#include "show/frame_clock.h"
#include "show/frame_timings.h"
#include "show/music.h"
#include "support/part_harness.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "support/reference_pictures.h"

namespace {

constexpr size_t kCentre = 90 * 320 + 160;
uint16_t Red(uint16_t p) { return p >> 11; }
uint16_t Green(uint16_t p) { return (p >> 5) & 63; }

using PartThreeTest = PartTest;

TEST_F(PartThreeTest, GreetingsOverlapTheViewWhitensAndFadesToBlack)
{
    UsePack(PartThreeEntries());
    ASSERT_EQ(LoadPart3(), 0) << sequencer.errorMessage;
    EXPECT_EQ(volumes.front(), 64) << "the second module fades out from 64";
    EXPECT_LE(volumes.back(), 1);
    syncCounters.restartCount = 1;
    ClockReset(0);
    std::map<int32_t, std::vector<uint16_t>> at;
    std::vector<uint16_t> lastFill;
    bool flashed = false, inEnding = false;
    int32_t previous = 0;
    onPresent = [&](int32_t clock, const uint16_t* view) {
        // The clock starts again after the flash (at 128) and again for the ending.
        if (clock < previous) (flashed ? inEnding : flashed) = true;
        previous = clock;
        if (inEnding) lastFill.assign(view, view + 320 * 180);
        if (!flashed || inEnding) return;
        for (int32_t t : {7540, 7625, 9100}) {
            if (clock >= t && !at.count(t)) at[t].assign(view, view + 320 * 180);
        }
    };
    RunPart3();
    // Greeting 0 (red) alone, then fading out while greeting 1 (green) fades in.
    const uint16_t scene = at[7540][0]; // the corner shows the scene alone
    EXPECT_GT(Red(at[7540][kCentre]), Red(scene));
    EXPECT_EQ(Green(at[7540][kCentre]), Green(scene));
    EXPECT_GT(Red(at[7625][kCentre]), Red(scene));
    EXPECT_GT(Green(at[7625][kCentre]), Green(scene));
    // The frame at 9100 is still drawn, whitened at 255; the ending fades white to black.
    for (uint16_t p : at[9100]) ASSERT_GE(p, 0xF7DE);
    ASSERT_FALSE(lastFill.empty());
    EXPECT_LT(lastFill[0], 0x2000) << "the fade ends near black";
    EXPECT_TRUE(std::all_of(lastFill.begin(), lastFill.end(), [&](uint16_t p) { return p == lastFill[0]; }));
    FreePart3();
    EXPECT_EQ(PoolBytesInUse(), poolAtStart) << "the black buffer taken without part two is freed too";
}

TEST_F(PartThreeTest, WithoutPartTwoTheFlashStartsFromBlack)
{
    UsePack(PartThreeEntries());
    ASSERT_EQ(handedPicture, nullptr);
    ASSERT_EQ(LoadPart3(), 0);
    syncCounters.restartCount = 1;
    ClockReset(0);
    std::vector<uint16_t> first;
    onPresent = [&](int32_t, const uint16_t* view) {
        if (first.empty()) first.assign(view, view + 320 * 180);
        sequencer.abortRequested = 1;
    };
    RunPart3();
    // The first flash frame is the tint of black: one colour everywhere.
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [&](uint16_t p) { return p == first[0]; }));
    FreePart3();
}

TEST_F(PartThreeTest, GreetingsAsLargeAsTheViewAreClippedAtTheFrameWithTheirGhosts)
{
    // A greeting filling the view: its ghosts swing up to 96 columns and 64 rows away, past
    // the frame's last row; they are clipped there (the sanitizers watch the frame's edges).
    PackEntries entries = PartThreeEntries();
    std::vector<uint8_t> rgb(320 * 180 * 3, 0);
    for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 90;
    entries["GREETING\\SDL.BMP"] = MakeBmp24(320, 180, rgb);
    UsePack(entries);
    ASSERT_EQ(LoadPart3(), 0);
    syncCounters.restartCount = 1;
    ClockReset(0);
    int32_t previous = 0;
    bool flashed = false;
    onPresent = [&](int32_t clock, const uint16_t*) {
        if (clock < previous) flashed = true;
        previous = clock;
        // Straight to the first greeting, then a frame at a time through it.
        frameMilliseconds = flashed && clock < 7490 ? static_cast<uint32_t>(7490 - clock) * 10 : 10;
        if (flashed && clock > 7660) sequencer.abortRequested = 1;
    };
    int32_t greetingFrames = 0;
    auto counting = onPresent;
    onPresent = [&](int32_t clock, const uint16_t* view) {
        greetingFrames += flashed && clock >= 7500;
        counting(clock, view);
    };
    RunPart3();
    EXPECT_GT(greetingFrames, 100);
    FreePart3();
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

TEST_F(PartThreeTest, EveryMissingEntryGivesItsMessageAndGivesBackThePool)
{
    const std::map<std::string, std::string> messages = {
        {"TRANSIT\\T_ROND.BMP", "Le fichier TRANSIT\\T_ROND.BMP est introuvable"},
        {"SCENES\\PLAN_3\\PLAN3.FSF", "File error"},
        {"GREETING\\CMAKE.BMP", "Un fichier BMP des greetings est introuvable"},
    };
    for (const auto& [name, message] : messages) {
        PackEntries entries = PartThreeEntries();
        entries.erase(name);
        UsePack(entries);
        EXPECT_NE(LoadPart3(), 0) << name;
        ASSERT_NE(sequencer.errorMessage, nullptr);
        EXPECT_EQ(std::string(sequencer.errorMessage).rfind(message, 0), 0u) << name << ": " << sequencer.errorMessage;
        EXPECT_EQ(PoolBytesInUse(), poolAtStart) << name;
        ClosePack();
    }
}

using PartFourTest = PartTest;

TEST_F(PartFourTest, TheSectionsFollowTheirClocksAndTheMusicFades)
{
    UsePack(PartFourEntries());
    ASSERT_EQ(LoadPart4(), 0) << sequencer.errorMessage;
    int32_t section = 0, previous = -1;
    std::vector<uint16_t> tiles, closingStart, closingFull;
    onPresent = [&](int32_t clock, const uint16_t* view) {
        if (clock < previous) ++section; // every section starts its clock at 0
        previous = clock;
        if (section == 0 && clock >= 256 && tiles.empty()) tiles.assign(view, view + 320 * 180);
        if (section == 2 && closingStart.empty()) closingStart.assign(view, view + 320 * 180);
        if (section == 2 && clock >= 50 && closingFull.empty()) closingFull.assign(view, view + 320 * 180);
    };
    RunPart4();
    // At 256 the tiles stand as at 0: the darkened copy's bright pixel at (10, 74), the added
    // copy's at (74, 10).
    ASSERT_FALSE(tiles.empty());
    EXPECT_NE(tiles[74 * 320 + 10], 0);
    EXPECT_NE(tiles[10 * 320 + 74], 0);
    EXPECT_EQ(tiles[74 * 320 + 74], 0);
    // The closing pictures: the first is black at 0 and fully there at 50.
    EXPECT_EQ(closingStart[kCentre], 0);
    EXPECT_GT(closingFull[kCentre], 0);
    // The volume reaches 33 at 1249 under the last picture, then steps from 0 up to 31.
    auto last33 = std::find(volumes.begin(), volumes.end(), 33);
    ASSERT_NE(last33, volumes.end());
    auto zero = std::find(last33, volumes.end(), 0);
    ASSERT_NE(zero, volumes.end());
    EXPECT_EQ(volumes.back(), 31);
    EXPECT_TRUE(std::is_sorted(zero, volumes.end()));
    FreePart4();
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

TEST_F(PartFourTest, AnAbortInTheTilesStillTakesTheFifthSceneAndEndsEveryLoop)
{
    UsePack(PartFourEntries());
    ASSERT_EQ(LoadPart4(), 0);
    EscapeAt(Now() + 3000);
    int32_t shown = 0;
    onPresent = [&](int32_t, const uint16_t*) { ++shown; };
    RunPart4();
    EXPECT_EQ(sequencer.abortRequested, 1);
    EXPECT_LT(shown, 320) << "nothing is drawn after the abort";
    ASSERT_NE(EngineScene(), nullptr);
    EXPECT_EQ(EngineScene()->lastFrame, 100) << "the fifth scene took the slot";
    FreePart4();
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

TEST_F(PartFourTest, TheFourthSceneIsDrawnOncePerCameraOverTheTiles)
{
    // Every view drawn moves the engine's depth stamp on by one step: a frame of the tiles
    // draws the scene from each of its cameras, and a scene with one camera only once.
    for (const int cameras : {1, 2}) {
        if (cameras == 2) {
            TearDown();
            SetUp();
        }
        PackEntries entries = PartFourEntries();
        FsfScene orrery = BackgroundScene(300, {});
        if (cameras == 2) {
            FsfCamera second = orrery.cameras[0];
            second.name = "second eye";
            orrery.cameras.push_back(second);
        }
        orrery.events->push_back(MakeBackgroundEvent(0, -1, 0, 0));
        entries["SCENES\\PLAN_4\\PLAN4.FSF"] = WriteFsf(orrery);
        UsePack(entries);
        ASSERT_EQ(LoadPart4(), 0);
        frameMilliseconds = 200;
        uint32_t lastStamp = engine.frameStamp;
        std::vector<uint32_t> viewsPerFrame;
        onPresent = [&](int32_t clock, const uint16_t*) {
            const uint32_t views = (engine.frameStamp - lastStamp) >> 24;
            lastStamp = engine.frameStamp;
            if (clock > 0 && PlayingSection() == 1) viewsPerFrame.push_back(views);
        };
        RunPart4();
        onPresent = nullptr;
        // The section's last present only shows that its time is up.
        ASSERT_GT(viewsPerFrame.size(), 2u);
        EXPECT_EQ(viewsPerFrame.back(), 0u);
        viewsPerFrame.pop_back();
        for (const uint32_t views : viewsPerFrame) ASSERT_EQ(views, static_cast<uint32_t>(cameras)) << cameras << " cameras";
        EXPECT_EQ(sequencer.abortRequested, 0);
        FreePart4();
        EXPECT_EQ(PoolBytesInUse(), poolAtStart);
    }
}

TEST_F(PartFourTest, AFifthSceneThatCannotLoadEndsThePartAndSaysWhy)
{
    PackEntries entries = PartFourEntries();
    entries.erase("SCENES\\PLAN_5\\PLAN5.FSF");
    UsePack(entries);
    ASSERT_EQ(LoadPart4(), 0);
    frameMilliseconds = 200;
    testing::internal::CaptureStderr();
    RunPart4();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("SCENES\\PLAN_5\\PLAN5.FSF: File error"), std::string::npos) << err;
    FreePart4();
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

// Reference frames of the show's own content: the moments a viewer would remember.
using ShowFrames = PartTest;

// Runs until the clock passes `at` (moving fast until near it) and keeps that frame.
RgbImage FrameAt(PartTest* test, std::function<void(int32_t, const uint16_t*)>* onPresent, uint32_t* frameMs,
                 int32_t at, std::function<void()> run)
{
    (void)test;
    RgbImage shot;
    *onPresent = [&](int32_t clock, const uint16_t* view) {
        *frameMs = clock < at - 20 ? 100 : 10;
        if (clock >= at && shot.width == 0) {
            shot = ViewPicture(view);
            sequencer.abortRequested = 1;
        }
    };
    run();
    return shot;
}

TEST_F(ShowFrames, FirstCreditAtItsFullReveal)
{
    UseContentPack();
    ASSERT_EQ(LoadPart1(), 0) << sequencer.errorMessage;
    syncCounters.restartCount = 1;
    ClockReset(0);
    MarkAt(Now() + 4000, 1);
    const RgbImage shot = FrameAt(this, &onPresent, &frameMilliseconds, 400 + 255, RunPart1);
    ExpectMatchesReference("show", "part1-first-credit", shot);
    FreePart1();
}

TEST_F(ShowFrames, LoadingScreenAndTheDissolveIntoTheStillPicture)
{
    UseContentPack();
    RgbImage loading;
    onPresent = [&](int32_t, const uint16_t* view) {
        if (loadingActive.load()) loading = ViewPicture(view);
    };
    syncCounters.loadingFrame = 2;
    MarkAt(Now() + 3000, 2);
    ASSERT_EQ(LoadPart2(), 0) << sequencer.errorMessage;
    ExpectMatchesReference("show", "part2-loading-screen", loading);
    syncCounters.restartCount = 1;
    ClockReset(0);
    sequencer.seekOffset = 16850;
    bool dissolving = false;
    RgbImage middle;
    int32_t previous = 1 << 30;
    onPresent = [&](int32_t clock, const uint16_t* view) {
        if (clock < previous) dissolving = clock < 300;
        previous = clock;
        if (dissolving && clock >= 128 && middle.width == 0) middle = ViewPicture(view);
    };
    RunPart2();
    ExpectMatchesReference("show", "part2-mid-dissolve", middle);
    FreePart2();
    PoolFree(handedPicture);
    handedPicture = nullptr;
}

TEST_F(ShowFrames, AGreetingWithItsGhostsAndTheTilesUnderTheOrrery)
{
    UseContentPack();
    ASSERT_EQ(LoadPart3(), 0) << sequencer.errorMessage;
    syncCounters.restartCount = 1;
    ClockReset(0);
    const RgbImage greeting = FrameAt(this, &onPresent, &frameMilliseconds, 7575, RunPart3);
    ExpectMatchesReference("show", "part3-greeting", greeting);
    FreePart3();

    sequencer.abortRequested = 0;
    ASSERT_EQ(LoadPart4(), 0) << sequencer.errorMessage;
    const RgbImage tiles = FrameAt(this, &onPresent, &frameMilliseconds, 1200, RunPart4);
    ExpectMatchesReference("show", "part4-tiles-and-orrery", tiles);
    FreePart4();
}

} // namespace
