// Clipping of a face against the four side planes of the view pyramid (left, right, top,
// bottom; they meet at the eye, there is no near plane). A vertex is inside a plane when the
// plane's value is >= 0 judged by the sign bit of the real: +0.0 is inside, -0.0 outside.
#pragma once

#include <bit>
#include <cstdint>
#include <utility>

// Room for a clipped polygon. A triangle gains at most one vertex per plane (7 in all); the
// extra room covers rounding that makes a plane cut a nearly flat polygon more than twice.
constexpr int32_t kClipCapacity = 16;

// Camera-space position (x right, depth forward, z up) followed by Count attributes that are
// interpolated along with it (ramp index, u, v as the renderer needs).
template <int Count>
struct ClipVertex {
    float v[3 + Count]; // v[0] x, v[1] depth, v[2] z, then the attributes
};

// The view pyramid's planes: x cos(h) + depth sin(h) >= 0 (left), depth sin(h) - x cos(h)
// (right), depth sin(v) - z cos(v) (top), depth sin(v) + z cos(v) (bottom).
struct ClipPlanes {
    float cosH, sinH, cosV, sinV;
};

namespace clipping_detail {

inline bool Inside(float d) { return (std::bit_cast<uint32_t>(d) >> 31) == 0; }

inline float PlaneValue(const ClipPlanes& p, int plane, const float* v)
{
    switch (plane) {
    case 0: return v[0] * p.cosH + v[1] * p.sinH;
    case 1: return v[1] * p.sinH - v[0] * p.cosH;
    case 2: return v[1] * p.sinV - v[2] * p.cosV;
    default: return v[1] * p.sinV + v[2] * p.cosV;
    }
}

// One stage: the part of `in` on the inside of `plane`, into `out`; returns its vertex count.
template <int Count>
int32_t ClipStage(const float* d, const ClipVertex<Count>* in, int32_t n, ClipVertex<Count>* out)
{
    constexpr int kFields = 3 + Count;
    int32_t m = 0;
    // Edge i runs from vertex i to i + 1, the last one back to the first: its start is
    // emitted when inside, then its crossing when the ends lie on different sides.
    for (int32_t i = 0; i < n; ++i) {
        const int32_t j = i + 1 < n ? i + 1 : 0;
        const bool inside = Inside(d[i]);
        if (inside && m < kClipCapacity) out[m++] = in[i];
        if (inside != Inside(d[j]) && m < kClipCapacity) {
            // The crossing is worked out from the edge's inside end whichever way the polygon
            // runs, so that two faces sharing the edge cut it at exactly the same point and no
            // crack opens between them. +0.0 against -0.0 lies on the plane from both sides:
            // the crossing is the inside end.
            const int32_t from = inside ? i : j, to = inside ? j : i;
            const float den = d[from] - d[to];
            const float t = den != 0.0f ? d[from] / den : 0.0f;
            ClipVertex<Count>& c = out[m++];
            for (int k = 0; k < kFields; ++k) c.v[k] = in[from].v[k] + (in[to].v[k] - in[from].v[k]) * t;
        }
    }
    return m;
}

} // namespace clipping_detail

// Clips the polygon poly[0 .. count) against the four planes in turn, using `scratch` (room
// for kClipCapacity vertices) between stages. Returns the vertex count of the result, left in
// poly, or 0 when fewer than 3 vertices remain after some stage (the face is dropped).
template <int Count>
int32_t ClipPolygon(const ClipPlanes& planes, ClipVertex<Count>* poly, int32_t count, ClipVertex<Count>* scratch)
{
    ClipVertex<Count>* a = poly;
    ClipVertex<Count>* b = scratch;
    int32_t n = count;
    for (int plane = 0; plane < 4; ++plane) {
        float d[kClipCapacity];
        uint32_t outside = 0;
        for (int32_t i = 0; i < n; ++i) {
            d[i] = clipping_detail::PlaneValue(planes, plane, a[i].v);
            outside |= std::bit_cast<uint32_t>(d[i]);
        }
        if ((outside >> 31) == 0) continue; // wholly inside this plane: nothing to cut
        n = clipping_detail::ClipStage(d, a, n, b);
        if (n < 3) return 0;
        std::swap(a, b);
    }
    if (a != poly) {
        for (int32_t i = 0; i < n; ++i) poly[i] = a[i];
    }
    return n;
}
