// The edge list an outline draws from: every edge of a mesh with the faces on either side
// (edges of separate vertices at the same place count as one) and the cosine of the fold
// between them.
#pragma once

#include <vector>

#include "formats/scene_writer.h"
#include "scenes/builders/mesh.h"

namespace content {

// Edges with two faces carry the cosine of the angle between the face normals; edges with
// one face are open and carry -1, so they count as folds of any angle.
std::vector<FsfEdge> MakeOutlineEdges(const Mesh& mesh);

} // namespace content
