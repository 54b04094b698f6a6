// Part one: the first scene under the opening module, with seven credits called in by the
// music's cue marks, opened through the sand mask and closed through the line mask.
#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "effects/fade_palettes.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "engine/frame_pipeline.h"
#include "show/show_operations.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "show/part_support.h"
#include "show/parts.h"
#include "show/sequencer_state.h"

namespace {

constexpr int32_t kCreditCount = 7;
const char* const kCreditEntries[kCreditCount] = {
    "CREDITS\\CR_COD.BMP", "CREDITS\\CR_MES.BMP", "CREDITS\\CR_GFX.BMP", "CREDITS\\CR_MUS.BMP",
    "CREDITS\\CR_HEL.BMP", "CREDITS\\CR_DEB1.BMP", "CREDITS\\CR_DEB2.BMP",
};

constexpr int32_t kSceneEnd = 5800; // the scene stops; the line mask darkens its last image
constexpr int32_t kPartEnd = 6000;

struct PartOne {
    Scene scene{};
    PartPicture credits[kCreditCount];
    Picture sandMask{};
    Picture lineMask{};
};
PartOne one;

const char* const kCreditMissing = "Un fichier BMP des credits est introuvable";
const char* const kCreditMemory = "plus de memoire pour les credits";

int32_t Fail(const char* message)
{
    sequencer.errorMessage = message;
    FreePart1();
    return 1;
}

// The credit's grey picture revealed through the sand mask.
void RevealCredit(uint16_t* view, int32_t credit, int32_t level)
{
    MaskReveal(view, PictureBytes(one.sandMask), PictureBytes(one.credits[credit].picture), level);
}

// The credits of one frame at clock t (see RunPart1).
void DrawCredits(uint16_t* view, int32_t t)
{
    const int32_t cues = syncCounters.cueCount.load();
    const int32_t cueTime = syncCounters.cueTime.load();
    const int32_t since = t - cueTime;
    if (cues >= 1 && cues <= 5) {
        const int32_t c = cues - 1;
        if (since >= 0 && since < 256) RevealCredit(view, c, since * 2);
        else if (since >= 256 && since < 512) RevealCredit(view, c, 1023 - 2 * since);
    } else if (cues == 6) {
        if (since >= 0 && since < 256) {
            RevealCredit(view, 5, since * 2);
        } else if (since >= 256 && since < 512) {
            // The first title card dissolves into the second.
            const int32_t j = (since - 256) / 2;
            DrawSpriteFadeAdd(one.credits[6].sprite, ViewTarget(view), 0, 0, 127 - j);
            DrawSpriteFadeAdd(one.credits[5].sprite, ViewTarget(view), 0, 0, j);
        } else if (since >= 512 && t < 5950) {
            DrawSpriteAdd(one.credits[6].sprite, ViewTarget(view), 0, 0);
        }
    }
}

} // namespace

int32_t LoadPart1()
{
    if (const int32_t e = LoadPartScene(&one.scene, "SCENES\\Plan_1\\PLAN1.FSF")) return e;
    for (int32_t c = 0; c < kCreditCount; ++c) {
        PartPicture& credit = one.credits[c];
        if (!LoadViewPicture(kCreditEntries[c], &credit.picture)) return Fail(kCreditMissing);
        if (!MakeSprite(&credit.picture, &credit.sprite, screen.screenWidth, ViewSpriteRows(), screen.pixelDepth, 1))
            return Fail(kCreditMemory);
        if (!MakeFadePalettes(&credit.picture, &credit.sprite, 0, 0, 0, 127, 127, 127, 255, 255, 255))
            return Fail(kCreditMemory);
    }
    if (!LoadPicture("TRANSIT\\T_SABLE.BMP", &one.sandMask)) return Fail("Le fichier TRANSIT\\T_SABLE.BMP est introuvable");
    if (!LoadPicture("TRANSIT\\T_LIGNE.BMP", &one.lineMask)) return Fail("Le fichier TRANSIT\\T_LIGNE.BMP est introuvable");
    return 0;
}

void RunPart1()
{
    ClearFrame(); // the whole frame, above and below the view too
    WaitForStartMark();
    if (!sequencer.abortRequested) {
        for (;;) {
            const int32_t t = ClockNow();
            uint16_t* view = LockView();
            if (t > kPartEnd) {
                PresentView();
                break;
            }
            if (view) {
                if (t < kSceneEnd) RenderScene(static_cast<float>(t) * 0.1f, reinterpret_cast<uint8_t*>(view), nullptr);
                // The opening fade from black runs until the first cue.
                if (syncCounters.cueCount.load() == 0 && t < 256) {
                    MaskFadeSub(view, PictureBytes(one.sandMask), (256 - t) * 2);
                }
                DrawCredits(view, t);
                if (t >= kSceneEnd) MaskFadeSub(view, PictureBytes(one.lineMask), ((t - kSceneEnd) * 511) / 200);
            }
            PresentView();
            if (CheckAbort()) break;
        }
    }
    // The time by which the part overran carries into the next one.
    ClockReset(ClockNow() - kPartEnd);
}

void FreePart1()
{
    for (PartPicture& credit : one.credits) FreePartPicture(&credit);
    FreePicture(&one.sandMask);
    FreePicture(&one.lineMask);
    FreePartScene(&one.scene);
}
