// The pictures of the generated pack, read back the way the parts read them: through the pack,
// LoadPicture and MakeSprite, with the formats, sizes and palettes each part relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "effects/fade_palettes.h"
#include "pictures/greetings.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"

namespace {

struct Expected {
    const char* name;
    int32_t bits;
    bool fullView; // exactly 320x180; otherwise smaller than the view
};

// Every picture the four parts read, with the format its reader needs.
std::vector<Expected> PicturesTheShowReads()
{
    std::vector<Expected> all = {
        {"CREDITS\\CR_COD.BMP", 8, true},    {"CREDITS\\CR_MES.BMP", 8, true},    {"CREDITS\\CR_GFX.BMP", 8, true},
        {"CREDITS\\CR_MUS.BMP", 8, true},    {"CREDITS\\CR_HEL.BMP", 8, true},    {"CREDITS\\CR_DEB1.BMP", 8, true},
        {"CREDITS\\CR_DEB2.BMP", 8, true},   {"TRANSIT\\T_SABLE.BMP", 8, true},   {"TRANSIT\\T_LIGNE.BMP", 8, true},
        {"TRANSIT\\T_ROND.BMP", 8, true},    {"TRANSIT\\T_SIMPLE.BMP", 8, true},  {"LOADING\\LOAD.BMP", 8, true},
        {"LOADING\\LOADING1.BMP", 24, false}, {"LOADING\\LOADING2.BMP", 24, false}, {"LOADING\\LOADING3.BMP", 24, false},
        {"LOADING\\LOADING4.BMP", 24, false}, {"LOADING\\LOADING5.BMP", 24, false}, {"LOADING\\LOADING6.BMP", 24, false},
        {"PICS\\CLUBBER.BMP", 24, true},     {"PICS\\FOND.BMP", 8, true},         {"FINALPIC\\SILLAGE.BMP", 8, true},
        {"FINALPIC\\VOILES.BMP", 8, true},   {"FINALPIC\\TABOR.BMP", 8, true},
    };
    for (const char* g : content::kGreetingEntries) all.push_back({g, 24, false});
    return all;
}

// A picture loaded from the pack, freed with the test.
struct Loaded {
    Picture picture{};
    bool ok = false;
    explicit Loaded(const char* name) { ok = LoadPicture(name, &picture) == 1; }
    ~Loaded()
    {
        if (ok) FreePicture(&picture);
    }
    int32_t Width() const { return PictureWidth(picture); }
    int32_t Height() const { return PictureHeight(picture); }
    size_t Count() const { return static_cast<size_t>(Width()) * Height(); }
    const uint8_t* Palette(int index) const { return &picture.palette[index * 4]; } // blue, green, red
};

class ContentPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OpenPack(VELA_CONTENT_PACK); }
    static void TearDownTestSuite() { ClosePack(); }
};

TEST_F(ContentPictures, EveryPictureLoadsWithItsFormatAndMakesASprite)
{
    for (const Expected& e : PicturesTheShowReads()) {
        SCOPED_TRACE(e.name);
        Loaded p(e.name);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(PictureBitsPerPixel(p.picture), e.bits);
        // The reader takes lines of exactly width x bytes-per-pixel bytes: only whole 4-byte
        // lines read back unskewed.
        EXPECT_EQ(p.Width() * e.bits / 8 % 4, 0) << "width " << p.Width();
        EXPECT_EQ(PackEntrySize(e.name), PicturePixelOffset(p.picture) + p.Count() * static_cast<uint32_t>(e.bits / 8));
        if (e.fullView) {
            EXPECT_EQ(p.Width(), 320);
            EXPECT_EQ(p.Height(), 180);
        } else {
            // Sprites are clipped only at the frame height: nothing may be taller than the view.
            EXPECT_LT(p.Width(), 320);
            EXPECT_LT(p.Height(), 180);
        }
        Sprite sprite{};
        ASSERT_EQ(MakeSprite(&p.picture, &sprite, 320, 200, 16, e.bits == 8 ? 1 : 0), 1);
        if (e.bits == 8) {
            EXPECT_EQ(MakeFadePalettes(&p.picture, &sprite, 0, 0, 0, 127, 127, 127, 255, 255, 255), 1);
        }
        FreeSprite(&sprite);
    }
}

TEST_F(ContentPictures, CreditsAreSoftGreyLetteringOnBlackWithARampPalette)
{
    for (const char* name : {"CREDITS\\CR_COD.BMP", "CREDITS\\CR_MES.BMP", "CREDITS\\CR_GFX.BMP", "CREDITS\\CR_MUS.BMP",
                             "CREDITS\\CR_HEL.BMP", "CREDITS\\CR_DEB1.BMP", "CREDITS\\CR_DEB2.BMP"}) {
        SCOPED_TRACE(name);
        Loaded p(name);
        ASSERT_TRUE(p.ok);
        for (int i = 0; i < 256; ++i) {
            const uint8_t* c = p.Palette(i);
            ASSERT_TRUE(c[0] == i && c[1] == i && c[2] == i) << "palette entry " << i;
        }
        const std::vector<uint8_t> pixels(p.picture.pixels, p.picture.pixels + p.Count());
        const auto black = std::count(pixels.begin(), pixels.end(), 0);
        const auto bright = std::count_if(pixels.begin(), pixels.end(), [](uint8_t v) { return v >= 200; });
        const auto soft = std::count_if(pixels.begin(), pixels.end(), [](uint8_t v) { return v > 0 && v < 200; });
        EXPECT_GT(black, static_cast<long>(p.Count() * 7 / 10)); // the scene shows through
        EXPECT_GT(bright, 150);                                  // legible lettering
        EXPECT_GT(soft, bright);                                 // with anti-aliased, glowing edges
        EXPECT_LT(*std::max_element(pixels.begin(), pixels.end()), 255); // never a hard white
    }
}

TEST_F(ContentPictures, MasksSpreadOverTheWholeRange)
{
    for (const char* name : {"TRANSIT\\T_SABLE.BMP", "TRANSIT\\T_LIGNE.BMP", "TRANSIT\\T_ROND.BMP", "TRANSIT\\T_SIMPLE.BMP"}) {
        SCOPED_TRACE(name);
        Loaded p(name);
        ASSERT_TRUE(p.ok);
        std::vector<size_t> histogram(256, 0);
        for (size_t i = 0; i < p.Count(); ++i) ++histogram[p.picture.pixels[i]];
        EXPECT_GE(std::count_if(histogram.begin(), histogram.end(), [](size_t n) { return n > 0; }), 200);
        EXPECT_GT(histogram[0], 0u);
        EXPECT_GT(histogram[255], 0u);
        // No value takes a large share, so no big area turns in one step.
        EXPECT_LT(*std::max_element(histogram.begin(), histogram.end()), p.Count() / 40);
    }
    // The round mask opens from the centre: the middle goes before the corners.
    Loaded round("TRANSIT\\T_ROND.BMP");
    ASSERT_TRUE(round.ok);
    auto at = [&](int x, int y) { return round.picture.pixels[y * 320 + x]; };
    EXPECT_LT(at(160, 90), 30);
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 179}, {319, 179}}) EXPECT_GT(at(x, y), 200);
}

// Mean colour difference (sum over the three channels) between two lines of a palette picture.
double LineDifference(const Loaded& p, int x0, int y0, int x1, int y1, int dx, int dy, int length)
{
    double sum = 0;
    for (int i = 0; i < length; ++i) {
        const uint8_t* a = p.Palette(p.picture.pixels[(y0 + i * dy) * p.Width() + x0 + i * dx]);
        const uint8_t* b = p.Palette(p.picture.pixels[(y1 + i * dy) * p.Width() + x1 + i * dx]);
        for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]);
    }
    return sum / length;
}

TEST_F(ContentPictures, StarChartTileIsSeamlessAndCoversWhatIsBeneath)
{
    Loaded p("PICS\\FOND.BMP");
    ASSERT_TRUE(p.ok);
    // The bottom row meets the top row, the right column the left one, no worse than
    // neighbouring rows and columns meet inside the tile.
    double rows = 0, columns = 0;
    for (int y = 0; y + 1 < 180; ++y) rows += LineDifference(p, 0, y, 0, y + 1, 1, 0, 320);
    for (int x = 0; x + 1 < 320; ++x) columns += LineDifference(p, x, 0, x + 1, 0, 0, 1, 180);
    EXPECT_LE(LineDifference(p, 0, 179, 0, 0, 1, 0, 320), 1.5 * rows / 179);
    EXPECT_LE(LineDifference(p, 319, 0, 0, 0, 0, 1, 180), 1.5 * columns / 319);
    // Index 0 is transparent when drawn: the tiles and the loading screen are drawn over the
    // previous frame and must cover it completely.
    for (const char* name : {"PICS\\FOND.BMP", "LOADING\\LOAD.BMP"}) {
        Loaded q(name);
        ASSERT_TRUE(q.ok);
        EXPECT_EQ(std::count(q.picture.pixels, q.picture.pixels + q.Count(), 0), 0) << name;
    }
}

TEST_F(ContentPictures, AddedPicturesHaveBlackBackgrounds)
{
    // Drawn added: black around the design (the corners), something bright inside.
    std::vector<const char*> added(content::kGreetingEntries.begin(), content::kGreetingEntries.end());
    for (const char* f : {"LOADING\\LOADING1.BMP", "LOADING\\LOADING4.BMP"}) added.push_back(f);
    for (const char* name : added) {
        SCOPED_TRACE(name);
        Loaded p(name);
        ASSERT_TRUE(p.ok);
        const int w = p.Width(), h = p.Height();
        for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) {
            const uint8_t* c = &p.picture.pixels[(static_cast<size_t>(y) * w + x) * 3];
            EXPECT_EQ(c[0] | c[1] | c[2], 0) << x << "," << y;
        }
        EXPECT_GT(*std::max_element(p.picture.pixels, p.picture.pixels + p.Count() * 3), 200);
    }
    // The six loading frames differ from each other: the star turns.
    std::set<std::vector<uint8_t>> frames;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "LOADING\\LOADING" + std::to_string(i) + ".BMP";
        Loaded p(name.c_str());
        ASSERT_TRUE(p.ok);
        frames.insert(std::vector<uint8_t>(p.picture.pixels, p.picture.pixels + p.Count() * 3));
    }
    EXPECT_EQ(frames.size(), 6u);
}

TEST_F(ContentPictures, TitleCardsShareTheNameSoOneDissolvesIntoTheOther)
{
    Loaded first("CREDITS\\CR_DEB1.BMP"), second("CREDITS\\CR_DEB2.BMP");
    ASSERT_TRUE(first.ok && second.ok);
    // Rows above the glow of the subtitle's rule are the same in both cards; the second adds below.
    int inkLeft = 320, inkRight = -1;
    for (int y = 0; y < 102; ++y) {
        for (int x = 0; x < 320; ++x) {
            const uint8_t a = first.picture.pixels[y * 320 + x];
            ASSERT_EQ(a, second.picture.pixels[y * 320 + x]) << x << "," << y;
            if (a > 100) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
        }
    }
    EXPECT_NEAR((inkLeft + inkRight) / 2.0, 160.0, 4.0); // centred, where the scene stays calm
    long below = 0;
    for (int i = 110 * 320; i < 180 * 320; ++i) below += second.picture.pixels[i] > 100;
    EXPECT_GT(below, 100);
}

TEST_F(ContentPictures, LoadingScreenLeavesItsCornerDarkForTheTurningEmblem)
{
    Loaded screen("LOADING\\LOAD.BMP"), frame("LOADING\\LOADING1.BMP");
    ASSERT_TRUE(screen.ok && frame.ok);
    // The frames are added at the bottom-right corner: beneath them the screen is dark, so the
    // emblem keeps its colours instead of washing out to white.
    const int w = frame.Width(), h = frame.Height();
    int brightest = 0;
    for (int y = 180 - h; y < 180; ++y) {
        for (int x = 320 - w; x < 320; ++x) {
            const uint8_t* c = screen.Palette(screen.picture.pixels[y * 320 + x]);
            brightest = std::max({brightest, int(c[0]), int(c[1]), int(c[2])});
        }
    }
    EXPECT_LT(brightest, 110);
    // Through its purple half-way palette the title still stands out from the night around it.
    Sprite sprite{};
    ASSERT_EQ(MakeSprite(&screen.picture, &sprite, 320, 180, 16, 1), 1);
    ASSERT_EQ(MakeFadePalettes(&screen.picture, &sprite, 0, 0, 0, 127, 0, 127, 255, 255, 255), 1);
    const uint16_t* half = FadePalette(sprite, 63);
    auto red = [&](int x, int y) { return half[screen.picture.pixels[y * 320 + x]] >> 11; };
    int letters = 0, night = 0;
    for (int x = 60; x < 260; ++x) {
        letters = std::max(letters, red(x, 100)); // through the name
        night = std::max(night, red(x, 20) > 10 ? 0 : red(x, 20));
    }
    EXPECT_GT(letters, 3 * std::max(night, 1));
    FreeSprite(&sprite);
}

TEST(ContentGreetings, FourteenDistinctShortNamesUnderTheirFolder)
{
    std::set<std::string> names;
    for (const char* entry : content::kGreetingEntries) {
        const std::string e = entry;
        ASSERT_EQ(e.rfind("GREETING\\", 0), 0u) << e;
        const std::string file = e.substr(9);
        const size_t dot = file.find('.');
        ASSERT_NE(dot, std::string::npos) << e;
        EXPECT_LE(dot, 8u) << e;
        EXPECT_EQ(file.substr(dot), ".BMP") << e;
        EXPECT_TRUE(std::all_of(file.begin(), file.end(), [](char c) { return !std::islower(static_cast<unsigned char>(c)); })) << e;
        names.insert(e);
    }
    EXPECT_EQ(names.size(), 14u);
}

} // namespace
