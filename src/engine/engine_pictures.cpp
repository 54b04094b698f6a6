// Texture and flare pictures: 8-bit uncompressed BMP files 256 pixels wide, found beside the
// scene file or in its .DAT folder.
#include <cstring>

#include "engine/engine_errors.h"
#include "engine/engine_pictures.h"
#include "engine/engine_state.h"
#include "formats/byte_order.h"
#include "formats/pixel_format.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"

namespace {

constexpr uint32_t kBmpHeaderSize = 54;
constexpr uint32_t kFrameBytes = 256 * 256;

// What a picture header says, once accepted.
struct BmpLayout {
    uint32_t dataOffset;
    uint32_t paletteOffset;
    uint32_t colourCount;
    uint32_t height;
};

enum class HeightRule { Frames, Any };

// Reads and checks the header of `path`: signature, width 256, 8 bits, no compression, and
// (for textures) a height that is a non-zero multiple of 256; the entry must hold the
// palette and `pixelBytes(height)` bytes of pixels.
bool ReadLayout(const char* path, HeightRule rule, BmpLayout* layout)
{
    uint8_t h[kBmpHeaderSize];
    if (ReadPackEntry(path, h, 0, kBmpHeaderSize) != 0) return false;
    const int32_t width = static_cast<int32_t>(ReadLe32(h + 18));
    const int32_t height = static_cast<int32_t>(ReadLe32(h + 22));
    const uint32_t bits = static_cast<uint32_t>(h[28]) | static_cast<uint32_t>(h[29]) << 8;
    if (h[0] != 'B' || h[1] != 'M' || width != 256 || bits != 8 || ReadLe32(h + 30) != 0) return false;
    if (rule == HeightRule::Frames && (height <= 0 || height % 256 != 0)) return false;
    uint32_t colours = ReadLe32(h + 46);
    if (colours == 0) colours = 256;
    if (colours > 256) return false;
    const uint32_t dataOffset = ReadLe32(h + 10);
    if (dataOffset < kBmpHeaderSize + colours * 4) return false;
    // A flare picture keeps one frame, whatever the height the header gives.
    const uint64_t pixelBytes = rule == HeightRule::Frames ? uint64_t{256} * static_cast<uint32_t>(height) : kFrameBytes;
    if (static_cast<uint64_t>(dataOffset) + pixelBytes > PackEntrySize(path)) return false;
    layout->dataOffset = dataOffset;
    layout->paletteOffset = dataOffset - colours * 4;
    layout->colourCount = colours;
    layout->height = rule == HeightRule::Frames ? static_cast<uint32_t>(height) : 256;
    return true;
}

// folder + name into `out`; false when it does not fit.
bool JoinPath(char* out, size_t room, const char* folder, const char* name)
{
    const size_t a = folder ? std::strlen(folder) : 0;
    const size_t b = std::strlen(name);
    if (a + b + 1 > room) return false;
    if (a) std::memcpy(out, folder, a);
    std::memcpy(out + a, name, b + 1);
    return true;
}

// Texture from one path: 0, 1 (memory) or 5 (not an acceptable picture here).
int32_t LoadTextureFrom(const char* path, Material& m, int32_t bitsPerPixel)
{
    BmpLayout layout;
    if (!ReadLayout(path, HeightRule::Frames, &layout)) return kEnginePictureError;
    uint8_t palette[1024];
    if (ReadPackEntry(path, palette, layout.paletteOffset, layout.colourCount * 4) != 0) return kEnginePictureError;
    const uint32_t frames = layout.height / 256;
    const uint64_t bytes = uint64_t{kFrameBytes} * frames;
    if (bytes > 0xFFFFFFFFu) return kEngineMemoryError;
    auto* pixels = static_cast<uint8_t*>(PoolAlloc(static_cast<uint32_t>(bytes), 65536));
    if (!pixels) return kEngineMemoryError;
    if (ReadPackEntry(path, pixels, layout.dataOffset, static_cast<uint32_t>(bytes)) != 0) {
        PoolFree(pixels);
        return kEnginePictureError;
    }
    auto* packed = static_cast<uint16_t*>(PoolAlloc(512, 512));
    if (!packed) {
        PoolFree(pixels);
        return kEngineMemoryError;
    }
    std::memset(m.textureColours, 0, sizeof m.textureColours);
    for (uint32_t i = 0; i < 256; ++i) {
        if (i < layout.colourCount) {
            m.textureColours[i][0] = palette[4 * i + 2];
            m.textureColours[i][1] = palette[4 * i + 1];
            m.textureColours[i][2] = palette[4 * i + 0];
        }
        packed[i] = PackColour(m.textureColours[i][0], m.textureColours[i][1], m.textureColours[i][2], bitsPerPixel);
    }
    m.textureFrames = pixels;
    m.currentFrame = pixels;
    m.frameCount = static_cast<int32_t>(frames);
    m.texturePalette = packed;
    return kEngineOk;
}

} // namespace

bool IsSafePictureName(const char* name)
{
    if (!name || !name[0] || name[0] == '\\' || name[0] == '/') return false;
    if (std::strchr(name, ':')) return false;
    const char* part = name;
    for (const char* p = name;; ++p) {
        if (*p == '\\' || *p == '/' || *p == 0) {
            if (p - part == 2 && part[0] == '.' && part[1] == '.') return false;
            if (*p == 0) break;
            part = p + 1;
        }
    }
    return true;
}

int32_t LoadMaterialTexture(const Scene& scene, Material& m, int32_t bitsPerPixel)
{
    char path[512];
    if (IsSafePictureName(m.textureName)) {
        const char* folders[2] = {scene.folderPath, scene.datPath};
        for (const char* folder : folders) {
            if (!JoinPath(path, sizeof path, folder, m.textureName)) continue;
            const int32_t result = LoadTextureFrom(path, m, bitsPerPixel);
            if (result != kEnginePictureError) return result;
        }
    }
    SetEngineErrorName(m.textureName);
    return kEnginePictureError;
}

int32_t LoadFlarePicture(const Scene& scene, SceneFlare& flare)
{
    char path[512];
    if (IsSafePictureName(flare.pictureName)) {
        const char* folders[2] = {scene.folderPath, scene.datPath};
        const HeightRule rules[2] = {HeightRule::Frames, HeightRule::Any};
        for (int i = 0; i < 2; ++i) {
            BmpLayout layout;
            if (!JoinPath(path, sizeof path, folders[i], flare.pictureName)) continue;
            if (!ReadLayout(path, rules[i], &layout)) continue;
            auto* picture = static_cast<uint8_t*>(PoolAlloc(kFrameBytes, 256));
            if (!picture) break;
            if (ReadPackEntry(path, picture, layout.dataOffset, kFrameBytes) != 0) {
                PoolFree(picture);
                continue;
            }
            flare.picture = picture;
            return kEngineOk;
        }
    }
    SetEngineErrorName(flare.pictureName);
    return kEnginePictureError;
}
