#include "generator/manifest.h"

namespace content {

const std::vector<ContentEntry>& ContentManifest()
{
    static const std::vector<ContentEntry> entries = {
        // ---- Pictures: credits, masks, loading screen, stills, greetings, closing pictures ----



        // ---- Scenes, with their textures and flare pictures ----



        // ---- Modules ----



    };
    return entries;
}

} // namespace content
