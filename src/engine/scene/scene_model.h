// The scene model: materials, mesh objects, cameras, lights, flares and timed scene events of
// one scene, as loaded from an FSF scene file. Every record list is singly linked in file
// order and owned by its Scene; records own their track keys.
#pragma once

#include <bit>
#include <cstdint>

#include "engine/scene/key_tracks.h"
#include "engine/scene/math_types.h"

constexpr int32_t kSceneNameSize = 24; // text fields hold at most 23 characters

struct Material {
    Material* next;
    char name[kSceneNameSize];
    int32_t ambient[3];  // r, g, b 0..255: dark end of the shading ramp
    int32_t diffuse[3];  // middle of the shading ramp
    int32_t specular[3]; // bright end of the shading ramp
    int32_t shininess;   // exponent of the highlight term
    float highlight;     // share of the ramp given to the highlight, 0..1
    float textureBase;   // texture brightness without light
    float textureLightGain;
    float textureColourMix;
    char textureName[kSceneNameSize];
    char secondMapName[kSceneNameSize];
    StepList frameTrack;      // texture animation (linear list of frame numbers)
    ScalarTrack opacityTrack; // shade level over time

    // Built by the engine set-up and released by the engine (null when not built).
    int32_t frameCount;            // 256x256 frames in the texture picture
    uint8_t* textureFrames;        // frameCount x 65536 palette indices
    uint8_t* currentFrame;         // the frame shown now, inside textureFrames
    uint16_t* texturePalette;      // 256 pixels
    uint16_t* texturePaletteHalf;  // 256 pixels at half value
    uint16_t* shadeRamp;           // 256 pixels
    uint16_t* shadeRampHalf;       // 256 pixels at half value
    uint16_t* shadedTexture;       // 256 levels x 256 colours
    uint16_t* shadedTextureHalf;   // the same at half value
    uint8_t textureColours[256][3]; // the texture's palette as r, g, b (0 beyond its colours)

    // The shade level of the current frame, set by the frame pipeline (null: not built).
    const uint16_t* shadeRow;      // row `level` of shadedTexture, used as a palette
    const uint16_t* shadeRowHalf;  // row `level` of shadedTextureHalf
    uint16_t shadeColour;          // entry `level` of shadeRamp
    uint16_t shadeColourHalf;      // entry `level` of shadeRampHalf
};

struct SceneObject;

struct SceneLight {
    SceneLight* next;
    char name[kSceneNameSize];
    int32_t tag;
    uint32_t parentStored;   // the object reference as the file holds it
    SceneObject* parent;     // the object whose transform the light follows, or null
    VectorTrack positionTrack;
    ScalarTrack intensityTrack; // strength 0..1
    ScalarTrack extraTrack;
    VectorTrack targetTrack;
};

struct SceneFlare {
    SceneFlare* next;
    char name[kSceneNameSize];
    int32_t tag;
    float size;        // sprite size when sizeTrack is empty
    int32_t flag;      // bit 0: right half of the picture, bit 1: bottom half
    char pictureName[kSceneNameSize]; // empty: the engine's built-in flare picture
    uint8_t* picture;  // 256 x 256 intensities, loaded by the engine set-up
    uint32_t parentStored;
    SceneObject* parent;
    ScalarTrack sizeTrack;
    VectorTrack positionTrack;
    VectorTrack colourTrack;      // components 0..1
    ToggleList visibilityToggles; // shown at the start
};

struct SceneCamera {
    SceneCamera* next;
    char name[kSceneNameSize];
    int32_t tag;
    uint32_t parentStored;
    SceneObject* parent;
    VectorTrack positionTrack;
    ScalarTrack fovTrack;  // degrees
    ScalarTrack rollTrack; // degrees
    VectorTrack targetTrack;
    // Render-to-texture target, for a camera some object shows as a texture.
    int32_t active;
    int32_t targetSize;     // 0: no target
    uint16_t* targetColour; // 256 x 256 pixels
    uint32_t* targetDepth;  // 256 x 256 depth values
    uint32_t targetStamp;
};

struct SceneFace {
    Material* material;
    int32_t a, b, c; // vertex indices
    Vec3 normal;     // unit length, or (0, 0, 0) for a degenerate face
};

struct SceneEdge {
    int32_t vertexA, vertexB;
    SceneFace* faceA;
    SceneFace* faceB; // null for an open edge
    float crease;
};

struct SceneObject {
    SceneObject* next;
    char name[kSceneNameSize];
    int32_t tag;
    int32_t renderMode; // row of the render-mode table
    int32_t vertexCount;
    Vec3* vertices;
    float* mapping;     // u, v per vertex, or null
    Vec3* vertexNormals; // built for modes that need them, or null
    Matrix matrix;
    int32_t faceCount;
    SceneFace* faces;
    Vec3 boundCentre;
    float boundRadius;
    int32_t number;            // node number, -1 when the file gives none
    int32_t parentStored;      // the parent reference as the file holds it
    SceneObject* parentNumber; // the parent object resolved from parentStored, or null
    Vec3 pivot;
    VectorTrack positionTrack;
    VectorTrack rotationTrack; // three angles in engine units
    VectorTrack scaleTrack;
    ToggleList hideToggles;    // shown at the start
    MorphTrack morphTrack;
    StepList modeTrack;        // values are reals naming rows
    ToggleList cullToggles;    // culling starts set
    StepList switchTrack;      // 0.0 gives affine mapping
    int32_t edgeCount;
    SceneEdge* edges;
    StepList flagTrack;        // outline and depth-bias flags
    VectorTrack uvTrack;       // texture scrolling
    int32_t uvOffset[2];       // 16.16, written by the frame pipeline
    StepList targetTrack;      // render-to-texture selection
};

enum SceneEventKind : int32_t {
    kEventCamera = 0,
    kEventLight = 1,
    kEventFarDistance = 2,
    kEventFog = 3,
    kEventBackground = 4,
};

// A timed change of the scene. a..d are the 32-bit payload as the file holds it (reals are
// read with EventReal); camera and light events also carry the record their index names.
struct SceneEvent {
    float frame;
    int32_t kind;
    uint32_t a, b, c, d; // background: d = the packed colour twice, written by the engine set-up
    uint32_t chunkId;    // the event chunk it came from (0x701 .. 0x705)
    SceneCamera* camera; // camera switch: the camera named by a
    SceneLight* light;   // light switch: the light named by a
};

inline float EventReal(uint32_t value) { return std::bit_cast<float>(value); }

struct Scene {
    char* fsfPath;    // the name with its extension forced to ".FSF"
    char* folderPath; // the name up to and including its last backslash, or ""
    char* datPath;    // the name with its extension replaced by ".DAT\"
    int32_t materialCount;
    Material* materials;
    int32_t lightCount;
    SceneLight* lights;
    int32_t flareCount;
    SceneFlare* flares;
    int32_t cameraCount;
    SceneCamera* cameras;
    int32_t objectCount;
    SceneObject* objects;
    int32_t infoA, infoB;
    int32_t lastFrame;
    int32_t eventCount;
    SceneEvent* events;
};

// Index of a record in its list (0 = head), or -1 for null or a record not in the list.
template <class Record>
int32_t RecordIndex(const Record* head, const Record* record)
{
    int32_t index = 0;
    for (const Record* r = head; r; r = r->next, ++index) {
        if (r == record) return index;
    }
    return -1;
}

// The record at `index` of a list, or null.
template <class Record>
Record* RecordAt(Record* head, int32_t index)
{
    for (Record* r = head; r && index >= 0; r = r->next, --index) {
        if (index == 0) return r;
    }
    return nullptr;
}
