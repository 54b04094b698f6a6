// The whole show with its own content, played in virtual time with the music rendered offline:
// every frame hashed and compared with the stored list (tests/reference/show/, in the form
// shell/frame_hashes gives it, as `vela --frame-hashes` writes it), the pool back at
// its level after every pass, the flame tracks re-phased as each pass goes. A mismatch names the
// part, the frame and its time, and leaves that frame as a PNG in <build>/test-output/show/.
// VELA_UPDATE_REFERENCES=1 stores the lists anew: a deliberate act, after watching the capture.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display/display_device.h"
#include "display/window.h"
#include "engine/engine_state.h"
#include "formats/png_file.h"
#include "platform/headless.h"
#include "shell/frame_hashes.h"
#include "shell/show_main.h"
#include "shell/pass_records.h"
#include "show/frame_timings.h"
#include "shell/launcher.h"
#include "show/music.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "shell/virtual_time.h"
#include "shell/show_moment.h"
#include "show/hud.h"
#include "display/screen_geometry.h"
#include "display/display_device.h"
#include "show/show_operations.h"
#include "platform/tick_source.h"
#include "resources/content_events.h"

namespace fs = std::filesystem;

namespace {

struct ShowRun {
    std::string name;                    // of the stored list
    std::vector<FrameHash> expected;     // empty when the list is being written
    std::vector<FrameHash> frames;
    SoundHashes sound;
    int64_t stopAfter = -1;              // abort the show after this many frames
    size_t stopAfterPasses = 0;          // ... or once this many passes have ended
    bool mismatchReported = false;
};
ShowRun* run = nullptr;

RgbImage FramePicture(const VideoSurface& frame)
{
    RgbImage image;
    image.width = frame.width;
    image.height = frame.height;
    image.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
    const int depth = frame.bitsPerPixel == 15 ? 15 : 16;
    for (int y = 0; y < frame.height; ++y) {
        const RgbImage line =
            UnpackPixels(reinterpret_cast<const uint16_t*>(frame.pixels + static_cast<size_t>(y) * frame.pitch), frame.width, 1, depth);
        std::copy(line.rgb.begin(), line.rgb.end(), image.rgb.begin() + static_cast<size_t>(y) * frame.width * 3);
    }
    return image;
}

void RecordFrame(int64_t index, const VideoSurface& frame, void*)
{
    const FrameHash record = HashVideoFrame(index, frame);
    run->frames.push_back(record);
    const size_t i = run->frames.size() - 1;
    if (!run->expected.empty() && !run->mismatchReported &&
        (i >= run->expected.size() || run->expected[i].hash != record.hash)) {
        run->mismatchReported = true;
        const fs::path out = fs::path(VELA_BINARY_DIR) / "test-output" / "show" / (run->name + "-" + std::to_string(index) + ".png");
        fs::create_directories(out.parent_path());
        std::string error;
        if (frame.bitsPerPixel == 15 || frame.bitsPerPixel == 16) WritePng(out.string(), FramePicture(frame), &error);
        ADD_FAILURE() << run->name << ": frame " << index << " (part " << record.part << ", " << record.seconds
                      << " s) differs from the stored list; it is in " << out;
    }
    if (run->stopAfter >= 0 && index + 1 >= run->stopAfter) sequencer.abortRequested = 1;
    if (run->stopAfterPasses && PoolAtPassEnds().size() >= run->stopAfterPasses) sequencer.abortRequested = 1;
}

void RecordSound(const int16_t* samples, size_t frames, void*) { HashSound(&run->sound, samples, frames); }

fs::path StoredList(const std::string& name) { return fs::path(VELA_SOURCE_DIR) / "tests" / "reference" / "show" / (name + ".txt"); }

std::vector<FrameHash> ReadListFile(const fs::path& path)
{
    std::vector<FrameHash> records;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("sound", 0) == 0) continue;
        std::istringstream fields(line);
        FrameHash r;
        std::string hash;
        fields >> r.index >> r.part >> r.seconds >> hash;
        r.hash = std::stoull(hash, nullptr, 16);
        records.push_back(r);
    }
    return records;
}

std::vector<FrameHash> ReadList(const std::string& name) { return ReadListFile(StoredList(name)); }

bool Updating()
{
    const char* update = std::getenv("VELA_UPDATE_REFERENCES");
    return update && std::string(update) == "1";
}

class WholeShow : public ::testing::Test {
protected:
    void SetUp() override
    {
        launcherChoices = LauncherChoices{};
        launcherChoices.priority = kPriorityNormal;
        launcherChoices.askUser = 0;
        demoPackPath = VELA_CONTENT_PACK;
        SetHeadless(true);
    }

    // What a fresh process starts with: the show keeps some state across passes on purpose
    // (the flame tracks' phases, the loading animation's frame, the engine's field of view).
    static void FreshProcess()
    {
        sequencer = SequencerState{};
        display = DisplayDevice{};
        windowState = WindowState{};
        engine = EngineState{};
        partTwoDesync = DesyncCounter{};
        partThreeDesync = DesyncCounter{};
        syncCounters.restartCount = syncCounters.cueCount = syncCounters.cueTime = 0;
        syncCounters.calibrationCount = syncCounters.loadingFrame = 0;
        syncCounters.calibrationTimes[0] = syncCounters.calibrationTimes[1] = 0;
        speedFactor = 1.0f;
    }

    // Plays the show with `words` at `fps` and compares (or stores) its frame list.
    void Play(ShowRun& r, std::vector<std::string> words, int fps, const VideoModeRules& rules = VideoModeRules{})
    {
        if (!Updating()) {
            r.expected = ReadList(r.name);
            ASSERT_FALSE(r.expected.empty()) << StoredList(r.name) << " is missing; VELA_UPDATE_REFERENCES=1 writes it";
        }
        FreshProcess();
        run = &r;
        VirtualTimeSink sink;
        sink.picture = RecordFrame;
        sink.sound = RecordSound;
        StartVirtualTime(fps, sink);
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        ASSERT_EQ(RunApplication(static_cast<int>(argv.size()), argv.data(), rules, DemoMain), 0);
        FinishVirtualTime();
        run = nullptr;
        EXPECT_EQ(DemoExitStatus(), 0);
        if (Updating()) {
            fs::create_directories(StoredList(r.name).parent_path());
            std::ofstream out(StoredList(r.name));
            out << FrameHashHeader(fps);
            for (const FrameHash& f : r.frames) out << FrameHashLine(f);
            out << SoundHashLines(r.sound);
        } else {
            EXPECT_EQ(r.frames.size(), r.expected.size()) << r.name << ": the show's length in frames changed";
        }
    }
};

TEST_F(WholeShow, EveryFrameOfTheShowMatchesTheStoredList)
{
    ShowRun r;
    r.name = "whole-show-10fps";
    const size_t passesBefore = PoolAtPassEnds().size();
    Play(r, {}, 10);
    ASSERT_EQ(PoolAtPassEnds().size(), passesBefore + 1);
    EXPECT_EQ(PoolAtPassStarts().back(), PoolAtPassEnds().back()) << "the pool is back at its level after the pass";
    EXPECT_EQ(partTwoDesync.calls, 22);
    EXPECT_EQ(partThreeDesync.calls, 6);
}

// At one frame a second part two's loading screen presents from inside its marks, which come
// twice a frame: the show still plays through, frame for frame as stored.
TEST_F(WholeShow, OneFrameASecondPlaysThroughWhereMarksComeFasterThanFrames)
{
    ShowRun r;
    r.name = "whole-show-1fps";
    Play(r, {}, 1);
}

TEST_F(WholeShow, TwoLoopedPassesLeaveThePoolAsTheyFoundIt)
{
    ShowRun r;
    r.name = "loop-b3-5fps";
    launcherChoices.loop = 1;
    const size_t passesBefore = PoolAtPassEnds().size();
    r.stopAfterPasses = passesBefore + 2;
    Play(r, {"b3"}, 5);
    const auto& starts = PoolAtPassStarts();
    const auto& ends = PoolAtPassEnds();
    ASSERT_GE(ends.size(), passesBefore + 2);
    for (size_t p = passesBefore; p < passesBefore + 2; ++p) EXPECT_EQ(starts[p], ends[p]) << "pass " << p - passesBefore;
    // Each pass shifts the flame tracks further: part three's counter grows by 6 a pass.
    EXPECT_GE(partThreeDesync.calls, 12);
}

TEST_F(WholeShow, FifteenBitsAndThe320x200ModeHaveTheirOwnStretches)
{
    ShowRun fifteen;
    fifteen.name = "part1-15bit-10fps";
    fifteen.stopAfter = 250;
    VideoModeRules rules;
    rules.forcedLayout = 15;
    Play(fifteen, {"b1"}, 10, rules);

    ShowRun low;
    low.name = "part3-320x200-10fps";
    low.stopAfter = 250;
    VideoModeRules noTall;
    noTall.missingWidth[0] = 320;
    noTall.missingHeight[0] = 240;
    noTall.missingCount = 1;
    Play(low, {"b3"}, 10, noTall);
}

// Starting at a moment: the run up to it in virtual time ends on the stored list's frame for
// that moment (the list it writes is the stored one's beginning), and the show then goes on
// in real time, its music playing on and firing the marks that follow (part one's cue at
// 20.7 s), until the time limit a little later ends it.
std::atomic<int> realTimeMarks{0};
void CountRealTimeMark(uint32_t)
{
    if (TicksAreReal()) realTimeMarks += 1;
}

TEST_F(WholeShow, StartingAtAMomentLandsOnTheStoredFrameAndPlaysOn)
{
    const std::vector<FrameHash> stored = ReadList("whole-show-10fps");
    ASSERT_FALSE(stored.empty());
    struct Case {
        const char* moment;
        int64_t frame;
        int32_t part;
        bool markFollows; // within the second after
    };
    const Case cases[] = {{"0:20", 200, 1, true}, {"83.5", 835, 2, false}, {"4:05.26", 2452, 3, false}, {"6:00", 3600, 4, false}};
    const fs::path list = fs::path(VELA_BINARY_DIR) / "test-output" / "show" / "at-moment.txt";
    fs::create_directories(list.parent_path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moment);
        FreshProcess();
        MomentOptions options;
        ASSERT_TRUE(ReadShowMoment(c.moment, &options.seconds));
        options.framesPerSecond = 10;
        options.frameHashPath = list.string();
        MusicForceNoSound(true);
        // The show's time counts from its first pass, after the start-up: a second past the moment.
        showSecondsLimit = options.seconds + 1;
        char name[] = "vela";
        char* words[] = {name};
        realTimeMarks = 0;
        contentEvents.syncMark = CountRealTimeMark;
        EXPECT_EQ(PlayShowFromMoment(options, 1, words, VideoModeRules{}), 0);
        contentEvents.syncMark = nullptr;
        EXPECT_TRUE(TicksAreReal());
        if (c.markFollows) {
            EXPECT_GE(realTimeMarks.load(), 1);
        }
        showSecondsLimit = 0;
        MusicForceNoSound(false);
        const std::vector<FrameHash> got = ReadListFile(list);
        ASSERT_EQ(static_cast<int64_t>(got.size()), c.frame + 1) << "the list ends with the moment's frame";
        EXPECT_EQ(got.back().part, c.part);
        EXPECT_EQ(got.back().hash, stored[static_cast<size_t>(c.frame)].hash);
        EXPECT_EQ(got[static_cast<size_t>(c.frame / 2)].hash, stored[static_cast<size_t>(c.frame / 2)].hash);
    }
}

// The HUD: the same stretch of the show played without it and with it, H pressed partway. Every
// view pixel is the same in both; the border differs while the HUD is shown and is the show's
// own again once H hid it (the HUD is drawn on a copy of each frame, never on the frame).
struct FrameHalves {
    bool pressH = false;
    std::vector<uint64_t> view, border;
};
FrameHalves* halves = nullptr;
constexpr int64_t kHudFrames = 120, kHudKeyFrame = 80;

uint64_t HashRows(const VideoSurface& frame, int from, int to, uint64_t h)
{
    for (int y = from; y < to; ++y) {
        const uint8_t* row = frame.pixels + static_cast<size_t>(y) * frame.pitch;
        for (int x = 0; x < frame.width * 2; ++x) h = (h ^ row[x]) * 1099511628211ull;
    }
    return h;
}

void RecordHalves(int64_t index, const VideoSurface& frame, void*)
{
    const int viewEnd = screen.viewTop + screen.viewHeight;
    halves->view.push_back(HashRows(frame, screen.viewTop, viewEnd, 14695981039346656037ull));
    halves->border.push_back(HashRows(frame, viewEnd, frame.height, HashRows(frame, 0, screen.viewTop, 14695981039346656037ull)));
    if (halves->pressH && index == kHudKeyFrame) {
        VideoInjectEvent(VideoEvent{kVideoEventKeyDown, kHudKeyScanCode, 0, 0, 0});
        VideoInjectEvent(VideoEvent{kVideoEventKeyUp, kHudKeyScanCode, 0, 0, 0});
    }
    if (index + 1 >= kHudFrames) sequencer.abortRequested = 1;
}

TEST_F(WholeShow, TheHudDrawsOnlyInTheBorderAndHSwitchesIt)
{
    FrameHalves plain, shown;
    shown.pressH = true;
    for (FrameHalves* run : {&plain, &shown}) {
        FreshProcess();
        InstallHud(run == &shown);
        halves = run;
        VirtualTimeSink sink;
        sink.picture = RecordHalves;
        StartVirtualTime(10, sink);
        std::vector<std::string> words = {"b2"};
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        ASSERT_EQ(RunApplication(static_cast<int>(argv.size()), argv.data(), VideoModeRules{}, DemoMain), 0);
        FinishVirtualTime();
        halves = nullptr;
        SetHudShown(false);
        SetFrameOverlay(nullptr);
    }
    ASSERT_GE(plain.view.size(), static_cast<size_t>(kHudFrames));
    ASSERT_GE(shown.view.size(), static_cast<size_t>(kHudFrames));
    int bordersDrawn = 0;
    for (size_t i = 0; i < static_cast<size_t>(kHudFrames); ++i) {
        EXPECT_EQ(shown.view[i], plain.view[i]) << "frame " << i << ": the HUD drew over the view";
        if (static_cast<int64_t>(i) < kHudKeyFrame) bordersDrawn += shown.border[i] != plain.border[i];
        if (static_cast<int64_t>(i) > kHudKeyFrame + 2) {
            EXPECT_EQ(shown.border[i], plain.border[i]) << "frame " << i << ": H left the HUD on";
        }
    }
    // The frames before the video mode is set have no border to draw in.
    EXPECT_GT(bordersDrawn, kHudKeyFrame - 20);
}

} // namespace
