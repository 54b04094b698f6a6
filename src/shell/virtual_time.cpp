#include "shell/virtual_time.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/sound_library.h"
#include "platform/tick_source.h"
#include "show/music.h"

namespace {

// Time is counted in units of 1 / (rate x fps) s: a video frame is `rate` units, an audio
// frame `fps` units and a millisecond rate x fps / 1000 units, all whole numbers.
struct VirtualTime {
    bool on = false;
    int64_t fps = 60;
    int64_t rate = kVirtualSampleRate;
    int64_t now = 0;          // the clock
    int64_t target = 0;       // where the clock is going (a present inside a mark moves it on)
    bool advancing = false;
    int64_t soundFrames = 0;  // rendered so far
    int64_t videoFrames = 0;  // handed to the sink so far
    std::vector<uint8_t> picture; // the frame as last presented
    VideoSurface surface{};
    VirtualTimeSink sink;
    std::vector<int16_t> buffer;
    int64_t handOverAt = -1;  // the clock's value at the hand-over to real time; -1: none
    bool handedOver = false;
    void (*handedOverCall)(void*) = nullptr;
    void* handedOverContext = nullptr;
};
VirtualTime virtualTime;

// Sound is rendered in pieces of about a millisecond, so that a mark sees the clock at its own
// time, to the millisecond.
constexpr int64_t kSoundPiece = 48;

uint32_t VirtualTicks(void*)
{
    return static_cast<uint32_t>(virtualTime.now * 1000 / (virtualTime.rate * virtualTime.fps));
}

// Hands over every video frame whose time the clock has passed.
void EmitDueFrames()
{
    VirtualTime& v = virtualTime;
    while (v.videoFrames * v.rate < v.now) {
        if (v.sink.picture && v.surface.pixels) v.sink.picture(v.videoFrames, v.surface, v.sink.context);
        v.videoFrames += 1;
    }
}

// Renders the sound up to the clock's new time, a piece at a time; marks fire inside. A present
// from inside a mark (part two's loading screen) only moves the target on.
void AdvanceTo(int64_t target)
{
    VirtualTime& v = virtualTime;
    if (v.handedOver) return;
    if (v.handOverAt >= 0) target = std::min(target, v.handOverAt);
    v.target = std::max(v.target, target);
    if (v.advancing) return;
    v.advancing = true;
    while (v.now < v.target) {
        const int64_t pieceEnd = std::min(v.target, (v.soundFrames + kSoundPiece) * v.fps);
        const int64_t frames = pieceEnd / v.fps - v.soundFrames;
        if (frames > 0) {
            v.buffer.resize(static_cast<size_t>(frames) * 2);
            // Without a working library the sound is silence.
            if (!SoundRenderNext(v.buffer.data(), static_cast<uint32_t>(frames))) std::fill(v.buffer.begin(), v.buffer.end(), 0);
            if (v.sink.sound) v.sink.sound(v.buffer.data(), static_cast<size_t>(frames), v.sink.context);
            v.soundFrames += frames;
        }
        v.now = std::max(v.now, pieceEnd);
        EmitDueFrames();
    }
    v.advancing = false;
}

// The clock goes on in real time from where it stands; the music plays on in real time.
void HandOver()
{
    VirtualTime& v = virtualTime;
    v.handedOver = true;
    VideoHoldPresents(false);
    VideoSetPresentHook(nullptr, nullptr);
    // The moment's own frame is the first one shown.
    if (v.surface.pixels) VideoPresent(v.surface, v.surface.bitsPerPixel == 16 ? 0xF800u : 0x7C00u);
    SetSleepFunction(nullptr, nullptr);
    ContinueRealTicksFrom(VirtualTicks(nullptr));
    SetTickSource(nullptr, nullptr);
    MusicContinueInRealTime();
    if (v.handedOverCall) v.handedOverCall(v.handedOverContext);
}

// Not from inside a mark: the music's output changes only between renders.
void HandOverIfDue()
{
    const VirtualTime& v = virtualTime;
    if (!v.advancing && !v.handedOver && v.handOverAt >= 0 && v.now >= v.handOverAt) HandOver();
}

void VirtualSleep(uint32_t milliseconds, void*)
{
    const VirtualTime& v = virtualTime;
    AdvanceTo(v.now + static_cast<int64_t>(std::max<uint32_t>(milliseconds, 1)) * v.rate * v.fps / 1000);
    HandOverIfDue();
}

void KeepPresentedFrame(const VideoSurface& frame, void*)
{
    VirtualTime& v = virtualTime;
    const size_t bytes = static_cast<size_t>(frame.pitch) * frame.height;
    v.picture.assign(frame.pixels, frame.pixels + bytes);
    v.surface = frame;
    v.surface.pixels = v.picture.data();
    // A present from inside a mark (the clock is already on its way) needs the clock no
    // further than the end of the video frame it falls in: moving the goal a whole frame past
    // each such present would never end where marks come more often than frames (part two's
    // loading screen at 1 or 2 frames a second).
    AdvanceTo(v.advancing ? (v.now / v.rate + 1) * v.rate : v.now + v.rate);
    HandOverIfDue();
}

} // namespace

void StartVirtualTime(int32_t framesPerSecond, const VirtualTimeSink& sink)
{
    virtualTime = VirtualTime{};
    virtualTime.on = true;
    virtualTime.fps = std::clamp(framesPerSecond, 1, 240);
    virtualTime.sink = sink;
    MusicRenderOffline(kVirtualSampleRate);
    SetTickSource(VirtualTicks, nullptr);
    SetSleepFunction(VirtualSleep, nullptr);
    VideoSetPresentHook(KeepPresentedFrame, nullptr);
}

void HandOverToRealTimeAt(double seconds, void (*handedOver)(void*), void* context)
{
    VirtualTime& v = virtualTime;
    // Just past the start of the moment's video frame, so that frame is handed over first.
    const auto frame = static_cast<int64_t>(std::floor(seconds * static_cast<double>(v.fps) + 1e-9));
    v.handOverAt = std::max<int64_t>(frame, 0) * v.rate + 1;
    v.handedOverCall = handedOver;
    v.handedOverContext = context;
    VideoHoldPresents(true);
}

bool VirtualTimeHandedOver() { return virtualTime.handedOver; }

void FinishVirtualTime()
{
    VirtualTime& v = virtualTime;
    if (!v.on) return;
    if (v.handedOver) {
        // Real time since the hand-over: nothing is due, and the clock is the system's again.
        ResetRealTicks();
        v.on = false;
        return;
    }
    VideoHoldPresents(false);
    // The last frame's time is filled, and the sound ends where the last frame does.
    EmitDueFrames();
    const int64_t soundEnd = (v.videoFrames * v.rate + v.fps - 1) / v.fps;
    if (soundEnd > v.soundFrames && v.sink.sound) {
        v.buffer.assign(static_cast<size_t>(soundEnd - v.soundFrames) * 2, 0);
        v.sink.sound(v.buffer.data(), static_cast<size_t>(soundEnd - v.soundFrames), v.sink.context);
        v.soundFrames = soundEnd;
    }
    VideoSetPresentHook(nullptr, nullptr);
    SetSleepFunction(nullptr, nullptr);
    SetTickSource(nullptr, nullptr);
    MusicRenderOffline(0);
    v.on = false;
}

double VirtualSeconds()
{
    return static_cast<double>(virtualTime.now) / static_cast<double>(virtualTime.rate * virtualTime.fps);
}

int64_t VirtualVideoFrames() { return virtualTime.videoFrames; }
