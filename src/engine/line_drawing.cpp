// Anti-aliased 3D lines: the wireframe renderer, the outline pass over silhouette and crease
// edges, and the line itself, cut at depth 1.0, clipped to the view and drawn in 1/256-pixel
// steps as a pair of pixels across the minor axis that brighten or darken the view. Lines are
// depth-tested but never write the depth buffer.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engine/face_renderer.h"
#include "engine/object_renderers.h"
#include "engine/raster/span_blend.h"
#include "formats/pixel_format.h"

namespace {

using face_renderer::RoundScreen;

// The depth value of 1/depth: frame stamp + round(invDepth x 2^24), modulo 2^32.
uint32_t LineDepthValue(float invDepth)
{
    float v = invDepth * 16777216.0f;
    if (!(v == v)) v = 0.0f;
    v = std::clamp(v, -9.0e18f, 9.0e18f);
    return static_cast<uint32_t>(static_cast<int64_t>(std::nearbyint(v))) + engine.frameStamp;
}

// The grey colour of level g with all three components equal.
template <int Bits>
constexpr uint32_t GreyColour(uint32_t g)
{
    if constexpr (Bits == 16) return ((g & 0xF8) << 8) + ((g & 0xFC) << 3) + (g >> 3);
    else return ((g & 0xF8) << 7) + ((g & 0xF8) << 2) + (g >> 3);
}

// The pixel after a grey level is added (Brighten) or subtracted with the halving, saturating
// blend arithmetic; brightening keeps the components' lowest bits the halving drops.
template <int Bits, bool Brighten>
inline uint16_t LinePixel(uint16_t old, uint32_t g)
{
    using L = PixelFormat<Bits>;
    const uint32_t grey = GreyColour<Bits>(g);
    const uint32_t half = (grey >> 1) & L::kHalf;
    if constexpr (Brighten) {
        constexpr uint32_t kLowBits = Bits == 16 ? 0x0821 : 0x0421;
        return static_cast<uint16_t>(BlendPixel<kBlendAddit, Bits>(old, half) | ((grey | old) & kLowBits));
    } else {
        return BlendPixel<kBlendSoust, Bits>(old, half);
    }
}

// The view as the line fill sees it.
struct LineView {
    uint8_t* colour;
    uint8_t* depth;
    int64_t width, height;
};

// One step of the line: the pixel pair (major p, minor c) and (p, c + 1) with grey levels g0
// and g1, drawn when either stored depth is <= z. Pixels outside the view are left alone.
template <int Bits, bool Brighten, bool MajorY>
inline void PlotPair(const LineView& view, int64_t p, int64_t c, uint32_t g0, uint32_t g1, uint32_t z)
{
    int64_t x[2], y[2];
    if constexpr (MajorY) {
        x[0] = c, x[1] = c + 1, y[0] = y[1] = p;
    } else {
        y[0] = c, y[1] = c + 1, x[0] = x[1] = p;
    }
    uint16_t* pixel[2] = {nullptr, nullptr};
    bool pass = false;
    for (int k = 0; k < 2; ++k) {
        if (x[k] < 0 || x[k] >= view.width || y[k] < 0 || y[k] >= view.height) continue;
        const auto* depthRow = reinterpret_cast<const uint32_t*>(view.depth + engine.depthRows[y[k]]);
        pass |= depthRow[x[k]] <= z;
        pixel[k] = reinterpret_cast<uint16_t*>(view.colour + engine.colourRows[y[k]]) + x[k];
    }
    if (!pass) return;
    const uint32_t g[2] = {std::min<uint32_t>(g0, 255), std::min<uint32_t>(g1, 255)};
    for (int k = 0; k < 2; ++k) {
        if (pixel[k]) *pixel[k] = LinePixel<Bits, Brighten>(*pixel[k], g[k]);
    }
}

struct LineEnd {
    int64_t m, n; // major and minor coordinate, 1/256 pixel
    uint32_t z;
};

// The stepping of a line whose ends are ordered along the major axis.
template <int Bits, bool Brighten, bool MajorY>
void StepLine(const LineView& view, LineEnd a, LineEnd b)
{
    const int64_t dm = b.m - a.m;
    const int64_t slope = ((b.n - a.n) * 256) / (dm + 1);
    const int64_t p0 = (a.m + 128) >> 8, p1 = (b.m + 128) >> 8;

    // An end: its pixel along the major axis, the minor coordinate moved to that pixel's
    // centre, and its weight by how much of the pixel the line covers.
    auto end = [&](const LineEnd& e, int64_t p) {
        const int64_t n = e.n + (((p * 256 - e.m) * slope) >> 8);
        const uint32_t w = 256 - static_cast<uint32_t>((e.m - 128) & 255);
        const uint32_t f = static_cast<uint32_t>(n & 255);
        PlotPair<Bits, Brighten, MajorY>(view, p, n >> 8, ((256 - f) * w) >> 8, (f * w) >> 8, e.z);
        return n;
    };
    int64_t n = end(a, p0);
    const int64_t steps = p1 - p0;
    if (steps > 0) {
        // Depth in 16.16 steps from the first end's value to the second's.
        const int64_t zStep = ((static_cast<int64_t>(b.z) - static_cast<int64_t>(a.z)) * 65536) / steps;
        int64_t z = static_cast<int64_t>(a.z) * 65536;
        for (int64_t p = p0 + 1; p < p1; ++p) {
            n += slope;
            z += zStep;
            const uint32_t f = static_cast<uint32_t>(n & 255);
            PlotPair<Bits, Brighten, MajorY>(view, p, n >> 8, 255 - f, f, static_cast<uint32_t>(z >> 16));
        }
    }
    end(b, p1);
}

// The line fill between two screen points in 1/16 pixel with their depth values: rejected
// when both ends lie beyond one side of the rectangle 16 .. clip - 32, clipped to it
// otherwise, then stepped along its major axis.
template <int Bits, bool Brighten>
void FillLine(int64_t x0, int64_t y0, uint32_t z0, int64_t x1, int64_t y1, uint32_t z1)
{
    LineView view;
    view.colour = raster.colourBase;
    view.depth = reinterpret_cast<uint8_t*>(engine.depthBuffer);
    view.width = engine.width;
    view.height = std::min<int64_t>(engine.height, kMaxViewRows);
    if (!view.colour || !view.depth || view.width <= 0 || view.height <= 0) return;

    const int64_t xMin = 16, yMin = 16;
    const int64_t xMax = int64_t{engine.clipX16} - 32, yMax = int64_t{engine.clipY16} - 32;
    if (xMax < xMin || yMax < yMin) return;
    if ((x0 < xMin && x1 < xMin) || (x0 > xMax && x1 > xMax) || (y0 < yMin && y1 < yMin) ||
        (y0 > yMax && y1 > yMax)) {
        return;
    }
    const bool inside0 = x0 >= xMin && x0 <= xMax && y0 >= yMin && y0 <= yMax;
    const bool inside1 = x1 >= xMin && x1 <= xMax && y1 >= yMin && y1 <= yMax;
    if (!inside0 || !inside1) {
        // Parametric clip: the part of the line with t in [t0, t1] lies in the rectangle.
        const double dx = static_cast<double>(x1 - x0), dy = static_cast<double>(y1 - y0);
        double t0 = 0.0, t1 = 1.0;
        auto edge = [&](double q, double r) { // keeps q + r t >= 0
            if (r == 0.0) return q >= 0.0;
            const double t = -q / r;
            if (r > 0.0) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
            return t0 <= t1;
        };
        if (!edge(static_cast<double>(x0 - xMin), dx) || !edge(static_cast<double>(xMax - x0), -dx) ||
            !edge(static_cast<double>(y0 - yMin), dy) || !edge(static_cast<double>(yMax - y0), -dy)) {
            return;
        }
        const double dz = static_cast<double>(z1) - static_cast<double>(z0);
        auto at = [&](double t, int64_t& x, int64_t& y, uint32_t& z) {
            x = std::clamp(static_cast<int64_t>(std::llround(static_cast<double>(x0) + dx * t)), xMin, xMax);
            y = std::clamp(static_cast<int64_t>(std::llround(static_cast<double>(y0) + dy * t)), yMin, yMax);
            z = static_cast<uint32_t>(std::llround(static_cast<double>(z0) + dz * t));
        };
        int64_t cx0 = x0, cy0 = y0, cx1 = x1, cy1 = y1;
        uint32_t cz0 = z0, cz1 = z1;
        if (!inside0) at(t0, cx0, cy0, cz0);
        if (!inside1) at(t1, cx1, cy1, cz1);
        x0 = cx0, y0 = cy0, z0 = cz0, x1 = cx1, y1 = cy1, z1 = cz1;
    }

    // 1/256 pixel from here on.
    x0 *= 16, y0 *= 16, x1 *= 16, y1 *= 16;
    const int64_t dx = x1 - x0, dy = y1 - y0;
    if ((dx < 0 ? -dx : dx) <= (dy < 0 ? -dy : dy)) {
        LineEnd a{y0, x0, z0}, b{y1, x1, z1};
        if (b.m < a.m) std::swap(a, b);
        StepLine<Bits, Brighten, true>(view, a, b);
    } else {
        LineEnd a{x0, y0, z0}, b{x1, y1, z1};
        if (b.m < a.m) std::swap(a, b);
        StepLine<Bits, Brighten, false>(view, a, b);
    }
}

void FillLineOfMode(int64_t x0, int64_t y0, float invDepth0, int64_t x1, int64_t y1, float invDepth1)
{
    const uint32_t z0 = LineDepthValue(invDepth0), z1 = LineDepthValue(invDepth1);
    const bool brighten = engine.lineMode == 1;
    if (engine.bitsPerPixel == 16) {
        if (brighten) FillLine<16, true>(x0, y0, z0, x1, y1, z1);
        else FillLine<16, false>(x0, y0, z0, x1, y1, z1);
    } else {
        if (brighten) FillLine<15, true>(x0, y0, z0, x1, y1, z1);
        else FillLine<15, false>(x0, y0, z0, x1, y1, z1);
    }
}

bool IsProjected(const ProjectedVertex* v) { return static_cast<uint32_t>(v->sx16) != kNotProjected; }

} // namespace

void DrawLine3D(const ProjectedVertex* a, const ProjectedVertex* b)
{
    if (!a || !b) return;
    const float bias = engine.depthBias;
    const bool pa = IsProjected(a), pb = IsProjected(b);
    if (pa && pb) {
        FillLineOfMode(a->sx16, a->sy16, 1.0f / (a->depth - bias), b->sx16, b->sy16, 1.0f / (b->depth - bias));
        return;
    }
    if (!pa && !pb) return;
    if (!pa) std::swap(a, b);
    // Cut at depth 1.0 between the projected end and the one behind the eye. When the
    // projected end is itself nearer than 1.0 the whole line lies in front of the cut.
    const float t = (1.0f - a->depth) / (b->depth - a->depth);
    if (!(t >= 0.0f && t <= 1.0f)) return;
    const float x = a->cx + (b->cx - a->cx) * t;
    const float z = a->cz + (b->cz - a->cz) * t;
    const int32_t sx = RoundScreen(x * engine.focal16 + engine.centreX16);
    const int32_t sy = RoundScreen(engine.centreY16 - z * engine.focal16);
    FillLineOfMode(a->sx16, a->sy16, 1.0f / (a->depth - bias), sx, sy, 1.0f / (1.0f - bias));
}

void DrawEdges(SceneObject* object, int32_t workRecordSize)
{
    if (!face_renderer::WorkHasRoom(object) || !object->edges) return;
    if (workRecordSize < 20 || workRecordSize > kWorkBytesPerVertex) return;
    const uint32_t n = static_cast<uint32_t>(object->vertexCount);
    const Vec3 eye = engine.eyeInObject;
    const float limit = engine.creaseLimit;
    for (int32_t i = 0; i < object->edgeCount; ++i) {
        const SceneEdge& edge = object->edges[i];
        if (static_cast<uint32_t>(edge.vertexA) >= n || static_cast<uint32_t>(edge.vertexB) >= n || !edge.faceA) {
            continue;
        }
        const Vec3 e = eye - object->vertices[edge.vertexA];
        const float sA = Dot(e, edge.faceA->normal);
        const float sB = edge.faceB ? Dot(e, edge.faceB->normal) : sA;
        const int32_t bitsA = std::bit_cast<int32_t>(sA), bitsB = std::bit_cast<int32_t>(sB);
        // A silhouette (the signs differ), or a crease between two faces turned to the eye.
        const bool draw = (bitsA ^ bitsB) < 0 || (bitsA > 0 && bitsB > 0 && edge.crease <= limit);
        if (!draw) continue;
        DrawLine3D(face_renderer::Record(engine.work, workRecordSize, edge.vertexA),
                   face_renderer::Record(engine.work, workRecordSize, edge.vertexB));
    }
}

void RenderWire(SceneObject* object)
{
    using namespace face_renderer;
    if (!WorkHasRoom(object)) return;
    constexpr int32_t kStride = 20;
    ProjectVertices<false, false>(object, kStride);
    if (engine.outlineMode == 2 || !object->faces) return;
    const bool culling = engine.backfaceCulling != 0, morphing = engine.morphing != 0;
    for (int32_t f = 0; f < object->faceCount; ++f) {
        const SceneFace& face = object->faces[f];
        if (!FaceIndicesValid(face, object->vertexCount)) continue;
        bool flip;
        if (!FaceSeen(Facing(face, object->vertices), culling, morphing, &flip)) continue;
        const ProjectedVertex* a = Record(engine.work, kStride, face.a);
        const ProjectedVertex* b = Record(engine.work, kStride, face.b);
        const ProjectedVertex* c = Record(engine.work, kStride, face.c);
        DrawLine3D(a, b);
        DrawLine3D(b, c);
        DrawLine3D(c, a);
    }
}
