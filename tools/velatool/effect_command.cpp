// velatool effect: runs one 2D effect over a PNG view and writes the result as a PNG, for
// artists designing masks and fades and for checks that drive the effects from outside.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "effects/fade_palettes.h"
#include "effects/fade_ramp.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "effects/view_fills.h"
#include "formats/png_file.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"
#include "display/screen_geometry.h"
#include "velatool/commands.h"
#include "velatool/named_inputs.h"
#include "velatool/options.h"
#include "velatool/output_files.h"

const char kEffectUsage[] =
    "usage: velatool effect OP --view VIEW.png --out OUT.png [--depth 15|16] [options]\n"
    "\n"
    "Runs OP over the view (a PNG of any size W x H, taken as H rows of W pixels, channels\n"
    "truncated to the 5-6-5 (--depth 16, the default) or x-5-5-5 (--depth 15) layout) and\n"
    "writes the result as a PNG with the channels expanded back to 8 bits ('--out -' writes it\n"
    "to standard output).\n"
    "\n"
    "operations:\n"
    "  mask-fade-add    --mask MASK.bmp --level L (0..512)       brighten towards white\n"
    "  mask-fade-sub    --mask MASK.bmp --level L (0..512)       darken towards black\n"
    "  mask-cross-fade  --mask MASK.bmp --second SECOND.png --level L (0..512)\n"
    "  mask-reveal      --mask MASK.bmp --grey GREY.bmp --level L (0..512)\n"
    "  fill             --rgb R,G,B                               every pixel one colour\n"
    "  tint             --rgb R,G,B                               add a colour\n"
    "  sprite           --sprite PIC.bmp --at X,Y [--indexed]\n"
    "  sprite-add       --sprite PIC.bmp --at X,Y [--indexed]\n"
    "  sprite-fade-add  --sprite PIC.bmp --at X,Y --level L (0..127) [--indexed]\n"
    "  sprite-fade      --sprite PIC.bmp --at X,Y --level L (0..127) [--indexed]\n"
    "\n"
    "MASK.bmp and GREY.bmp are 8-bit BMPs whose pixel bytes, top row first, give one value per\n"
    "view pixel; they need at least W x H pixels. SECOND.png must have the view's size.\n"
    "A sprite is drawn into the view (its frame) with its top-left pixel at X,Y; palette index 0\n"
    "of an 8-bit picture (whatever its colour) and black pixels of a 24-bit one are transparent.\n"
    "--indexed keeps an 8-bit picture's indices and fades it through its fade\n"
    "palettes, coloured by --palettes START:MIDDLE:END (R,G,B each; default\n"
    "255,255,255:127,127,127:0,0,0).\n";

namespace {

struct Options {
    std::string op, view, out, mask, second, grey, sprite;
    int depth = 16;
    bool hasLevel = false, hasRgb = false, hasAt = false, indexed = false;
    long level = 0;
    int rgb[3] = {0, 0, 0};
    long at[2] = {0, 0};
    int palettes[3][3] = {{255, 255, 255}, {127, 127, 127}, {0, 0, 0}};
};

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }
[[noreturn]] void Fail(const std::string& message) { throw CommandFailure{message}; }

constexpr long kFarAway = 1000000000L;

void ParseColour(const std::string& text, const std::string& what, int out[3])
{
    const std::vector<int64_t> v = NumberListValue(text, 3, ',', what, 0, 255);
    for (int i = 0; i < 3; ++i) out[i] = static_cast<int>(v[static_cast<size_t>(i)]);
}

bool KnownOperation(const std::string& op)
{
    for (const char* known : {"mask-fade-add", "mask-fade-sub", "mask-cross-fade", "mask-reveal", "fill", "tint",
                              "sprite", "sprite-add", "sprite-fade-add", "sprite-fade"})
        if (op == known) return true;
    return false;
}

void Require(bool present, const Options& o, const char* option)
{
    if (!present) Usage(o.op + " needs " + option);
}

void RequireLevel(const Options& o, long top)
{
    Require(o.hasLevel, o, "--level");
    if (o.level < 0 || o.level > top)
        Usage("--level for " + o.op + " is 0.." + std::to_string(top) + ", got " + std::to_string(o.level));
}

// The operation, its files and its values; every problem with them is a usage error.
Options ParseOptions(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(
        argc, argv, 1,
        {{"--view", true}, {"--out", true}, {"--mask", true}, {"--second", true}, {"--grey", true}, {"--sprite", true},
         {"--indexed", false}, {"--depth", true}, {"--level", true}, {"--rgb", true}, {"--at", true},
         {"--palettes", true}});
    Options o;
    if (line.words.empty()) Usage("an operation is needed");
    if (line.words.size() > 1) Usage("unexpected argument '" + line.words[1] + "'");
    o.op = line.words[0];
    if (!KnownOperation(o.op)) Usage("unknown operation '" + o.op + "'");
    o.view = line.Value("--view");
    o.out = line.Value("--out");
    o.mask = line.Value("--mask");
    o.second = line.Value("--second");
    o.grey = line.Value("--grey");
    o.sprite = line.Value("--sprite");
    o.indexed = line.Has("--indexed");
    o.depth = ChoiceValue(line.Value("--depth", "16"), "--depth", {"15", "16"}) == "15" ? 15 : 16;
    if ((o.hasLevel = line.Has("--level")))
        o.level = static_cast<long>(WholeNumberValue(line.Value("--level"), "--level", -kFarAway, kFarAway));
    if ((o.hasRgb = line.Has("--rgb"))) ParseColour(line.Value("--rgb"), "--rgb", o.rgb);
    if ((o.hasAt = line.Has("--at"))) {
        const std::vector<int64_t> v = NumberListValue(line.Value("--at"), 2, ',', "--at", INT32_MIN, INT32_MAX);
        o.at[0] = static_cast<long>(v[0]);
        o.at[1] = static_cast<long>(v[1]);
    }
    if (line.Has("--palettes")) {
        const std::string p = line.Value("--palettes");
        size_t c1 = p.find(':'), c2 = c1 == std::string::npos ? c1 : p.find(':', c1 + 1);
        if (c2 == std::string::npos || p.find(':', c2 + 1) != std::string::npos)
            Usage("--palettes is START:MIDDLE:END, got '" + p + "'");
        ParseColour(p.substr(0, c1), "--palettes", o.palettes[0]);
        ParseColour(p.substr(c1 + 1, c2 - c1 - 1), "--palettes", o.palettes[1]);
        ParseColour(p.substr(c2 + 1), "--palettes", o.palettes[2]);
    }
    if (o.view.empty()) Usage("--view is needed");
    if (o.out.empty()) Usage("--out is needed");

    // What the operation needs, before any file is read.
    if (o.op.rfind("mask-", 0) == 0) {
        Require(!o.mask.empty(), o, "--mask");
        RequireLevel(o, 512);
        if (o.op == "mask-cross-fade") Require(!o.second.empty(), o, "--second");
        if (o.op == "mask-reveal") Require(!o.grey.empty(), o, "--grey");
    } else if (o.op == "fill" || o.op == "tint") {
        Require(o.hasRgb, o, "--rgb");
    } else {
        Require(!o.sprite.empty(), o, "--sprite");
        Require(o.hasAt, o, "--at");
        if (o.op == "sprite-fade-add" || o.op == "sprite-fade") RequireLevel(o, kFadePaletteCount - 1);
    }
    return o;
}

RgbImage ReadView(const std::string& path)
{
    RgbImage image;
    std::string error;
    if (!ReadPng(path, &image, &error)) Fail(error);
    if (image.width <= 0 || image.height <= 0) Fail(path + ": empty picture");
    return image;
}

// A BMP read with the show's own picture loader, as a loose file.
struct LoadedPicture {
    Picture picture{};
    bool loaded = false;

    explicit LoadedPicture(const std::string& path)
    {
        const std::string name = UseFileFolder(path);
        loaded = LoadPicture(name.c_str(), &picture) == 1;
        if (loaded) return;
        std::string problem = FileProblem(path);
        if (problem.empty()) problem = PictureProblem(name.c_str());
        Fail(path + ": " + (problem.empty() ? "cannot be loaded" : problem));
    }
    ~LoadedPicture()
    {
        if (loaded) FreePicture(&picture);
    }
    LoadedPicture(const LoadedPicture&) = delete;
    LoadedPicture& operator=(const LoadedPicture&) = delete;

    int32_t Width() const { return PictureWidth(picture); }
    int32_t Height() const { return PictureHeight(picture); }
    int32_t Bits() const { return PictureBitsPerPixel(picture); }

    // The pixel bytes of an 8-bit picture with at least `count` of them.
    std::span<const uint8_t> Bytes(size_t count, const std::string& path, const char* role) const
    {
        if (Bits() != 8) Fail(path + ": a " + role + " must be an 8-bit BMP");
        const size_t have = static_cast<size_t>(Width()) * static_cast<size_t>(Height());
        if (have < count)
            Fail(path + ": the " + role + " has " + std::to_string(have) + " pixels, fewer than the view's " +
                 std::to_string(count));
        return {picture.pixels, have};
    }
};

struct MadeSprite {
    Sprite sprite{};
    bool made = false;
    ~MadeSprite()
    {
        if (made) FreeSprite(&sprite);
    }
};

void RunSprite(const Options& o, std::vector<uint16_t>& view, int width, int height)
{
    LoadedPicture picture(o.sprite);
    if (o.indexed && picture.Bits() != 8) Fail(o.sprite + ": --indexed needs an 8-bit BMP");
    MadeSprite s;
    s.made = MakeSprite(&picture.picture, &s.sprite, width, height, o.depth, o.indexed ? 1 : 0) == 1;
    if (!s.made) Fail(o.sprite + ": cannot make a sprite of it (a picture with no pixels?)");
    const int(&p)[3][3] = o.palettes;
    if (o.indexed && !MakeFadePalettes(&picture.picture, &s.sprite, p[2][0], p[2][1], p[2][2], p[1][0], p[1][1],
                                       p[1][2], p[0][0], p[0][1], p[0][2]))
        Fail("out of memory for the fade palettes");
    const DrawTarget target{view.data(), width, height};
    const int32_t x = static_cast<int32_t>(o.at[0]), y = static_cast<int32_t>(o.at[1]);
    const int32_t level = static_cast<int32_t>(o.level);
    if (o.op == "sprite") DrawSprite(s.sprite, target, x, y);
    else if (o.op == "sprite-add") DrawSpriteAdd(s.sprite, target, x, y);
    else if (o.op == "sprite-fade-add") DrawSpriteFadeAdd(s.sprite, target, x, y, level);
    else DrawSpriteFade(s.sprite, target, x, y, level);
}

void RunOperation(const Options& o, std::vector<uint16_t>& view, int width, int height)
{
    const size_t count = view.size();
    const int32_t level = static_cast<int32_t>(o.level);
    if (o.op.rfind("mask-", 0) == 0) {
        LoadedPicture mask(o.mask);
        std::span<const uint8_t> m = mask.Bytes(count, o.mask, "mask");
        if (o.op == "mask-fade-add") {
            MaskFadeAdd(view.data(), m, level);
        } else if (o.op == "mask-fade-sub") {
            MaskFadeSub(view.data(), m, level);
        } else if (o.op == "mask-cross-fade") {
            RgbImage second = ReadView(o.second);
            if (second.width != width || second.height != height)
                Fail(o.second + ": the second picture must be " + std::to_string(width) + "x" + std::to_string(height));
            MaskCrossFade(view.data(), m, PackPixels(second, o.depth), level);
        } else {
            LoadedPicture grey(o.grey);
            MaskReveal(view.data(), m, grey.Bytes(count, o.grey, "grey picture"), level);
        }
    } else if (o.op == "fill" || o.op == "tint") {
        if (o.op == "fill") FillView(view.data(), o.rgb[0], o.rgb[1], o.rgb[2]);
        else TintView(view.data(), o.rgb[0], o.rgb[1], o.rgb[2]);
    } else {
        RunSprite(o, view, width, height);
    }
}

int Run(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv);
    const RgbImage input = ReadView(o.view);
    std::vector<uint16_t> view = PackPixels(input, o.depth);

    const ScreenGeometry saved = screen;
    screen.screenWidth = input.width;
    screen.viewHeight = input.height;
    screen.pixelDepth = o.depth;
    BuildFadeRamp();
    try {
        RunOperation(o, view, input.width, input.height);
    } catch (...) {
        screen = saved;
        throw;
    }
    screen = saved;

    std::string error;
    if (!WritePngOutput(o.out, UnpackPixels(view.data(), input.width, input.height, o.depth), &error)) Fail(error);
    return 0;
}

} // namespace

int RunEffectCommand(int argc, char** argv)
{
    return RunCommand("effect", kEffectUsage, [&] {
        try {
            return Run(argc, argv);
        } catch (const CommandFailure&) {
            ClosePack();
            throw;
        }
    });
}
