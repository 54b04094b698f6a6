// Per-material colour tables: shading ramps, texture palettes and lit-texture tables in the
// display's pixel layout, built only for the render modes the objects using a material take.
#include <cmath>
#include <cstring>

#include "engine/engine_errors.h"
#include "engine/engine_pictures.h"
#include "engine/engine_state.h"
#include "engine/material_preparation.h"
#include "engine/render_modes.h"
#include "engine/scene/scene_files.h"
#include "formats/pixel_format.h"
#include "resources/memory_pool.h"

namespace {

int32_t ClampComponent(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// A blend weight 0..1; anything else (including NaN) is brought into range.
float ClampWeight(float w)
{
    if (!(w > 0.0f)) return 0.0f;
    return w > 1.0f ? 1.0f : w;
}

// The shading ramp at level i (0..127): which pair of material colours it blends and the
// weight of the second one, unrounded, with S the light term.
struct RampPoint {
    float s;
    const int32_t* from;
    const int32_t* to;
    float weight;
};

RampPoint RampAt(const Material& m, int32_t level)
{
    const float c = AngleCosine(level * 32); // cos(level x pi / 256)
    const float h = m.highlight;
    const float s = c * (1.0f - h) + std::pow(c, static_cast<float>(m.shininess)) * h;
    if (s < 1.0f - h) return {s, m.ambient, m.diffuse, ClampWeight(s / (1.0f - h))};
    // With no highlight share the top of the ramp stays at the diffuse colour.
    const float w = h > 0.0f ? (s - 1.0f + h) / h : 0.0f;
    return {s, m.diffuse, m.specular, ClampWeight(w)};
}

uint16_t* BuildShadeRamp(const Material& m, int32_t bitsPerPixel, bool half)
{
    auto* ramp = static_cast<uint16_t*>(PoolAlloc(512, 512));
    if (!ramp) return nullptr;
    const int shift = half ? 9 : 8; // 16-bit sums to 8-bit components, halved one more bit
    for (int32_t level = 0; level < 256; ++level) {
        int32_t sum[3];
        if (level < 128) {
            const RampPoint p = RampAt(m, level);
            const int32_t w = static_cast<int32_t>(std::lround(p.weight * 256.0f));
            for (int k = 0; k < 3; ++k) sum[k] = ClampComponent(p.from[k]) * (256 - w) + ClampComponent(p.to[k]) * w;
        } else {
            for (int k = 0; k < 3; ++k) sum[k] = ClampComponent(m.ambient[k]) * 256;
        }
        ramp[level] = PackColour(sum[0] >> shift, sum[1] >> shift, sum[2] >> shift, bitsPerPixel);
    }
    return ramp;
}

uint16_t* BuildPaletteHalf(const Material& m, int32_t bitsPerPixel)
{
    auto* half = static_cast<uint16_t*>(PoolAlloc(512, 512));
    if (!half) return nullptr;
    for (int i = 0; i < 256; ++i) half[i] = HalfPixel(m.texturePalette[i], bitsPerPixel);
    return half;
}

int32_t LitComponent(float value)
{
    if (!(value > 0.0f)) return 0;
    return value >= 255.0f ? 255 : static_cast<int32_t>(value);
}

uint16_t* BuildShadedTexture(const Material& m, int32_t bitsPerPixel, bool half)
{
    auto* table = static_cast<uint16_t*>(PoolAlloc(131072, 131072));
    if (!table) return nullptr;
    const float A = m.textureBase, B = m.textureLightGain, C = m.textureColourMix;
    for (int32_t level = 0; level < 256; ++level) {
        float gain;   // what the texel colour is multiplied by
        float add[3]; // the material colour's share
        if (level < 128) {
            const RampPoint p = RampAt(m, level);
            gain = A + B * p.s;
            for (int k = 0; k < 3; ++k) {
                const float from = static_cast<float>(ClampComponent(p.from[k]));
                const float to = static_cast<float>(ClampComponent(p.to[k]));
                add[k] = C * (from * (1.0f - p.weight) + to * p.weight);
            }
        } else {
            gain = A;
            for (int k = 0; k < 3; ++k) add[k] = C * static_cast<float>(ClampComponent(m.ambient[k]));
        }
        uint16_t* row = table + level * 256;
        for (int colour = 0; colour < 256; ++colour) {
            int32_t c[3];
            for (int k = 0; k < 3; ++k) {
                c[k] = LitComponent(gain * static_cast<float>(m.textureColours[colour][k]) + add[k]);
                if (half) c[k] >>= 1;
            }
            row[colour] = PackColour(c[0], c[1], c[2], bitsPerPixel);
        }
    }
    return table;
}

// Which of the six table kinds a map, shade, blend combination needs.
bool PassWants(int pass, uint8_t map, uint8_t shade, uint8_t blend)
{
    switch (pass) {
    case 1: return map == 0 && blend == 0;
    case 2: return map == 0 && blend != 0;
    case 3: return map != 0;
    case 4: return map != 0 && blend != 0 && shade == 0;
    case 5: return map != 0 && shade != 0 && blend == 0;
    case 6: return map != 0 && shade != 0 && blend != 0;
    default: return false;
    }
}

bool ModeWants(int pass, int32_t mode)
{
    const RenderMode* row = RenderModeRow(mode);
    return row && PassWants(pass, KeyMap(row->key), KeyShade(row->key), KeyBlend(row->key));
}

// True when the object's own mode or any mode of its mode track needs the pass's table.
bool ObjectWants(int pass, const SceneObject& o)
{
    if (ModeWants(pass, o.renderMode)) return true;
    for (int32_t k = 0; k < o.modeTrack.count; ++k) {
        if (ModeWants(pass, TruncateToInt(StepReal(o.modeTrack.keys[k])))) return true;
    }
    return false;
}

// Builds the pass's table for a material that lacks it: 0, 1 or 5.
int32_t BuildForPass(int pass, const Scene& scene, Material& m, int32_t bitsPerPixel)
{
    switch (pass) {
    case 1:
        if (m.shadeRamp) return 0;
        m.shadeRamp = BuildShadeRamp(m, bitsPerPixel, false);
        return m.shadeRamp ? 0 : kEngineMemoryError;
    case 2:
        if (m.shadeRampHalf) return 0;
        m.shadeRampHalf = BuildShadeRamp(m, bitsPerPixel, true);
        return m.shadeRampHalf ? 0 : kEngineMemoryError;
    case 3:
        if (m.textureFrames) return 0;
        return LoadMaterialTexture(scene, m, bitsPerPixel);
    case 4:
        if (m.texturePaletteHalf || !m.texturePalette) return 0;
        m.texturePaletteHalf = BuildPaletteHalf(m, bitsPerPixel);
        return m.texturePaletteHalf ? 0 : kEngineMemoryError;
    case 5:
        if (m.shadedTexture) return 0;
        m.shadedTexture = BuildShadedTexture(m, bitsPerPixel, false);
        return m.shadedTexture ? 0 : kEngineMemoryError;
    case 6:
        if (m.shadedTextureHalf) return 0;
        m.shadedTextureHalf = BuildShadedTexture(m, bitsPerPixel, true);
        return m.shadedTextureHalf ? 0 : kEngineMemoryError;
    default:
        return 0;
    }
}

} // namespace

int32_t PrepareMaterials(Scene* scene, int32_t bitsPerPixel)
{
    if (!scene) return kEngineOk;
    for (Material* m = scene->materials; m; m = m->next) FreeMaterialTables(m);
    for (int pass = 1; pass <= 6; ++pass) {
        for (SceneObject* o = scene->objects; o; o = o->next) {
            if (o->faceCount <= 0 || !ObjectWants(pass, *o)) continue;
            for (int32_t f = 0; f < o->faceCount; ++f) {
                Material* m = o->faces[f].material;
                if (!m) continue;
                const int32_t result = BuildForPass(pass, *scene, *m, bitsPerPixel);
                if (result != kEngineOk) return result;
            }
        }
    }
    for (SceneFlare* flare = scene->flares; flare; flare = flare->next) {
        PoolFree(flare->picture);
        flare->picture = nullptr;
        if (flare->pictureName[0] == 0) continue;
        if (LoadFlarePicture(*scene, *flare) != kEngineOk) return kEnginePictureError;
    }
    return kEngineOk;
}
