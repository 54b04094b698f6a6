#include "generator/manifest.h"

#include "music/modules.h"
#include "pictures/closing.h"
#include "pictures/credits.h"
#include "pictures/greetings.h"
#include "pictures/loading.h"
#include "pictures/masks.h"
#include "pictures/stills.h"
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
        {"CREDITS\\CR_COD.BMP", [] { return MakeRoleCredit("CODE", "engine, effects and sequencer"); }},
        {"CREDITS\\CR_MES.BMP", [] { return MakeRoleCredit("DIRECTION", "the course and the timing"); }},
        {"CREDITS\\CR_GFX.BMP", [] { return MakeRoleCredit("GRAPHICS", "scenes, textures and pictures"); }},
        {"CREDITS\\CR_MUS.BMP", [] { return MakeRoleCredit("MUSIC", "three modules for the night"); }},
        {"CREDITS\\CR_HEL.BMP", [] { return MakeRoleCredit("THANKS", "to all who build in the open"); }},
        {"CREDITS\\CR_DEB1.BMP", MakeTitleCard},
        {"CREDITS\\CR_DEB2.BMP", MakeSubtitleCard},
        {"TRANSIT\\T_SABLE.BMP", MakeSandMask},
        {"TRANSIT\\T_LIGNE.BMP", MakeLineMask},
        {"TRANSIT\\T_ROND.BMP", MakeRoundMask},
        {"TRANSIT\\T_SIMPLE.BMP", MakeSimpleMask},
        {"LOADING\\LOAD.BMP", MakeLoadingScreen},
        {"LOADING\\LOADING1.BMP", [] { return MakeLoadingFrame(0); }},
        {"LOADING\\LOADING2.BMP", [] { return MakeLoadingFrame(1); }},
        {"LOADING\\LOADING3.BMP", [] { return MakeLoadingFrame(2); }},
        {"LOADING\\LOADING4.BMP", [] { return MakeLoadingFrame(3); }},
        {"LOADING\\LOADING5.BMP", [] { return MakeLoadingFrame(4); }},
        {"LOADING\\LOADING6.BMP", [] { return MakeLoadingFrame(5); }},
        {"PICS\\CLUBBER.BMP", MakeHallOfFire},
        {"PICS\\FOND.BMP", MakeStarChart},
        {kGreetingEntries[0], [] { return MakeGreeting(0); }},
        {kGreetingEntries[1], [] { return MakeGreeting(1); }},
        {kGreetingEntries[2], [] { return MakeGreeting(2); }},
        {kGreetingEntries[3], [] { return MakeGreeting(3); }},
        {kGreetingEntries[4], [] { return MakeGreeting(4); }},
        {kGreetingEntries[5], [] { return MakeGreeting(5); }},
        {kGreetingEntries[6], [] { return MakeGreeting(6); }},
        {kGreetingEntries[7], [] { return MakeGreeting(7); }},
        {kGreetingEntries[8], [] { return MakeGreeting(8); }},
        {kGreetingEntries[9], [] { return MakeGreeting(9); }},
        {kGreetingEntries[10], [] { return MakeGreeting(10); }},
        {kGreetingEntries[11], [] { return MakeGreeting(11); }},
        {kGreetingEntries[12], [] { return MakeGreeting(12); }},
        {kGreetingEntries[13], [] { return MakeGreeting(13); }},
        {"FINALPIC\\SILLAGE.BMP", MakeWakeAtDawn},
        {"FINALPIC\\VOILES.BMP", MakeSailsConstellation},
        {"FINALPIC\\TABOR.BMP", MakeEndCard},
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
        {"ZIK\\VELA1.XM", [] { return music::MakeModuleBytes(music::ComposeOpening()); }},
        {"ZIK\\VELA2.XM", [] { return music::MakeModuleBytes(music::ComposeHallOfFire()); }},
        {"ZIK\\VELA3.XM", [] { return music::MakeModuleBytes(music::ComposeStarDeck()); }},



    };
    return entries;
}

} // namespace content
