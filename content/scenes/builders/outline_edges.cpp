#include "scenes/builders/outline_edges.h"

#include <map>
#include <tuple>

#include "scenes/builders/scene_math.h"

namespace content {
namespace {

using PointKey = std::tuple<float, float, float>;

PointKey KeyOf(Vec3 p) { return {p.x, p.y, p.z}; }

struct EdgeFaces {
    uint32_t vertexA = 0, vertexB = 0;
    std::vector<int32_t> faces;
};

} // namespace

std::vector<FsfEdge> MakeOutlineEdges(const Mesh& mesh)
{
    // Edges are found by the places of their ends, in the order the faces name them.
    std::map<std::pair<PointKey, PointKey>, size_t> index;
    std::vector<EdgeFaces> found;
    for (size_t f = 0; f < mesh.triangles.size(); ++f) {
        const Triangle& t = mesh.triangles[f];
        const uint32_t corners[3] = {t.a, t.b, t.c};
        for (int e = 0; e < 3; ++e) {
            const uint32_t a = corners[e], b = corners[(e + 1) % 3];
            PointKey ka = KeyOf(mesh.positions[a]), kb = KeyOf(mesh.positions[b]);
            if (ka == kb) continue;
            if (kb < ka) std::swap(ka, kb);
            const auto [it, fresh] = index.try_emplace({ka, kb}, found.size());
            if (fresh) found.push_back({a, b, {}});
            found[it->second].faces.push_back(static_cast<int32_t>(f));
        }
    }
    std::vector<FsfEdge> edges;
    for (const EdgeFaces& e : found) {
        FsfEdge edge{static_cast<int32_t>(e.vertexA), static_cast<int32_t>(e.vertexB), e.faces[0], -1, -1.0f};
        if (e.faces.size() >= 2) {
            edge.faceB = e.faces[1];
            const Vec3 na = TriangleNormal(mesh, mesh.triangles[static_cast<size_t>(e.faces[0])]);
            const Vec3 nb = TriangleNormal(mesh, mesh.triangles[static_cast<size_t>(e.faces[1])]);
            edge.crease = Snap(Clamp(DotProduct(na, nb), -1.0, 1.0));
        }
        edges.push_back(edge);
    }
    return edges;
}

} // namespace content
