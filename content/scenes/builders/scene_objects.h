// Putting meshes, lights, cameras and flares into a scene description: objects get the next
// free node number, a bounding sphere, texture coordinates in the file's units and a resting
// place and attitude unless given tracks of their own.
#pragma once

#include <string>
#include <vector>

#include "formats/scene_writer.h"
#include "scenes/builders/mesh.h"

namespace content {

// Appends a material; returns its index.
uint32_t AddMaterial(FsfScene& scene, const FsfMaterial& material);

// An object of `mesh`, its material slots turned into scene materials through `materials`
// (slot i -> materials[i]), drawn in `mode`, at the origin, unturned.
FsfObject MeshObject(const std::string& name, const Mesh& mesh, const std::vector<uint32_t>& materials, int32_t mode);

// Appends `object` with the next node number (the object count) under `parentNumber`
// (-1: none); returns its number.
int32_t AddObject(FsfScene& scene, FsfObject object, int32_t parentNumber = -1);
// The reference a light, flare, camera or morph key stores for the object numbered `number`.
uint32_t ObjectReference(int32_t number);

// A camera from eye to target (both tracks), with a horizontal half angle in degrees.
FsfCamera MakeCamera(const std::string& name, const FsfVectorTrack& eye, const FsfVectorTrack& target,
                     float halfAngleDegrees);

// A flare at `position` of `size` (scene units), colour components 0..1, sprite `flag` of the
// picture `picture` (empty: the built-in one).
FsfFlare MakeFlare(const std::string& name, Vec3 position, float size, Vec3 colour, int32_t flag,
                   const std::string& picture = "");

} // namespace content
