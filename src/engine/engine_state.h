// The engine's process-wide state and its set-up: output geometry, depth buffer and row
// tables, sine, shade-angle and glow tables, work buffers, node cache, and the per-material
// colour tables and textures built for the display's pixel layout.
#pragma once

#include <cstdint>

#include "engine/math_types.h"
#include "engine/scene_model.h"

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
    Scene* scene; // the current scene (the one LoadScene filled last)

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

enum EngineErrorCode : int32_t {
    kEngineOk = 0,
    kEngineMemoryError = 1,
    kEngineNoCamera = 2,
    kEngineBadDepth = 3,
    kEngineBadResolution = 4,
    kEnginePictureError = 5,
};

// The scene EngineInit prepares; LoadScene sets it and FreeScene clears it.
void SetEngineScene(Scene* scene);
Scene* EngineScene();

// Sets the engine up for the current scene at the given output size and depth: 0 or an
// engine error code. Fails with 4 for a height above 1024 (or a size below 1, or a width
// beyond kMaxViewWidth) and 3 for a depth other than 15 and 16.
int32_t EngineInit(int32_t width, int32_t height, int32_t bitsPerPixel);
// Builds every material table and picture the objects' render modes need, and loads the
// flare pictures: 0, 1 (memory) or 5 (a picture, named in the error message).
int32_t PrepareMaterials(int32_t bitsPerPixel);
// Sets width, height, their reals, the clip bounds (x 16) and the projection centre.
void SetViewGeometry(int32_t width, int32_t height);
// Sets the pitches and row tables of a width x height view of 32-bit depths and 16-bit
// colours, packed row after row; rows from height on point at row 0. Height at most 1024.
void SetViewRows(int32_t width, int32_t height);
// Caches field-of-view angle a (1..4095): its cosine and sine, the focal length for the view's
// width, and the vertical half angle from the view's height.
void SetFieldOfView(int32_t a);
// Releases every material table and flare picture of the current scene and the engine's
// buffers; camera and light become none. Safe when some items were never built.
void EngineRelease();
// Releases one material's engine tables (used by EngineRelease and FreeScene).
void ReleaseMaterialTables(Material* material);

// Message of an engine error code; code 5 carries the failing picture's name (12 characters).
const char* EngineErrorText(int32_t code);
// Puts a picture name into code 5's message: its first 12 characters, or the name padded
// with blanks to 12.
void SetEngineErrorName(const char* name);

// The built-in 256x256 flare picture: four 128x128 glow sprites, one per quarter.
const uint8_t* BuiltInFlarePicture();

// A colour (components 0..255) packed into a pixel of 16 (5-6-5) or 15 (x-5-5-5) bits.
inline uint16_t PackColour(int32_t r, int32_t g, int32_t b, int32_t bitsPerPixel)
{
    auto clamp = [](int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    r = clamp(r);
    g = clamp(g);
    b = clamp(b);
    if (bitsPerPixel == 16) return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}
// The half-value version of a packed pixel.
inline uint16_t HalfPixel(uint16_t pixel, int32_t bitsPerPixel)
{
    return static_cast<uint16_t>((pixel >> 1) & (bitsPerPixel == 16 ? 0x7BEF : 0x3DEF));
}
