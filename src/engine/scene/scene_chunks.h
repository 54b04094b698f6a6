// The chunks of an FSF scene file and the layouts of their fields. A chunk is a 32-bit id, a
// 32-bit size that counts its 8-byte header, and a payload; containers (the root, one per
// record, the event list) hold further chunks. All numbers are little-endian. The loader and
// the writers take their ids and record sizes from here.
#pragma once

#include <cstdint>

enum FsfChunkId : uint32_t {
    kFsfRoot = 0x0001,       // the whole scene; a second root starts the scene afresh
    kFsfVersion = 0x00ff,    // u32 file version
    kFsfSceneInfo = 0x0100,  // i32 infoA, infoB, lastFrame

    kFsfMaterial = 0x0200,   // container, one per material
    kFsfMaterialName = 0x0201,
    kFsfMaterialAmbient = 0x0202,  // i32 r, g, b
    kFsfMaterialDiffuse = 0x0203,
    kFsfMaterialSpecular = 0x0204,
    kFsfMaterialShininess = 0x0205, // i32
    kFsfMaterialHighlight = 0x0206, // f32
    kFsfMaterialTextureBase = 0x0207,
    kFsfMaterialTextureLightGain = 0x0208,
    kFsfMaterialTextureColourMix = 0x0209,
    kFsfMaterialTextureName = 0x020a,
    kFsfMaterialSecondMapName = 0x020b,
    kFsfMaterialFrameTrack = 0x020c,   // step keys
    kFsfMaterialOpacityTrack = 0x020d, // scalar track

    kFsfLight = 0x0300,
    kFsfLightName = 0x0301,
    kFsfLightTag = 0x0302,
    kFsfLightPositionTrack = 0x0303,
    kFsfLightExtraTrack = 0x0304,
    kFsfLightTargetTrack = 0x0305,
    kFsfLightIntensityTrack = 0x0306,
    kFsfLightParent = 0x0307, // u32 object reference

    kFsfFlare = 0x0400,
    kFsfFlareName = 0x0401,
    kFsfFlareTag = 0x0402,
    kFsfFlareSize = 0x0403,  // f32
    kFsfFlareFlag = 0x0404,  // i32
    kFsfFlarePositionTrack = 0x0405,
    kFsfFlareColourTrack = 0x0406,
    kFsfFlareVisibilityToggles = 0x0407,
    kFsfFlarePictureName = 0x0408,
    kFsfFlareSizeTrack = 0x0409,
    kFsfFlareParent = 0x040a,

    kFsfCamera = 0x0500,
    kFsfCameraName = 0x0501,
    kFsfCameraTag = 0x0502,
    kFsfCameraPositionTrack = 0x0503,
    kFsfCameraFovTrack = 0x0504,
    kFsfCameraRollTrack = 0x0505,
    kFsfCameraTargetTrack = 0x0506,
    kFsfCameraParent = 0x0507,

    kFsfObject = 0x0600,
    kFsfObjectName = 0x0601,
    kFsfObjectTag = 0x0602,
    kFsfObjectRenderMode = 0x0603, // i32 row of the render-mode table
    kFsfObjectVertices = 0x0604,   // u32 count, then count x kFsfVertexBytes
    kFsfObjectMapping = 0x0605,    // one kFsfMappingBytes record per vertex, no count
    kFsfObjectFaces = 0x0606,      // u32 count, then count x kFsfFaceBytes
    kFsfObjectBounds = 0x0607,     // f32 centre x, y, z, radius
    kFsfObjectNumber = 0x0608,     // i32 number, i32 parent number
    kFsfObjectPivot = 0x0609,      // f32 x, y, z
    kFsfObjectPositionTrack = 0x060a,
    kFsfObjectRotationTrack = 0x060b,
    kFsfObjectScaleTrack = 0x060c,
    kFsfObjectHideToggles = 0x060d,
    kFsfObjectMorphTrack = 0x060e,
    kFsfObjectSwitchTrack = 0x060f,
    kFsfObjectModeTrack = 0x0610,
    kFsfObjectCullToggles = 0x0611,
    kFsfObjectEdges = 0x0612,      // u32 edge count, u32 flag count, edges, then flag step keys
    kFsfObjectUvTrack = 0x0613,
    kFsfObjectTargetTrack = 0x0614,

    kFsfEvents = 0x0700,           // u32 count, then the event chunks
    kFsfCameraEvent = 0x0701,      // f32 frame, i32 kind, u32 camera index
    kFsfLightEvent = 0x0702,       // f32 frame, i32 kind, u32 light index
    kFsfFarEvent = 0x0703,         // f32 frame, i32 kind, f32 distance
    kFsfBackgroundEvent = 0x0704,  // f32 frame, i32 kind, i32 r, g, b
    kFsfFogEvent = 0x0705,         // f32 frame, i32 kind, f32 near, f32 far
};

// The last field id of each record kind (field ids run from the container's id + 1).
constexpr uint32_t kFsfLastMaterialField = kFsfMaterialOpacityTrack;
constexpr uint32_t kFsfLastLightField = kFsfLightParent;
constexpr uint32_t kFsfLastFlareField = kFsfFlareParent;
constexpr uint32_t kFsfLastCameraField = kFsfCameraParent;
constexpr uint32_t kFsfLastObjectField = kFsfObjectTargetTrack;
constexpr uint32_t kFsfLastEvent = kFsfFogEvent;

constexpr uint32_t kFsfChunkHeaderBytes = 8;
constexpr uint32_t kFsfVertexBytes = 12;  // f32 x, y, z
constexpr uint32_t kFsfMappingBytes = 8;  // f32 u, v
constexpr uint32_t kFsfFaceBytes = 16;    // u32 material index, i32 vertices a, b, c
constexpr uint32_t kFsfEdgeBytes = 20;    // i32 vertex a, vertex b, face a, face b (-1 open), f32 crease
constexpr uint32_t kFsfStepKeyBytes = 8;  // f32 frame, 32-bit value
// Payload bytes of each event chunk, from the camera event to the fog event.
constexpr uint32_t kFsfEventPayloadBytes[5] = {12, 12, 12, 20, 16};

// File versions whose layouts differ: render modes are stored as table rows from
// kFsfNewestVersion on (legacy codes before), object references count occurrences from
// kFsfOccurrenceReferenceVersion on, and switch keys before kFsfSwitchRealsVersion hold 10 for off.
constexpr uint32_t kFsfNewestVersion = 0x7f0;
constexpr uint32_t kFsfOccurrenceReferenceVersion = 0x610;
constexpr uint32_t kFsfSwitchRealsVersion = 0x400;
