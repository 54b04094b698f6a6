// Triangle meshes as the scene builders make them: positions, texture coordinates in texels
// (256 to a texture repeat) and triangles with a material slot, plus the operations that place,
// join and measure them.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/scene/math_types.h"

namespace content {

struct Uv {
    float u = 0, v = 0; // texels; the texture repeats every 256
};

struct Triangle {
    uint32_t material = 0; // slot: an index into the owner's material list
    uint32_t a = 0, b = 0, c = 0;
};

// Triangles face the side from which a, b, c run counter-clockwise (their normal is
// (b - a) x (c - a)); the engine culls the other side.
struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Uv> uvs; // one per position
    std::vector<Triangle> triangles;
};

// Appends a vertex; returns its index.
uint32_t AddVertex(Mesh& mesh, Vec3 position, Uv uv = {});
void AddTriangle(Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, uint32_t material = 0);
// A quad of four new vertices, p0..p3 counter-clockwise seen from the side it faces, split
// along p0-p2.
void AddQuad(Mesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Uv t0, Uv t1, Uv t2, Uv t3, uint32_t material = 0);

// Appends `part` (its indices shifted).
void AppendMesh(Mesh& mesh, const Mesh& part);
// Every position moved, turned (about z, then as given) or scaled.
void TranslateMesh(Mesh& mesh, Vec3 offset);
void RotateMeshAboutZ(Mesh& mesh, double radians);
void RotateMeshAboutX(Mesh& mesh, double radians);
void RotateMeshAboutY(Mesh& mesh, double radians);
void ScaleMesh(Mesh& mesh, Vec3 factors);
// Every triangle's material slot set to `material`.
void SetMaterial(Mesh& mesh, uint32_t material);
// Every triangle turned to face the other way.
void FlipMesh(Mesh& mesh);

// The unit normal of a triangle, (0, 0, 0) when it has no area.
Vec3 TriangleNormal(const Mesh& mesh, const Triangle& t);

// The bounding sphere the engine culls with: centre of the bounding box and the largest
// distance from it.
struct Sphere {
    Vec3 centre{0, 0, 0};
    float radius = 0;
};
Sphere BoundingSphere(const Mesh& mesh);

} // namespace content
