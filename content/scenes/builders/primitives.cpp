#include "scenes/builders/primitives.h"

#include <algorithm>

#include "scenes/builders/scene_math.h"

namespace content {
namespace {

// A quad whose corners are given in either order round its edge; it is wound to face `facing`.
void AddQuadFacing(Mesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Uv t0, Uv t1, Uv t2, Uv t3, Vec3 facing)
{
    if (DotProduct(CrossProduct(p1 - p0, p2 - p0), facing) >= 0) AddQuad(mesh, p0, p1, p2, p3, t0, t1, t2, t3);
    else AddQuad(mesh, p0, p3, p2, p1, t0, t3, t2, t1);
}

void AddTriangleFacing(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, Vec3 facing)
{
    const Vec3 pa = mesh.positions[a];
    if (DotProduct(CrossProduct(mesh.positions[b] - pa, mesh.positions[c] - pa), facing) >= 0) AddTriangle(mesh, a, b, c);
    else AddTriangle(mesh, a, c, b);
}

// Planar texture coordinates of a point on a face with the given normal axis (0 x, 1 y, 2 z).
Uv PlanarUv(Vec3 p, int axis, float texelsPerUnit)
{
    switch (axis) {
    case 0: return {p.y * texelsPerUnit, -p.z * texelsPerUnit};
    case 1: return {p.x * texelsPerUnit, -p.z * texelsPerUnit};
    default: return {p.x * texelsPerUnit, p.y * texelsPerUnit};
    }
}

void AddPlanarQuad(Mesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 facing, int axis, float texelsPerUnit)
{
    AddQuadFacing(mesh, p0, p1, p2, p3, PlanarUv(p0, axis, texelsPerUnit), PlanarUv(p1, axis, texelsPerUnit),
                  PlanarUv(p2, axis, texelsPerUnit), PlanarUv(p3, axis, texelsPerUnit), facing);
}

bool SamePoint(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

} // namespace

Mesh MakeBox(Vec3 lo, Vec3 hi, float tpu)
{
    Mesh m;
    auto p = [&](int x, int y, int z) { return Vec3{x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z}; };
    AddPlanarQuad(m, p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), p(1, 0, 1), {1, 0, 0}, 0, tpu);
    AddPlanarQuad(m, p(0, 0, 0), p(0, 1, 0), p(0, 1, 1), p(0, 0, 1), {-1, 0, 0}, 0, tpu);
    AddPlanarQuad(m, p(0, 1, 0), p(1, 1, 0), p(1, 1, 1), p(0, 1, 1), {0, 1, 0}, 1, tpu);
    AddPlanarQuad(m, p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1), {0, -1, 0}, 1, tpu);
    AddPlanarQuad(m, p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1), {0, 0, 1}, 2, tpu);
    AddPlanarQuad(m, p(0, 0, 0), p(1, 0, 0), p(1, 1, 0), p(0, 1, 0), {0, 0, -1}, 2, tpu);
    return m;
}

Mesh MakeLathe(const std::vector<ProfilePoint>& profile, const LatheOptions& o)
{
    Mesh m;
    if (profile.size() < 2 || o.segments < 1) return m;
    const int columns = o.segments + 1;
    // Bands: runs of profile points between sharp points; a sharp point ends one band and
    // starts the next.
    std::vector<std::vector<size_t>> bands(1);
    for (size_t i = 0; i < profile.size(); ++i) {
        bands.back().push_back(i);
        if (profile[i].sharp && i > 0 && i + 1 < profile.size()) bands.push_back({i});
    }
    std::vector<float> along(profile.size(), 0);
    for (size_t i = 1; i < profile.size(); ++i) {
        const double dr = profile[i].radius - profile[i - 1].radius, dz = profile[i].z - profile[i - 1].z;
        along[i] = static_cast<float>(along[i - 1] + SquareRoot(dr * dr + dz * dz));
    }
    for (const std::vector<size_t>& band : bands) {
        const auto base = static_cast<uint32_t>(m.positions.size());
        for (size_t k : band) {
            for (int j = 0; j < columns; ++j) {
                const double t = static_cast<double>(j) / o.segments;
                const double a = o.startRadians + (o.endRadians - o.startRadians) * t;
                const float around = static_cast<float>(t * 256.0 * o.uRepeats), up = -along[k] * o.texelsPerUnit;
                AddVertex(m, Snap(OnCircle(profile[k].radius, a, profile[k].z)),
                          o.alongU ? Uv{-up, around} : Uv{around, up});
            }
        }
        for (size_t row = 0; row + 1 < band.size(); ++row) {
            for (int j = 0; j < o.segments; ++j) {
                const uint32_t p0 = base + static_cast<uint32_t>(row * columns + j), p1 = p0 + 1;
                const uint32_t p3 = p0 + static_cast<uint32_t>(columns), p2 = p3 + 1;
                // p0 -> p1 runs counter-clockwise about z and p3 lies above p0: this winding
                // faces away from the axis.
                const uint32_t tri[2][3] = {{p0, p1, p2}, {p0, p2, p3}};
                for (const auto& t : tri) {
                    const Vec3 a = m.positions[t[0]], b = m.positions[t[1]], c = m.positions[t[2]];
                    if (SamePoint(a, b) || SamePoint(b, c) || SamePoint(a, c)) continue;
                    if (o.inward) AddTriangle(m, t[0], t[2], t[1]);
                    else AddTriangle(m, t[0], t[1], t[2]);
                }
            }
        }
    }
    return m;
}

Mesh MakeCylinder(float radius, float z0, float z1, int segments, float tpu, bool caps)
{
    LatheOptions o;
    o.segments = segments;
    o.texelsPerUnit = tpu;
    o.uRepeats = std::max(1.0f, static_cast<float>(static_cast<int>(kTwoPi * radius * tpu / 256.0 + 0.5)));
    std::vector<ProfilePoint> profile;
    if (caps) profile.push_back({0, z0, false});
    profile.push_back({radius, z0, caps});
    profile.push_back({radius, z1, caps});
    if (caps) profile.push_back({0, z1, false});
    return MakeLathe(profile, o);
}

Mesh MakeSphere(float radius, int rings, int segments, float uRepeats, float vRepeats)
{
    std::vector<ProfilePoint> profile;
    for (int i = 0; i <= rings; ++i) {
        const double a = -kPi / 2 + kPi * i / rings;
        profile.push_back({i == 0 || i == rings ? 0.0f : static_cast<float>(radius * Cosine(a)),
                           static_cast<float>(radius * Sine(a)), false});
    }
    LatheOptions o;
    o.segments = segments;
    o.uRepeats = uRepeats;
    o.texelsPerUnit = static_cast<float>(256.0 * vRepeats / (kPi * radius));
    return MakeLathe(profile, o);
}

Mesh MakeTorus(float radius, float tube, int segments, int sides, float uRepeats, float vRepeats)
{
    Mesh m;
    for (int i = 0; i <= segments; ++i) {
        const double a = kTwoPi * i / segments;
        for (int j = 0; j <= sides; ++j) {
            const double b = kTwoPi * j / sides;
            const double r = radius + tube * Cosine(b);
            AddVertex(m, Snap(OnCircle(r, a, tube * Sine(b))),
                      {static_cast<float>(256.0 * uRepeats * i / segments),
                       static_cast<float>(256.0 * vRepeats * j / sides)});
        }
    }
    const int stride = sides + 1;
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            const auto p0 = static_cast<uint32_t>(i * stride + j);
            const uint32_t p1 = p0 + static_cast<uint32_t>(stride), p3 = p0 + 1, p2 = p1 + 1;
            // p0 -> p1 goes round the big circle, p0 -> p3 round the tube (outwards first,
            // then up): this winding faces out of the tube.
            AddTriangle(m, p0, p1, p2);
            AddTriangle(m, p0, p2, p3);
        }
    }
    return m;
}

Mesh MakeExtrusion(const std::vector<Vec3>& outline, float z0, float z1, float tpu)
{
    Mesh m;
    const size_t n = outline.size();
    if (n < 3) return m;
    Vec3 centre{0, 0, 0};
    for (const Vec3& p : outline) centre = centre + p;
    centre = Scaled(centre, 1.0 / static_cast<double>(n));
    float around = 0;
    for (size_t i = 0; i < n; ++i) {
        const Vec3 a = outline[i], b = outline[(i + 1) % n];
        const float length = static_cast<float>(Distance(a, b));
        const Vec3 out{b.y - a.y, a.x - b.x, 0};
        AddQuadFacing(m, Snap(V(a.x, a.y, z0)), Snap(V(b.x, b.y, z0)), Snap(V(b.x, b.y, z1)), Snap(V(a.x, a.y, z1)),
                      {around * tpu, -z0 * tpu}, {(around + length) * tpu, -z0 * tpu},
                      {(around + length) * tpu, -z1 * tpu}, {around * tpu, -z1 * tpu}, out);
        around += length;
    }
    for (int cap = 0; cap < 2; ++cap) {
        const float z = cap ? z1 : z0;
        const Vec3 facing{0, 0, cap ? 1.0f : -1.0f};
        const uint32_t c = AddVertex(m, Snap(V(centre.x, centre.y, z)), {centre.x * tpu, centre.y * tpu});
        const auto first = static_cast<uint32_t>(m.positions.size());
        for (const Vec3& p : outline) AddVertex(m, Snap(V(p.x, p.y, z)), {p.x * tpu, p.y * tpu});
        for (size_t i = 0; i < n; ++i) {
            AddTriangleFacing(m, c, first + static_cast<uint32_t>(i), first + static_cast<uint32_t>((i + 1) % n),
                              facing);
        }
    }
    return m;
}

Mesh MakeGear(int teeth, float rootRadius, float tipRadius, float z0, float z1, float tpu)
{
    std::vector<Vec3> outline;
    for (int t = 0; t < teeth; ++t) {
        const double a = kTwoPi * t / teeth, step = kTwoPi / teeth;
        // Root, flank up, tip, flank down: the tip a little narrower than the gap.
        outline.push_back(OnCircle(rootRadius, a, 0));
        outline.push_back(OnCircle(rootRadius, a + step * 0.30, 0));
        outline.push_back(OnCircle(tipRadius, a + step * 0.40, 0));
        outline.push_back(OnCircle(tipRadius, a + step * 0.70, 0));
        outline.push_back(OnCircle(rootRadius, a + step * 0.80, 0));
    }
    return MakeExtrusion(outline, z0, z1, tpu);
}

Mesh MakeArch(const ArchShape& s, float tpu)
{
    Mesh m;
    const float outer = s.halfSpan + s.pier;
    const float top = s.spring + s.halfSpan + s.crown;
    const float y0 = -s.depth / 2, y1 = s.depth / 2;
    // Piers: boxes from the ground to the springing line.
    if (s.spring > 0) {
        AppendMesh(m, MakeBox({-outer, y0, 0}, {-s.halfSpan, y1, s.spring}, tpu));
        AppendMesh(m, MakeBox({s.halfSpan, y0, 0}, {outer, y1, s.spring}, tpu));
    }
    // Angles along the half circle, with the two rays through the top corners added so that
    // the band between the arch and the outer rectangle keeps its corners.
    std::vector<double> angles;
    for (int i = 0; i <= s.segments; ++i) angles.push_back(kPi * i / s.segments);
    const double cornerX = outer, cornerZ = top - s.spring;
    double corner = 0;
    {
        // atan2 of the corner, by bisection on the ray's slope (no library call).
        double lo = 0, hi = kPi / 2;
        for (int i = 0; i < 60; ++i) {
            const double mid = (lo + hi) / 2;
            if (Sine(mid) * cornerX < Cosine(mid) * cornerZ) lo = mid; else hi = mid;
        }
        corner = (lo + hi) / 2;
    }
    if (!s.band) {
        angles.push_back(corner);
        angles.push_back(kPi - corner);
    }
    std::sort(angles.begin(), angles.end());
    angles.erase(std::unique(angles.begin(), angles.end(), [](double a, double b) { return b - a < 1e-9; }),
                 angles.end());
    // The point of the outer rectangle on the ray from the arch centre at angle a.
    auto outerPoint = [&](double a) {
        const double c = Cosine(a), sn = Sine(a);
        if (s.band) return V(c * (s.halfSpan + s.crown), 0, s.spring + sn * (s.halfSpan + s.crown));
        double t = 1e30;
        if (c > 1e-12) t = std::min(t, cornerX / c);
        if (c < -1e-12) t = std::min(t, -cornerX / c);
        if (sn > 1e-12) t = std::min(t, cornerZ / sn);
        return V(c * t, 0, s.spring + sn * t);
    };
    auto innerPoint = [&](double a) { return V(s.halfSpan * Cosine(a), 0, s.spring + s.halfSpan * Sine(a)); };
    float around = 0;
    for (size_t i = 0; i + 1 < angles.size(); ++i) {
        const Vec3 i0 = innerPoint(angles[i]), i1 = innerPoint(angles[i + 1]);
        const Vec3 o0 = outerPoint(angles[i]), o1 = outerPoint(angles[i + 1]);
        for (int side = 0; side < 2; ++side) {
            const float y = side ? y1 : y0;
            const Vec3 d{0, y, 0};
            AddPlanarQuad(m, Snap(i0 + d), Snap(i1 + d), Snap(o1 + d), Snap(o0 + d), {0, side ? 1.0f : -1.0f, 0}, 1,
                          tpu);
        }
        // The underside of the arch, facing the centre.
        const float length = static_cast<float>(Distance(i0, i1));
        const Vec3 mid = Lerp(i0, i1, 0.5);
        AddQuadFacing(m, Snap(i0 + Vec3{0, y0, 0}), Snap(i1 + Vec3{0, y0, 0}), Snap(i1 + Vec3{0, y1, 0}),
                      Snap(i0 + Vec3{0, y1, 0}), {around * tpu, y0 * tpu}, {(around + length) * tpu, y0 * tpu},
                      {(around + length) * tpu, y1 * tpu}, {around * tpu, y1 * tpu},
                      Vec3{-mid.x, 0, s.spring - mid.z});
        if (s.band) {
            // The band's back, facing away from the centre.
            AddQuadFacing(m, Snap(o0 + Vec3{0, y0, 0}), Snap(o1 + Vec3{0, y0, 0}), Snap(o1 + Vec3{0, y1, 0}),
                          Snap(o0 + Vec3{0, y1, 0}), {around * tpu, y0 * tpu}, {(around + length) * tpu, y0 * tpu},
                          {(around + length) * tpu, y1 * tpu}, {around * tpu, y1 * tpu},
                          Vec3{mid.x, 0, mid.z - s.spring});
        }
        around += length;
    }
    if (s.band) return m;
    // The top and the outer sides above the piers.
    AddPlanarQuad(m, V(-outer, y0, top), V(outer, y0, top), V(outer, y1, top), V(-outer, y1, top), {0, 0, 1}, 2, tpu);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? outer : -outer;
        AddPlanarQuad(m, V(x, y0, s.spring), V(x, y1, s.spring), V(x, y1, top), V(x, y0, top),
                      {side ? 1.0f : -1.0f, 0, 0}, 0, tpu);
    }
    return m;
}

Mesh MakeStairs(int steps, float width, float run, float rise, float tpu)
{
    Mesh m;
    const float x0 = -width / 2, x1 = width / 2;
    for (int i = 0; i < steps; ++i) {
        const float y0 = run * static_cast<float>(i), y1 = y0 + run;
        const float z0 = rise * static_cast<float>(i), z1 = z0 + rise;
        AddPlanarQuad(m, V(x0, y0, z1), V(x1, y0, z1), V(x1, y1, z1), V(x0, y1, z1), {0, 0, 1}, 2, tpu);
        AddPlanarQuad(m, V(x0, y0, z0), V(x1, y0, z0), V(x1, y0, z1), V(x0, y0, z1), {0, -1, 0}, 1, tpu);
        for (int side = 0; side < 2; ++side) {
            const float x = side ? x1 : x0;
            AddPlanarQuad(m, V(x, y0, 0), V(x, y1, 0), V(x, y1, z1), V(x, y0, z1), {side ? 1.0f : -1.0f, 0, 0}, 0,
                          tpu);
        }
    }
    return m;
}

Mesh MakeGrid(int columns, int rows, float x0, float y0, float x1, float y1, const std::vector<float>& height,
              float tpu)
{
    Mesh m;
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= columns; ++c) {
            const double x = x0 + (x1 - x0) * c / columns, y = y0 + (y1 - y0) * r / rows;
            const size_t i = static_cast<size_t>(r) * static_cast<size_t>(columns + 1) + static_cast<size_t>(c);
            const double z = height.empty() ? 0.0 : height[i];
            AddVertex(m, Snap(V(x, y, z)), {static_cast<float>(x * tpu), static_cast<float>(y * tpu)});
        }
    }
    const auto stride = static_cast<uint32_t>(columns + 1);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto p0 = static_cast<uint32_t>(r) * stride + static_cast<uint32_t>(c);
            const uint32_t p1 = p0 + 1, p3 = p0 + stride, p2 = p3 + 1;
            // x then y: counter-clockwise seen from above. Alternate the diagonal so that a
            // bent grid does not lean one way.
            if ((r + c) & 1) {
                AddTriangle(m, p0, p1, p3);
                AddTriangle(m, p1, p2, p3);
            } else {
                AddTriangle(m, p0, p1, p2);
                AddTriangle(m, p0, p2, p3);
            }
        }
    }
    return m;
}

Mesh MakeSubdividedPlane(int columns, int rows, float x0, float y0, float x1, float y1, float tpu)
{
    return MakeGrid(columns, rows, x0, y0, x1, y1, {}, tpu);
}

Mesh MakePanel(Vec3 corner, Vec3 across, Vec3 up, int columns, int rows, float tpu)
{
    Mesh m;
    const double width = SquareRoot(DotProduct(across, across)), height = SquareRoot(DotProduct(up, up));
    const Vec3 facing = CrossProduct(across, up);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double u0 = static_cast<double>(c) / columns, u1 = static_cast<double>(c + 1) / columns;
            const double v0 = static_cast<double>(r) / rows, v1 = static_cast<double>(r + 1) / rows;
            auto at = [&](double u, double v) { return Snap(corner + Scaled(across, u) + Scaled(up, v)); };
            auto uv = [&](double u, double v) {
                return Uv{static_cast<float>(u * width * tpu), static_cast<float>(-v * height * tpu)};
            };
            AddQuadFacing(m, at(u0, v0), at(u1, v0), at(u1, v1), at(u0, v1), uv(u0, v0), uv(u1, v0), uv(u1, v1),
                          uv(u0, v1), facing);
        }
    }
    return m;
}

Mesh MakeSector(float radius, double startRadians, double endRadians, int segments, float tpu)
{
    Mesh m;
    const uint32_t centre = AddVertex(m, {0, 0, 0}, {0, 0});
    for (int i = 0; i <= segments; ++i) {
        const double a = startRadians + (endRadians - startRadians) * i / segments;
        const Vec3 p = Snap(OnCircle(radius, a, 0));
        AddVertex(m, p, {p.x * tpu, -p.y * tpu});
    }
    for (int i = 0; i < segments; ++i) {
        AddTriangleFacing(m, centre, centre + 1 + static_cast<uint32_t>(i), centre + 2 + static_cast<uint32_t>(i),
                          {0, 0, 1});
    }
    return m;
}

Mesh MakeStar(int points, float innerRadius, float outerRadius, float z0, float z1, float tpu)
{
    std::vector<Vec3> outline;
    for (int i = 0; i < 2 * points; ++i) {
        outline.push_back(OnCircle(i % 2 ? innerRadius : outerRadius, kPi / 2 + kPi * i / points, 0));
    }
    return MakeExtrusion(outline, z0, z1, tpu);
}

Mesh MakeBillboards(int planes, float width, float height, Uv lo, Uv hi)
{
    Mesh m;
    for (int i = 0; i < planes; ++i) {
        const double a = kPi * i / planes;
        const Vec3 half = Snap(OnCircle(width / 2, a, 0));
        const Vec3 up{0, 0, height};
        const Vec3 left{-half.x, -half.y, 0};
        // Counter-clockwise seen from the side the normal points to; culling is off for them.
        AddQuadFacing(m, left, half, half + up, left + up, {lo.u, hi.v}, {hi.u, hi.v}, {hi.u, lo.v}, {lo.u, lo.v},
                      CrossProduct(half - left, up));
    }
    return m;
}

} // namespace content
