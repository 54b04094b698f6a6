#include "engine/raster/rasteriser_walk.h"

#include <algorithm>
#include <cstdlib>

#include "engine/engine_state.h"
#include "engine/raster/rasteriser.h"

namespace {

constexpr int32_t kAttributes = 4; // depth, u, v, ramp index
constexpr float kDepthScale = 16777216.0f;

using Wide = __int128;

int64_t FloorDiv(int64_t a, int64_t b) // b > 0
{
    int64_t q = a / b;
    if (a % b < 0) --q;
    return q;
}

Wide FloorDivWide(Wide a, Wide b) // b > 0
{
    Wide q = a / b;
    if (a % b < 0) --q;
    return q;
}

// The rows an edge from a to b (a above b) covers: ((ya + 15) >> 4) up to ((yb + 15) >> 4).
int64_t FirstRow(int32_t y16) { return (static_cast<int64_t>(y16) + 15) >> 4; }

// One edge from a to b: the pixel column of its crossing with each row's y = 16r line,
// rounded up, stepped exactly with an integer remainder.
struct Edge {
    int64_t x;       // first pixel column at or right of the crossing
    int64_t rem;     // remainder of the crossing, 0 .. denom - 1
    int64_t step;    // whole columns per row
    int64_t remStep; // remainder added per row
    int64_t denom;   // 16 x dy
    bool carried;    // the last advance took the extra column

    void Start(const WalkVertex& a, const WalkVertex& b, int64_t row)
    {
        const int64_t dx = static_cast<int64_t>(b.x16) - a.x16;
        const int64_t dy = static_cast<int64_t>(b.y16) - a.y16; // > 0
        denom = 16 * dy;
        step = FloorDiv(dx, dy);
        remStep = 16 * dx - step * denom;
        const int64_t rowOffset = 16 * row - a.y16;
        constexpr int64_t kLimit = int64_t{1} << 26; // below it the products fit 64 bits
        const bool small = std::llabs(dx) < kLimit && dy < kLimit && std::llabs(rowOffset) < kLimit &&
                           std::llabs(int64_t{a.x16}) < kLimit;
        if (small) {
            const int64_t n = rowOffset * dx + a.x16 * dy + denom - 1;
            x = FloorDiv(n, denom);
            rem = n - x * denom;
        } else {
            const Wide n = Wide(rowOffset) * dx + Wide(a.x16) * dy + denom - 1;
            const Wide q = FloorDivWide(n, denom);
            x = static_cast<int64_t>(q);
            rem = static_cast<int64_t>(n - q * denom);
        }
        carried = false;
    }

    void Advance()
    {
        x += step;
        rem += remStep;
        carried = rem >= denom;
        if (carried) {
            rem -= denom;
            ++x;
        }
    }
};

struct Plane {
    float dx[kAttributes], dy[kAttributes]; // gradients per pixel
    uint32_t pixelStep[kAttributes];        // fixed-point step per pixel
    float base[kAttributes];                // value at pixel (0, 0) (perspective reals)
};

float Attribute(const WalkVertex& v, int k)
{
    switch (k) {
    case 0: return v.iz;
    case 1: return v.u;
    case 2: return v.v;
    default: return v.i;
    }
}

float Scale(int k) { return k == 0 ? kDepthScale : 1.0f; }

// The attribute values along the current left edge, in fixed point.
struct LeftValues {
    uint32_t value[kAttributes];
    uint32_t rowStep[kAttributes];

    void Start(const Plane& p, const Edge& e, const WalkVertex& top, int64_t row)
    {
        const float py = static_cast<float>(16 * row - top.y16);
        const float px = static_cast<float>(16 * e.x - top.x16);
        const float xStep = static_cast<float>(e.step);
        for (int k = 0; k < kAttributes; ++k) {
            const float start = Attribute(top, k) + (py * p.dy[k] + px * p.dx[k]) * (1.0f / 16.0f);
            value[k] = RealToFixed(start * Scale(k));
            rowStep[k] = RealToFixed((xStep * p.dx[k] + p.dy[k]) * Scale(k));
        }
        value[0] += engine.frameStamp;
    }

    void Advance(const Plane& p, bool carried)
    {
        for (int k = 0; k < kAttributes; ++k) {
            value[k] += rowStep[k];
            if (carried) value[k] += p.pixelStep[k];
        }
    }
};

} // namespace

void WalkTriangle(const WalkVertex* vertices, SpanRoutine routine, SpanConstants& k, bool perspective)
{
    if (!raster.colourBase || !engine.depthBuffer) return;
    const int64_t width = engine.width;
    const int64_t height = std::min<int64_t>(engine.height, kMaxViewRows);
    if (width <= 0 || height <= 0) return;

    const WalkVertex& v0 = vertices[0];
    const WalkVertex& v1 = vertices[1];
    const WalkVertex& v2 = vertices[2];

    // Gradients from the vertices in the given order, against vertex 2.
    const int64_t ex0 = int64_t{v0.x16} - v2.x16, ey0 = int64_t{v0.y16} - v2.y16;
    const int64_t ex1 = int64_t{v1.x16} - v2.x16, ey1 = int64_t{v1.y16} - v2.y16;
    const Wide area = Wide(ex1) * ey0 - Wide(ex0) * ey1;
    if (area == 0) return;
    const float e = static_cast<float>(area) * (1.0f / 256.0f);
    const float dx0 = static_cast<float>(ex0) / 16.0f, dy0 = static_cast<float>(ey0) / 16.0f;
    const float dx1 = static_cast<float>(ex1) / 16.0f, dy1 = static_cast<float>(ey1) / 16.0f;
    Plane p;
    for (int a = 0; a < kAttributes; ++a) {
        const float da0 = Attribute(v0, a) - Attribute(v2, a);
        const float da1 = Attribute(v1, a) - Attribute(v2, a);
        p.dx[a] = (da1 * dy0 - da0 * dy1) / e;
        p.dy[a] = (da0 * dx1 - da1 * dx0) / e;
        p.pixelStep[a] = RealToFixed(p.dx[a] * Scale(a));
        p.base[a] = Attribute(v2, a) - p.dx[a] * (static_cast<float>(v2.x16) / 16.0f) -
                    p.dy[a] * (static_cast<float>(v2.y16) / 16.0f);
    }
    k.dz = p.pixelStep[0];
    k.du = p.pixelStep[1];
    k.dv = p.pixelStep[2];
    k.di = p.pixelStep[3];
    k.diz = p.dx[0];
    k.duz = p.dx[1];
    k.dvz = p.dx[2];

    // Sort by y into top, middle and bottom.
    const WalkVertex* t = &v0;
    const WalkVertex* m = &v1;
    const WalkVertex* b = &v2;
    if (m->y16 < t->y16) std::swap(t, m);
    if (b->y16 < m->y16) std::swap(m, b);
    if (m->y16 < t->y16) std::swap(t, m);

    // The long edge (top to bottom) is the left one when the middle vertex lies right of it.
    const Wide side = Wide(int64_t{m->x16} - t->x16) * (int64_t{b->y16} - t->y16) -
                      Wide(int64_t{m->y16} - t->y16) * (int64_t{b->x16} - t->x16);
    if (side == 0) return;
    const bool longIsLeft = side > 0;

    const int64_t rowTop = FirstRow(t->y16), rowMid = FirstRow(m->y16), rowBottom = FirstRow(b->y16);
    const int64_t first = std::max<int64_t>(rowTop, 0);
    const int64_t last = std::min<int64_t>(rowBottom, height);
    if (first >= last) return;

    Edge longEdge, shortEdge;
    longEdge.Start(*t, *b, first);
    LeftValues left;
    if (longIsLeft) left.Start(p, longEdge, *t, first);

    uint8_t* const colourBase = raster.colourBase;
    uint8_t* const depthBase = reinterpret_cast<uint8_t*>(engine.depthBuffer);

    auto runRows = [&](int64_t from, int64_t to) {
        Edge& l = longIsLeft ? longEdge : shortEdge;
        Edge& r = longIsLeft ? shortEdge : longEdge;
        for (int64_t row = from; row < to; ++row) {
            int64_t x0 = l.x, x1 = r.x;
            if (x1 > width) x1 = width;
            if (x0 < 0) x0 = 0;
            if (x1 > x0) {
                SpanStart s;
                const uint32_t skip = static_cast<uint32_t>(x0 - l.x);
                s.z = left.value[0] + skip * p.pixelStep[0];
                s.u = left.value[1] + skip * p.pixelStep[1];
                s.v = left.value[2] + skip * p.pixelStep[2];
                s.i = left.value[3] + skip * p.pixelStep[3];
                if (perspective) {
                    const float fx = static_cast<float>(x0), fy = static_cast<float>(row);
                    s.iz = p.base[0] + p.dx[0] * fx + p.dy[0] * fy;
                    s.uz = p.base[1] + p.dx[1] * fx + p.dy[1] * fy;
                    s.vz = p.base[2] + p.dx[2] * fx + p.dy[2] * fy;
                } else {
                    s.iz = s.uz = s.vz = 0.0f;
                }
                auto* pixels = reinterpret_cast<uint16_t*>(colourBase + engine.colourRows[row]) + x0;
                auto* depths = reinterpret_cast<uint32_t*>(depthBase + engine.depthRows[row]) + x0;
                routine(pixels, depths, static_cast<int32_t>(x1 - x0), s, k);
            }
            l.Advance();
            r.Advance();
            left.Advance(p, l.carried);
        }
    };

    // Upper half: top-middle edge against the long edge.
    const int64_t upperEnd = std::min(rowMid, last);
    if (first < upperEnd) {
        shortEdge.Start(*t, *m, first);
        if (!longIsLeft) left.Start(p, shortEdge, *t, first);
        runRows(first, upperEnd);
    }
    // Lower half: middle-bottom edge against the long edge.
    const int64_t lowerStart = std::max(rowMid, first);
    if (lowerStart < last) {
        shortEdge.Start(*m, *b, lowerStart);
        if (!longIsLeft) left.Start(p, shortEdge, *m, lowerStart);
        runRows(lowerStart, last);
    }
}
