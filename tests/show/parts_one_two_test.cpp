// Parts one and two run headless in virtual time with marks fed as the module would give them.
#include <cstring>
#include <limits>

#include "formats/bmp_writer.h"
#include "display/screen_geometry.h"
#include "engine/engine_setup.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "shell/show_main.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "support/part_harness.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "support/reference_pictures.h"

namespace {

constexpr uint16_t Grey16(int v) { return static_cast<uint16_t>((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3)); }

// A pixel inside credit c's band, and one outside every band.
size_t BandPixel(int32_t c) { return 90 * 320 + CreditBandColumn(c) + 10; }
constexpr size_t kPlainPixel = 150 * 320 + 10;

using PartOneTest = PartTest;

// What part one showed: the view at chosen clock values (the first present at or after each).
struct Snapshots {
    std::map<int32_t, std::vector<uint16_t>> views;
    std::vector<int32_t> wanted;
    void Take(int32_t clock, const uint16_t* view)
    {
        for (int32_t t : wanted) {
            if (clock >= t && !views.count(t)) views[t].assign(view, view + 320 * 180);
        }
    }
};

TEST_F(PartOneTest, CreditsComeOnCueMarksOverTheOpeningFadeAndTheLineMaskEndsInBlack)
{
    UsePack(PartOneEntries());
    ASSERT_EQ(LoadPart1(), 0) << sequencer.errorMessage;
    syncCounters.restartCount = 1;
    ClockReset(0);
    Snapshots shots;
    shots.wanted = {100, 300, 1040, 1200, 2700, 3400, 3770, 3900, 5400, 6000};
    onPresent = [&](int32_t clock, const uint16_t* view) { shots.Take(clock, view); };
    // Cues (clock units are hundredths): credit 0 at 1000, credit 1 cutting it short at 1100,
    // credits 2..5 at 2600, 3300, 3700 and 3800 (credit 5 with the title card's dissolve), a
    // seventh at 5000.
    const uint32_t start = Now();
    for (uint32_t cue : {1000u, 1100u, 2600u, 3300u, 3320u, 3340u, 5000u}) MarkAt(start + cue * 10, 1);
    RunPart1();

    const uint16_t background = Grey16(80);
    // The opening fade darkens the scene until 256, then the scene shows as it is.
    EXPECT_LT(shots.views[100][kPlainPixel], background);
    EXPECT_EQ(shots.views[300][kPlainPixel], background);
    // Credit 0 revealing; a second cue within 512 units cuts it short for credit 1.
    EXPECT_GT(shots.views[1040][BandPixel(0)], background);
    EXPECT_EQ(shots.views[1200][BandPixel(0)], background);
    EXPECT_GT(shots.views[1200][BandPixel(1)], background);
    EXPECT_EQ(shots.views[1200][kPlainPixel], background);
    // Credit 2 sinks back: at 2700 it is past its full reveal but still there.
    EXPECT_GT(shots.views[2700][BandPixel(2)], background);
    // Cue 6 (at 3340): credit 5 revealing at 3400, dissolving into credit 6 at 3770.
    EXPECT_GT(shots.views[3400][BandPixel(5)], background);
    EXPECT_GT(shots.views[3770][BandPixel(5)], background);
    EXPECT_GT(shots.views[3770][BandPixel(6)], background);
    // After the dissolve credit 6 stays; a seventh cue shows nothing.
    EXPECT_GT(shots.views[3900][BandPixel(6)], background);
    EXPECT_EQ(shots.views[3900][BandPixel(5)], background);
    EXPECT_EQ(shots.views[5400][BandPixel(6)], background);
    // The line mask reaches black at 6000.
    ASSERT_TRUE(shots.views.count(6000));
    for (uint16_t p : shots.views[6000]) ASSERT_EQ(p, 0);
    // The clock carries what the part overran.
    EXPECT_GE(ClockNow(), 0);
    EXPECT_LT(ClockNow(), 10);
    FreePart1();
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

TEST_F(PartOneTest, EscapeWhileWaitingForTheStartMarkStillCarriesTheClockBack)
{
    UsePack(PartOneEntries());
    ASSERT_EQ(LoadPart1(), 0);
    ClockReset(250);
    EscapeAt(Now() + 500);
    RunPart1();
    EXPECT_EQ(sequencer.abortRequested, 1);
    EXPECT_NEAR(ClockNow(), 250 + 50 - 6000, 2);
    FreePart1();
}

TEST_F(PartOneTest, TheFirstCreditAtItsFullRevealMatchesItsReference)
{
    UsePack(PartOneEntries());
    ASSERT_EQ(LoadPart1(), 0);
    syncCounters.restartCount = 1;
    ClockReset(0);
    MarkAt(Now() + 3000, 1);
    RgbImage shot;
    onPresent = [&](int32_t clock, const uint16_t* view) {
        if (clock >= 555 && shot.width == 0) shot = ViewPicture(view);
        if (clock >= 600) sequencer.abortRequested = 1;
    };
    RunPart1();
    ExpectMatchesReference("parts", "part1-credit-full", shot);
    FreePart1();
}

TEST_F(PartOneTest, EveryMissingEntryGivesItsMessageAndGivesBackThePool)
{
    const std::map<std::string, std::string> messages = {
        {"SCENES\\Plan_1\\PLAN1.FSF", "File error"},
        {"CREDITS\\CR_MUS.BMP", "Un fichier BMP des credits est introuvable"},
        {"TRANSIT\\T_SABLE.BMP", "Le fichier TRANSIT\\T_SABLE.BMP est introuvable"},
        {"TRANSIT\\T_LIGNE.BMP", "Le fichier TRANSIT\\T_LIGNE.BMP est introuvable"},
    };
    for (const auto& [name, message] : messages) {
        PackEntries entries = PartOneEntries();
        entries.erase(name);
        UsePack(entries);
        sequencer.errorMessage = nullptr;
        EXPECT_NE(LoadPart1(), 0) << name;
        ASSERT_NE(sequencer.errorMessage, nullptr) << name;
        EXPECT_EQ(std::string(sequencer.errorMessage).rfind(message, 0), 0u) << name << ": " << sequencer.errorMessage;
        EXPECT_EQ(PoolBytesInUse(), poolAtStart) << name;
        ClosePack();
    }
    // A credit taller than the view would be drawn past it: it is refused like a missing one.
    PackEntries entries = PartOneEntries();
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    entries["CREDITS\\CR_DEB2.BMP"] = MakeBmp8(320, 240, std::vector<uint8_t>(320 * 240, 9), palette);
    UsePack(entries);
    EXPECT_NE(LoadPart1(), 0);
    EXPECT_STREQ(sequencer.errorMessage, "Un fichier BMP des credits est introuvable");
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

using PartTwoTest = PartTest;

TEST_F(PartTwoTest, TheLoadingScreenStepsOnBeatMarksOnlyWhileItIsActive)
{
    UsePack(PartTwoEntries());
    syncCounters.loadingFrame = 4;
    std::vector<uint16_t> corner; // the animation's corner as last presented
    int32_t loadingPresents = 0;
    onPresent = [&](int32_t, const uint16_t* view) {
        if (loadingActive.load()) {
            ++loadingPresents;
            corner.assign(view + 170 * 320 + 310, view + 170 * 320 + 312);
        }
    };
    // Beats every 500 ms: some during the fade-in (not active), some while loading.
    for (uint32_t ms = 250; ms < 6000; ms += 500) MarkAt(Now() + ms, 2);
    ASSERT_EQ(LoadPart2(), 0) << sequencer.errorMessage;
    EXPECT_EQ(loadingActive.load(), 0);
    EXPECT_GT(loadingPresents, 0) << "the beats drew the loading screen";
    // Every beat stepped the animation, drawn or not.
    EXPECT_EQ(syncCounters.loadingFrame.load(), (4 + 12) % 6);
    EXPECT_NE(corner.front(), 0);
    FreePart2();
    PoolFree(handedPicture);
    handedPicture = nullptr;
}

TEST_F(PartTwoTest, AnAbortSkipsTheDissolveButTheStillPictureIsHandedOn)
{
    PackEntries entries = PartTwoEntries();
    UsePack(entries);
    ASSERT_EQ(LoadPart2(), 0);
    syncCounters.restartCount = 1;
    ClockReset(0);
    EscapeAt(Now() + 2000);
    int32_t shown = 0;
    onPresent = [&](int32_t, const uint16_t*) { ++shown; };
    RunPart2();
    EXPECT_LT(shown, 250) << "no dissolve after the abort";
    FreePart2();
    ASSERT_NE(handedPicture, nullptr);
    EXPECT_EQ(handedPicture[1000], static_cast<uint16_t>(200 >> 3)) << "the still picture's blue";
    PoolFree(handedPicture);
    handedPicture = nullptr;
    EXPECT_EQ(PoolBytesInUse(), poolAtStart);
}

TEST_F(PartTwoTest, SeekingStartsNearTheEndAndTheSceneDissolvesIntoTheStillPicture)
{
    UsePack(PartTwoEntries());
    ASSERT_EQ(LoadPart2(), 0);
    sequencer.seekOffset = 12000;
    syncCounters.restartCount = 1;
    ClockReset(0);
    frameMilliseconds = 40;
    std::vector<uint16_t> first, last;
    onPresent = [&](int32_t, const uint16_t* view) {
        if (first.empty()) first.assign(view, view + 320 * 180);
        last.assign(view, view + 320 * 180);
    };
    RunPart2();
    // The scene's later background shows at once.
    EXPECT_EQ(first[kPlainPixel], Grey16(120));
    // The last frame shown is the still picture.
    EXPECT_EQ(last[kPlainPixel], static_cast<uint16_t>(200 >> 3));
    FreePart2();
    PoolFree(handedPicture);
    handedPicture = nullptr;
}

TEST_F(PartTwoTest, TheSceneFrameStaysDefinedAtTheExtremeSpeedsACalibrationCanMeasure)
{
    // The largest speed (two calibration marks one clock unit apart) ends the scene at once and
    // dissolves into the still picture; the smallest (marks as far apart as the clock counts)
    // holds the first frame until Escape. Under UndefinedBehaviorSanitizer any float-to-integer
    // conversion out of range fails the test.
    struct Case {
        float speed;
        bool ends; // the scene reaches its end and dissolves (else Escape ends it)
    };
    const Case cases[] = {
        {SpeedFactorFromCalibration(0, 1), true},
        {SpeedFactorFromCalibration(std::numeric_limits<int32_t>::min() / 2, std::numeric_limits<int32_t>::max() / 2), false},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        UsePack(PartTwoEntries());
        ASSERT_EQ(LoadPart2(), 0);
        speedFactor = c.speed;
        syncCounters.restartCount = 1;
        ClockReset(0);
        frameMilliseconds = 40;
        if (!c.ends) EscapeAt(Now() + 2000);
        std::vector<uint16_t> last;
        onPresent = [&](int32_t, const uint16_t* view) { last.assign(view, view + 320 * 180); };
        RunPart2();
        onPresent = nullptr;
        ASSERT_FALSE(last.empty()) << c.speed;
        EXPECT_EQ(last[kPlainPixel], c.ends ? static_cast<uint16_t>(200 >> 3) : Grey16(40)) << c.speed;
        EXPECT_EQ(sequencer.abortRequested != 0, !c.ends) << c.speed;
        FreePart2();
        PoolFree(handedPicture);
        handedPicture = nullptr;
    }
}

TEST_F(PartTwoTest, EachPassShiftsTheFlameTracksFurther)
{
    UsePack(PartTwoEntries());
    const int32_t before = partTwoDesync.calls;
    float firstValues[2];
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(LoadPart2(), 0);
        SceneObject* flame = FindSceneObject(*EngineScene(), "flammes07");
        ASSERT_NE(flame, nullptr);
        firstValues[pass] = flame->uvTrack.keys[0].value.x;
        EXPECT_EQ(flame->uvTrack.keys[3].frame, 15.0f) << "keys run twice as fast";
        EXPECT_EQ(flame->uvTrack.keys[3].value.x, flame->uvTrack.keys[0].value.x) << "the loop stays closed";
        FreePart2();
        PoolFree(handedPicture);
        handedPicture = nullptr;
    }
    EXPECT_EQ(partTwoDesync.calls, before + 44);
    // flammes07 is the first name of a pass: rotated by the counter's value, modulo 3 keys.
    EXPECT_EQ(firstValues[0], static_cast<float>((before) % 3));
    EXPECT_EQ(firstValues[1], static_cast<float>((before + 22) % 3));
}

TEST_F(PartTwoTest, EveryMissingEntryGivesItsMessageAndGivesBackThePool)
{
    const std::map<std::string, std::string> messages = {
        {"LOADING\\LOAD.BMP", "Fichier LOADING\\LOAD.BMP introuvable."},
        {"LOADING\\LOADING4.BMP", "Fichier AnimLoading introuvable."},
        {"PICS\\CLUBBER.BMP", "Fichier PICS\\CLUBBER.BMP introuvable."},
        {"TRANSIT\\T_ROND.BMP", "Le fichier TRANSIT\\T_ROND.BMP est introuvable"},
        {"SCENES\\Plan_2\\PLAN2.FSF", "File error"},
    };
    for (const auto& [name, message] : messages) {
        PackEntries entries = PartTwoEntries();
        entries.erase(name);
        UsePack(entries);
        sequencer.errorMessage = nullptr;
        EXPECT_NE(LoadPart2(), 0) << name;
        ASSERT_NE(sequencer.errorMessage, nullptr) << name;
        EXPECT_EQ(std::string(sequencer.errorMessage).rfind(message, 0), 0u) << name << ": " << sequencer.errorMessage;
        EXPECT_EQ(loadingActive.load(), 0) << name;
        EXPECT_EQ(PoolBytesInUse(), poolAtStart) << name;
        ClosePack();
    }
}

} // namespace
