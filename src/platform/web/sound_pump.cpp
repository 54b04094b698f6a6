// The real-time outputs in a page: the sound library's device and nowhere outputs over the
// page's audio context and pump (page_calls.h), without a thread.
#include "platform/web/sound_pump.h"

#include <emscripten.h>

#include <cstring>
#include <deque>
#include <vector>

#include "platform/sound_state.h"
#include "platform/web/page_calls.h"

namespace {

struct QueuedMark {
    SoundSyncEvent event;
    SoundPlayHandle handle;
    double dueSeconds; // on the page's sound clock
};

struct SoundPump {
    bool running = false;
    SoundPlayHandle handle = 0; // the play the frame count below belongs to (a new play may get
                                // the memory of the last one's player, never its handle)
    uint64_t playerFrames = 0;  // rendered by that play's player so far
    std::deque<QueuedMark> marks;
    std::vector<SoundSyncEvent> fired;   // scratch for one block
    bool firing = false;
};
SoundPump pump;

} // namespace

bool OpenSoundDevice(std::string* detail)
{
    const int rate = PageOpenAudio();
    if (rate <= 0) {
        *detail = "the page may not play sound (its audio was refused or is missing)";
        return false;
    }
    soundLibrary.mixRate = rate;
    return true;
}

void CloseSoundDevice() { PageCloseAudio(); }

void PauseSoundDevice(bool pause) { PagePauseAudio(pause); }

bool StartPlaybackThread(std::string*)
{
    SoundOutput output;
    int32_t rate;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (soundLibrary.threadRunning) return true;
        output = soundLibrary.output;
        rate = soundLibrary.mixRate;
        soundLibrary.threadRunning = true;
        if (output == kSoundOutputDevice) PauseSoundDevice(soundLibrary.suspended);
    }
    pump.running = true;
    PageStartSoundPump(output == kSoundOutputDevice, rate);
    return true;
}

void StopPlaybackThread()
{
    if (!pump.running) return;
    PageStopSoundPump();
    pump = SoundPump{};
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    soundLibrary.threadRunning = false;
    if (soundLibrary.output == kSoundOutputDevice) PauseSoundDevice(true);
}

void FireDueSoundMarks()
{
    if (pump.firing) return; // a callback that yields does not fire the next marks inside itself
    pump.firing = true;
    const double now = PageSoundClock();
    for (;;) {
        SoundSyncCallback callback;
        void* context;
        QueuedMark mark;
        {
            std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
            // Marks of a play stopped since they were rendered never fire, and must not hold
            // back those of the play that followed it.
            while (!pump.marks.empty() && pump.marks.front().handle != soundLibrary.playHandle) pump.marks.pop_front();
            if (pump.marks.empty() || pump.marks.front().dueSeconds > now) break;
            mark = pump.marks.front();
            pump.marks.pop_front();
            callback = soundLibrary.callback;
            context = soundLibrary.callbackContext;
        }
        soundLibrary.marksFired += 1;
        KeepWorst(soundLibrary.worstLateMicros, static_cast<int64_t>((now - mark.dueSeconds) * 1e6));
        std::lock_guard<std::recursive_mutex> calling(soundLibrary.callbackMutex);
        if (callback) callback(mark.event, context);
    }
    pump.firing = false;
}

// Called by the page's pump: renders `frames` interleaved stereo frames into `out`, the block
// that starts sounding at `startSeconds` on the page's sound clock, and queues its marks.
extern "C" EMSCRIPTEN_KEEPALIVE void vela_fill_sound(int16_t* out, int frames, double startSeconds)
{
    if (frames <= 0) return;
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    if (!pump.running || !soundLibrary.player || soundLibrary.suspended) {
        std::memset(out, 0, static_cast<size_t>(frames) * 4);
        return;
    }
    if (soundLibrary.playHandle != pump.handle) {
        pump.handle = soundLibrary.playHandle;
        pump.playerFrames = 0;
    }
    pump.fired.clear();
    RenderSoundPlayer(soundLibrary.player, out, static_cast<uint32_t>(frames), &pump.fired);
    const double rate = soundLibrary.mixRate;
    for (const SoundSyncEvent& event : pump.fired) {
        const double offset = static_cast<double>(event.frame - pump.playerFrames) / rate;
        pump.marks.push_back(QueuedMark{event, soundLibrary.playHandle, startSeconds + offset});
    }
    pump.playerFrames += static_cast<uint64_t>(frames);
}
