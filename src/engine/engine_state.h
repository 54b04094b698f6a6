// The engine's process-wide state: output geometry, depth buffer and row tables, sine,
// shade-angle and glow tables, work buffers, node cache, and what the frame pipeline sets per
// view and per object for the renderers.
#pragma once

#include <cstdint>

#include "engine/scene/math_types.h"
#include "engine/scene/scene_model.h"
#include "formats/pixel_format.h"

constexpr int32_t kMaxViewRows = 1024;
constexpr int32_t kMaxViewWidth = 0x7FFFFFFF / (kMaxViewRows * 4); // row offsets stay in 32 bits
constexpr int32_t kAngleRampMin = -2048; // angleRampTable is indexed by k = -2048 .. 2048
constexpr int32_t kAngleRampSize = 4097;
constexpr int32_t kWorkBytesPerVertex = 32; // the largest projected-vertex record

// World transform of one object number, cached for one view.
struct NodeTransform {
    int32_t valid;
    Vec3 position;
    float rotation[9]; // row major
};

struct EngineState {
    Scene* scene; // the current scene (SetEngineScene, LoadEngineScene)

    int32_t width, height;
    float widthF, heightF;
    int32_t clipX16, clipY16;     // width x 16, height x 16
    float centreX16, centreY16;   // width x 8, height x 8 - 8
    int32_t bitsPerPixel;         // 15 or 16

    // Field-of-view cache; survives EngineRelease and carries over to the next scene.
    int32_t fovAngle = 1460;
    float cosH, sinH, cosV, sinV, focal16;
    float farDistance = 1.0e10f; // survives EngineRelease

    uint32_t* depthBuffer; // width x height
    uint32_t frameStamp;
    int32_t depthRows[kMaxViewRows]; // byte offset of each row
    int32_t depthPitch;
    int32_t colourRows[kMaxViewRows];
    int32_t colourPitch;
    int32_t screenDepthRows[kMaxViewRows]; // the main view's row tables, restored after
    int32_t screenColourRows[kMaxViewRows]; // render-to-texture passes
    int32_t textureDepthRows[256];          // rows of a 256x256 render-to-texture target
    int32_t textureColourRows[256];

    float sineTable[kSineTableSize];
    int32_t angleRampTable[kAngleRampSize]; // 16.16 shade level of cosine k / 1024, k from -2048
    uint8_t* glowTable;                     // 256 rows of 256, aligned to 65536

    uint8_t* work;                 // kWorkBytesPerVertex per vertex of the largest object
    int32_t workVertices;          // vertices the work buffer has room for
    Vec3* morphVertices;           // largest vertex count of morphing objects and their targets
    Vec3* morphNormals;
    NodeTransform* nodes;          // one per object number 0 .. largest
    int32_t nodeCount;

    SceneCamera* camera;
    SceneLight* light;

    // Per view, set by the frame pipeline.
    int32_t pass;              // 0 opaque objects, 1 blended objects, 2 after both
    float fogNear, fogFar;     // fog range of this view
    float fogScale;            // 10420224 / (fogFar - fogNear)
    uint32_t background;       // packed clear colour, two pixels
    Vec3 lightVector;          // light direction times strength (0 .. -1024)

    // Per object, set by the frame pipeline before it calls the object's renderer.
    float objectMatrix[9];     // Mc, row major: camera space = Mc . vertex + tc (scale applied)
    Vec3 objectTranslation;    // tc
    Vec3 eyeInObject;          // the eye in object space
    Vec3 lightInObject;        // lightVector in object space (not scaled)
    Vec3 envRight23, envUp23;  // right and up rows of camera x M (unscaled) times 2^23
    int32_t backfaceCulling;   // 1: faces turned away are skipped
    int32_t morphing;          // 1: the object is between two morph targets; nothing is culled
    int32_t affineMapping;     // 1: affine texture fills, 0: perspective
    int32_t outlineMode;       // 0 none, 1 faces and edges, 2 edges only (faces not filled)

    // Outline lines, set by the frame pipeline when an object has an outline.
    int32_t lineMode;          // 1 brightening, 0 darkening
    float depthBias;           // subtracted from a line end's depth
    float creaseLimit;         // cosine: edges between faces at least this sharp are drawn
};

extern EngineState engine;

// The angle-ramp entry of a cosine in 1/1024 units (clamped to -2048 .. 2048).
inline int32_t AngleRamp(int32_t k)
{
    if (k < kAngleRampMin) k = kAngleRampMin;
    if (k > -kAngleRampMin) k = -kAngleRampMin;
    return engine.angleRampTable[k - kAngleRampMin];
}
