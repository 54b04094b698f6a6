// Fuzzes the picture loader and the sprite encoder: the input is a loose BMP file; when it
// loads, it is turned into sprites of every kind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "resources/pack_archive.h"
#include "resources/picture.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        char path[] = "/tmp/vela-picture-fuzz-XXXXXX";
        if (!mkdtemp(path)) std::abort();
        static std::string made = path;
        std::atexit([] {
            std::remove((made + "/FUZZ.BMP").c_str());
            rmdir(made.c_str());
        });
        return made;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen((Folder() + "/FUZZ.BMP").c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ClosePack();
    SetLooseFolder(Folder().c_str());
    Picture picture;
    if (LoadPicture("fuzz.bmp", &picture)) {
        for (int32_t indexed = 0; indexed < 2; ++indexed) {
            for (int32_t bits : {15, 16}) {
                Sprite sprite;
                if (MakeSprite(&picture, &sprite, 320, 240, bits, indexed)) FreeSprite(&sprite);
            }
        }
        FreePicture(&picture);
    }
    return 0;
}
