#include "engine/rasteriser.h"

#include <array>

#include "engine/engine_state.h"
#include "engine/rasteriser_walk.h"
#include "engine/span_routines.h"

RasterState raster;

namespace {

// Span routines of one colour source: index = blend + 4 at 15 bits per pixel + 8 with the
// colour key. Opaque spans write the source as it is, so both depths share them.
using SpanTable = std::array<SpanRoutine, 16>;

template <int Source, bool Perspective, int Blend, int Bits, bool Key>
constexpr SpanRoutine Routine()
{
    constexpr int B = Blend == kBlendOpaqu ? 16 : Bits;
    if constexpr (Perspective) return &PerspectiveSpan<Source, Blend, B, Key>;
    else return &AffineSpan<Source, Blend, B, Key>;
}

template <int Source, bool Perspective, bool Key>
constexpr void FillHalf(SpanTable& table, int offset)
{
    table[offset + 0] = Routine<Source, Perspective, kBlendOpaqu, 16, Key>();
    table[offset + 1] = Routine<Source, Perspective, kBlendTrans, 16, Key>();
    table[offset + 2] = Routine<Source, Perspective, kBlendAddit, 16, Key>();
    table[offset + 3] = Routine<Source, Perspective, kBlendSoust, 16, Key>();
    table[offset + 4] = Routine<Source, Perspective, kBlendOpaqu, 15, Key>();
    table[offset + 5] = Routine<Source, Perspective, kBlendTrans, 15, Key>();
    table[offset + 6] = Routine<Source, Perspective, kBlendAddit, 15, Key>();
    table[offset + 7] = Routine<Source, Perspective, kBlendSoust, 15, Key>();
}

template <int Source, bool Perspective, bool Keyed>
constexpr SpanTable MakeTable()
{
    SpanTable table{};
    FillHalf<Source, Perspective, false>(table, 0);
    if constexpr (Keyed) FillHalf<Source, Perspective, true>(table, 8);
    else FillHalf<Source, Perspective, false>(table, 8);
    return table;
}

constexpr SpanTable kFlatSpans = MakeTable<kSourceFlat, false, false>();
constexpr SpanTable kShadedSpans = MakeTable<kSourceShaded, false, false>();
constexpr SpanTable kTextureSpans = MakeTable<kSourceTexture, false, true>();
constexpr SpanTable kTexturePerspSpans = MakeTable<kSourceTexture, true, true>();
constexpr SpanTable kTextureShadedSpans = MakeTable<kSourceTextureShaded, false, true>();
constexpr SpanTable kTextureShadedPerspSpans = MakeTable<kSourceTextureShaded, true, true>();
constexpr SpanRoutine kPictureSpan = &AffineSpan<kSourcePicture16, kBlendOpaqu, 16, false>;
constexpr SpanRoutine kPicturePerspSpan = &PerspectiveSpan<kSourcePicture16, kBlendOpaqu, 16, false>;

// The routine of a table for the current blend, depth and (textured fills) colour key.
SpanRoutine ChooseSpan(const SpanTable& table, bool textured)
{
    const int32_t blend = raster.blend & 3;
    int32_t index = blend + (engine.bitsPerPixel != 16 ? 4 : 0);
    if (textured && raster.colourKey) index += 8;
    return table[index];
}

WalkVertex Walk(const FlatVertex& v) { return {v.x16, v.y16, v.invDepth, 0.0f, 0.0f, 0.0f}; }
WalkVertex Walk(const ShadedVertex& v) { return {v.x16, v.y16, v.invDepth, 0.0f, 0.0f, v.shade}; }
WalkVertex Walk(const TextureVertex& v) { return {v.x16, v.y16, v.invDepth, v.u, v.v, 0.0f}; }
WalkVertex Walk(const TextureShadedVertex& v) { return {v.x16, v.y16, v.invDepth, v.u, v.v, v.shade}; }

template <class Vertex>
void Fill(const Vertex* vertices, SpanRoutine routine, SpanConstants& k, bool perspective)
{
    if (!vertices) return;
    const WalkVertex walk[3] = {Walk(vertices[0]), Walk(vertices[1]), Walk(vertices[2])};
    WalkTriangle(walk, routine, k, perspective);
}

SpanConstants Constants(const uint8_t* texture, const uint16_t* table)
{
    SpanConstants k{};
    k.texture = texture;
    k.table = table;
    return k;
}

} // namespace

void FillFlat(const FlatVertex* vertices, uint16_t colour)
{
    SpanConstants k = Constants(nullptr, nullptr);
    k.colour = colour;
    Fill(vertices, ChooseSpan(kFlatSpans, false), k, false);
}

void FillShaded(const ShadedVertex* vertices, const uint16_t* ramp)
{
    if (!ramp) return;
    SpanConstants k = Constants(nullptr, ramp);
    Fill(vertices, ChooseSpan(kShadedSpans, false), k, false);
}

void FillTexture(const TextureVertex* vertices, const uint8_t* texture, const uint16_t* palette)
{
    if (!texture || !palette) return;
    SpanConstants k = Constants(texture, palette);
    Fill(vertices, ChooseSpan(kTextureSpans, true), k, false);
}

void FillTexturePersp(const TextureVertex* vertices, const uint8_t* texture, const uint16_t* palette)
{
    if (!texture || !palette) return;
    SpanConstants k = Constants(texture, palette);
    Fill(vertices, ChooseSpan(kTexturePerspSpans, true), k, true);
}

void FillTextureShaded(const TextureShadedVertex* vertices, const uint8_t* texture, const uint16_t* shadeTable)
{
    if (!texture || !shadeTable) return;
    SpanConstants k = Constants(texture, shadeTable);
    Fill(vertices, ChooseSpan(kTextureShadedSpans, true), k, false);
}

void FillTextureShadedPersp(const TextureShadedVertex* vertices, const uint8_t* texture,
                            const uint16_t* shadeTable)
{
    if (!texture || !shadeTable) return;
    SpanConstants k = Constants(texture, shadeTable);
    Fill(vertices, ChooseSpan(kTextureShadedPerspSpans, true), k, true);
}

namespace {

SpanConstants PictureConstants(const uint16_t* picture, int32_t size)
{
    SpanConstants k = Constants(nullptr, nullptr);
    k.picture = picture;
    k.pictureMask = static_cast<uint32_t>(size - 1) & 0xFF;
    return k;
}

} // namespace

void FillPicture16(const TextureVertex* vertices, const uint16_t* picture, int32_t size)
{
    if (!picture) return;
    SpanConstants k = PictureConstants(picture, size);
    Fill(vertices, kPictureSpan, k, false);
}

void FillPicture16Persp(const TextureVertex* vertices, const uint16_t* picture, int32_t size)
{
    if (!picture) return;
    SpanConstants k = PictureConstants(picture, size);
    Fill(vertices, kPicturePerspSpan, k, true);
}
