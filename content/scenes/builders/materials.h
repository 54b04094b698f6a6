// Materials: the three colours of a shading ramp (dark side, middle, lit side) and how a
// texture is lit (its brightness unlit, the brightness light adds, how much of the ramp colour
// tints it).
#pragma once

#include <string>

#include "formats/scene_writer.h"

namespace content {

struct Rgb {
    int32_t r = 0, g = 0, b = 0;
};

// A colour ramp: `ambient` faces away from the light (and far in fog), `diffuse` at a
// glancing light, `specular` facing it. `highlight` is the share of the ramp given to the
// bright end, `shininess` how sharply it rises.
struct Ramp {
    Rgb ambient, diffuse, specular;
    int32_t shininess = 6;
    float highlight = 0.35f;
};

// How a texture is lit: unlit it shows at `base` x its colours, each unit of light adds
// `gain` x its colours, and `tint` x the ramp colour is added on top.
struct TextureLight {
    float base = 0.3f, gain = 0.9f, tint = 0.0f;
};

// The ramp and lighting of a fogged texture: near it shows the texture at full strength, far
// off it turns into `fog`, whatever the texel (the fogged levels of a texture blend its
// colours out as the ramp blends the fog colour in).
Ramp FogRamp(Rgb fog);
constexpr TextureLight kFoggedTexture{0.0f, 1.0f, 1.0f};

FsfMaterial ColourMaterial(const std::string& name, const Ramp& ramp);
FsfMaterial TextureMaterial(const std::string& name, const std::string& texture, const TextureLight& light,
                            const Ramp& ramp = {});

} // namespace content
