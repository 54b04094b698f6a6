#include "generator/manifest.h"

#include "music/modules.h"

namespace content {

const std::vector<ContentEntry>& ContentManifest()
{
    static const std::vector<ContentEntry> entries = {
        // ---- Pictures: credits, masks, loading screen, stills, greetings, closing pictures ----



        // ---- Scenes, with their textures and flare pictures ----



        // ---- Modules ----
        {"ZIK\\VELA1.XM", [] { return music::MakeModuleBytes(music::ComposeOpening()); }},
        {"ZIK\\VELA2.XM", [] { return music::MakeModuleBytes(music::ComposeHallOfFire()); }},
        {"ZIK\\VELA3.XM", [] { return music::MakeModuleBytes(music::ComposeStarDeck()); }},



    };
    return entries;
}

} // namespace content
