// velatool picture: what a BMP picture's header says, and the picture as the show draws it
// (loaded, turned into a sprite, drawn over black) written out as a PNG.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"
#include "velatool/commands.h"
#include "velatool/png_io.h"

namespace {

const char kUsage[] =
    "usage: velatool picture info NAME [--pack PAK]\n"
    "       velatool picture topng NAME OUT.png [--pack PAK] [--depth 15|16] [--indexed]\n"
    "\n"
    "NAME is an entry of PAK when --pack is given (or a file beside it), otherwise a BMP file.\n"
    "info   width, height, bits per pixel, palette entries used and pixel offset.\n"
    "topng  draws the picture's sprite (black transparent) into a black frame of the picture's\n"
    "       size, in 16-bit 5-6-5 (default) or 15-bit pixels, and writes the frame as a PNG.\n"
    "       --indexed makes an indexed sprite (8-bit pictures only).\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "velatool picture: %s\n%s", message.c_str(), kUsage);
    return 2;
}


// Draws the run stream at the frame's top left; the frame is the sprite's own size.
void DrawRuns(const Sprite& sprite, std::vector<uint16_t>* frame)
{
    const uint8_t* p = sprite.data;
    for (int32_t y = 0; y < sprite.height; ++y) {
        uint16_t* line = frame->data() + static_cast<size_t>(y) * sprite.width;
        int32_t x = 0;
        while (x < sprite.width) {
            const uint16_t tag = ReadLe16(p), count = ReadLe16(p + 2);
            p += 4;
            if (tag == 1) {
                for (uint16_t i = 0; i < count; ++i) {
                    if (sprite.indexed) {
                        line[x + i] = sprite.palette[*p++];
                    } else {
                        line[x + i] = ReadLe16(p);
                        p += 2;
                    }
                }
            }
            x += count;
        }
    }
}

// Opens the archive, or makes a plain file path readable as a loose name.
std::string PrepareName(const std::string& name, const std::string& pack)
{
    if (!pack.empty()) {
        OpenPack(pack.c_str());
        return name;
    }
    ClosePack();
    std::filesystem::path path(name);
    if (path.has_parent_path()) {
        SetLooseFolder(path.parent_path().c_str());
        return path.filename().string();
    }
    return name;
}

int Load(const std::string& name, const std::string& pack, Picture* picture)
{
    std::string entry = PrepareName(name, pack);
    if (LoadPicture(entry.c_str(), picture)) return 0;
    ClosePack();
    std::fprintf(stderr, "velatool picture: %s: cannot load (missing, or not an uncompressed 8- or 24-bit BMP)\n",
                 name.c_str());
    return 1;
}

int Info(const std::string& name, const std::string& pack)
{
    Picture picture;
    if (int status = Load(name, pack, &picture)) return status;
    const int32_t bits = PictureBitsPerPixel(picture);
    std::printf("width: %d\n", PictureWidth(picture));
    std::printf("height: %d\n", PictureHeight(picture));
    std::printf("bits per pixel: %d\n", bits);
    std::printf("palette entries: %u\n", bits == 8 ? PicturePaletteEntries(picture) : 0u);
    std::printf("pixel offset: %u\n", PicturePixelOffset(picture));
    FreePicture(&picture);
    ClosePack();
    return 0;
}

int ToPng(const std::string& name, const std::string& out, const std::string& pack, int depth, bool indexed)
{
    Picture picture;
    if (int status = Load(name, pack, &picture)) return status;
    Sprite sprite;
    const int32_t width = PictureWidth(picture), height = PictureHeight(picture);
    if (!MakeSprite(&picture, &sprite, width, height, depth, indexed ? 1 : 0)) {
        FreePicture(&picture);
        ClosePack();
        std::fprintf(stderr, "velatool picture: %s: cannot make a%s sprite of it\n", name.c_str(),
                     indexed ? "n indexed (8-bit pictures only)" : "");
        return 1;
    }
    std::vector<uint16_t> frame(static_cast<size_t>(width) * height, 0);
    DrawRuns(sprite, &frame);
    FreeSprite(&sprite);
    FreePicture(&picture);
    ClosePack();
    std::string error;
    if (!WritePng(out, UnpackPixels(frame.data(), width, height, depth), &error)) {
        std::fprintf(stderr, "velatool picture: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int RunPictureCommand(int argc, char** argv)
{
    std::vector<std::string> words;
    std::string pack;
    int depth = 16;
    bool indexed = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--pack" && i + 1 < argc) {
            pack = argv[++i];
        } else if (a == "--depth" && i + 1 < argc) {
            std::string d = argv[++i];
            if (d != "15" && d != "16") return UsageError("--depth is 15 or 16");
            depth = d == "15" ? 15 : 16;
        } else if (a == "--indexed") {
            indexed = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) return UsageError("a subcommand is needed");
    if (words[0] == "info") {
        if (words.size() != 2) return UsageError("info takes one picture name");
        return Info(words[1], pack);
    }
    if (words[0] == "topng") {
        if (words.size() != 3) return UsageError("topng takes a picture name and the PNG to write");
        return ToPng(words[1], words[2], pack, depth, indexed);
    }
    return UsageError("unknown subcommand '" + words[0] + "'");
}
