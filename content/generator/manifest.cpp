#include "generator/manifest.h"

#include "music/modules.h"
#include "pictures/closing.h"
#include "pictures/credits.h"
#include "pictures/greetings.h"
#include "pictures/loading.h"
#include "pictures/masks.h"
#include "pictures/stills.h"

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



        // ---- Modules ----
        {"ZIK\\VELA1.XM", [] { return music::MakeModuleBytes(music::ComposeOpening()); }},
        {"ZIK\\VELA2.XM", [] { return music::MakeModuleBytes(music::ComposeHallOfFire()); }},
        {"ZIK\\VELA3.XM", [] { return music::MakeModuleBytes(music::ComposeStarDeck()); }},



    };
    return entries;
}

} // namespace content
