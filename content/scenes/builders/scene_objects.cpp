#include "scenes/builders/scene_objects.h"

#include "scenes/builders/scene_math.h"
#include "scenes/builders/tracks.h"

namespace content {

uint32_t AddMaterial(FsfScene& scene, const FsfMaterial& material)
{
    scene.materials.push_back(material);
    return static_cast<uint32_t>(scene.materials.size() - 1);
}

FsfObject MeshObject(const std::string& name, const Mesh& mesh, const std::vector<uint32_t>& materials, int32_t mode)
{
    FsfObject o;
    o.name = name;
    o.renderMode = mode;
    std::vector<Vec3> vertices;
    std::vector<std::array<float, 2>> mapping;
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        vertices.push_back(Snap(mesh.positions[i]));
        // Texels as 16.16 fixed point, on a grid of 1/256 texel.
        mapping.push_back({Snap(mesh.uvs[i].u / 4.0) * 4.0f * 65536.0f, Snap(mesh.uvs[i].v / 4.0) * 4.0f * 65536.0f});
    }
    std::vector<FsfFace> faces;
    for (const Triangle& t : mesh.triangles) faces.push_back({materials.at(t.material), t.a, t.b, t.c});
    const Sphere bounds = BoundingSphere(mesh);
    o.vertices = vertices;
    o.mapping = mapping;
    o.faces = faces;
    o.boundCentre = bounds.centre;
    o.boundRadius = bounds.radius;
    // Empty position and rotation tracks would read as (1, 1, 1).
    o.positionTrack = ConstantVectorTrack({0, 0, 0});
    o.rotationTrack = ConstantVectorTrack({0, 0, 0});
    return o;
}

int32_t AddObject(FsfScene& scene, FsfObject object, int32_t parentNumber)
{
    const auto number = static_cast<int32_t>(scene.objects.size());
    object.number = number;
    object.parentNumber = parentNumber < 0 ? -1 : static_cast<int32_t>(ObjectReference(parentNumber));
    scene.objects.push_back(std::move(object));
    return number;
}

uint32_t ObjectReference(int32_t number) { return MakeObjectReference(number, 0); }

FsfCamera MakeCamera(const std::string& name, const FsfVectorTrack& eye, const FsfVectorTrack& target,
                     float halfAngleDegrees)
{
    FsfCamera c;
    c.name = name;
    c.positionTrack = eye;
    c.targetTrack = target;
    c.fovTrack = ConstantScalarTrack(halfAngleDegrees);
    return c;
}

FsfFlare MakeFlare(const std::string& name, Vec3 position, float size, Vec3 colour, int32_t flag,
                   const std::string& picture)
{
    FsfFlare f;
    f.name = name;
    f.size = size;
    f.flag = flag;
    f.positionTrack = ConstantVectorTrack(position);
    f.colourTrack = ConstantVectorTrack(colour);
    if (!picture.empty()) f.pictureName = picture;
    return f;
}

} // namespace content
