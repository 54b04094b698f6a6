// The scene error table.
#include "engine/scene/scene_files.h"

namespace {

const char* const kSceneErrorTexts[kSceneErrorCount] = {
    "No error :)",
    "File error",
    "Error: CameraTrack detected without CameraInfo",
    "Error: CameraTargetTrack detected without CameraInfo",
    "Error: SpotLightTrack detected without SpotLightInfo",
    "Error: SpotLightTargetTrack detected without SpotLightInfo",
    "Error: OmniLightTrack detected without OmniLightInfo",
    "Memory error",
    "Error:Object 123456789012 has no number",
    "Error:Object 123456789012 refers to a material that is not in the scene",
    "Error:Object 123456789012 can't be rendered because of its material",
    "Error: Invalid Morphing (object not found)",
};

} // namespace

const char* SceneErrorText(int32_t code)
{
    if (code < 0 || code >= kSceneErrorCount) return kSceneErrorTexts[kSceneFileError];
    return kSceneErrorTexts[code];
}
