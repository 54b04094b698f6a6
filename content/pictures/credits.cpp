#include "pictures/credits.h"

#include <algorithm>

#include "common/canvas.h"
#include "common/images.h"
#include "common/lettering.h"

namespace content {
namespace {

constexpr int kWidth = 320, kHeight = 180;
// The brightest grey of the lettering: soft rather than white, since it is added to the scene.
constexpr float kInk = 232.0f;

// A four-pointed star with thin points, centred at c.
void DrawSparkle(Coverage* target, Point c, float radius)
{
    const float w = radius * 0.22f;
    FillPolygon(target, {{c.x, c.y - radius}, {c.x + w, c.y - w}, {c.x + radius, c.y}, {c.x + w, c.y + w},
                         {c.x, c.y + radius}, {c.x - w, c.y + w}, {c.x - radius, c.y}, {c.x - w, c.y - w}});
}

// Lettering plus a soft glow around it, scaled to the grey ramp.
std::vector<uint8_t> Finish(const Coverage& ink, float inkLevel = kInk)
{
    Coverage glow = ink;
    BlurCoverage(&glow, 3);
    Coverage grey(kWidth, kHeight);
    for (size_t i = 0; i < grey.values.size(); ++i) {
        // The glow lies under the letters, so full ink stays at the ink level.
        const float v = ink.values[i] * inkLevel + glow.values[i] * 70.0f * (1.0f - std::min(1.0f, ink.values[i]));
        grey.values[i] = v;
    }
    return EncodeBmp8(ToGreyImage(grey, 1.0f), GreyRampPalette());
}

const TextStyle kTitle{Typeface::Serif, 60.0f, 20.0f};
constexpr float kTitleBaseline = 98.0f;

void DrawTitle(Coverage* ink)
{
    // Spaced letters leave the tracking after the last one out, so the name sits centred.
    DrawText(ink, kTitle, "VELA", 160.0f, kTitleBaseline, Align::Centre);
}

} // namespace

std::vector<uint8_t> MakeRoleCredit(const std::string& role, const std::string& line)
{
    Coverage ink(kWidth, kHeight), soft(kWidth, kHeight);
    const TextStyle roleStyle{Typeface::Serif, 30.0f, 9.0f};
    const TextStyle lineStyle{Typeface::SerifItalic, 15.0f, 0.4f};
    DrawText(&ink, roleStyle, role, 160.0f, 100.0f, Align::Centre);
    DrawSparkle(&ink, {160.0f, 61.0f}, 6.0f);
    const float half = MeasureText(roleStyle, role) * 0.5f;
    StrokeLine(&soft, {160.0f - half, 112.5f}, {160.0f + half, 112.5f}, 0.7f);
    DrawText(&soft, lineStyle, line, 160.0f, 131.0f, Align::Centre);
    for (size_t i = 0; i < ink.values.size(); ++i) ink.values[i] = std::max(ink.values[i], soft.values[i] * 0.78f);
    return Finish(ink);
}

std::vector<uint8_t> MakeTitleCard()
{
    Coverage ink(kWidth, kHeight);
    DrawTitle(&ink);
    DrawSparkle(&ink, {160.0f, 36.0f}, 7.0f);
    return Finish(ink);
}

std::vector<uint8_t> MakeSubtitleCard()
{
    Coverage ink(kWidth, kHeight), soft(kWidth, kHeight);
    DrawTitle(&ink);
    DrawSparkle(&ink, {160.0f, 36.0f}, 7.0f);
    const float half = MeasureText(kTitle, "VELA") * 0.5f;
    StrokeLine(&soft, {160.0f - half, 114.5f}, {160.0f - 14.0f, 114.5f}, 0.7f);
    StrokeLine(&soft, {160.0f + 14.0f, 114.5f}, {160.0f + half, 114.5f}, 0.7f);
    DrawSparkle(&soft, {160.0f, 114.5f}, 3.5f);
    DrawText(&soft, {Typeface::SerifItalic, 19.0f, 0.6f}, "a night voyage", 160.0f, 138.0f, Align::Centre);
    for (size_t i = 0; i < ink.values.size(); ++i) ink.values[i] = std::max(ink.values[i], soft.values[i] * 0.85f);
    return Finish(ink);
}

} // namespace content
