// The real-time outputs: the audio device through SDL's queue, or nowhere, paced by the
// monotonic clock. One playback thread renders for both and calls the sync callbacks.
#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/sound_state.h"

namespace {

SDL_AudioDeviceID device = 0;

constexpr uint32_t kBytesPerFrame = 4; // 16-bit stereo
constexpr auto kIdleWait = std::chrono::milliseconds(5);

// The nowhere output renders this many frames at a time, when the clock says they are due
// (2.9 ms at 44100 Hz: a sixth of a video frame, and a quarter of the device's buffer, so its
// marks are as punctual as the device's while the thread wakes 345 times a second).
constexpr uint32_t kNowhereBatchFrames = 128;

void WaitIdle()
{
    std::unique_lock<std::mutex> lock(soundLibrary.stateMutex);
    soundLibrary.wake.wait_for(lock, kIdleWait);
}

bool SomethingToRender()
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    return soundLibrary.player && !soundLibrary.suspended;
}

void RunDeviceOutput(uint32_t generation)
{
    int16_t buffer[kSoundDeviceBufferFrames * 2];
    bool started = false;
    int64_t rate;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        rate = soundLibrary.mixRate;
    }
    while (soundLibrary.threadGeneration.load() == generation) {
        if (!SomethingToRender()) {
            WaitIdle();
            continue;
        }
        const uint32_t queued = SDL_GetQueuedAudioSize(device) / kBytesPerFrame;
        if (queued >= kSoundDeviceBufferFrames) {
            SDL_Delay(1);
            continue;
        }
        uint32_t frames = (kSoundDeviceBufferFrames - queued) / kSoundChunkFrames * kSoundChunkFrames;
        if (frames == 0) frames = kSoundChunkFrames;
        if (queued == 0 && started) soundLibrary.underruns += 1;
        uint32_t marks = 0;
        if (RenderAndFireMarks(buffer, frames, &marks)) {
            SDL_QueueAudio(device, buffer, frames * kBytesPerFrame);
            started = true;
            // The marks of this batch sound once what is queued ahead of it has played.
            if (marks) KeepWorst(soundLibrary.worstAheadMicros, static_cast<int64_t>(queued) * 1000000 / rate);
        }
    }
}

void RunNowhereOutput(uint32_t generation)
{
    using Clock = std::chrono::steady_clock;
    int16_t buffer[kNowhereBatchFrames * 2];
    Clock::time_point start = Clock::now();
    uint64_t rendered = 0;
    while (soundLibrary.threadGeneration.load() == generation) {
        int32_t rate;
        bool rebase;
        {
            std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
            rate = soundLibrary.mixRate;
            rebase = soundLibrary.rebase;
            soundLibrary.rebase = false;
        }
        if (rebase) {
            start = Clock::now();
            rendered = 0;
        }
        if (!SomethingToRender()) {
            WaitIdle();
            continue;
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        const uint64_t due = static_cast<uint64_t>(elapsed) * static_cast<uint64_t>(rate) / 1000000u;
        if (rendered + kNowhereBatchFrames > due) {
            // Sleeps until the batch is due (a batch's length, so a rebase or a stop is still seen
            // soon) instead of waking every millisecond to look again.
            const uint64_t next = (rendered + kNowhereBatchFrames) * 1000000u / static_cast<uint64_t>(rate) + 1;
            std::this_thread::sleep_until(start + std::chrono::microseconds(next));
            continue;
        }
        uint32_t marks = 0;
        RenderAndFireMarks(buffer, kNowhereBatchFrames, &marks);
        rendered += kNowhereBatchFrames;
        if (marks) {
            // The batch's sound was due when its last frame's time came.
            const auto now = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
            const int64_t due = static_cast<int64_t>(rendered * 1000000u / static_cast<uint64_t>(rate));
            KeepWorst(soundLibrary.worstLateMicros, now - due);
        }
    }
}

void RunPlaybackThread(SoundOutput output, uint32_t generation)
{
    if (output == kSoundOutputDevice) RunDeviceOutput(generation);
    else RunNowhereOutput(generation);
}

// Sound libraries below SDL (ALSA's above all) print their own diagnostics on standard error
// while SDL looks for a device. The user gets one line of ours about what went wrong instead:
// standard error points at /dev/null for as long as the search lasts.
class QuietStandardError {
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~QuietStandardError()
    {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

} // namespace

bool OpenSoundDevice(std::string* detail)
{
    const QuietStandardError quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *detail = SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    // The dummy and disk drivers play nowhere, and their pace drifts: they are no device.
    if (!driver || !std::strcmp(driver, "dummy") || !std::strcmp(driver, "disk")) {
        *detail = std::string("no audio driver (") + (driver ? driver : "none") + ")";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = soundLibrary.mixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kSoundDeviceBufferFrames;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0) {
        *detail = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    soundLibrary.mixRate = have.freq;
    return true;
}

void CloseSoundDevice()
{
    if (device == 0) return;
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void PauseSoundDevice(bool pause)
{
    if (device != 0) SDL_PauseAudioDevice(device, pause ? 1 : 0);
}

bool StartPlaybackThread(std::string* detail)
{
    std::lock_guard<std::mutex> threadLock(soundLibrary.threadMutex);
    SoundOutput output;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (soundLibrary.threadRunning) return true;
        output = soundLibrary.output;
        soundLibrary.rebase = true;
        if (output == kSoundOutputDevice) PauseSoundDevice(soundLibrary.suspended);
    }
    try {
        soundLibrary.thread = std::thread(RunPlaybackThread, output, soundLibrary.threadGeneration.load());
    } catch (const std::exception& e) {
        *detail = e.what();
        return false;
    }
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    soundLibrary.threadRunning = true;
    return true;
}

void StopPlaybackThread()
{
    std::lock_guard<std::mutex> threadLock(soundLibrary.threadMutex);
    if (!soundLibrary.thread.joinable()) return;
    soundLibrary.threadGeneration.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        soundLibrary.wake.notify_all();
    }
    // A sync callback that closes the library runs on the thread itself: let it end alone.
    if (soundLibrary.thread.get_id() == std::this_thread::get_id()) soundLibrary.thread.detach();
    else soundLibrary.thread.join();
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    soundLibrary.threadRunning = false;
    if (soundLibrary.output == kSoundOutputDevice) {
        PauseSoundDevice(true);
        SDL_ClearQueuedAudio(device);
    }
}
