#include "scenes/builders/mesh.h"

#include <algorithm>

#include "scenes/builders/scene_math.h"

namespace content {

uint32_t AddVertex(Mesh& mesh, Vec3 position, Uv uv)
{
    mesh.positions.push_back(position);
    mesh.uvs.push_back(uv);
    return static_cast<uint32_t>(mesh.positions.size() - 1);
}

void AddTriangle(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, uint32_t material)
{
    mesh.triangles.push_back({material, a, b, c});
}

void AddQuad(Mesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Uv t0, Uv t1, Uv t2, Uv t3, uint32_t material)
{
    const uint32_t a = AddVertex(mesh, p0, t0);
    const uint32_t b = AddVertex(mesh, p1, t1);
    const uint32_t c = AddVertex(mesh, p2, t2);
    const uint32_t d = AddVertex(mesh, p3, t3);
    AddTriangle(mesh, a, b, c, material);
    AddTriangle(mesh, a, c, d, material);
}

void AppendMesh(Mesh& mesh, const Mesh& part)
{
    const auto base = static_cast<uint32_t>(mesh.positions.size());
    mesh.positions.insert(mesh.positions.end(), part.positions.begin(), part.positions.end());
    mesh.uvs.insert(mesh.uvs.end(), part.uvs.begin(), part.uvs.end());
    for (const Triangle& t : part.triangles) mesh.triangles.push_back({t.material, t.a + base, t.b + base, t.c + base});
}

void TranslateMesh(Mesh& mesh, Vec3 offset)
{
    for (Vec3& p : mesh.positions) p = p + offset;
}

void RotateMeshAboutZ(Mesh& mesh, double radians)
{
    for (Vec3& p : mesh.positions) p = RotateAboutZ(p, radians);
}

void RotateMeshAboutX(Mesh& mesh, double radians)
{
    for (Vec3& p : mesh.positions) p = RotateAboutX(p, radians);
}

void RotateMeshAboutY(Mesh& mesh, double radians)
{
    for (Vec3& p : mesh.positions) p = RotateAboutY(p, radians);
}

void ScaleMesh(Mesh& mesh, Vec3 f)
{
    for (Vec3& p : mesh.positions) p = {p.x * f.x, p.y * f.y, p.z * f.z};
    // A mirroring scale turns every triangle inside out; turn them back.
    if (f.x * f.y * f.z < 0) FlipMesh(mesh);
}

void SetMaterial(Mesh& mesh, uint32_t material)
{
    for (Triangle& t : mesh.triangles) t.material = material;
}

void FlipMesh(Mesh& mesh)
{
    for (Triangle& t : mesh.triangles) std::swap(t.b, t.c);
}

Vec3 TriangleNormal(const Mesh& mesh, const Triangle& t)
{
    const Vec3 a = mesh.positions[t.a];
    return Unit(CrossProduct(mesh.positions[t.b] - a, mesh.positions[t.c] - a));
}

Sphere BoundingSphere(const Mesh& mesh)
{
    if (mesh.positions.empty()) return {};
    Vec3 low = mesh.positions[0], high = low;
    for (const Vec3& p : mesh.positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    Sphere s;
    s.centre = Snap(Lerp(low, high, 0.5));
    double radius = 0;
    for (const Vec3& p : mesh.positions) radius = std::max(radius, Distance(p, s.centre));
    // Rounded up to the grid, so that snapping the vertices cannot leave one outside.
    s.radius = Snap(radius + 1.0 / 512.0);
    return s;
}

} // namespace content
