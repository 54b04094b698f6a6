#include "generator/manifest.h"

#include "scenes/deck_under_stars.h"
#include "scenes/hall_of_fire.h"
#include "scenes/harbour_temple.h"
#include "scenes/orrery.h"
#include "scenes/sails_at_dawn.h"

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
        {"SCENES\\Plan_2\\PLAN2.FSF", [] { return WriteFsf(BuildHallOfFire()); }},
        {"SCENES\\Plan_2\\BRICK.BMP", [] { return EncodeTexture(MakeHallBrickTexture()); }},
        {"SCENES\\Plan_2\\PILLAR.BMP", [] { return EncodeTexture(MakeHallPillarTexture()); }},
        {"SCENES\\Plan_2\\FLOOR.BMP", [] { return EncodeTexture(MakeHallFloorTexture()); }},
        {"SCENES\\Plan_2\\FLAMES.BMP", [] { return EncodeTexture(MakeHallFlameTexture()); }},
        {"SCENES\\Plan_2\\FIRE.BMP", [] { return EncodeTexture(MakeHallFireTexture()); }},
        {"SCENES\\Plan_2\\SHADOW.BMP", [] { return EncodeTexture(MakeHallShadowTexture()); }},
        {"SCENES\\Plan_2\\BRASS.BMP", [] { return EncodeTexture(MakeHallMetalTexture()); }},
        {"SCENES\\Plan_2\\FLARE.BMP", [] { return EncodeTexture(MakeHallFlareTexture()); }},
        {"SCENES\\PLAN_3\\PLAN3.FSF", [] { return WriteFsf(BuildDeckUnderStars()); }},
        {"SCENES\\PLAN_3\\DECK.BMP", [] { return EncodeTexture(MakeDeckWoodTexture()); }},
        {"SCENES\\PLAN_3\\HULL.BMP", [] { return EncodeTexture(MakeDeckHullTexture()); }},
        {"SCENES\\PLAN_3\\MAST.BMP", [] { return EncodeTexture(MakeDeckMastTexture()); }},
        {"SCENES\\PLAN_3\\CLOTH.BMP", [] { return EncodeTexture(MakeDeckClothTexture()); }},
        {"SCENES\\PLAN_3\\STARS.BMP", [] { return EncodeTexture(MakeDeckSkyTexture()); }},
        {"SCENES\\PLAN_3\\SEA.BMP", [] { return EncodeTexture(MakeDeckSeaTexture()); }},
        {"SCENES\\PLAN_3\\FOAM.BMP", [] { return EncodeTexture(MakeDeckFoamTexture()); }},
        {"SCENES\\PLAN_3\\FLAMES.BMP", [] { return EncodeTexture(MakeDeckFlameTexture()); }},
        {"SCENES\\PLAN_3\\GLASS.BMP", [] { return EncodeTexture(MakeDeckGlassTexture()); }},
        {"SCENES\\PLAN_4\\PLAN4.FSF", [] { return WriteFsf(BuildOrrery()); }},
        {"SCENES\\PLAN_4\\BRASS.BMP", [] { return EncodeTexture(MakeOrreryBrassTexture()); }},
        {"SCENES\\PLAN_4\\GOLD.BMP", [] { return EncodeTexture(MakeOrreryGoldTexture()); }},
        {"SCENES\\PLAN_4\\GLASS.BMP", [] { return EncodeTexture(MakeOrreryGlassTexture()); }},
        {"SCENES\\PLAN_4\\PLANET.BMP", [] { return EncodeTexture(MakeOrreryPlanetTexture()); }},
        {"SCENES\\PLAN_4\\SUN.BMP", [] { return EncodeTexture(MakeOrreryFlareTexture()); }},
        {"SCENES\\PLAN_5\\PLAN5.FSF", [] { return WriteFsf(BuildSailsAtDawn()); }},
        {"SCENES\\PLAN_5\\SAIL.BMP", [] { return EncodeTexture(MakeDawnSailTexture()); }},
        {"SCENES\\PLAN_5\\DECK.BMP", [] { return EncodeTexture(MakeDawnWoodTexture()); }},
        {"SCENES\\PLAN_5\\HULL.BMP", [] { return EncodeTexture(MakeDawnHullTexture()); }},
        {"SCENES\\PLAN_5\\MAST.BMP", [] { return EncodeTexture(MakeDawnMastTexture()); }},
        {"SCENES\\PLAN_5\\SEA.BMP", [] { return EncodeTexture(MakeDawnSeaTexture()); }},
        {"SCENES\\PLAN_5\\GLOW.BMP", [] { return EncodeTexture(MakeDawnGlowTexture()); }},
        {"SCENES\\PLAN_5\\CLOUD.BMP", [] { return EncodeTexture(MakeDawnCloudTexture()); }},
        {"SCENES\\PLAN_5\\SHADOW.BMP", [] { return EncodeTexture(MakeDawnShadowTexture()); }},
        {"SCENES\\PLAN_5\\SUN.BMP", [] { return EncodeTexture(MakeDawnSunTexture()); }},



        // ---- Modules ----



    };
    return entries;
}

} // namespace content
