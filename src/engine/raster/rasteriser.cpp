#include "engine/raster/rasteriser.h"

#include <array>

#include "engine/engine_state.h"
#include "engine/raster/rasteriser_triangle.h"

RasterState raster;

namespace {

// Whole-triangle fills of one vertex record and colour source: index = blend + 4 at 15 bits
// per pixel + 8 with the colour key. Opaque spans write the source as it is, so both depths
// share them.
template <class Vertex>
using TriangleFill = void (*)(const Vertex* vertices, const SpanConstants& tables);
template <class Vertex>
using FillTable = std::array<TriangleFill<Vertex>, 16>;

template <class Vertex, int Source, bool Perspective, int Blend, int Bits, bool Key>
constexpr TriangleFill<Vertex> Routine()
{
    constexpr int B = Blend == kBlendOpaqu ? 16 : Bits;
    return &FillTriangle<Vertex, Source, Blend, B, Key, Perspective>;
}

template <class Vertex, int Source, bool Perspective, bool Key>
constexpr void FillHalf(FillTable<Vertex>& table, int offset)
{
    table[offset + 0] = Routine<Vertex, Source, Perspective, kBlendOpaqu, 16, Key>();
    table[offset + 1] = Routine<Vertex, Source, Perspective, kBlendTrans, 16, Key>();
    table[offset + 2] = Routine<Vertex, Source, Perspective, kBlendAddit, 16, Key>();
    table[offset + 3] = Routine<Vertex, Source, Perspective, kBlendSoust, 16, Key>();
    table[offset + 4] = Routine<Vertex, Source, Perspective, kBlendOpaqu, 15, Key>();
    table[offset + 5] = Routine<Vertex, Source, Perspective, kBlendTrans, 15, Key>();
    table[offset + 6] = Routine<Vertex, Source, Perspective, kBlendAddit, 15, Key>();
    table[offset + 7] = Routine<Vertex, Source, Perspective, kBlendSoust, 15, Key>();
}

template <class Vertex, int Source, bool Perspective, bool Keyed>
constexpr FillTable<Vertex> MakeTable()
{
    FillTable<Vertex> table{};
    FillHalf<Vertex, Source, Perspective, false>(table, 0);
    if constexpr (Keyed) FillHalf<Vertex, Source, Perspective, true>(table, 8);
    else FillHalf<Vertex, Source, Perspective, false>(table, 8);
    return table;
}

constexpr FillTable<FlatVertex> kFlatFills = MakeTable<FlatVertex, kSourceFlat, false, false>();
constexpr FillTable<ShadedVertex> kShadedFills = MakeTable<ShadedVertex, kSourceShaded, false, false>();
constexpr FillTable<TextureVertex> kTextureFills = MakeTable<TextureVertex, kSourceTexture, false, true>();
constexpr FillTable<TextureVertex> kTexturePerspFills = MakeTable<TextureVertex, kSourceTexture, true, true>();
constexpr FillTable<TextureShadedVertex> kTextureShadedFills =
    MakeTable<TextureShadedVertex, kSourceTextureShaded, false, true>();
constexpr FillTable<TextureShadedVertex> kTextureShadedPerspFills =
    MakeTable<TextureShadedVertex, kSourceTextureShaded, true, true>();
constexpr TriangleFill<TextureVertex> kPictureFill =
    &FillTriangle<TextureVertex, kSourcePicture16, kBlendOpaqu, 16, false, false>;
constexpr TriangleFill<TextureVertex> kPicturePerspFill =
    &FillTriangle<TextureVertex, kSourcePicture16, kBlendOpaqu, 16, false, true>;

// The fill of a table for the current blend, depth and (textured fills) colour key.
template <class Vertex>
TriangleFill<Vertex> Choose(const FillTable<Vertex>& table, bool textured)
{
    int32_t index = (raster.blend & 3) + (engine.bitsPerPixel != 16 ? 4 : 0);
    if (textured && raster.colourKey) index += 8;
    return table[index];
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
    if (!vertices) return;
    SpanConstants k = Constants(nullptr, nullptr);
    k.colour = colour;
    Choose(kFlatFills, false)(vertices, k);
}

void FillShaded(const ShadedVertex* vertices, const uint16_t* ramp)
{
    if (!vertices || !ramp) return;
    Choose(kShadedFills, false)(vertices, Constants(nullptr, ramp));
}

void FillTexture(const TextureVertex* vertices, const uint8_t* texture, const uint16_t* palette)
{
    if (!vertices || !texture || !palette) return;
    Choose(kTextureFills, true)(vertices, Constants(texture, palette));
}

void FillTexturePersp(const TextureVertex* vertices, const uint8_t* texture, const uint16_t* palette)
{
    if (!vertices || !texture || !palette) return;
    Choose(kTexturePerspFills, true)(vertices, Constants(texture, palette));
}

void FillTextureShaded(const TextureShadedVertex* vertices, const uint8_t* texture, const uint16_t* shadeTable)
{
    if (!vertices || !texture || !shadeTable) return;
    Choose(kTextureShadedFills, true)(vertices, Constants(texture, shadeTable));
}

void FillTextureShadedPersp(const TextureShadedVertex* vertices, const uint8_t* texture,
                            const uint16_t* shadeTable)
{
    if (!vertices || !texture || !shadeTable) return;
    Choose(kTextureShadedPerspFills, true)(vertices, Constants(texture, shadeTable));
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
    if (!vertices || !picture) return;
    kPictureFill(vertices, PictureConstants(picture, size));
}

void FillPicture16Persp(const TextureVertex* vertices, const uint16_t* picture, int32_t size)
{
    if (!vertices || !picture) return;
    kPicturePerspFill(vertices, PictureConstants(picture, size));
}
