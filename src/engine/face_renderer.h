// The steps every object renderer shares, as templates specialised per map family and shade:
// the vertex step (camera space, projection, Gouraud and environment values into the work
// records), the facing test, the colour source of a face, the on-screen test, clipping and
// the fan into the rasteriser of the mode. Internal to the object renderers.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/engine_state.h"
#include "engine/object_renderers.h"
#include "engine/polygon_clipping.h"
#include "engine/raster/rasteriser.h"

namespace face_renderer {

// Where the surface colour comes from: a material colour or ramp, the material's texture
// through the mapping or environment coordinates, or a camera texture.
enum class Family { Nomap, Textu, Envma, Target };

// Nearest integer (ties to even); 0x80000000 for NaN and for values beyond 32 bits, which
// fails the on-screen test like the mark of a vertex behind the eye.
inline int32_t RoundScreen(float v)
{
#if defined(__x86_64__)
    return _mm_cvtss_si32(_mm_set_ss(v));
#else
    if (!(v >= -2147483648.0f && v < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(std::nearbyint(v));
#endif
}

inline ProjectedVertex* Record(uint8_t* work, int32_t stride, int32_t i)
{
    return reinterpret_cast<ProjectedVertex*>(work + static_cast<size_t>(i) * static_cast<size_t>(stride));
}

// True when the object has vertices and the work buffer has room for its records.
inline bool WorkHasRoom(const SceneObject* o)
{
    return o && o->vertices && o->vertexCount > 0 && engine.work && o->vertexCount <= engine.workVertices;
}

// The vertex step: camera-space position and screen position of every vertex; with Goura the
// ramp index of the vertex normal's angle to the light (at extra[ShadeSlot]), with Env the
// environment coordinates of the vertex normal (extra[0], extra[1]).
template <bool Goura, bool Env>
void ProjectVertices(const SceneObject* o, int32_t stride)
{
    constexpr int kShadeSlot = Env ? 2 : 0;
    const float* m = engine.objectMatrix;
    const Vec3 t = engine.objectTranslation;
    const float focal = engine.focal16, cx16 = engine.centreX16, cy16 = engine.centreY16;
    const Vec3 light = engine.lightInObject;
    const Vec3 r23 = engine.envRight23, u23 = engine.envUp23;
    const float uOffset = static_cast<float>(o->uvOffset[0]), vOffset = static_cast<float>(o->uvOffset[1]);
    const Vec3* vertices = o->vertices;
    const Vec3* normals = o->vertexNormals;
    uint8_t* work = engine.work;
    const int32_t n = o->vertexCount;
    for (int32_t i = 0; i < n; ++i) {
        const Vec3 v = vertices[i];
        ProjectedVertex* r = Record(work, stride, i);
        const float x = m[0] * v.x + m[1] * v.y + m[2] * v.z + t.x;
        const float depth = m[3] * v.x + m[4] * v.y + m[5] * v.z + t.y;
        const float z = m[6] * v.x + m[7] * v.y + m[8] * v.z + t.z;
        r->cx = x;
        r->depth = depth;
        r->cz = z;
        if (depth > 0.0f) {
            const float f = focal / depth;
            r->sx16 = RoundScreen(f * x + cx16);
            r->sy16 = RoundScreen(cy16 - f * z);
        } else {
            r->sx16 = static_cast<int32_t>(kNotProjected);
            r->sy16 = static_cast<int32_t>(kNotProjected);
        }
        if constexpr (Goura || Env) {
            const Vec3 nv = normals[i];
            if constexpr (Goura) {
                const float k = nv.x * light.x + nv.y * light.y + nv.z * light.z;
                r->extra[kShadeSlot] = static_cast<float>(AngleRamp(RoundScreen(k)));
            }
            if constexpr (Env) {
                r->extra[0] = r23.x * nv.x + r23.y * nv.y + r23.z * nv.z + 8388608.0f + uOffset;
                r->extra[1] = u23.x * nv.x + u23.y * nv.y + u23.z * nv.z + 8388608.0f + vOffset;
            }
        }
    }
}

// The facing value of a face: (eye - its first vertex) . its normal, in object space.
inline float Facing(const SceneFace& face, const Vec3* vertices)
{
    const Vec3 a = vertices[face.a];
    const Vec3 e = engine.eyeInObject;
    return (e.x - a.x) * face.normal.x + (e.y - a.y) * face.normal.y + (e.z - a.z) * face.normal.z;
}

// Whether a face is drawn, and whether its second and third vertices swap: a face turned away
// is filled from the other side without back-face culling, skipped with it, and drawn as it
// is while the object morphs.
inline bool FaceSeen(float s, bool culling, bool morphing, bool* flip)
{
    *flip = false;
    if (!(s < 0.0f)) return true;
    if (!culling) {
        *flip = true;
        return true;
    }
    return morphing;
}

// True when all three vertex indices of a face name vertices of the object.
inline bool FaceIndicesValid(const SceneFace& face, int32_t n)
{
    const uint32_t u = static_cast<uint32_t>(n);
    return (static_cast<uint32_t>(face.a) < u) & (static_cast<uint32_t>(face.b) < u) &
           (static_cast<uint32_t>(face.c) < u);
}

// The ramp index of a shading angle (the dot product of a unit normal and the light, in
// -1024 .. 1024): 16.16.
inline int32_t ShadeLevel(float k) { return AngleRamp(RoundScreen(k)); }

// The fog ramp index of a depth in 16.16: 20.0 up to the fog's near limit, 179.0 from its far
// limit on, linear between. The limits are compared on the bit patterns of the reals.
inline float FogLevel(float depth)
{
    const int32_t d = std::bit_cast<int32_t>(depth);
    if (d <= std::bit_cast<int32_t>(engine.fogNear)) return 1310720.0f;
    if (d >= std::bit_cast<int32_t>(engine.fogFar)) return 11730944.0f;
    return (depth - engine.fogNear) * engine.fogScale + 1310720.0f;
}

constexpr bool IsShaded(ShadeKind s) { return s == kShadeGoura || s == kShadeFoggy; }

// Bytes per work record of a family and shade.
template <Family F, ShadeKind S>
constexpr int32_t RecordSize()
{
    if constexpr (F == Family::Envma) return S == kShadeGoura ? 32 : 28;
    else if constexpr (F == Family::Target) return 20;
    else return S == kShadeGoura ? 24 : 20;
}

// The rasteriser vertex of a family and shade.
template <Family F, ShadeKind S>
struct RasterVertexOf {
    using Type = std::conditional_t<F == Family::Nomap, std::conditional_t<IsShaded(S), ShadedVertex, FlatVertex>,
                                    std::conditional_t<IsShaded(S), TextureShadedVertex, TextureVertex>>;
};

// Attributes carried through clipping: [u, v,] [ramp index].
template <Family F, ShadeKind S>
constexpr int AttributeCount()
{
    return (F == Family::Nomap ? 0 : 2) + (IsShaded(S) ? 1 : 0);
}

// The colour source of a face: a colour, a ramp, a palette or shaded-texture table, the
// texture frame, or a camera texture.
struct FaceSource {
    uint16_t colour = 0;
    const uint16_t* table = nullptr;
    const uint8_t* texture = nullptr;
    const uint16_t* picture = nullptr;
    int32_t size = 0;
};

// What a material offers the face step of a family and shade in the current pass, before
// the per-face level of Flaty; false when a table the mode needs is missing.
template <Family F, ShadeKind S>
bool MaterialSource(const Material* m, bool half, FaceSource* s)
{
    if (!m) return false;
    if constexpr (F == Family::Nomap) {
        const uint16_t* ramp = half ? m->shadeRampHalf : m->shadeRamp;
        if (!ramp) return false;
        s->table = ramp;
        if constexpr (S == kShadeNosha) s->colour = ramp[0];
        if constexpr (S == kShadeShade) s->colour = half ? m->shadeColourHalf : m->shadeColour;
        return true;
    } else {
        s->texture = m->currentFrame;
        if constexpr (S == kShadeNosha) s->table = half ? m->texturePaletteHalf : m->texturePalette;
        else if constexpr (S == kShadeShade) s->table = half ? m->shadeRowHalf : m->shadeRow;
        else s->table = half ? m->shadedTextureHalf : m->shadedTexture;
        return s->texture && s->table;
    }
}

// The rasteriser call of a family and shade.
template <Family F, ShadeKind S, bool Persp, class RV>
inline void FillTriangle(const RV* tri, const FaceSource& s)
{
    if constexpr (F == Family::Nomap) {
        if constexpr (IsShaded(S)) FillShaded(tri, s.table);
        else FillFlat(tri, s.colour);
    } else if constexpr (F == Family::Target) {
        if constexpr (Persp) FillPicture16Persp(tri, s.picture, s.size);
        else FillPicture16(tri, s.picture, s.size);
    } else if constexpr (IsShaded(S)) {
        if constexpr (Persp) FillTextureShadedPersp(tri, s.texture, s.table);
        else FillTextureShaded(tri, s.texture, s.table);
    } else {
        if constexpr (Persp) FillTexturePersp(tri, s.texture, s.table);
        else FillTexture(tri, s.texture, s.table);
    }
}

// A rasteriser vertex at a screen position with 1/depth and the attributes [u, v,] [ramp].
template <Family F, ShadeKind S, bool Persp, class RV>
inline RV MakeRasterVertex(int32_t x16, int32_t y16, float invDepth, const float* a)
{
    RV r;
    r.x16 = x16;
    r.y16 = y16;
    r.invDepth = invDepth;
    if constexpr (F != Family::Nomap) {
        r.u = Persp ? a[0] * invDepth : a[0];
        r.v = Persp ? a[1] * invDepth : a[1];
        if constexpr (IsShaded(S)) r.shade = a[2];
    } else if constexpr (IsShaded(S)) {
        r.shade = a[0];
    }
    return r;
}

// A face that is not wholly on screen: clipped against the side planes, projected and fanned.
template <Family F, ShadeKind S, bool Persp>
void ClipAndFill(const ProjectedVertex* const* rec, const float (*attr)[3], const FaceSource& src)
{
    constexpr int A = AttributeCount<F, S>();
    using RV = typename RasterVertexOf<F, S>::Type;
    ClipVertex<A> poly[kClipCapacity], scratch[kClipCapacity];
    for (int k = 0; k < 3; ++k) {
        poly[k].v[0] = rec[k]->cx;
        poly[k].v[1] = rec[k]->depth;
        poly[k].v[2] = rec[k]->cz;
        for (int j = 0; j < A; ++j) poly[k].v[3 + j] = attr[k][j];
    }
    const ClipPlanes planes{engine.cosH, engine.sinH, engine.cosV, engine.sinV};
    const int32_t n = ClipPolygon<A>(planes, poly, 3, scratch);
    if (n < 3) return;
    RV out[kClipCapacity];
    const float focal = engine.focal16, cx16 = engine.centreX16, cy16 = engine.centreY16;
    for (int32_t k = 0; k < n; ++k) {
        const float depth = poly[k].v[1];
        // The side planes meet at the eye: a corner exactly there has no screen position.
        if (!(depth > 0.0f)) return;
        const float f = focal / depth;
        const int32_t x = RoundScreen(f * poly[k].v[0] + cx16);
        const int32_t y = RoundScreen(cy16 - f * poly[k].v[2]);
        out[k] = MakeRasterVertex<F, S, Persp, RV>(x, y, 1.0f / depth, poly[k].v + 3);
    }
    for (int32_t i = 2; i < n; ++i) {
        const RV tri[3] = {out[i], out[i - 1], out[0]};
        FillTriangle<F, S, Persp>(tri, src);
    }
}

// The per-vertex attributes of the family and shade for vertex i: [u, v,] [ramp index].
template <Family F, ShadeKind S>
inline void VertexAttributes(const SceneObject* o, const ProjectedVertex* r, int32_t i, float uOffset,
                             float vOffset, float targetScale, float* a)
{
    constexpr int kShadeSlot = F == Family::Nomap ? 0 : 2;
    if constexpr (F == Family::Textu) {
        a[0] = o->mapping[2 * i] + uOffset;
        a[1] = o->mapping[2 * i + 1] + vOffset;
    } else if constexpr (F == Family::Target) {
        a[0] = (o->mapping[2 * i] + uOffset) * targetScale;
        a[1] = (o->mapping[2 * i + 1] + vOffset) * targetScale;
    } else if constexpr (F == Family::Envma) {
        a[0] = r->extra[0];
        a[1] = r->extra[1];
    }
    (void)o, (void)i, (void)uOffset, (void)vOffset, (void)targetScale;
    if constexpr (S == kShadeGoura) a[kShadeSlot] = r->extra[F == Family::Envma ? 2 : 0];
    else if constexpr (S == kShadeFoggy) a[kShadeSlot] = FogLevel(r->depth);
}

// The face step over every face of the object, after the vertex step filled engine.work.
// `target` is the colour source of a camera-texture object (unused by the other families).
template <Family F, ShadeKind S, bool Persp>
void DrawFaces(const SceneObject* o, const FaceSource& target)
{
    using RV = typename RasterVertexOf<F, S>::Type;
    constexpr int32_t kStride = RecordSize<F, S>();
    const int32_t n = o->vertexCount;
    const Vec3* vertices = o->vertices;
    uint8_t* work = engine.work;
    const bool culling = engine.backfaceCulling != 0;
    const bool morphing = engine.morphing != 0;
    const bool half = engine.pass == 1;
    const uint32_t clipX = static_cast<uint32_t>(engine.clipX16), clipY = static_cast<uint32_t>(engine.clipY16);
    const float uOffset = static_cast<float>(o->uvOffset[0]), vOffset = static_cast<float>(o->uvOffset[1]);
    const float targetScale = static_cast<float>(target.size) * (1.0f / 256.0f);
    const Vec3 light = engine.lightInObject;

    const Material* cached = nullptr;
    bool resolved = false, cachedOk = false;
    FaceSource src = target;
    const SceneFace* faces = o->faces;
    for (int32_t f = 0; f < o->faceCount; ++f) {
        const SceneFace& face = faces[f];
        if (!FaceIndicesValid(face, n)) continue;
        bool flip;
        if (!FaceSeen(Facing(face, vertices), culling, morphing, &flip)) continue;

        if constexpr (F != Family::Target) {
            if (!resolved || face.material != cached) {
                resolved = true;
                cached = face.material;
                src = FaceSource{};
                cachedOk = MaterialSource<F, S>(cached, half, &src);
            }
            if (!cachedOk) continue;
        }
        FaceSource faceSrc = src;
        if constexpr (S == kShadeFlaty) {
            const int32_t level = ShadeLevel(face.normal.x * light.x + face.normal.y * light.y +
                                             face.normal.z * light.z) >> 16;
            const int32_t row = level & 255;
            if constexpr (F == Family::Nomap) faceSrc.colour = src.table[row];
            else faceSrc.table = src.table + row * 256;
        }
        (void)light;

        int32_t idx[3] = {face.a, face.b, face.c};
        if (flip) std::swap(idx[1], idx[2]);
        const ProjectedVertex* rec[3] = {Record(work, kStride, idx[0]), Record(work, kStride, idx[1]),
                                         Record(work, kStride, idx[2])};
        float attr[3][3];
        for (int k = 0; k < 3; ++k) VertexAttributes<F, S>(o, rec[k], idx[k], uOffset, vOffset, targetScale, attr[k]);

        const bool onScreen = (static_cast<uint32_t>(rec[0]->sx16) < clipX) & (static_cast<uint32_t>(rec[0]->sy16) < clipY) &
                              (static_cast<uint32_t>(rec[1]->sx16) < clipX) & (static_cast<uint32_t>(rec[1]->sy16) < clipY) &
                              (static_cast<uint32_t>(rec[2]->sx16) < clipX) & (static_cast<uint32_t>(rec[2]->sy16) < clipY);
        if (onScreen) {
            const RV tri[3] = {
                MakeRasterVertex<F, S, Persp, RV>(rec[0]->sx16, rec[0]->sy16, 1.0f / rec[0]->depth, attr[0]),
                MakeRasterVertex<F, S, Persp, RV>(rec[1]->sx16, rec[1]->sy16, 1.0f / rec[1]->depth, attr[1]),
                MakeRasterVertex<F, S, Persp, RV>(rec[2]->sx16, rec[2]->sy16, 1.0f / rec[2]->depth, attr[2]),
            };
            FillTriangle<F, S, Persp>(tri, faceSrc);
        } else {
            ClipAndFill<F, S, Persp>(rec, attr, faceSrc);
        }
    }
}

// A renderer: the vertex step, then (unless the outline mode draws edges only) the face step.
// Nothing is filled when the object lacks the normals or mapping its family needs; the
// records are still written for the outline pass.
template <Family F, ShadeKind S>
void RenderFamily(SceneObject* o, const FaceSource& target = FaceSource{})
{
    if (!WorkHasRoom(o)) return;
    constexpr bool kEnv = F == Family::Envma;
    constexpr bool kGoura = S == kShadeGoura;
    constexpr int32_t kStride = RecordSize<F, S>();
    const bool normalsOk = !(kEnv || kGoura) || o->vertexNormals;
    const bool mappingOk = (F != Family::Textu && F != Family::Target) || o->mapping;
    if (normalsOk) ProjectVertices<kGoura, kEnv>(o, kStride);
    else ProjectVertices<false, false>(o, kStride);
    if (engine.outlineMode == 2 || !normalsOk || !mappingOk || !o->faces) return;
    if constexpr (F == Family::Target) {
        if (!target.picture) return;
    }
    if constexpr (F == Family::Nomap) {
        DrawFaces<F, S, false>(o, target);
    } else {
        if (engine.affineMapping) DrawFaces<F, S, false>(o, target);
        else DrawFaces<F, S, true>(o, target);
    }
}

} // namespace face_renderer
