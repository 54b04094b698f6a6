// Writes FSF scene files: a chunk builder for any chunk layout, and a scene description
// whose every field becomes its chunk (fields left unset are not written), in the order the
// reader needs: version, scene info, materials, lights, flares, cameras, objects, events.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/scene/key_tracks.h"
#include "engine/scene/scene_chunks.h"
#include "engine/scene/math_types.h"

// Builds chunks: 32-bit id, 32-bit size including the 8-byte header, payload.
class FsfChunkWriter {
public:
    // Starts a container chunk; its size is filled in by Close.
    void Open(uint32_t id);
    void Close();
    // A field chunk with the given payload.
    void Field(uint32_t id, const std::vector<uint8_t>& payload);
    void FieldU32(uint32_t id, uint32_t value);
    void FieldI32s(uint32_t id, const std::vector<int32_t>& values);
    void FieldF32s(uint32_t id, const std::vector<float>& values);
    // Zero-terminated text.
    void FieldText(uint32_t id, const std::string& text);
    // Raw bytes at the current position (inside an open container or at the top).
    void Raw(const std::vector<uint8_t>& bytes);
    // The finished bytes; every container must be closed.
    std::vector<uint8_t> Take();

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};

template <class Key>
struct FsfTrack {
    int32_t loop = 0;
    std::vector<Key> keys;
};
using FsfVectorTrack = FsfTrack<VectorKey>;
using FsfScalarTrack = FsfTrack<ScalarKey>; // morph tracks too: the value bits hold a reference

// Key makers with zero tension, continuity and bias.
VectorKey MakeVectorKey(float frame, Vec3 value, Vec3 inTangent = {0, 0, 0}, Vec3 outTangent = {0, 0, 0},
                        float easeTo = 0, float easeFrom = 0);
ScalarKey MakeScalarKey(float frame, float value, float inTangent = 0, float outTangent = 0, float easeTo = 0,
                        float easeFrom = 0);
// A morph key whose value field holds the object reference `reference`.
ScalarKey MakeMorphKey(float frame, uint32_t reference, float inTangent = 0, float outTangent = 0);
StepKey MakeStepReal(float frame, float value);
StepKey MakeStepWord(float frame, uint32_t value);
// An object reference of file versions 0x610 and later: the (occurrence+1)-th object numbered
// `number`. Older versions store the number itself.
uint32_t MakeObjectReference(int32_t number, int32_t occurrence);

using FsfColour = std::array<int32_t, 3>;

struct FsfMaterial {
    std::optional<std::string> name;
    std::optional<FsfColour> ambient, diffuse, specular;
    std::optional<int32_t> shininess;
    std::optional<float> highlight, textureBase, textureLightGain, textureColourMix;
    std::optional<std::string> textureName, secondMapName;
    std::optional<std::vector<StepKey>> frameTrack;
    std::optional<FsfScalarTrack> opacityTrack;
};

struct FsfLight {
    std::optional<std::string> name;
    std::optional<int32_t> tag;
    std::optional<FsfVectorTrack> positionTrack;
    std::optional<FsfScalarTrack> extraTrack;
    std::optional<FsfVectorTrack> targetTrack;
    std::optional<FsfScalarTrack> intensityTrack;
    std::optional<uint32_t> parent;
};

struct FsfFlare {
    std::optional<std::string> name;
    std::optional<int32_t> tag;
    std::optional<float> size;
    std::optional<int32_t> flag;
    std::optional<FsfVectorTrack> positionTrack, colourTrack;
    std::optional<std::vector<float>> visibilityToggles;
    std::optional<std::string> pictureName;
    std::optional<FsfScalarTrack> sizeTrack;
    std::optional<uint32_t> parent;
};

struct FsfCamera {
    std::optional<std::string> name;
    std::optional<int32_t> tag;
    std::optional<FsfVectorTrack> positionTrack;
    std::optional<FsfScalarTrack> fovTrack, rollTrack;
    std::optional<FsfVectorTrack> targetTrack;
    std::optional<uint32_t> parent;
};

struct FsfFace {
    uint32_t material, a, b, c;
};

struct FsfEdge {
    int32_t vertexA, vertexB, faceA, faceB; // faceB -1: open edge
    float crease;
};

struct FsfObject {
    std::optional<std::string> name;
    std::optional<int32_t> tag;
    std::optional<int32_t> renderMode;
    std::optional<std::vector<Vec3>> vertices;
    std::optional<std::vector<std::array<float, 2>>> mapping;
    std::optional<std::vector<FsfFace>> faces;
    std::optional<Vec3> boundCentre; // written with boundRadius (0 when unset)
    float boundRadius = 0;
    std::optional<int32_t> number; // written with parentNumber
    int32_t parentNumber = -1;
    std::optional<Vec3> pivot;
    std::optional<FsfVectorTrack> positionTrack, rotationTrack, scaleTrack;
    std::optional<std::vector<float>> hideToggles;
    std::optional<FsfScalarTrack> morphTrack;
    std::optional<std::vector<StepKey>> switchTrack, modeTrack;
    std::optional<std::vector<float>> cullToggles;
    std::optional<std::vector<FsfEdge>> edges; // written with flagTrack
    std::vector<StepKey> flagTrack;
    std::optional<FsfVectorTrack> uvTrack;
    std::optional<std::vector<StepKey>> targetTrack;
};

// One event chunk (0x701 .. 0x705): camera index, light index, one value, three integers or
// two values, after the frame and kind.
struct FsfEvent {
    uint32_t chunkId;
    float frame;
    int32_t kind;
    uint32_t a = 0, b = 0, c = 0;
};
// Events in the pairings scene files use.
FsfEvent MakeCameraEvent(float frame, uint32_t cameraIndex);
FsfEvent MakeLightEvent(float frame, uint32_t lightIndex);
FsfEvent MakeFarEvent(float frame, float distance);
FsfEvent MakeFogEvent(float frame, float nearDistance, float farDistance);
FsfEvent MakeBackgroundEvent(float frame, int32_t r, int32_t g, int32_t b);


struct FsfScene {
    std::optional<uint32_t> version = kFsfNewestVersion;
    std::optional<std::array<int32_t, 3>> info; // infoA, infoB, lastFrame
    std::vector<FsfMaterial> materials;
    std::vector<FsfLight> lights;
    std::vector<FsfFlare> flares;
    std::vector<FsfCamera> cameras;
    std::vector<FsfObject> objects;
    std::optional<std::vector<FsfEvent>> events;
    std::optional<uint32_t> declaredEventCount; // default: the number of events
};

// The whole file: one root chunk holding everything set in `scene`.
std::vector<uint8_t> WriteFsf(const FsfScene& scene);

// The faces of a grid of columns x rows quads whose (columns + 1) x (rows + 1) vertices run row
// by row from the top: each quad as (bottom-left, bottom-right, top-right) and (bottom-left,
// top-right, top-left), material 0.
std::vector<FsfFace> MakeGridFaces(uint32_t columns, uint32_t rows);
