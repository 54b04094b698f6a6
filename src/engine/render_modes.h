// The render-mode table: 101 constant rows, one per way of drawing an object. Row 0 is the
// wireframe mode; row 1 + map x 20 + shade x 4 + blend combines a surface colour source
// (map), a shading and a combination with the colour buffer (blend).
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kRenderModeCount = 101;

// Map values (key byte 1).
enum MapKind : uint8_t { kMapNomap = 0, kMapTextu = 1, kMapEnvma = 2, kMapTextr = 3, kMapEnvtr = 4 };
// Shade values (key byte 2).
enum ShadeKind : uint8_t { kShadeNosha = 0, kShadeShade = 1, kShadeFlaty = 2, kShadeGoura = 3, kShadeFoggy = 4 };
// Blend values (key byte 3).
enum BlendKind : uint8_t { kBlendOpaqu = 0, kBlendTrans = 1, kBlendAddit = 2, kBlendSoust = 3 };

// The object renderer a row draws with. Textured maps with and without colour key share a
// renderer, as do the two environment maps.
enum class RendererId : uint8_t {
    Wire,
    NomapNosha, NomapShade, NomapFlaty, NomapGoura, NomapFoggy,
    TextuNosha, TextuShade, TextuFlaty, TextuGoura, TextuFoggy,
    EnvmaNosha, EnvmaShade, EnvmaFlaty, EnvmaGoura, EnvmaFoggy,
};
constexpr int32_t kRendererCount = 16;

struct RenderMode {
    int32_t legacyCode;     // mode number of older scene files, -1 when the row has none
    char name[20];          // "Wire" or MAP_SHADE_BLEND, e.g. "TEXTU_NOSHA_OPAQU"
    uint32_t key;           // byte 0: 1 for Wire; byte 1 map; byte 2 shade; byte 3 blend
    RendererId renderer;
    int32_t workRecordSize; // bytes per projected vertex of the renderer: 20, 24, 28 or 32
};

extern const std::array<RenderMode, kRenderModeCount> RenderModeTable;

// The first row whose legacy code equals `code`; 0 (Wire) when no row has it.
int32_t FindRenderModeByLegacyCode(int32_t code);
// The row of a mode number, or null when the number is not a mode (below 0 or above 100).
const RenderMode* RenderModeRow(int32_t mode);
// Name of a renderer, as "RenderTextuGoura".
const char* RendererName(RendererId renderer);

inline uint8_t KeyMap(uint32_t key) { return static_cast<uint8_t>(key >> 8); }
inline uint8_t KeyShade(uint32_t key) { return static_cast<uint8_t>(key >> 16); }
inline uint8_t KeyBlend(uint32_t key) { return static_cast<uint8_t>(key >> 24); }
inline bool KeyIsWire(uint32_t key) { return (key & 0xFF) == 1; }
// Texel 0 is transparent for the colour-keyed maps (TEXTR and ENVTR).
inline bool KeyHasColourKey(uint32_t key) { return KeyMap(key) == kMapTextr || KeyMap(key) == kMapEnvtr; }
