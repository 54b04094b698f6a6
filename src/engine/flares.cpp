#include "engine/flares.h"

#include <algorithm>
#include <cmath>

#include "engine/raster/span_routines.h"
#include "engine/flare_pictures.h"

namespace {

// The brightness shift of the edge fade for a centre c (1/16 pixel) on one axis of the view
// 0 .. clip: 0 inside, -1 when it is too far out to draw.
int32_t LowEdgeShift(int64_t c)
{
    if (c >= 0) return 0;
    if (c < -64) return -1;
    if (c < -48) return 4;
    if (c < -32) return 3;
    if (c < -16) return 2;
    return 1;
}
int32_t HighEdgeShift(int64_t c, int64_t clip)
{
    if (c < clip) return 0;
    const int64_t e = c - clip;
    if (e >= 64) return -1;
    if (e >= 48) return 4;
    if (e >= 32) return 3;
    if (e >= 16) return 2;
    return 1;
}

// Occlusion: the brightness shift from the depth values around the centre pixel, or -1 when
// the flare is hidden.
int32_t OcclusionShift(int32_t px, int32_t py, uint32_t depth)
{
    const auto stored = [](int32_t x, int32_t y) {
        const auto* row = reinterpret_cast<const uint8_t*>(engine.depthBuffer) + engine.depthRows[y];
        return reinterpret_cast<const uint32_t*>(row)[x];
    };
    if (px < 3 || px >= engine.width - 3 || py < 3 || py >= engine.height - 3) {
        return stored(px, py) > depth ? -1 : 0;
    }
    int32_t covered = 0;
    for (int32_t y = py - 3; y <= py + 3; ++y) {
        for (int32_t x = px - 3; x <= px + 3; ++x) covered += stored(x, y) > depth;
    }
    const int32_t n = covered >> 3;
    return n >= 6 ? -1 : n;
}

template <int Bits>
void AddGlow(uint16_t* row, int32_t count, const uint8_t* texels, uint32_t u, uint32_t du, const uint8_t* gr,
             const uint8_t* gg, const uint8_t* gb)
{
    for (int32_t i = 0; i < count; ++i, u += du) {
        const uint32_t t = texels[(u >> 16) & 255];
        const uint32_t p = row[i];
        uint32_t red, green, blue;
        if constexpr (Bits == 16) {
            red = std::min<uint32_t>((p >> 11) + (gr[t] >> 1), 31);
            green = std::min<uint32_t>(((p >> 5) & 63) + gg[t], 63);
            blue = std::min<uint32_t>((p & 31) + (gb[t] >> 1), 31);
            row[i] = static_cast<uint16_t>(red << 11 | green << 5 | blue);
        } else {
            red = std::min<uint32_t>(((p >> 10) & 31) + (gr[t] >> 1), 31);
            green = std::min<uint32_t>(((p >> 5) & 31) + (gg[t] >> 1), 31);
            blue = std::min<uint32_t>((p & 31) + (gb[t] >> 1), 31);
            row[i] = static_cast<uint16_t>(red << 10 | green << 5 | blue);
        }
    }
}

} // namespace

void DrawFlare(uint8_t* colourBase, int32_t x16, int32_t y16, int32_t size16, int32_t r, int32_t g, int32_t b,
               int32_t flag, uint32_t depth, const uint8_t* picture)
{
    if (size16 <= 0 || !colourBase || !engine.depthBuffer || !engine.glowTable) return;
    if (engine.width <= 0 || engine.height <= 0 || engine.height > kMaxViewRows) return;
    if (!picture) picture = BuiltInFlarePicture();
    if (!picture) return;
    r = std::clamp(r, 0, 255), g = std::clamp(g, 0, 255), b = std::clamp(b, 0, 255);
    const int64_t clipX = std::min<int64_t>(engine.clipX16, int64_t{engine.width} * 16);
    const int64_t clipY = std::min<int64_t>(engine.clipY16, int64_t{engine.height} * 16);
    if (clipX <= 0 || clipY <= 0) return;

    // Edge fade: left, right, top, bottom, each dimming by the step it yields.
    const int32_t shifts[4] = {LowEdgeShift(x16), HighEdgeShift(x16, clipX), LowEdgeShift(y16),
                               HighEdgeShift(y16, clipY)};
    for (int32_t shift : shifts) {
        if (shift < 0) return;
        r >>= shift, g >>= shift, b >>= shift;
    }

    const int32_t px = static_cast<int32_t>(std::clamp<int64_t>(x16, 0, clipX - 1) / 16);
    const int32_t py = static_cast<int32_t>(std::clamp<int64_t>(y16, 0, clipY - 1) / 16);
    const int32_t n = OcclusionShift(px, py, depth);
    if (n < 0) return;
    r >>= n, g >>= n, b >>= n;
    const uint8_t* gr = engine.glowTable + 256 * r;
    const uint8_t* gg = engine.glowTable + 256 * g;
    const uint8_t* gb = engine.glowTable + 256 * b;

    // The square, clipped to the view, with 16.16 texel steps.
    const int64_t half = size16 >> 1;
    int64_t left = int64_t{x16} - half, top = int64_t{y16} - half;
    int64_t right = int64_t{x16} + half, bottom = int64_t{y16} + half;
    const int64_t step = 8388608 / size16;
    int64_t uStart = 0, vStart = 0;
    if (left < 0) uStart = -left * step, left = 0;
    if (top < 0) vStart = -top * step, top = 0;
    right = std::min(right, clipX);
    bottom = std::min(bottom, clipY);
    const int64_t x0 = (left + 15) >> 4, x1 = (right + 15) >> 4;
    const int64_t y0 = (top + 15) >> 4, y1 = (bottom + 15) >> 4;
    if (x0 >= x1 || y0 >= y1) return;

    const uint32_t du = static_cast<uint32_t>(step * 16);
    const uint32_t u0 = static_cast<uint32_t>(uStart + ((flag & 1) ? 128 * 65536 : 0));
    const uint8_t* sprite = picture + ((flag & 2) ? 128 * 256 : 0);
    int64_t v = vStart;
    for (int64_t y = y0; y < y1; ++y, v += step * 16) {
        // Rows of the chosen quarter only: a row beyond it (never reached by the square's
        // own extent) ends the sprite instead of reading past the picture.
        const int64_t texRow = v >> 16;
        if (texRow > 127) break;
        auto* row = reinterpret_cast<uint16_t*>(colourBase + engine.colourRows[y]) + x0;
        const uint8_t* texels = sprite + texRow * 256;
        if (engine.bitsPerPixel == 16) AddGlow<16>(row, static_cast<int32_t>(x1 - x0), texels, u0, du, gr, gg, gb);
        else AddGlow<15>(row, static_cast<int32_t>(x1 - x0), texels, u0, du, gr, gg, gb);
    }
}

void DrawSceneFlares(const Scene& scene, float frame, uint8_t* colourBase, const FlareCamera& camera,
                     NodeTransformOf transformOf)
{
    for (SceneFlare* flare = scene.flares; flare; flare = flare->next) {
        if (!ToggleStateAt(flare->visibilityToggles, frame, true)) continue;
        const float s = flare->sizeTrack.keyCount > 0 ? EvalScalarTrack(frame, flare->sizeTrack) : flare->size;
        const Vec3 c = EvalVectorTrack(frame, flare->colourTrack);
        auto component = [](float x) {
            const float v = std::nearbyint(x * 255.0f);
            return !(v >= 0.0f) ? 0 : v > 255.0f ? 255 : static_cast<int32_t>(v);
        };
        Vec3 p = EvalVectorTrack(frame, flare->positionTrack);
        int32_t depthGuard = 0;
        for (SceneObject* o = flare->parent; o && transformOf && depthGuard < 4096; o = o->parentNumber, ++depthGuard) {
            const NodeTransform* t = transformOf(o);
            if (!t) break;
            const float* m = t->rotation;
            p = Vec3{m[0] * p.x + m[1] * p.y + m[2] * p.z, m[3] * p.x + m[4] * p.y + m[5] * p.z,
                     m[6] * p.x + m[7] * p.y + m[8] * p.z} +
                t->position;
        }
        const Vec3 d = p - camera.position;
        const float x = Dot(camera.right, d), y = Dot(camera.forward, d), z = Dot(camera.up, d);
        if (!(y > 0.0f)) continue;
        const float inv = 1.0f / y, f = inv * engine.focal16;
        auto toInt = [](float v) {
            v = std::nearbyint(v);
            return !(v == v) ? 0 : v >= 2.0e9f ? 2000000000 : v <= -2.0e9f ? -2000000000 : static_cast<int32_t>(v);
        };
        const uint32_t depth = RealToFixed(inv * 16777216.0f) + engine.frameStamp;
        DrawFlare(colourBase, toInt(f * x + engine.centreX16), toInt(engine.centreY16 - f * z), toInt(f * s),
                  component(c.x), component(c.y), component(c.z), flare->flag, depth, flare->picture);
    }
}
