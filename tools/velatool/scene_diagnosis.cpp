// Naming what made a scene fail to load or to set up.
#include "velatool/scene_diagnosis.h"

#include <set>
#include <vector>

#include "engine/engine_errors.h"
#include "engine/engine_pictures.h"
#include "engine/material_preparation.h"
#include "engine/render_modes.h"
#include "engine/scene/scene_chunks.h"
#include "engine/scene/scene_files.h"
#include "formats/byte_order.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"

namespace {

constexpr uint32_t kChunkHeaderBytes = 8;

// True when the object is drawn with a texture in its own mode or any mode of its mode track,
// which is when the engine set-up loads its materials' textures.
bool DrawnTextured(const SceneObject& o)
{
    auto textured = [](int32_t mode) {
        const RenderMode* row = RenderModeRow(mode);
        return row && KeyMap(row->key) != kMapNomap;
    };
    if (textured(o.renderMode)) return true;
    for (int32_t k = 0; k < o.modeTrack.count; ++k) {
        if (textured(TruncateToInt(StepReal(o.modeTrack.keys[k])))) return true;
    }
    return false;
}

enum class PictureKind { Texture, Flare };

// What keeps a picture file the engine found from being a texture or flare picture.
std::string PictureFileProblem(const std::string& path, PictureKind kind)
{
    std::string problem = PictureProblem(path.c_str());
    if (!problem.empty()) return problem;
    Picture picture;
    if (!LoadPicture(path.c_str(), &picture)) return "cannot be read";
    const int32_t width = PictureWidth(picture), height = PictureHeight(picture), bits = PictureBitsPerPixel(picture);
    FreePicture(&picture);
    const std::string what = "a " + std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(bits) +
                             "-bit picture";
    if (kind == PictureKind::Texture)
        return what + ": a texture is an 8-bit picture 256 pixels wide and a whole number of 256-line frames high";
    return what + ": a flare picture is an 8-bit picture 256 pixels wide with a 256-line frame";
}

// "texture WOOD.BMP of material "wood": what is wrong", looking where the engine looks.
std::string DescribePicture(const Scene& scene, PictureKind kind, const char* name, const std::string& owner)
{
    const std::string label = kind == PictureKind::Texture ? "texture" : "flare picture";
    if (!name[0]) return label + " of " + owner + ": the scene names no picture for it";
    if (!IsSafePictureName(name))
        return label + " " + name + " of " + owner + ": the name leads outside the scene's folders";
    const std::string paths[2] = {std::string(scene.folderPath ? scene.folderPath : "") + name,
                                  std::string(scene.datPath ? scene.datPath : "") + name};
    for (const std::string& path : paths) {
        if (PackEntrySize(path.c_str()) == 0 && !PackHasEntry(path.c_str())) continue;
        return label + " " + path + " of " + owner + ": " + PictureFileProblem(path, kind);
    }
    return label + " " + name + " of " + owner + ": not found (looked for " + paths[0] + " and " + paths[1] + ")";
}

} // namespace

std::string SceneFileProblem(const std::string& entry)
{
    const uint32_t size = PackEntrySize(entry.c_str());
    if (size == 0) return "missing or empty";
    std::vector<uint8_t> bytes(size);
    if (ReadPackEntry(entry.c_str(), bytes.data(), 0, size) != 0) return "cannot be read";
    if (size < kChunkHeaderBytes) return "too short for a scene file (" + std::to_string(size) + " bytes)";
    if (ReadLe32(bytes.data()) != kFsfRoot && ReadLe32(bytes.data() + 4) != size)
        return "not a scene file (it does not begin with a scene chunk)";
    for (uint32_t at = 0; at < size;) {
        const std::string where = "the chunk at offset " + std::to_string(at);
        if (size - at < kChunkHeaderBytes)
            return "damaged: " + std::to_string(size - at) + " stray bytes after the last chunk";
        const uint32_t chunk = ReadLe32(bytes.data() + at + 4);
        if (chunk < kChunkHeaderBytes) return "damaged: " + where + " gives a size of " + std::to_string(chunk);
        if (chunk > size - at)
            return "truncated: " + where + " needs " + std::to_string(chunk) + " bytes, the file holds " +
                   std::to_string(size - at) + " from there";
        at += chunk;
    }
    return "damaged: a chunk inside it breaks the scene format (a size past its container, a field outside its "
           "record, a repeated or impossible count)";
}

std::string PictureFailure(Scene& scene, int32_t bitsPerPixel)
{
    std::set<const Material*> tried;
    for (SceneObject* o = scene.objects; o; o = o->next) {
        if (o->faceCount <= 0 || !DrawnTextured(*o)) continue;
        for (int32_t f = 0; f < o->faceCount; ++f) {
            Material* m = o->faces[f].material;
            if (!m || !tried.insert(m).second || m->textureFrames) continue;
            const int32_t result = LoadMaterialTexture(scene, *m, bitsPerPixel);
            FreeMaterialTables(m);
            if (result == kEnginePictureError)
                return DescribePicture(scene, PictureKind::Texture, m->textureName,
                                       "material \"" + std::string(m->name) + "\"");
        }
    }
    for (SceneFlare* flare = scene.flares; flare; flare = flare->next) {
        if (!flare->pictureName[0] || flare->picture) continue;
        const int32_t result = LoadFlarePicture(scene, *flare);
        PoolFree(flare->picture);
        flare->picture = nullptr;
        if (result != kEngineOk)
            return DescribePicture(scene, PictureKind::Flare, flare->pictureName,
                                   "flare \"" + std::string(flare->name) + "\"");
    }
    return EngineErrorText(kEnginePictureError);
}
