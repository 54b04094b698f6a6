// Part three: the still picture flashes to white, the third scene opens through the round mask,
// and fourteen greetings come one a second, each circled by four breathing ghosts; the view
// whitens and fades from white to black.
#include <cmath>
#include <cstring>

#include "display/screen_geometry.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "effects/view_fills.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "resources/memory_pool.h"
#include "show/show_operations.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "show/part_support.h"
#include "show/parts.h"
#include "show/sequencer_state.h"

DesyncCounter partThreeDesync;

const char* const kGreetingEntries[kGreetingCount] = {
    "GREETING\\SDL.BMP",      "GREETING\\OPENMPT.BMP", "GREETING\\ZLIB.BMP",     "GREETING\\LIBPNG.BMP",
    "GREETING\\FREETYPE.BMP", "GREETING\\DEBIAN.BMP",  "GREETING\\GCC.BMP",      "GREETING\\CLANG.BMP",
    "GREETING\\CMAKE.BMP",    "GREETING\\NINJA.BMP",   "GREETING\\GTEST.BMP",    "GREETING\\XVFB.BMP",
    "GREETING\\GARAMOND.BMP", "GREETING\\SPARTAN.BMP",
};

namespace {

const char* const kDesyncedFlames[] = {
    "vela_flammes_2", "vela_flammes", "vela_flammes_5", "vela_flammes_1", "vela_flammes_3", "vela_flammes_5",
};

constexpr int32_t kFlash = 128;        // the still picture's flash to white
constexpr int32_t kFirstGreeting = 7500;
constexpr int32_t kGreetingStep = 100;
constexpr int32_t kGreetingLength = 150;
constexpr int32_t kWhitening = 9036;   // the view whitens from here
constexpr int32_t kPartEnd = 9100;
constexpr int32_t kFadeToBlack = 64;

struct PartThree {
    Scene scene{};
    bool tookBuffer = false; // the load took a black buffer because part two gave none
    Picture roundMask{};
    PartPicture greetings[kGreetingCount];
};
PartThree three;

// A failed load gives back what it took, and leaves part two's picture to whoever frees it.
int32_t Fail(int32_t code, const char* message)
{
    if (message) sequencer.errorMessage = message;
    for (PartPicture& greeting : three.greetings) FreePartPicture(&greeting);
    FreePicture(&three.roundMask);
    FreePartScene(&three.scene);
    if (three.tookBuffer) {
        PoolFree(handedPicture);
        handedPicture = nullptr;
        three.tookBuffer = false;
    }
    return code;
}

float Sine(int32_t angle) { return engine.sineTable[angle]; }
float Cosine(int32_t angle) { return engine.sineTable[angle + 4096]; }

// Greeting g, `local` units into its time, centred with its four ghosts, at part clock t.
void DrawGreeting(uint16_t* view, const PartPicture& greeting, int32_t t, int32_t local)
{
    const Sprite& sprite = greeting.sprite;
    const int32_t x0 = (screen.screenWidth - sprite.width) / 2;
    const int32_t y0 = (screen.viewHeight - sprite.height) / 2;
    int32_t level = 0;
    if (local < 50) level = 127 - (local * 127) / 50;
    else if (local > 100) level = ((local - 100) * 127) / 50;
    // The ghosts breathe with the part's clock, with a period of 150 units.
    const float amp = Sine(((t * 16384) / 150) & 16383) * 4.0f;
    DrawSpriteFadeAdd(sprite, ViewTarget(view), x0, y0, level);
    const int32_t ghostLevel = level / 2 + 64;
    int32_t angle = (t & 255) * 64;
    for (int32_t k = 0; k < 4; ++k) {
        const float scaleX = (k % 2 == 0) ? 24.0f : 16.0f;
        const float scaleY = (k % 2 == 0) ? 8.0f : 16.0f;
        const float dx = Cosine(angle) * amp * scaleX;
        const float dy = Sine(angle) * amp * scaleY;
        DrawSpriteFadeAdd(sprite, ViewTarget(view), x0 + static_cast<int32_t>(std::lrint(dx)),
                          y0 + static_cast<int32_t>(std::lrint(dy)), ghostLevel);
        angle = (angle + 4096) & 16383;
    }
}

} // namespace

int32_t LoadPart3()
{
    if (!handedPicture) {
        // Part two did not run: the flash starts from black, not from whatever the pool held.
        handedPicture = static_cast<uint16_t*>(PoolAlloc(static_cast<uint32_t>(ViewPixelCount() * 2), 4));
        if (!handedPicture) return Fail(1, "No more memory");
        three.tookBuffer = true;
        std::memset(handedPicture, 0, ViewPixelCount() * 2);
    }
    if (!LoadPicture("TRANSIT\\T_ROND.BMP", &three.roundMask)) return Fail(1, "Le fichier TRANSIT\\T_ROND.BMP est introuvable");
    if (const int32_t e = LoadPartScene(&three.scene, "SCENES\\PLAN_3\\PLAN3.FSF")) return Fail(e, nullptr);
    for (const char* name : kDesyncedFlames) DesyncTrack(&three.scene, &partThreeDesync, name);
    for (int32_t g = 0; g < kGreetingCount; ++g) {
        PartPicture& greeting = three.greetings[g];
        if (!LoadViewPicture(kGreetingEntries[g], &greeting.picture))
            return Fail(1, "Un fichier BMP des greetings est introuvable");
        if (!MakeSprite(&greeting.picture, &greeting.sprite, screen.screenWidth, ViewSpriteRows(), screen.pixelDepth, 0))
            return Fail(1, "plus de memoire pour les greetings");
    }
    // The second module fades out while the third waits.
    ClockReset(0);
    for (int32_t now; (now = ClockNow()) < 128 && !CheckAbort();) {
        showOperations.musicVolume((128 - now) >> 1);
        PauseBriefly();
    }
    return 0;
}

void RunPart3()
{
    WaitForStartMark();
    // The still picture flashes to white.
    for (int32_t t; (t = ClockNow()) < kFlash && !CheckAbort();) {
        if (uint16_t* view = LockView()) {
            CopyIntoView(view, handedPicture);
            TintView(view, 2 * t, std::min(3 * t, 255), std::min(4 * t, 255));
        }
        PresentView();
    }
    ClockReset(ClockNow() - kFlash);
    while (!sequencer.abortRequested) {
        const int32_t t = ClockNow();
        uint16_t* view = LockView();
        if (t > kPartEnd) {
            PresentView();
            break;
        }
        if (view) {
            RenderScene(static_cast<float>(t) * 0.1f, reinterpret_cast<uint8_t*>(view), nullptr);
            // The white of the flash clears through the round mask.
            if (t < 256) MaskFadeAdd(view, PictureBytes(three.roundMask), (256 - t) * 2);
            for (int32_t g = 0; g < kGreetingCount; ++g) {
                const int32_t start = kFirstGreeting + kGreetingStep * g;
                if (t >= start && t < start + kGreetingLength) DrawGreeting(view, three.greetings[g], t, t - start);
            }
            if (t > kWhitening) {
                const int32_t white = std::min(255, 4 * t - 4 * kWhitening);
                TintView(view, white, white, white);
            }
        }
        PresentView();
        if (CheckAbort()) break;
    }
    // White fades to black (after an abort this ends at its first test).
    ClockReset(ClockNow() - kPartEnd);
    for (int32_t c; (c = ClockNow()) < kFadeToBlack && !CheckAbort();) {
        if (uint16_t* view = LockView()) FillView(view, 255 - 4 * c, 255 - 4 * c, 255 - 4 * c);
        PresentView();
    }
}

void FreePart3()
{
    for (PartPicture& greeting : three.greetings) FreePartPicture(&greeting);
    FreePicture(&three.roundMask);
    PoolFree(handedPicture);
    handedPicture = nullptr;
    three.tookBuffer = false;
    FreePartScene(&three.scene);
}
