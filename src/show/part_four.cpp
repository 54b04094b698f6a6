// Part four: the fourth scene drawn from two cameras over circling, colour-cycling tiles, the
// fifth scene to its last frame, then three closing pictures while the music fades.
#include <cmath>
#include <cstdio>

#include "display/screen_geometry.h"
#include "effects/fade_palettes.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "effects/view_fills.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "show/show_operations.h"
#include "show/frame_clock.h"
#include "show/frame_timings.h"
#include "show/music.h"
#include "show/part_support.h"
#include "show/parts.h"
#include "show/sequencer_state.h"

namespace {

constexpr int32_t kClosingCount = 3;
const char* const kClosingEntries[kClosingCount] = {
    "FINALPIC\\SILLAGE.BMP", "FINALPIC\\VOILES.BMP", "FINALPIC\\TABOR.BMP",
};

constexpr int32_t kTilesEnd = 2800;
constexpr int32_t kClosingEnd = 1250;

struct PartFour {
    Scene scene{};
    Picture simpleMask{};
    PartPicture background; // the tile, with fade palettes tinted three ways
    PartPicture closing[kClosingCount];
};
PartFour four;

const char* const kPictureMissing = "Un fichier BMP des credits est introuvable";
const char* const kPictureMemory = "plus de memoire pour les credits";

int32_t Fail(int32_t code, const char* message)
{
    if (message) sequencer.errorMessage = message;
    FreePart4();
    return code;
}

// An indexed sprite for view-sized drawing, with its fade palettes.
const char* LoadFadingPicture(const char* name, PartPicture* p, int32_t end, int32_t middle, int32_t start)
{
    if (!LoadViewPicture(name, &p->picture)) return kPictureMissing;
    if (!MakeSprite(&p->picture, &p->sprite, screen.screenWidth, screen.viewHeight, screen.pixelDepth, 1))
        return kPictureMemory;
    const auto r = [](int32_t c) { return (c >> 16) & 255; };
    const auto g = [](int32_t c) { return (c >> 8) & 255; };
    const auto b = [](int32_t c) { return c & 255; };
    if (!MakeFadePalettes(&p->picture, &p->sprite, r(end), g(end), b(end), r(middle), g(middle), b(middle), r(start),
                          g(start), b(start)))
        return kPictureMemory;
    return nullptr;
}

float Sine(int32_t angle) { return engine.sineTable[angle]; }
float Cosine(int32_t angle) { return engine.sineTable[angle + 4096]; }

// The four copies of the tile, 320 columns and 180 rows apart, circling with radius 64.
void DrawTiles(uint16_t* view, int32_t angle, int32_t level, bool added)
{
    const int32_t s = static_cast<int32_t>(Sine(angle) * -64.0f);
    const int32_t c = static_cast<int32_t>(Cosine(angle) * -64.0f);
    const int32_t x[4] = {-150 - c, 170 - c, 170 - c, -150 - c};
    const int32_t y[4] = {-90 - s, -90 - s, 90 - s, 90 - s};
    for (int32_t i = 0; i < 4; ++i) {
        if (added) DrawSpriteFadeAdd(four.background.sprite, ViewSizedTarget(view), x[i], y[i], level);
        else DrawSpriteFade(four.background.sprite, ViewSizedTarget(view), x[i], y[i], level);
    }
}

// Section A: the fourth scene from its two cameras over the tiles.
void RunTiles()
{
    ClockReset(0);
    while (!sequencer.abortRequested) {
        const int32_t t = ClockNow();
        uint16_t* view = LockView();
        if (t > kTilesEnd) {
            PresentView();
            return;
        }
        if (view) {
            const int32_t a = (t & 255) * 64;
            const int32_t b = (a + 4096) & 16383;
            // Two passes cycle through the tinted palettes in opposite directions.
            DrawTiles(view, b, t & 127, false);
            DrawTiles(view, a, 127 - (t & 127), true);
            const float frame = static_cast<float>(t) * 0.1f;
            RenderScene(frame, reinterpret_cast<uint8_t*>(view), nullptr);
            // The second drawing from the second camera; a scene with one camera is drawn once.
            if (SceneCamera* second = four.scene.cameras ? four.scene.cameras->next : nullptr) {
                RenderScene(frame, reinterpret_cast<uint8_t*>(view), second);
            }
            if (t < 256) MaskFadeSub(view, PictureBytes(four.simpleMask), (256 - t) * 2);
            if (t > 2544) MaskFadeSub(view, PictureBytes(four.simpleMask), 2 * t - 5088);
        }
        PresentView();
        if (CheckAbort()) return;
    }
}

// Section B: the fifth scene in the engine's one scene slot, to its last frame. False when it
// cannot be loaded (the part then ends; the reason goes to standard error).
bool RunFinale()
{
    FreePartScene(&four.scene);
    if (LoadPartScene(&four.scene, "SCENES\\PLAN_5\\PLAN5.FSF") != 0) {
        std::fprintf(stderr, "vela: SCENES\\PLAN_5\\PLAN5.FSF: %s; the show ends here\n", sequencer.errorMessage);
        return false;
    }
    ClockReset(0);
    while (!sequencer.abortRequested) {
        const int32_t t = ClockNow();
        uint16_t* view = LockView();
        const float frame = static_cast<float>(t) * 0.1f;
        if (static_cast<float>(four.scene.lastFrame) < frame) {
            PresentView();
            return true;
        }
        if (view) RenderScene(frame, reinterpret_cast<uint8_t*>(view), nullptr);
        PresentView();
        if (CheckAbort()) break;
    }
    return true;
}

// Section C: the closing pictures fade in and out; the music fades under the last one.
void RunClosingPictures()
{
    ClockReset(0);
    while (!sequencer.abortRequested) {
        const int32_t t = ClockNow();
        uint16_t* view = LockView();
        if (t > kClosingEnd) {
            PresentView();
            return;
        }
        if (view) {
            FillView(view, 0, 0, 0);
            for (int32_t i = 0; i < kClosingCount; ++i) {
                const int32_t s = 250 * i;
                const int32_t d = i < 2 ? 150 : 650;
                if (t < s || t >= s + d + 100) continue;
                int32_t level = 0;
                if (t < s + 50) level = 127 + ((s - t) * 127) / 50;
                else if (t > s + d + 50) level = ((t - s - d - 50) * 127) / 50;
                if (i == 2 && t > s + d + 50) {
                    showOperations.musicVolume(64 - static_cast<int32_t>(std::lrint(static_cast<float>(t - s - d - 50) * 0.64f)));
                }
                DrawSpriteFadeAdd(four.closing[i].sprite, ViewSizedTarget(view), 0, 0, level);
            }
        }
        PresentView();
        if (CheckAbort()) return;
    }
}

// Section D: the music comes back up to half before the module stops.
void RunMusicEnd()
{
    ClockReset(0);
    for (int32_t c; (c = ClockNow()) < 64 && !CheckAbort();) {
        showOperations.musicVolume(c >> 1);
        PauseBriefly();
    }
}

} // namespace

int32_t LoadPart4()
{
    if (const int32_t e = LoadPartScene(&four.scene, "SCENES\\PLAN_4\\PLAN4.FSF")) return Fail(e, nullptr);
    if (!LoadPicture("TRANSIT\\T_SIMPLE.BMP", &four.simpleMask))
        return Fail(1, "Le fichier TRANSIT\\T_SIMPLE.BMP est introuvable");
    if (const char* problem = LoadFadingPicture("PICS\\FOND.BMP", &four.background, 0x96BCBC, 0xBC96BC, 0xBCBC96))
        return Fail(1, problem);
    for (int32_t i = 0; i < kClosingCount; ++i) {
        if (const char* problem = LoadFadingPicture(kClosingEntries[i], &four.closing[i], 0x000000, 0x808080, 0xFFFFFF))
            return Fail(1, problem);
    }
    return 0;
}

void RunPart4()
{
    // An abort does not skip the sections: the fifth scene still takes the slot, and every
    // later loop ends at its first test.
    SetPlayingSection(1);
    RunTiles();
    SetPlayingSection(2);
    const bool finale = RunFinale();
    if (finale) {
        SetPlayingSection(3);
        RunClosingPictures();
        SetPlayingSection(4);
        RunMusicEnd();
    }
    SetPlayingSection(0);
}

void FreePart4()
{
    for (PartPicture& p : four.closing) FreePartPicture(&p);
    FreePicture(&four.simpleMask);
    FreePartPicture(&four.background);
    FreePartScene(&four.scene);
}
