#include "scenes/builders/materials.h"

namespace content {
namespace {

FsfColour ToFsf(Rgb c) { return FsfColour{c.r, c.g, c.b}; }

} // namespace

Ramp FogRamp(Rgb fog) { return Ramp{fog, {0, 0, 0}, {0, 0, 0}, 2, 0.05f}; }

FsfMaterial ColourMaterial(const std::string& name, const Ramp& ramp)
{
    FsfMaterial m;
    m.name = name;
    m.ambient = ToFsf(ramp.ambient);
    m.diffuse = ToFsf(ramp.diffuse);
    m.specular = ToFsf(ramp.specular);
    m.shininess = ramp.shininess;
    m.highlight = ramp.highlight;
    return m;
}

FsfMaterial TextureMaterial(const std::string& name, const std::string& texture, const TextureLight& light,
                            const Ramp& ramp)
{
    FsfMaterial m = ColourMaterial(name, ramp);
    m.textureName = texture;
    m.textureBase = light.base;
    m.textureLightGain = light.gain;
    m.textureColourMix = light.tint;
    return m;
}

} // namespace content
