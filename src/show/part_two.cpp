// Part two: the loading screen, drawn by the music's thread on the opening module's beat marks
// while the flame scene loads, then the flame scene in step with its module, dissolving through
// the round mask into the still picture that part three opens with.
#include <cstring>
#include <mutex>

#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "effects/fade_palettes.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "engine/frame_pipeline.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "show/show_operations.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "show/part_support.h"
#include "show/parts.h"
#include "show/sequencer_state.h"

uint16_t* handedPicture = nullptr;
DesyncCounter partTwoDesync;

namespace {

constexpr int32_t kAnimationFrames = 6;
const char* const kAnimationEntries[kAnimationFrames] = {
    "LOADING\\LOADING1.BMP", "LOADING\\LOADING2.BMP", "LOADING\\LOADING3.BMP",
    "LOADING\\LOADING4.BMP", "LOADING\\LOADING5.BMP", "LOADING\\LOADING6.BMP",
};

// The flame objects given phases of their own, in this order (one name twice).
const char* const kDesyncedFlames[] = {
    "flammes07",      "flammes07_4",    "flammes07_1",    "flammes07_3",    "flammes07_5",    "flammes07_9",
    "flammes07_6",    "flammes07_7",    "flammes07_2",    "flammes07_8",    "flammes07_12",   "flammes07_10",
    "flammes07_13",   "flammes07_11",   "vela_flammes_2", "vela_flammes",   "vela_flammes_5", "vela_flammes_1",
    "flamtorch2",     "vela_flammes_3", "vela_flammes_5", "flamtorch",
};

constexpr int32_t kLastSceneFrame = 16900;

const char* const kLoadingMemory = "plus de memoire pour loading part II";

struct PartTwo {
    Scene scene{};
    PartPicture loading;                  // indexed, with fade palettes
    PartPicture frames[kAnimationFrames]; // direct colour
    uint16_t* endImage = nullptr;         // the scene's last frame, view-sized
    uint16_t* stillPicture = nullptr;     // view-sized, handed to part three
    Picture roundMask{};
    // Held while the music's thread draws the loading screen, so that the main thread can wait
    // for a draw in progress before it takes the screen back and frees what it draws.
    std::mutex loadingDrawing;
};
PartTwo two;

size_t ViewBytes() { return ViewPixelCount() * sizeof(uint16_t); }

// Called by beat marks on the music's thread: the loading picture, and the animation frame in
// the view's bottom-right corner.
void DrawLoadingScreen(int32_t frame)
{
    std::lock_guard<std::mutex> lock(two.loadingDrawing);
    if (!loadingActive.load() || frame < 0 || frame >= kAnimationFrames) return;
    if (uint16_t* view = LockView()) {
        DrawSprite(two.loading.sprite, ViewTarget(view), 0, 0);
        const Sprite& corner = two.frames[frame].sprite;
        DrawSpriteAdd(corner, ViewTarget(view), screen.screenWidth - corner.width, screen.viewHeight - corner.height);
    }
    PresentView();
}

// Hands the screen back to the main thread: no loading draw runs or starts after this, and the
// last one drawn is on the screen before the main thread draws again (never after its fade).
void EndLoadingDraws()
{
    loadingActive.store(0);
    {
        std::lock_guard<std::mutex> lock(two.loadingDrawing);
    }
    PresentPendingFrame();
}

void FreeLoadingScreen()
{
    for (PartPicture& f : two.frames) FreePartPicture(&f);
    FreePartPicture(&two.loading);
}

// A failed load gives back everything it took, the buffers too.
int32_t Fail(int32_t code, const char* message)
{
    EndLoadingDraws();
    if (message) sequencer.errorMessage = message;
    FreeLoadingScreen();
    PoolFree(two.endImage);
    PoolFree(two.stillPicture);
    two.endImage = two.stillPicture = nullptr;
    FreePicture(&two.roundMask);
    FreePartScene(&two.scene);
    return code;
}

// The still picture drawn into its view-sized buffer, over black: null, or the message of
// what went wrong.
const char* PaintStillPicture()
{
    PartPicture still;
    if (!LoadViewPicture("PICS\\CLUBBER.BMP", &still.picture)) return "Fichier PICS\\CLUBBER.BMP introuvable.";
    const bool made =
        MakeSprite(&still.picture, &still.sprite, screen.screenWidth, screen.viewHeight, screen.pixelDepth, 0);
    if (made) {
        std::memset(two.stillPicture, 0, ViewBytes());
        DrawSprite(still.sprite, ViewSizedTarget(two.stillPicture), 0, 0);
    }
    FreePartPicture(&still);
    return made ? nullptr : kLoadingMemory;
}

// What loads behind the loading screen: the buffers, the still picture, the round mask and the
// scene. 0, or the error code with `problem` set (or left null when the scene's load has set
// the message).
int32_t LoadBehindTheScreen(const char** problem)
{
    two.endImage = static_cast<uint16_t*>(PoolAlloc(static_cast<uint32_t>(ViewBytes()), 4));
    two.stillPicture = static_cast<uint16_t*>(PoolAlloc(static_cast<uint32_t>(ViewBytes()), 4));
    if (!two.endImage || !two.stillPicture) {
        *problem = "No more memory";
        return 1;
    }
    PauseBetweenLoadSteps();
    if ((*problem = PaintStillPicture())) return 1;
    PauseBetweenLoadSteps();
    if (!LoadPicture("TRANSIT\\T_ROND.BMP", &two.roundMask)) {
        *problem = "Le fichier TRANSIT\\T_ROND.BMP est introuvable";
        return 1;
    }
    PauseBetweenLoadSteps();
    if (const int32_t e = LoadPartScene(&two.scene, "SCENES\\Plan_2\\PLAN2.FSF")) return e;
    PauseBetweenLoadSteps();
    for (const char* name : kDesyncedFlames) DesyncTrack(&two.scene, &partTwoDesync, name);
    return 0;
}

} // namespace

int32_t LoadPart2()
{
    PartPicture& loading = two.loading;
    if (!LoadViewPicture("LOADING\\LOAD.BMP", &loading.picture)) return Fail(1, "Fichier LOADING\\LOAD.BMP introuvable.");
    if (!MakeSprite(&loading.picture, &loading.sprite, screen.screenWidth, ViewSpriteRows(), screen.pixelDepth, 1))
        return Fail(1, kLoadingMemory);
    // From the picture's colours through a purple half-tone to black.
    if (!MakeFadePalettes(&loading.picture, &loading.sprite, 0, 0, 0, 127, 0, 127, 255, 255, 255))
        return Fail(1, kLoadingMemory);
    for (int32_t i = 0; i < kAnimationFrames; ++i) {
        PartPicture& f = two.frames[i];
        if (!LoadViewPicture(kAnimationEntries[i], &f.picture)) return Fail(1, "Fichier AnimLoading introuvable.");
        if (!MakeSprite(&f.picture, &f.sprite, screen.screenWidth, ViewSpriteRows(), screen.pixelDepth, 0))
            return Fail(1, kLoadingMemory);
    }

    // The loading picture fades in (about 2.5 seconds).
    ClockReset(0);
    for (int32_t h; (h = ClockNow() >> 1) < 127;) {
        if (uint16_t* view = LockView()) DrawSpriteFade(loading.sprite, ViewTarget(view), 0, 0, 127 - h);
        PresentView();
    }
    if (uint16_t* view = LockView()) DrawSprite(loading.sprite, ViewTarget(view), 0, 0);
    PresentView();

    // From here the beat marks draw the screen; the main thread only loads.
    SetLoadingDraw(DrawLoadingScreen);
    loadingActive.store(1);
    ClockReset(0);

    const char* problem = nullptr;
    if (const int32_t e = LoadWhilePresenting([&problem] { return LoadBehindTheScreen(&problem); })) return Fail(e, problem);

    // The loading screen stays up at least one second.
    while (ClockNow() < 100) PauseBriefly();

    // The screen is the main thread's again: the picture fades out with the opening module.
    EndLoadingDraws();
    SetLoadingDraw(nullptr);
    ClockReset(0);
    for (int32_t h; (h = ClockNow() >> 1) < 127;) {
        if (uint16_t* view = LockView()) DrawSpriteFade(loading.sprite, ViewTarget(view), 0, 0, h);
        PresentView();
        showOperations.musicVolume((128 - h) >> 1);
    }
    if (uint16_t* view = LockView()) DrawSpriteFade(loading.sprite, ViewTarget(view), 0, 0, 127);
    PresentView();

    FreeLoadingScreen();
    showOperations.musicStop();
    return 0;
}

void RunPart2()
{
    WaitForStartMark();
    if (sequencer.seekOffset != 0) ClockReset(ClockNow() + sequencer.seekOffset);
    bool ended = false;
    if (!sequencer.abortRequested) {
        for (;;) {
            const int32_t t = ClockNow();
            const int32_t f = TruncateToInt(static_cast<float>(t) * speedFactor.load());
            uint16_t* view = LockView();
            if (f > kLastSceneFrame) {
                PresentView();
                ended = true;
                break;
            }
            if (view) RenderScene(static_cast<float>(f) * 0.1f, reinterpret_cast<uint8_t*>(view), nullptr);
            PresentView();
            // Three more calibration marks of this module: the speed is measured again.
            if (syncCounters.calibrationCount.load() == 3) {
                syncCounters.calibrationCount.store(0);
                speedFactor.store(SpeedFactorFromCalibration(syncCounters.calibrationTimes[0].load(),
                                                             syncCounters.calibrationTimes[1].load()));
            }
            if (CheckAbort()) break;
        }
    }
    if (!ended) return;

    // The scene's last frame dissolves through the round mask into the still picture.
    RenderScene(static_cast<float>(two.scene.lastFrame), reinterpret_cast<uint8_t*>(two.endImage), nullptr);
    ClockReset(0);
    for (int32_t level; (level = 2 * ClockNow()) < 512;) {
        if (uint16_t* view = LockView()) {
            CopyIntoView(view, two.endImage);
            MaskCrossFade(view, PictureBytes(two.roundMask), ViewSpan(two.stillPicture), level);
        }
        PresentView();
    }
    if (uint16_t* view = LockView()) CopyIntoView(view, two.stillPicture);
    PresentView();
}

void FreePart2()
{
    FreePicture(&two.roundMask);
    PoolFree(two.endImage);
    two.endImage = nullptr;
    handedPicture = two.stillPicture;
    two.stillPicture = nullptr;
    FreePartScene(&two.scene);
}
