// velatool picture: what a BMP picture's header says, and the picture as the show draws it
// (loaded, turned into a sprite, drawn over black) written out as a PNG.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/console_font.h"
#include "formats/byte_order.h"
#include "formats/rgb_image.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"
#include "velatool/commands.h"
#include "velatool/named_inputs.h"
#include "velatool/options.h"
#include "velatool/output_files.h"

const char kPictureUsage[] =
    "usage: velatool picture info NAME [--pack PAK]\n"
    "       velatool picture topng NAME OUT.png [--pack PAK] [--depth 15|16] [--indexed]\n"
    "       velatool picture contact OUT.png (NAME... | --all) [--pack PAK] [--columns N]\n"
    "\n"
    "NAME is an entry of PAK when --pack is given (or a file beside it), otherwise a BMP file.\n"
    "OUT.png '-' is standard output.\n"
    "info   width, height, bits per pixel, palette entries used and pixel offset.\n"
    "topng  draws the picture's sprite into a black frame of the picture's size, in 16-bit\n"
    "       5-6-5 (default) or 15-bit pixels, and writes the frame as a PNG. What the sprite\n"
    "       leaves transparent stays black: palette index 0 of an 8-bit picture, whatever its\n"
    "       colour, and black pixels of a 24-bit one.\n"
    "       --indexed makes an indexed sprite (8-bit pictures only).\n"
    "contact a contact sheet: each picture drawn as the show draws it (16-bit pixels, with the\n"
    "       same transparency, over black), scaled 2x, with its name beneath, in rows of N\n"
    "       (default 3) on a grey ground. --all takes every .BMP entry of the pack, in pack order.\n";

namespace {

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }

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

// Opens the archive, or makes a plain file path readable as a loose name; the name to load.
std::string PrepareName(const std::string& name, const std::string& pack)
{
    if (pack.empty()) return UseFileFolder(name);
    OpenArchiveFor(pack, name);
    return name;
}

// Why `entry` (reached as PrepareName left it) cannot be loaded: the file or entry itself, or
// what is wrong with its BMP header.
std::string LoadProblem(const std::string& name, const std::string& entry, const std::string& pack)
{
    std::string problem = InputProblem(pack.empty() ? name : entry, pack);
    if (problem.empty()) problem = PictureProblem(entry.c_str());
    if (problem.empty()) problem = "cannot be loaded";
    return name + ": " + problem;
}

void Load(const std::string& name, const std::string& pack, Picture* picture)
{
    const std::string entry = PrepareName(name, pack);
    if (LoadPicture(entry.c_str(), picture)) return;
    const std::string problem = LoadProblem(name, entry, pack);
    ClosePack();
    throw CommandFailure{problem};
}

int Info(const std::string& name, const std::string& pack)
{
    Picture picture;
    Load(name, pack, &picture);
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
    Load(name, pack, &picture);
    Sprite sprite;
    const int32_t width = PictureWidth(picture), height = PictureHeight(picture);
    if (!MakeSprite(&picture, &sprite, width, height, depth, indexed ? 1 : 0)) {
        FreePicture(&picture);
        ClosePack();
        throw CommandFailure{name + ": cannot make a" +
                             (indexed ? std::string("n indexed sprite of it (8-bit pictures only)") : " sprite of it")};
    }
    std::vector<uint16_t> frame(static_cast<size_t>(width) * height, 0);
    DrawRuns(sprite, &frame);
    FreeSprite(&sprite);
    FreePicture(&picture);
    ClosePack();
    std::string error;
    if (!WritePngOutput(out, UnpackPixels(frame.data(), width, height, depth), &error)) throw CommandFailure{error};
    return 0;
}

// One picture as the show draws it: a direct-colour sprite over black, unpacked to RGB.
bool RenderEntry(const std::string& name, RgbImage* image)
{
    Picture picture;
    if (!LoadPicture(name.c_str(), &picture)) return false;
    const int32_t width = PictureWidth(picture), height = PictureHeight(picture);
    Sprite sprite;
    const bool made = MakeSprite(&picture, &sprite, width, height, 16, 0) != 0;
    FreePicture(&picture);
    std::vector<uint16_t> frame(static_cast<size_t>(width) * height, 0);
    if (made) {
        DrawRuns(sprite, &frame);
        FreeSprite(&sprite);
    }
    *image = UnpackPixels(frame.data(), width, height, 16);
    return true;
}

void PutPixel(RgbImage* sheet, int x, int y, const uint8_t* rgb)
{
    if (x < 0 || y < 0 || x >= sheet->width || y >= sheet->height) return;
    uint8_t* p = &sheet->rgb[(static_cast<size_t>(y) * sheet->width + x) * 3];
    p[0] = rgb[0];
    p[1] = rgb[1];
    p[2] = rgb[2];
}

// Text in the console's 8x16 font.
void PutLabel(RgbImage* sheet, int x, int y, const std::string& text)
{
    static const uint8_t kInk[3] = {220, 220, 210};
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned code = static_cast<unsigned char>(text[i]);
        for (int r = 0; r < 16; ++r) {
            const uint8_t bits = ConsoleFont[code * 16 + r];
            for (int b = 0; b < 8; ++b)
                if (bits >> (7 - b) & 1) PutPixel(sheet, x + static_cast<int>(i) * 8 + b, y + r, kInk);
        }
    }
}

bool EndsWithBmp(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail == ".BMP";
}

int Contact(const std::string& out, std::vector<std::string> names, bool all, const std::string& pack, int columns)
{
    if (!pack.empty()) OpenArchiveFor(pack, pack);
    else ClosePack();
    if (all) {
        for (uint32_t i = 0; i < PackEntryCount(); ++i) {
            PackEntryInfo entry;
            if (PackEntryAt(i, &entry) && EndsWithBmp(entry.name)) names.push_back(entry.name);
        }
    }
    if (names.empty()) {
        ClosePack();
        throw CommandFailure{"contact: " + (pack.empty() ? std::string("no pictures to show") : pack + " holds no .BMP entries")};
    }
    std::vector<RgbImage> pictures(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string entry = pack.empty() ? UseFileFolder(names[i]) : names[i];
        if (!RenderEntry(entry, &pictures[i])) {
            const std::string problem = LoadProblem(names[i], entry, pack);
            ClosePack();
            throw CommandFailure{problem};
        }
    }
    ClosePack();

    // Every column as wide as the widest picture; each row as tall as its tallest, plus a label.
    constexpr int kGap = 12, kLabel = 20;
    int cell = 0;
    for (const RgbImage& p : pictures) cell = std::max(cell, p.width * 2);
    const int count = static_cast<int>(pictures.size());
    const int cols = std::min(columns, count), rows = (count + cols - 1) / cols;
    std::vector<int> rowTop(static_cast<size_t>(rows) + 1, kGap);
    for (int r = 0; r < rows; ++r) {
        int tallest = 0;
        for (int c = 0; c < cols && r * cols + c < count; ++c)
            tallest = std::max(tallest, pictures[static_cast<size_t>(r * cols + c)].height * 2);
        rowTop[static_cast<size_t>(r) + 1] = rowTop[static_cast<size_t>(r)] + tallest + kLabel + kGap;
    }
    RgbImage sheet;
    sheet.width = kGap + cols * (cell + kGap);
    sheet.height = rowTop[static_cast<size_t>(rows)];
    sheet.rgb.assign(static_cast<size_t>(sheet.width) * sheet.height * 3, 56);
    for (int i = 0; i < count; ++i) {
        const RgbImage& p = pictures[static_cast<size_t>(i)];
        const int left = kGap + (i % cols) * (cell + kGap), top = rowTop[static_cast<size_t>(i / cols)];
        for (int y = 0; y < p.height * 2; ++y)
            for (int x = 0; x < p.width * 2; ++x)
                PutPixel(&sheet, left + x, top + y, &p.rgb[(static_cast<size_t>(y / 2) * p.width + x / 2) * 3]);
        const std::string label = names[static_cast<size_t>(i)] + "  " + std::to_string(p.width) + "x" + std::to_string(p.height);
        PutLabel(&sheet, left, top + p.height * 2 + 2, label.substr(0, static_cast<size_t>(cell / 8)));
    }
    std::string error;
    if (!WritePngOutput(out, sheet, &error)) throw CommandFailure{error};
    return 0;
}

} // namespace

int RunPictureCommand(int argc, char** argv)
{
    return RunCommand("picture", kPictureUsage, [&] {
        const CommandLine line = ReadCommandLine(
            argc, argv, 1,
            {{"--pack", true}, {"--depth", true}, {"--indexed", false}, {"--all", false}, {"--columns", true}});
        const std::vector<std::string>& words = line.words;
        if (words.empty()) Usage("a subcommand is needed");
        const std::string pack = line.Value("--pack");
        if (line.Has("--pack") && pack.empty()) Usage("--pack needs an archive");
        if (words[0] == "info") {
            line.Allow({"--pack"}, "info");
            if (words.size() != 2) Usage("info takes one picture name");
            return Info(words[1], pack);
        }
        if (words[0] == "topng") {
            line.Allow({"--pack", "--depth", "--indexed"}, "topng");
            if (words.size() != 3) Usage("topng takes a picture name and the PNG to write");
            const int depth = ChoiceValue(line.Value("--depth", "16"), "--depth", {"15", "16"}) == "15" ? 15 : 16;
            return ToPng(words[1], words[2], pack, depth, line.Has("--indexed"));
        }
        if (words[0] == "contact") {
            line.Allow({"--pack", "--all", "--columns"}, "contact");
            const bool all = line.Has("--all");
            if (words.size() < 2) Usage("contact takes the PNG to write, then picture names or --all");
            if (words.size() == 2 && !all) Usage("contact needs picture names or --all");
            if (all && pack.empty()) Usage("--all takes the pictures of an archive: it needs --pack");
            const int columns = static_cast<int>(WholeNumberValue(line.Value("--columns", "3"), "--columns", 1, 99));
            return Contact(words[1], std::vector<std::string>(words.begin() + 2, words.end()), all, pack, columns);
        }
        Usage("unknown subcommand '" + words[0] + "'");
    });
}
