// Whole-triangle fills specialised at compile time for one vertex record, colour source,
// blend, colour depth, colour key and interpolation: the set-up (sort, gradients, exact 28.4
// edges, left-edge attribute start) in 32-bit integers and four-lane reals, and the row loop
// with its span inlined. Triangles with a coordinate of 2^22 sixteenths of a pixel or more go
// to the general walker, whose 64- and 128-bit arithmetic gives the same pixels. Internal to
// the rasterisers.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/engine_state.h"
#include "engine/raster/rasteriser.h"
#include "engine/raster/rasteriser_walk.h"
#include "engine/raster/span_routines.h"

// The four interpolated reals of a vertex: 1/depth, u, v, ramp index (0 when the fill has none).
typedef float AttributeLanes __attribute__((vector_size(16)));

inline AttributeLanes LoadLanes(const FlatVertex& v) { return AttributeLanes{v.invDepth, 0.0f, 0.0f, 0.0f}; }
inline AttributeLanes LoadLanes(const ShadedVertex& v) { return AttributeLanes{v.invDepth, 0.0f, 0.0f, v.shade}; }
inline AttributeLanes LoadLanes(const TextureVertex& v) { return AttributeLanes{v.invDepth, v.u, v.v, 0.0f}; }
inline AttributeLanes LoadLanes(const TextureShadedVertex& v)
{
    AttributeLanes lanes;
    std::memcpy(&lanes, &v.invDepth, sizeof lanes);
    return lanes;
}

inline WalkVertex ToWalk(const FlatVertex& v) { return {v.x16, v.y16, v.invDepth, 0.0f, 0.0f, 0.0f}; }
inline WalkVertex ToWalk(const ShadedVertex& v) { return {v.x16, v.y16, v.invDepth, 0.0f, 0.0f, v.shade}; }
inline WalkVertex ToWalk(const TextureVertex& v) { return {v.x16, v.y16, v.invDepth, v.u, v.v, 0.0f}; }
inline WalkVertex ToWalk(const TextureShadedVertex& v) { return {v.x16, v.y16, v.invDepth, v.u, v.v, v.shade}; }

// q = floor(n / d) and r = n - q d (0 <= r < d) for d > 0. The quotient of doubles, rounded
// toward zero, is the exact one: below 2^53 its rounding error is smaller than the distance
// 1/d from a quotient that is not whole to the next whole number. Faster than an integer
// division on the processors we run on.
inline void FloorDivide(int32_t n, int32_t d, int32_t& q, int32_t& r)
{
    q = static_cast<int32_t>(static_cast<double>(n) / static_cast<double>(d));
    r = n - q * d;
    if (r < 0) --q, r += d;
}

// One edge in 32-bit integers: the first pixel column at or right of its crossing with each
// row's y = 16r line, stepped with an exact remainder (0 .. denom - 1).
struct SmallEdge {
    int32_t x, rem, step, remStep, denom;

    // Edge from (xa, ya) to (xb, yb), yb > ya, at its row `row` (16 row >= ya); coordinates
    // below 2^22 in magnitude.
    void Start(int32_t xa, int32_t ya, int32_t xb, int32_t yb, int32_t row)
    {
        const int32_t dx = xb - xa, dy = yb - ya;
        denom = 16 * dy;
        int32_t q, r;
        FloorDivide(dx, dy, q, r);
        step = q;
        remStep = 16 * r;
        const int32_t rowOffset = 16 * row - ya;
        if (rowOffset < 16) {
            // the whole sixteenths of xa leave the division as whole columns
            const int32_t n = rowOffset * dx + (xa & 15) * dy + denom - 1;
            int32_t nq, nr;
            FloorDivide(n, denom, nq, nr);
            x = (xa >> 4) + nq;
            rem = nr;
        } else { // the edge starts above the view
            const int64_t n = int64_t{rowOffset} * dx + int64_t{xa} * dy + denom - 1;
            int64_t nq = n / denom, nr = n % denom;
            if (nr < 0) --nq, nr += denom;
            x = static_cast<int32_t>(nq);
            rem = static_cast<int32_t>(nr);
        }
    }

    // Next row; true when x took the extra column.
    bool Advance()
    {
        x += step;
        rem += remStep;
        if (rem >= denom) {
            rem -= denom;
            ++x;
            return true;
        }
        return false;
    }
};

// Fills one triangle of `Vertex` records with the span of `Source` / `Blend` / `Bits` / `Key`.
// The row loop and its span are compiled into one body.
template <class Vertex, int Source, int Blend, int Bits, bool Key, bool Perspective>
[[gnu::flatten]] void FillTriangle(const Vertex* vs, const SpanConstants& tables)
{
    constexpr bool kTextured = Source == kSourceTexture || Source == kSourceTextureShaded || Source == kSourcePicture16;
    constexpr bool kRamp = Source == kSourceShaded || Source == kSourceTextureShaded;
    constexpr int32_t kLimit = 1 << 22;
    if (!raster.colourBase || !engine.depthBuffer) return;
    const int32_t width = engine.width;
    const int32_t height = engine.height < kMaxViewRows ? engine.height : kMaxViewRows;
    if (width <= 0 || height <= 0) return;

    const Vertex& v0 = vs[0];
    const Vertex& v1 = vs[1];
    const Vertex& v2 = vs[2];
    // 1 when a coordinate lies outside the 32-bit set-up's range; or-ed without branches.
    const auto far = [](int32_t c) -> uint32_t { return static_cast<uint32_t>(c) + uint32_t{kLimit - 1} > 2u * kLimit - 2u; };
    if (far(v0.x16) | far(v0.y16) | far(v1.x16) | far(v1.y16) | far(v2.x16) | far(v2.y16)) {
        const WalkVertex walk[3] = {ToWalk(v0), ToWalk(v1), ToWalk(v2)};
        SpanConstants k = tables;
        if constexpr (Perspective) WalkTriangle(walk, &PerspectiveSpan<Source, Blend, Bits, Key>, k, true);
        else WalkTriangle(walk, &AffineSpan<Source, Blend, Bits, Key>, k, false);
        return;
    }

    // Gradients from the vertices in the given order, against vertex 2.
    const int32_t ex0 = v0.x16 - v2.x16, ey0 = v0.y16 - v2.y16;
    const int32_t ex1 = v1.x16 - v2.x16, ey1 = v1.y16 - v2.y16;
    const int64_t area = int64_t{ex1} * ey0 - int64_t{ex0} * ey1;
    if (area == 0) return;

    // Sort by y into top, middle and bottom.
    const Vertex* t = &v0;
    const Vertex* m = &v1;
    const Vertex* b = &v2;
    if (m->y16 < t->y16) std::swap(t, m);
    if (b->y16 < m->y16) std::swap(m, b);
    if (m->y16 < t->y16) std::swap(t, m);
    const int32_t rowTop = (t->y16 + 15) >> 4, rowMid = (m->y16 + 15) >> 4, rowBottom = (b->y16 + 15) >> 4;
    const int32_t first = rowTop > 0 ? rowTop : 0;
    const int32_t last = rowBottom < height ? rowBottom : height;
    if (first >= last) return;
    // The long edge (top to bottom) is the left one when the middle vertex lies right of it.
    const int64_t side = int64_t{m->x16 - t->x16} * (b->y16 - t->y16) - int64_t{m->y16 - t->y16} * (b->x16 - t->x16);
    if (side == 0) return;
    const bool longIsLeft = side > 0;

    const float e = static_cast<float>(area) * (1.0f / 256.0f);
    const float dx0 = static_cast<float>(ex0) / 16.0f, dy0 = static_cast<float>(ey0) / 16.0f;
    const float dx1 = static_cast<float>(ex1) / 16.0f, dy1 = static_cast<float>(ey1) / 16.0f;
    const AttributeLanes a2 = LoadLanes(v2);
    const AttributeLanes da0 = LoadLanes(v0) - a2, da1 = LoadLanes(v1) - a2;
    const AttributeLanes gx = (da1 * dy0 - da0 * dy1) / e;
    const AttributeLanes gy = (da0 * dx1 - da1 * dx0) / e;
    const AttributeLanes scale = {16777216.0f, 1.0f, 1.0f, 1.0f};
    const AttributeLanes gxScaled = gx * scale;

    SpanConstants k = tables;
    k.dz = RealToFixed(gxScaled[0]);
    if constexpr (kTextured) k.du = RealToFixed(gxScaled[1]), k.dv = RealToFixed(gxScaled[2]);
    if constexpr (kRamp) k.di = RealToFixed(gxScaled[3]);
    AttributeLanes base{};
    if constexpr (Perspective) {
        k.diz = gx[0], k.duz = gx[1], k.dvz = gx[2];
        base = a2 - gx * (static_cast<float>(v2.x16) / 16.0f) - gy * (static_cast<float>(v2.y16) / 16.0f);
    }

    // Attribute values along the left edge, in fixed point.
    uint32_t z = 0, u = 0, v = 0, i = 0;
    uint32_t zRow = 0, uRow = 0, vRow = 0, iRow = 0;
    const auto startLeft = [&](const SmallEdge& edge, const Vertex& top, int32_t row) {
        const float py = static_cast<float>(16 * row - top.y16);
        const float px = static_cast<float>(16 * edge.x - top.x16);
        const float xStep = static_cast<float>(edge.step);
        const AttributeLanes start = (LoadLanes(top) + (py * gy + px * gx) * (1.0f / 16.0f)) * scale;
        const AttributeLanes rowStep = (xStep * gx + gy) * scale;
        z = RealToFixed(start[0]) + engine.frameStamp, zRow = RealToFixed(rowStep[0]);
        if constexpr (kTextured) {
            u = RealToFixed(start[1]), uRow = RealToFixed(rowStep[1]);
            v = RealToFixed(start[2]), vRow = RealToFixed(rowStep[2]);
        }
        if constexpr (kRamp) i = RealToFixed(start[3]), iRow = RealToFixed(rowStep[3]);
    };

    SmallEdge longEdge, shortEdge;
    longEdge.Start(t->x16, t->y16, b->x16, b->y16, first);
    if (longIsLeft) startLeft(longEdge, *t, first);

    uint8_t* const colourBase = raster.colourBase;
    uint8_t* const depthBase = reinterpret_cast<uint8_t*>(engine.depthBuffer);
    const auto runRows = [&](int32_t from, int32_t to) {
        SmallEdge& l = longIsLeft ? longEdge : shortEdge;
        SmallEdge& r = longIsLeft ? shortEdge : longEdge;
        for (int32_t row = from; row < to; ++row) {
            int32_t x0 = l.x, x1 = r.x;
            if (x1 > width) x1 = width;
            if (x0 < 0) x0 = 0;
            if (x1 > x0) {
                SpanStart s;
                const uint32_t skip = static_cast<uint32_t>(x0 - l.x);
                s.z = z + skip * k.dz;
                s.u = kTextured ? u + skip * k.du : 0;
                s.v = kTextured ? v + skip * k.dv : 0;
                s.i = kRamp ? i + skip * k.di : 0;
                if constexpr (Perspective) {
                    const float fx = static_cast<float>(x0), fy = static_cast<float>(row);
                    const AttributeLanes at = base + gx * fx + gy * fy;
                    s.iz = at[0], s.uz = at[1], s.vz = at[2];
                } else {
                    s.iz = s.uz = s.vz = 0.0f;
                }
                auto* pixels = reinterpret_cast<uint16_t*>(colourBase + engine.colourRows[row]) + x0;
                auto* depths = reinterpret_cast<uint32_t*>(depthBase + engine.depthRows[row]) + x0;
                if constexpr (Perspective) PerspectiveSpan<Source, Blend, Bits, Key>(pixels, depths, x1 - x0, s, k);
                else AffineSpan<Source, Blend, Bits, Key>(pixels, depths, x1 - x0, s, k);
            }
            r.Advance();
            const bool carried = l.Advance();
            z += zRow + (carried ? k.dz : 0);
            if constexpr (kTextured) u += uRow + (carried ? k.du : 0), v += vRow + (carried ? k.dv : 0);
            if constexpr (kRamp) i += iRow + (carried ? k.di : 0);
        }
    };

    // Upper half: top-middle edge against the long edge.
    const int32_t upperEnd = rowMid < last ? rowMid : last;
    if (first < upperEnd) {
        shortEdge.Start(t->x16, t->y16, m->x16, m->y16, first);
        if (!longIsLeft) startLeft(shortEdge, *t, first);
        runRows(first, upperEnd);
    }
    // Lower half: middle-bottom edge against the long edge.
    const int32_t lowerStart = rowMid > first ? rowMid : first;
    if (lowerStart < last) {
        shortEdge.Start(m->x16, m->y16, b->x16, b->y16, lowerStart);
        if (!longIsLeft) startLeft(shortEdge, *m, lowerStart);
        runRows(lowerStart, last);
    }
}
