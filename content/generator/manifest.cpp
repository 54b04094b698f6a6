#include "generator/manifest.h"

#include "scenes/harbour_temple.h"

namespace content {

const std::vector<ContentEntry>& ContentManifest()
{
    static const std::vector<ContentEntry> entries = {
        // ---- Pictures: credits, masks, loading screen, stills, greetings, closing pictures ----



        // ---- Scenes, with their textures and flare pictures ----
        {"SCENES\\Plan_1\\PLAN1.FSF", [] { return WriteFsf(BuildHarbourTemple()); }},
        {"SCENES\\Plan_1\\STONE.BMP", [] { return EncodeTexture(MakeTempleStoneTexture()); }},
        {"SCENES\\Plan_1\\FLOOR.BMP", [] { return EncodeTexture(MakeTempleFloorTexture()); }},
        {"SCENES\\Plan_1\\COLUMN.BMP", [] { return EncodeTexture(MakeTempleColumnTexture()); }},
        {"SCENES\\Plan_1\\WATER.BMP", [] { return EncodeTexture(MakeTempleWaterTexture()); }},
        {"SCENES\\Plan_1\\SKY.BMP", [] { return EncodeTexture(MakeTempleSkyTexture()); }},
        {"SCENES\\Plan_1\\FLAMES.BMP", [] { return EncodeTexture(MakeTempleFlameTexture()); }},
        {"SCENES\\Plan_1\\MOON.BMP", [] { return EncodeTexture(MakeTempleFlareTexture()); }},



        // ---- Modules ----



    };
    return entries;
}

} // namespace content
