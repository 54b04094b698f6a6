#include "scenes/ship_parts.h"

#include <cmath>
#include <utility>
#include <vector>

#include "scenes/builders/primitives.h"
#include "scenes/builders/scene_math.h"

namespace content {
namespace {

constexpr int kStations = 14;
double Station(int i) { return kShipStern + (kShipBow - kShipStern) * i / kStations; }

} // namespace

float ShipYardHeight(int mast, int yard) { return kShipMastHeight[mast] * (0.42f + 0.22f * static_cast<float>(yard)); }

float ShipYardHalfLength(int mast, int yard) { return 34.0f - 8.0f * static_cast<float>(yard) - (mast == 0 ? 6.0f : 0.0f); }

double ShipHalfBeam(double y)
{
    if (y <= 30) return 38.0 - 10.0 * SmoothStep(-60, kShipStern, y);
    const double t = (y - 30) / (kShipBow - 30);
    return 38.0 * (1.0 - t * t);
}

Mesh MakeShipHull()
{
    Mesh m;
    const float heights[4] = {kShipWaterline - 6, kShipWaterline + 6, 0, kShipBulwark};
    for (int side = 0; side < 2; ++side) {
        const float sign = side ? 1.0f : -1.0f;
        for (int i = 0; i < kStations; ++i) {
            const double y0 = Station(i), y1 = Station(i + 1);
            for (int k = 0; k < 3; ++k) {
                // The sides lean in a little towards the top.
                auto at = [&](double y, float z) {
                    const double lean = 0.92 + 0.08 * (z - heights[0]) / (heights[3] - heights[0]);
                    return Snap(V(sign * ShipHalfBeam(y) * (1.0 - 0.06 * lean), y, z));
                };
                const Vec3 a = at(y0, heights[k]), b = at(y1, heights[k]), c = at(y1, heights[k + 1]),
                           d = at(y0, heights[k + 1]);
                const Uv ta{static_cast<float>(y0 * 2), -heights[k] * 8}, tb{static_cast<float>(y1 * 2), -heights[k] * 8},
                         tc{static_cast<float>(y1 * 2), -heights[k + 1] * 8}, td{static_cast<float>(y0 * 2), -heights[k + 1] * 8};
                // Outside faces out; the bulwark's inside faces the deck.
                if (side) AddQuad(m, a, b, c, d, ta, tb, tc, td);
                else AddQuad(m, a, d, c, b, ta, td, tc, tb);
                if (k == 2) {
                    if (side) AddQuad(m, a, d, c, b, ta, td, tc, tb);
                    else AddQuad(m, a, b, c, d, ta, tb, tc, td);
                }
            }
        }
    }
    const double w = ShipHalfBeam(kShipStern) * 0.94;
    AddQuad(m, V(w, kShipStern, kShipWaterline - 6), V(-w, kShipStern, kShipWaterline - 6), V(-w, kShipStern, kShipBulwark), V(w, kShipStern, kShipBulwark),
            {0, 160}, {150, 160}, {150, 0}, {0, 0});
    return m;
}

Mesh MakeShipDeck()
{
    Mesh m;
    for (int i = 0; i < kStations; ++i) {
        const double y0 = Station(i), y1 = Station(i + 1);
        const double w0 = ShipHalfBeam(y0) * 0.93, w1 = ShipHalfBeam(y1) * 0.93;
        for (int c = 0; c < 4; ++c) {
            const double f0 = -1.0 + c * 0.5, f1 = f0 + 0.5;
            const Vec3 a = Snap(V(w0 * f0, y0, 0)), b = Snap(V(w0 * f1, y0, 0)), cc = Snap(V(w1 * f1, y1, 0)),
                       d = Snap(V(w1 * f0, y1, 0));
            auto uv = [](Vec3 p) { return Uv{p.y * 3.2f, p.x * 3.2f}; };
            AddQuad(m, a, b, cc, d, uv(a), uv(b), uv(cc), uv(d));
        }
    }
    return m;
}

Mesh MakeShipMast(int i)
{
    LatheOptions o;
    o.segments = 7;
    o.alongU = true;
    o.texelsPerUnit = 3;
    const float height = kShipMastHeight[i];
    Mesh mast = MakeLathe({{3.2f, 0}, {2.6f, height * 0.6f}, {1.8f, height}, {0, height + 1}}, o);
    for (int y = 0; y < kShipYards; ++y) {
        const float half = ShipYardHalfLength(i, y);
        Mesh yard = MakeLathe({{1.2f, -half}, {1.6f, 0}, {1.2f, half}}, o);
        RotateMeshAboutY(yard, kPi / 2);
        TranslateMesh(yard, {0, 1.5f, ShipYardHeight(i, y)});
        AppendMesh(mast, yard);
    }
    return mast;
}

namespace {

// The ropes of the rigging as segments: each mast's shrouds to both rails, its stay forward and
// the mizzen's backstay.
std::vector<std::pair<Vec3, Vec3>> RigSegments()
{
    std::vector<std::pair<Vec3, Vec3>> ropes;
    for (int mast = 0; mast < 3; ++mast) {
        const float top = kShipMastHeight[mast] - 6, y = kShipMastY[mast];
        for (int side = 0; side < 2; ++side) {
            const float sign = side ? 1.0f : -1.0f;
            for (const float dy : {-14.0f, 2.0f}) {
                ropes.push_back({{0, y, top}, {sign * static_cast<float>(ShipHalfBeam(y + dy)) * 0.94f, y + dy, kShipBulwark}});
            }
        }
        ropes.push_back({{0, y, top}, mast < 2 ? Vec3{0, kShipMastY[mast + 1], 20} : Vec3{0, kShipBow + 54, 28}});
    }
    ropes.push_back({{0, kShipMastY[0], kShipMastHeight[0] - 6}, {0, kShipStern + 4, kShipBulwark + 8}});
    return ropes;
}

} // namespace

Mesh MakeShipRopes(float thickness)
{
    Mesh m;
    for (const auto& [from, to] : RigSegments()) {
        const Vec3 along = Unit(to - from);
        const Vec3 side = Unit(CrossProduct(along, std::fabs(along.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0}));
        const Vec3 across[2] = {Scaled(side, thickness * 0.5), Scaled(Unit(CrossProduct(along, side)), thickness * 0.5)};
        for (const Vec3& half : across) {
            const uint32_t a = AddVertex(m, from - half), b = AddVertex(m, from + half), c = AddVertex(m, to + half),
                           d = AddVertex(m, to - half);
            // Both faces, so that culling never hides a strip.
            AddTriangle(m, a, b, c);
            AddTriangle(m, a, c, d);
            AddTriangle(m, a, c, b);
            AddTriangle(m, a, d, c);
        }
    }
    return m;
}

Mesh MakeShipBowsprit()
{
    LatheOptions o;
    o.segments = 6;
    o.alongU = true;
    o.texelsPerUnit = 3;
    Mesh bowsprit = MakeLathe({{2.4f, 0}, {1.2f, 70}, {0, 71}}, o);
    RotateMeshAboutX(bowsprit, -Radians(68));
    TranslateMesh(bowsprit, {0, kShipBow - 12, 2});
    return bowsprit;
}

} // namespace content
