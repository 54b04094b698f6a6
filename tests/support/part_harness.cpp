#include "support/part_harness.h"

#include <filesystem>

#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "effects/fade_ramp.h"
#include "formats/bmp_writer.h"
#include "formats/pack_writer.h"
#include "formats/png_file.h"
#include "platform/headless.h"
#include "platform/tick_source.h"
#include "platform/video.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "show/show_operations.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kEscape = 0x10000;

struct VirtualClock {
    uint32_t now = 0;
    std::multimap<uint32_t, uint32_t> events; // virtual ms -> mark value, or kEscape
    bool firing = false;
    PartTest* test = nullptr;
    uint32_t* frameMilliseconds = nullptr;
};
VirtualClock virtualClock;

uint32_t VirtualTicks(void*) { return virtualClock.now; }

// Moves the clock on and lets what is due happen (not again from inside a mark's own drawing).
void Advance(uint32_t ms)
{
    virtualClock.now += ms;
    if (virtualClock.firing) return;
    virtualClock.firing = true;
    while (!virtualClock.events.empty() && virtualClock.events.begin()->first <= virtualClock.now) {
        const uint32_t value = virtualClock.events.begin()->second;
        virtualClock.events.erase(virtualClock.events.begin());
        if (value == kEscape) VideoInjectEvent(VideoEvent{kVideoEventKeyDown, 1, 0, 0, 0});
        else MusicSync(value);
    }
    virtualClock.firing = false;
}

void VirtualSleep(uint32_t ms, void*) { Advance(ms ? ms : 1); }

std::vector<uint8_t> Grey8(const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    return MakeBmp8(320, 180, pixels, palette);
}

std::vector<uint8_t> Flat24(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < width * height; ++i) rgb.insert(rgb.end(), {r, g, b});
    return MakeBmp24(width, height, rgb);
}

} // namespace

class PartTestAccess {
public:
    static void Present(PartTest* test, const VideoSurface& surface)
    {
        test->presents += 1;
        if (test->onPresent) {
            const auto* frame = reinterpret_cast<const uint16_t*>(surface.pixels);
            test->onPresent(ClockNow(), frame + screen.viewTop * screen.screenWidth);
        }
    }
};

namespace {
void OnPresent(const VideoSurface& surface, void*)
{
    PartTestAccess::Present(virtualClock.test, surface);
    Advance(*virtualClock.frameMilliseconds);
}
} // namespace

FsfScene BackgroundScene(int32_t lastFrame, const std::vector<std::pair<float, int32_t>>& greys,
                         const std::vector<std::string>& trackedObjects, int32_t keys)
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, lastFrame};
    FsfCamera camera;
    camera.name = "eye";
    camera.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -100, 0})}};
    camera.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    camera.fovTrack = FsfScalarTrack{0, {MakeScalarKey(0, 40.0f)}};
    s.cameras = {camera};
    std::vector<FsfEvent> events{MakeCameraEvent(0, 0)};
    for (const auto& [frame, grey] : greys) events.push_back(MakeBackgroundEvent(frame, grey, grey, grey));
    s.events = events;
    for (const std::string& name : trackedObjects) {
        FsfObject o;
        o.name = name;
        FsfVectorTrack uv{1, {}};
        for (int32_t k = 0; k < keys; ++k) {
            const float v = k + 1 < keys ? static_cast<float>(k) : 0.0f; // the last key repeats the first
            uv.keys.push_back(MakeVectorKey(static_cast<float>(10 * k), {v, 100 + v, 0}));
        }
        o.uvTrack = uv;
        s.objects.push_back(o);
    }
    return s;
}

PackEntries PartOneEntries()
{
    PackEntries e;
    e["SCENES\\Plan_1\\PLAN1.FSF"] = WriteFsf(BackgroundScene(600, {{0.0f, 80}}));
    const char* credits[] = {"CR_COD", "CR_MES", "CR_GFX", "CR_MUS", "CR_HEL", "CR_DEB1", "CR_DEB2"};
    for (int c = 0; c < 7; ++c) {
        std::vector<uint8_t> pixels(320 * 180, 0);
        for (int y = 60; y < 120; ++y)
            for (int x = CreditBandColumn(c); x < CreditBandColumn(c) + 20; ++x) pixels[y * 320 + x] = 200;
        e[std::string("CREDITS\\") + credits[c] + ".BMP"] = Grey8(pixels);
    }
    e["TRANSIT\\T_SABLE.BMP"] = Grey8(std::vector<uint8_t>(320 * 180, 0));
    e["TRANSIT\\T_LIGNE.BMP"] = Grey8(std::vector<uint8_t>(320 * 180, 0));
    return e;
}

PackEntries PartThreeEntries()
{
    PackEntries e;
    e["TRANSIT\\T_ROND.BMP"] = Grey8(std::vector<uint8_t>(320 * 180, 128));
    e["SCENES\\PLAN_3\\PLAN3.FSF"] = WriteFsf(BackgroundScene(
        920, {{0.0f, 40}}, {"vela_flammes_2", "vela_flammes", "vela_flammes_5", "vela_flammes_1", "vela_flammes_3"}));
    const char* names[14] = {"SDL", "OPENMPT", "ZLIB", "LIBPNG", "FREETYPE", "DEBIAN", "GCC",
                             "CLANG", "CMAKE", "NINJA", "GTEST", "XVFB", "GARAMOND", "SPARTAN"};
    for (int g = 0; g < 14; ++g) {
        e[std::string("GREETING\\") + names[g] + ".BMP"] = g % 2 ? Flat24(64, 32, 0, 200, 0) : Flat24(64, 32, 200, 0, 0);
    }
    return e;
}

PackEntries PartFourEntries()
{
    PackEntries e;
    FsfScene orrery = BackgroundScene(300, {});
    orrery.events->push_back(MakeBackgroundEvent(0, -1, 0, 0)); // keeps the picture under it
    FsfCamera second = orrery.cameras[0];
    second.name = "second";
    orrery.cameras.push_back(second);
    e["SCENES\\PLAN_4\\PLAN4.FSF"] = WriteFsf(orrery);
    e["SCENES\\PLAN_5\\PLAN5.FSF"] = WriteFsf(BackgroundScene(100, {{0.0f, 70}}));
    e["TRANSIT\\T_SIMPLE.BMP"] = Grey8(std::vector<uint8_t>(320 * 180, 255));
    std::vector<uint8_t> tile(320 * 180, 0);
    tile[100 * 320 + 160] = 200;
    e["PICS\\FOND.BMP"] = Grey8(tile);
    const char* closing[3] = {"SILLAGE", "VOILES", "TABOR"};
    for (int i = 0; i < 3; ++i)
        e[std::string("FINALPIC\\") + closing[i] + ".BMP"] = Grey8(std::vector<uint8_t>(320 * 180, static_cast<uint8_t>(60 * (i + 1))));
    return e;
}

PackEntries PartTwoEntries()
{
    PackEntries e;
    e["LOADING\\LOAD.BMP"] = Grey8(std::vector<uint8_t>(320 * 180, 100));
    for (int n = 0; n < 6; ++n)
        e["LOADING\\LOADING" + std::to_string(n + 1) + ".BMP"] = Flat24(16, 16, static_cast<uint8_t>(40 * (n + 1)), 0, 0);
    e["PICS\\CLUBBER.BMP"] = Flat24(320, 180, 0, 0, 200);
    e["TRANSIT\\T_ROND.BMP"] = Grey8(std::vector<uint8_t>(320 * 180, 128));
    e["SCENES\\Plan_2\\PLAN2.FSF"] =
        WriteFsf(BackgroundScene(1700, {{0.0f, 40}, {1200.0f, 120}}, {"flammes07", "vela_flammes", "flamtorch"}));
    return e;
}

void PartTest::SetUp()
{
    virtualClock = VirtualClock{};
    virtualClock.test = this;
    virtualClock.frameMilliseconds = &frameMilliseconds;
    SetTickSource(VirtualTicks, nullptr);
    SetSleepFunction(VirtualSleep, nullptr);
    SetHeadless(true);
    display = DisplayDevice{};
    windowState = WindowState{};
    ClearKeys();
    ASSERT_TRUE(VideoOpenWindow("Vela", VideoModeRules{}));
    ASSERT_EQ(SetVideoMode(320, 240, 16, 1, 0), 16);
    screen = ScreenGeometry{};
    BuildFadeRamp();
    sequencer = SequencerState{};
    syncCounters.restartCount = syncCounters.cueCount = syncCounters.cueTime = 0;
    syncCounters.calibrationCount = syncCounters.loadingFrame = 0;
    syncCounters.calibrationTimes[0] = syncCounters.calibrationTimes[1] = 0;
    loadingActive = 0;
    speedFactor = 1.0f;
    ClockInit(100);
    ASSERT_EQ(InitMemoryPool(11), 0);
    handedPicture = nullptr; // a buffer of an earlier pool
    VideoSetPresentHook(OnPresent, nullptr);
    showOperations = DefaultShowOperations();
    showOperations.musicVolume = [](int32_t v) -> int32_t {
        virtualClock.test->volumes.push_back(v);
        return 0;
    };
    showOperations.musicStop = []() -> int32_t { return 0; };
}

void PartTest::TearDown()
{
    showOperations = DefaultShowOperations();
    VideoSetPresentHook(nullptr, nullptr);
    ClosePack();
    FreeMemoryPool();
    ReleaseDisplay(true);
    VideoCloseWindow();
    SetSleepFunction(nullptr, nullptr);
    SetTickSource(nullptr, nullptr);
}

void PartTest::UsePack(const PackEntries& entries)
{
    PackBuilder pack;
    for (const auto& [name, bytes] : entries) AddPackEntry(&pack, name, bytes, PackMethod::Store);
    const std::filesystem::path dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    WriteFileBytes(dir / "VELA.PAK", FinishPack(pack));
    OpenPack((dir / "VELA.PAK").c_str());
    poolAtStart = PoolBytesInUse();
}

void PartTest::UseContentPack()
{
    OpenPack(VELA_CONTENT_PACK);
    poolAtStart = PoolBytesInUse();
}

uint32_t PartTest::Now() const { return virtualClock.now; }
void PartTest::MarkAt(uint32_t ms, uint32_t value) { virtualClock.events.emplace(ms, value); }
void PartTest::EscapeAt(uint32_t ms) { virtualClock.events.emplace(ms, kEscape); }

RgbImage ViewPicture(const uint16_t* view) { return UnpackPixels(view, screen.screenWidth, screen.viewHeight, 16); }
