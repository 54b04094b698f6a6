#include "velatool/show_timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "display/console_font.h"
#include "display/window.h"
#include "platform/headless.h"
#include "resources/content_events.h"
#include "resources/picture.h"
#include "shell/launcher.h"
#include "shell/show_main.h"
#include "shell/virtual_time.h"
#include "show/frame_timings.h"
#include "show/sequencer_state.h"

namespace {

// What the show told while it played, gathered on its thread (in virtual time everything runs
// on the show's thread, the marks too).
struct Recorder {
    ShowTimeline* timeline = nullptr;
    std::map<const void*, std::string> pictureNames; // pixels of a picture loaded -> its name
    std::map<const void*, std::string> spriteNames;  // run stream of a sprite made -> its picture's name
    std::map<const void*, std::string> sceneNames;   // a scene loaded -> its name
    std::set<std::string> picturesNow;               // drawn since the last video frame
    std::string sceneNow;
    std::vector<std::vector<std::string>> picturesByFrame;
    std::vector<std::string> sceneByFrame;
    int64_t framesTimed = 0;
    int binFill = 0;
    int16_t low = 0, high = 0;
};
Recorder recorder;

void PictureLoaded(const char* name, const Picture* picture) { recorder.pictureNames[picture->pixels] = name; }

void SpriteMade(const Picture* picture, const Sprite* sprite)
{
    const auto found = recorder.pictureNames.find(picture->pixels);
    if (found != recorder.pictureNames.end()) recorder.spriteNames[sprite->data] = found->second;
}

void SpriteDrawn(const Sprite* sprite)
{
    const auto found = recorder.spriteNames.find(sprite->data);
    if (found != recorder.spriteNames.end()) recorder.picturesNow.insert(found->second);
}

void SceneLoaded(const char* name, const void* scene) { recorder.sceneNames[scene] = name; }

void SceneDrawn(const void* scene)
{
    const auto found = recorder.sceneNames.find(scene);
    if (found != recorder.sceneNames.end()) recorder.sceneNow = found->second;
}

void ModuleStarted(const char* name)
{
    std::vector<TimelineSpan>& modules = recorder.timeline->modules;
    const double now = VirtualSeconds();
    if (!modules.empty() && modules.back().end > now) modules.back().end = now;
    modules.push_back(TimelineSpan{name, now, 1e9});
}

void SyncMark(uint32_t value) { recorder.timeline->marks.push_back(TimelineMark{VirtualSeconds(), value}); }

void TakePicture(int64_t, const VideoSurface&, void*)
{
    ShowTimeline& t = *recorder.timeline;
    t.part.push_back(PlayingPart());
    t.section.push_back(PlayingPart() == 4 ? PlayingSection() : 0);
    const int64_t timed = FramesTimed();
    t.drawMs.push_back(timed != recorder.framesTimed ? static_cast<float>(LastFrameMs()) : -1.0f);
    recorder.framesTimed = timed;
    recorder.sceneByFrame.push_back(recorder.sceneNow);
    recorder.sceneNow.clear();
    recorder.picturesByFrame.emplace_back(recorder.picturesNow.begin(), recorder.picturesNow.end());
    recorder.picturesNow.clear();
}

void TakeSound(const int16_t* samples, size_t frames, void*)
{
    ShowTimeline& t = *recorder.timeline;
    for (size_t i = 0; i < frames * 2; ++i) {
        if (recorder.binFill == 0 && i % 2 == 0) recorder.low = recorder.high = samples[i];
        recorder.low = std::min(recorder.low, samples[i]);
        recorder.high = std::max(recorder.high, samples[i]);
        if (i % 2 == 1 && ++recorder.binFill == kSoundBin) {
            t.soundLow.push_back(recorder.low);
            t.soundHigh.push_back(recorder.high);
            recorder.binFill = 0;
        }
    }
}

// Spans of the frames naming the same thing, a gap of up to half a second bridged (a scene not
// drawn while a picture fades over it is still the part's scene).
void AddSpans(const std::vector<std::vector<std::string>>& byFrame, int fps, std::vector<TimelineSpan>* spans)
{
    std::map<std::string, std::pair<int64_t, int64_t>> open; // name -> first and last frame seen
    const int64_t bridge = std::max(1, fps / 2);
    auto close = [&](const std::string& name, std::pair<int64_t, int64_t> range) {
        spans->push_back(TimelineSpan{name, static_cast<double>(range.first) / fps, static_cast<double>(range.second + 1) / fps});
    };
    for (int64_t f = 0; f < static_cast<int64_t>(byFrame.size()); ++f) {
        for (const std::string& name : byFrame[static_cast<size_t>(f)]) {
            auto found = open.find(name);
            if (found != open.end() && f - found->second.second <= bridge) {
                found->second.second = f;
                continue;
            }
            if (found != open.end()) close(name, found->second);
            open[name] = {f, f};
        }
    }
    for (const auto& [name, range] : open) close(name, range);
    std::sort(spans->begin(), spans->end(), [](const TimelineSpan& a, const TimelineSpan& b) { return a.start < b.start; });
}

} // namespace

bool RecordShowTimeline(const std::string& pack, int fps, ShowTimeline* timeline, std::string* error)
{
    *timeline = ShowTimeline{};
    timeline->framesPerSecond = fps;
    recorder = Recorder{};
    recorder.timeline = timeline;
    recorder.framesTimed = FramesTimed();

    // The show's settings for this run, given back after it.
    const char* const packBefore = demoPackPath;
    const bool headlessBefore = IsHeadless();
    launcherChoices = LauncherChoices{};
    launcherChoices.priority = kPriorityNormal;
    launcherChoices.askUser = 0;
    demoPackPath = pack.c_str();
    passLimit = 0;
    SetHeadless(true);
    sequencer = SequencerState{};
    ContentEvents events;
    events.pictureLoaded = PictureLoaded;
    events.spriteMade = SpriteMade;
    events.spriteDrawn = SpriteDrawn;
    events.sceneLoaded = SceneLoaded;
    events.sceneDrawn = SceneDrawn;
    events.moduleStarted = ModuleStarted;
    events.syncMark = SyncMark;
    contentEvents = events;
    VirtualTimeSink sink;
    sink.picture = TakePicture;
    sink.sound = TakeSound;
    StartVirtualTime(fps, sink);
    const int opened = RunApplication(0, nullptr, VideoModeRules{}, DemoMain);
    FinishVirtualTime();
    // As long as its video frames: the last one's time filled.
    timeline->seconds = static_cast<double>(timeline->part.size()) / fps;
    contentEvents = ContentEvents{};
    demoPackPath = packBefore;
    SetHeadless(headlessBefore);
    if (opened != 0 || DemoExitStatus() != 0) {
        *error = pack + ": the show did not play to its end (see its message above)";
        return false;
    }
    for (TimelineSpan& m : timeline->modules) m.end = std::min(m.end, timeline->seconds);
    std::vector<std::vector<std::string>> scenes;
    for (const std::string& s : recorder.sceneByFrame) scenes.push_back(s.empty() ? std::vector<std::string>{} : std::vector<std::string>{s});
    AddSpans(scenes, fps, &timeline->scenes);
    AddSpans(recorder.picturesByFrame, fps, &timeline->pictures);
    return true;
}

namespace {

constexpr uint32_t kBackground = 0x1c1f23, kGutterText = 0xc8ccd0, kGrid = 0x2c3137, kText = 0x101214;
constexpr uint32_t kBandPalette[] = {0x6f9fd8, 0xd8a05f, 0x78c08a, 0xc88ad8, 0xd87878, 0x7fd0d0, 0xd0d070, 0xa0a0e8};

struct Canvas {
    RgbImage image;

    void Fill(int x0, int y0, int x1, int y1, uint32_t colour)
    {
        x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, image.width), y1 = std::min(y1, image.height);
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
                p[0] = static_cast<uint8_t>(colour >> 16), p[1] = static_cast<uint8_t>(colour >> 8), p[2] = static_cast<uint8_t>(colour);
            }
        }
    }

    // 8x16 glyphs of the console font, or 8x8 (each pair of rows merged) when `small`.
    void Text(int x, int y, const std::string& text, uint32_t colour, bool small = false)
    {
        for (size_t c = 0; c < text.size(); ++c) {
            for (int r = 0; r < (small ? 8 : 16); ++r) {
                const uint8_t* glyph = &ConsoleFont[static_cast<uint8_t>(text[c]) * 16];
                const uint8_t bits = small ? static_cast<uint8_t>(glyph[r * 2] | glyph[r * 2 + 1]) : glyph[r];
                for (int b = 0; b < 8; ++b) {
                    if (bits & (0x80 >> b)) Fill(x + static_cast<int>(c) * 8 + b, y + r, x + static_cast<int>(c) * 8 + b + 1, y + r + 1, colour);
                }
            }
        }
    }
};

// "ZIK\VELA1.XM" -> "VELA1".
std::string ShortName(const std::string& name)
{
    std::string s = name.substr(name.find_last_of("\\/") == std::string::npos ? 0 : name.find_last_of("\\/") + 1);
    return s.substr(0, s.rfind('.'));
}

std::string Clock(double seconds, bool tenths)
{
    char text[24];
    const int whole = static_cast<int>(seconds);
    if (tenths) std::snprintf(text, sizeof text, "%d:%04.1f", whole / 60, seconds - 60 * (whole / 60));
    else std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

// A band from one time to another, its name inside (cut to fit, or left out when too narrow).
void Band(Canvas& c, double start, double end, int top, int height, uint32_t colour, const std::string& name)
{
    const int x0 = TimelineColumn(start), x1 = std::max(TimelineColumn(end), x0 + 1);
    c.Fill(x0, top, x1, top + height, colour);
    const int room = (x1 - x0 - 4) / 8;
    if (room >= 3 && !name.empty()) {
        const bool small = height < 16;
        c.Text(x0 + 2, top + (height - (small ? 8 : 16)) / 2, name.substr(0, static_cast<size_t>(room)), kText, small);
    }
}

// Spans packed into as few rows as keep them apart; the row of each.
std::vector<int> PackRows(const std::vector<TimelineSpan>& spans, int* rows)
{
    std::vector<double> rowEnds;
    std::vector<int> rowOf;
    for (const TimelineSpan& s : spans) {
        size_t r = 0;
        while (r < rowEnds.size() && rowEnds[r] > s.start) ++r;
        if (r == rowEnds.size()) rowEnds.push_back(0);
        rowEnds[r] = s.end;
        rowOf.push_back(static_cast<int>(r));
    }
    *rows = static_cast<int>(rowEnds.size());
    return rowOf;
}

uint32_t MarkColour(uint32_t value)
{
    switch (value) {
    case 255: return 0xff5a50;
    case 1: return 0xffd040;
    case 2: return 0x50d0ff;
    case 3: return 0x80ff80;
    default: return 0xffffff;
    }
}

} // namespace

uint32_t TimelinePartColour(int32_t part)
{
    static const uint32_t colours[5] = {0x3a3f44, 0x3f7fd0, 0xe08a2c, 0x49b35a, 0x9a5fd0};
    return colours[part >= 1 && part <= 4 ? part : 0];
}

RgbImage DrawShowTimeline(const ShowTimeline& t)
{
    const int fps = t.framesPerSecond;
    int pictureRows = 0;
    const std::vector<int> pictureRowOf = PackRows(t.pictures, &pictureRows);
    pictureRows = std::max(pictureRows, 1);

    // The lanes, top to bottom.
    const int partsTop = kTimelinePartsTop, sectionsTop = partsTop + kTimelinePartsHeight + 2;
    const int scenesTop = sectionsTop + 20, picturesTop = scenesTop + 22, pictureRow = 18;
    const int modulesTop = picturesTop + pictureRows * pictureRow + 4, waveTop = modulesTop + 20, waveHeight = 64;
    const int marksTop = waveTop + waveHeight + 6, markRow = 16;
    const int drawTop = marksTop + 4 * markRow + 8, drawHeight = 90;
    const int axisTop = drawTop + drawHeight + 2;

    Canvas c;
    c.image.width = TimelineColumn(t.seconds) + 24;
    c.image.height = axisTop + 40;
    c.image.rgb.assign(static_cast<size_t>(c.image.width) * c.image.height * 3, 0);
    c.Fill(0, 0, c.image.width, c.image.height, kBackground);

    // Grid lines every 30 s through every lane.
    for (int s = 0; s <= static_cast<int>(t.seconds); s += 30) c.Fill(TimelineColumn(s), partsTop, TimelineColumn(s) + 1, axisTop, kGrid);

    char title[160];
    std::snprintf(title, sizeof title, "the show against time: %s long, recorded at %d frames a second", Clock(t.seconds, true).c_str(), fps);
    c.Text(kTimelineLeft, 10, title, kGutterText);

    // Parts and part four's sections.
    const auto runs = [&](const std::vector<int32_t>& values, auto draw) {
        size_t from = 0;
        for (size_t f = 1; f <= values.size(); ++f) {
            if (f == values.size() || values[f] != values[from]) {
                draw(values[from], static_cast<double>(from) / fps, static_cast<double>(f) / fps);
                from = f;
            }
        }
    };
    c.Text(8, partsTop + 2, "parts", kGutterText);
    runs(t.part, [&](int32_t part, double a, double b) {
        Band(c, a, b, partsTop, kTimelinePartsHeight, TimelinePartColour(part), part ? "part " + std::to_string(part) : "");
    });
    c.Text(8, sectionsTop + 1, "sections", kGutterText);
    static const uint32_t sectionColours[4] = {0xb58ae0, 0x7d45b5, 0xc9a6ec, 0x6a3a9c};
    runs(t.section, [&](int32_t section, double a, double b) {
        if (section >= 1 && section <= 4) Band(c, a, b, sectionsTop, 18, sectionColours[section - 1], std::string("4") + static_cast<char>('A' + section - 1));
    });

    // Scenes and pictures drawn.
    c.Text(8, scenesTop + 1, "scenes", kGutterText);
    std::map<std::string, uint32_t> colourOf;
    const auto colourFor = [&](const std::string& name) {
        const auto found = colourOf.find(name);
        if (found != colourOf.end()) return found->second;
        const uint32_t colour = kBandPalette[colourOf.size() % std::size(kBandPalette)];
        colourOf[name] = colour;
        return colour;
    };
    for (const TimelineSpan& s : t.scenes) Band(c, s.start, s.end, scenesTop, 18, colourFor(s.name), ShortName(s.name));
    c.Text(8, picturesTop + 1, "pictures", kGutterText);
    for (size_t i = 0; i < t.pictures.size(); ++i) {
        const TimelineSpan& s = t.pictures[i];
        Band(c, s.start, s.end, picturesTop + pictureRowOf[i] * pictureRow, pictureRow - 1, colourFor(s.name), ShortName(s.name));
    }

    // The modules, their sound and their marks.
    c.Text(8, modulesTop + 1, "music", kGutterText);
    const int waveMiddle = waveTop + waveHeight / 2;
    for (size_t m = 0; m < t.modules.size(); ++m) {
        const TimelineSpan& s = t.modules[m];
        const uint32_t colour = kBandPalette[(m + 5) % std::size(kBandPalette)];
        Band(c, s.start, s.end, modulesTop, 18, colour, ShortName(s.name));
        for (int x = TimelineColumn(s.start); x < TimelineColumn(s.end); ++x) {
            // The bins of this column.
            const double binsPerColumn = 48000.0 / kSoundBin / kTimelinePixelsPerSecond;
            const auto first = static_cast<size_t>((x - kTimelineLeft) * binsPerColumn);
            const auto last = static_cast<size_t>((x - kTimelineLeft + 1) * binsPerColumn);
            int low = 0, high = 0;
            for (size_t b = first; b < last && b < t.soundLow.size(); ++b) {
                low = std::min<int>(low, t.soundLow[b]);
                high = std::max<int>(high, t.soundHigh[b]);
            }
            const int y0 = waveMiddle - high * (waveHeight / 2) / 32768, y1 = waveMiddle - low * (waveHeight / 2) / 32768;
            c.Fill(x, y0, x + 1, std::max(y1, y0 + 1), colour);
        }
    }
    c.Fill(kTimelineLeft, waveMiddle, TimelineColumn(t.seconds), waveMiddle + 1, 0x50565c);
    c.Text(8, waveMiddle - 8, "sound", kGutterText);
    static const uint32_t markValues[4] = {255, 1, 2, 3};
    static const char* const markNames[4] = {"start 255", "cue 1", "beat 2", "calib 3"};
    for (int k = 0; k < 4; ++k) c.Text(8, marksTop + k * markRow, markNames[k], MarkColour(markValues[k]));
    for (const TimelineMark& mark : t.marks) {
        int row = 3;
        for (int k = 0; k < 4; ++k) {
            if (markValues[k] == mark.value) row = k;
        }
        const int x = TimelineColumn(mark.seconds);
        c.Fill(x, marksTop + row * markRow + 2, x + 1, marksTop + row * markRow + markRow - 2, MarkColour(mark.value));
    }

    // Drawing times: the longest of each column's frames, red above a 60 Hz display's 16.7 ms
    // (a dotted line when the scale reaches it).
    float worst = 0;
    for (float ms : t.drawMs) worst = std::max(worst, ms);
    // The scale: the next of 1, 2, 5, 10, 20, 50... ms above the worst.
    double scaleMs = 1;
    for (int step = 0; scaleMs < worst; ++step) scaleMs *= step % 3 == 1 ? 2.5 : 2;
    char label[32];
    std::snprintf(label, sizeof label, "%g ms", scaleMs);
    c.Text(8, drawTop, label, kGutterText);
    c.Fill(kTimelineLeft - 6, drawTop, kTimelineLeft, drawTop + 1, kGutterText);
    c.Fill(kTimelineLeft - 6, drawTop + drawHeight - 1, kTimelineLeft, drawTop + drawHeight, kGutterText);
    c.Text(8, drawTop + 18, "drawing", kGutterText);
    std::snprintf(label, sizeof label, "worst %.1f", static_cast<double>(worst));
    c.Text(8, drawTop + drawHeight - 16, label, kGutterText);
    if (scaleMs >= 16.7) {
        const int budgetY = drawTop + drawHeight - static_cast<int>(16.7 / scaleMs * drawHeight);
        for (int x = kTimelineLeft; x < TimelineColumn(t.seconds); x += 4) c.Fill(x, budgetY, x + 2, budgetY + 1, 0x8a9096);
        c.Text(TimelineColumn(t.seconds) - 64, budgetY - 17, "16.7 ms", 0x8a9096);
    }
    for (int x = kTimelineLeft; x < TimelineColumn(t.seconds); ++x) {
        float ms = -1;
        const double from = static_cast<double>(x - kTimelineLeft) / kTimelinePixelsPerSecond * fps;
        const double to = static_cast<double>(x - kTimelineLeft + 1) / kTimelinePixelsPerSecond * fps;
        for (auto f = static_cast<size_t>(from); f < static_cast<size_t>(std::ceil(to)) && f < t.drawMs.size(); ++f) ms = std::max(ms, t.drawMs[f]);
        if (ms < 0) continue;
        const int h = std::max(1, static_cast<int>(ms / scaleMs * drawHeight));
        c.Fill(x, drawTop + drawHeight - h, x + 1, drawTop + drawHeight, ms > 16.7f ? 0xff5040 : 0x5fbf5f);
    }

    // The time axis: a tick every 10 s, m:ss every 30 s.
    c.Fill(kTimelineLeft, axisTop, TimelineColumn(t.seconds) + 1, axisTop + 1, kGutterText);
    for (int s = 0; s <= static_cast<int>(t.seconds); s += 10) {
        const int x = TimelineColumn(s);
        c.Fill(x, axisTop, x + 1, axisTop + (s % 30 == 0 ? 8 : 4), kGutterText);
        if (s % 30 == 0) c.Text(x - 16, axisTop + 10, Clock(s, false), kGutterText);
    }
    c.Text(8, axisTop + 10, "time", kGutterText);
    return c.image;
}
