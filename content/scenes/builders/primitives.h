// Mesh builders for the scenes' shapes. All take sizes in scene units and a texture density in
// texels per unit, so that one texture keeps one scale on every shape it covers. Closed shapes
// face outwards; open ones face the side named.
#pragma once

#include <vector>

#include "scenes/builders/mesh.h"

namespace content {

// A box between two corners; each side has its own four vertices (flat shading at the edges)
// and a planar mapping.
Mesh MakeBox(Vec3 low, Vec3 high, float texelsPerUnit);

// A surface of revolution about the z axis. The profile runs from bottom to top as
// (radius, height) points; a point marked sharp starts a new band of vertices, so the
// shading breaks there (a step of a column base) instead of rounding over it.
struct ProfilePoint {
    float radius = 0, z = 0;
    bool sharp = false;
};
struct LatheOptions {
    int segments = 16;          // around the axis
    float uRepeats = 1;         // texture repeats around the full turn
    float texelsPerUnit = 16;   // along the profile
    double startRadians = 0;    // a part turn: from start to end
    double endRadians = 6.283185307179586;
    bool inward = false;        // face the axis (the inside of a bowl or a dome seen from below)
    bool alongU = false;        // u along the profile and v round the axis (grain up a mast)
};
Mesh MakeLathe(const std::vector<ProfilePoint>& profile, const LatheOptions& options);

// A cylinder about the z axis from z0 to z1, with caps if asked.
Mesh MakeCylinder(float radius, float z0, float z1, int segments, float texelsPerUnit, bool caps);
// A sphere about the origin: `rings` bands from pole to pole, `segments` around.
Mesh MakeSphere(float radius, int rings, int segments, float uRepeats, float vRepeats);
// A ring about the z axis: tube radius `tube` swept around radius `radius`.
Mesh MakeTorus(float radius, float tube, int segments, int sides, float uRepeats, float vRepeats);

// A polygon in the xy plane (counter-clockwise seen from +z, star-shaped about its centroid)
// extruded from z0 to z1, with both caps. Sides are flat-shaded.
Mesh MakeExtrusion(const std::vector<Vec3>& outline, float z0, float z1, float texelsPerUnit);
// A gear lying in the xy plane: `teeth` teeth between the root and tip radii, a hub hole is
// not cut (the gears are seen edge-on and from above at a distance).
Mesh MakeGear(int teeth, float rootRadius, float tipRadius, float z0, float z1, float texelsPerUnit);

// A round arch standing in the xz plane, open along y: two piers of width `pier` on either
// side of an opening `2 halfSpan` wide, springing at height `spring` into a half circle, under
// a flat top `crown` above the arch's top; `depth` thick along y, centred on y = 0.
// With `band` the arch is a rib instead: its outer edge a half circle `crown` beyond the inner
// one, and no piers when `spring` is 0.
struct ArchShape {
    float halfSpan = 20, pier = 6, spring = 30, crown = 6, depth = 8;
    int segments = 10;
    bool band = false;
};
Mesh MakeArch(const ArchShape& shape, float texelsPerUnit);

// A flight of `steps` steps rising along +y from y = 0, z = 0, `width` wide about x = 0.
Mesh MakeStairs(int steps, float width, float run, float rise, float texelsPerUnit);

// A grid of columns x rows quads over x0..x1, y0..y1 facing +z, at the heights `height`
// gives (row-major, (columns + 1) x (rows + 1) values, or empty for a flat plane). Vertices are
// shared, so Gouraud shading is smooth across it.
Mesh MakeGrid(int columns, int rows, float x0, float y0, float x1, float y1, const std::vector<float>& height,
              float texelsPerUnit);
// A flat grid (no heights).
Mesh MakeSubdividedPlane(int columns, int rows, float x0, float y0, float x1, float y1, float texelsPerUnit);
// Terrain from a height function sampled on the grid.
template <class HeightFunction>
Mesh MakeTerrain(int columns, int rows, float x0, float y0, float x1, float y1, float texelsPerUnit,
                 HeightFunction height)
{
    std::vector<float> heights;
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= columns; ++c) {
            heights.push_back(height(x0 + (x1 - x0) * static_cast<float>(c) / static_cast<float>(columns),
                                     y0 + (y1 - y0) * static_cast<float>(r) / static_cast<float>(rows)));
        }
    }
    return MakeGrid(columns, rows, x0, y0, x1, y1, heights, texelsPerUnit);
}

// A flat panel from `corner` spanned by `across` and `up`, cut into columns x rows quads
// (so that long walls are textured without swimming), facing across x up. u runs along
// `across`, v down `up` (v grows downward, as texture rows do).
Mesh MakePanel(Vec3 corner, Vec3 across, Vec3 up, int columns, int rows, float texelsPerUnit);

// A flat sector of a disc in the xy plane facing +z: centre at the origin, from angle
// `startRadians` to `endRadians` counter-clockwise, mapped in plan.
Mesh MakeSector(float radius, double startRadians, double endRadians, int segments, float texelsPerUnit);

// A star of `points` points between two radii, extruded from z0 to z1 (lying in the xy plane).
Mesh MakeStar(int points, float innerRadius, float outerRadius, float z0, float z1, float texelsPerUnit);

// Vertical quads crossing on the z axis (`planes` of them, evenly turned), each `width` wide
// from z = 0 to `height`, mapped to the texture cell from (u0, v0) to (u1, v1): the top of the
// quad at v0. Seen from any side; the objects drawing them turn back-face culling off.
Mesh MakeBillboards(int planes, float width, float height, Uv cellLow, Uv cellHigh);

} // namespace content
