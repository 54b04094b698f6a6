// The music wrapper over the sound library: one module at a time, its sync marks routed to
// MusicSync, library failures shown in message boxes.
#include "show/music.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "display/window.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/sound_library.h"
#include "resources/pack_archive.h"
#include "show/frame_clock.h"
#include "resources/content_events.h"
#include "platform/tick_source.h"

SyncCounters syncCounters;
std::atomic<float> speedFactor{1.0f};
std::atomic<int32_t> loadingActive{0};

namespace {

// Main-thread state of the wrapper.
struct MusicState {
    bool initialised = false; // set by a successful MusicInit, never cleared
    bool forceNoSound = false;
    bool playbackThread = false; // the library plays (and fires the marks) on a thread of its own
    int32_t offlineRate = 0; // non-zero: the caller renders the music itself at this rate
    SoundModule* module = nullptr;
    SoundPlayHandle playHandle = 0;
};

MusicState music;
// Read on the playback thread.
std::atomic<MusicSyncCallback> syncCallback{nullptr};
std::atomic<LoadingDrawFunction> loadingDraw{nullptr};

// The library's error in a box; then the library is closed. Closing releases every module, so
// the wrapper forgets its handles rather than keep ones that no longer exist.
void ShowSoundError()
{
    ShowMessageBox(SoundErrorMessage(SoundLastError()), "MIDAS Error!", kMessageBoxError);
    SoundClose();
    music.module = nullptr;
    music.playHandle = 0;
}

std::atomic<int32_t> lastMarkValue{-1};
std::atomic<uint32_t> lastMarkTicks{0};

void ForwardSyncMark(const SoundSyncEvent& event, void*)
{
    lastMarkTicks.store(GetTickCount32());
    lastMarkValue.store(static_cast<int32_t>(event.value));
    if (contentEvents.syncMark) contentEvents.syncMark(event.value);
    if (MusicSyncCallback callback = syncCallback.load()) callback(event.value);
}

void ResumeMusic() { SoundResume(); }
void SuspendMusic() { SoundSuspend(); }

// Asks what to do about a failed init: OK tries again, Cancel continues with no sound.
MessageBoxAnswer AskAboutSoundError()
{
    const char* reason = SoundErrorMessage(SoundLastError());
    if (IsHeadless()) {
        std::fprintf(stderr, "Sounderror: MIDAS Digital Audio System initialization failed: \"%s\"; continuing with no sound\n", reason);
        return kMessageBoxAnsweredCancel;
    }
    char text[512];
    std::snprintf(text, sizeof text,
                  "MIDAS Digital Audio System initialization failed:\n\"%s\"\nThis usually means that the sound card is being used\n"
                  "by another program, or that it is incorrectly configured.\nClick OK to try again, or Cancel to continue with no sound",
                  reason);
    return ShowMessageBox(text, "Sounderror", kMessageBoxOkCancelError);
}

// Detaches the callback from the playing module and stops it. False after a library failure.
bool StopPlayingModule()
{
    if (!music.playHandle) return true;
    if (!SoundSetSyncCallback(music.playHandle, nullptr, nullptr) || !SoundStopModule(music.playHandle)) return false;
    music.playHandle = 0;
    return true;
}

} // namespace

int32_t MusicInit(MusicSyncCallback callback)
{
    SoundStartup();
    SoundSetOption(kSoundOptionForceNoSound, music.forceNoSound ? 1 : 0);
    if (music.offlineRate) {
        SoundSetOption(kSoundOptionOffline, 1);
        SoundSetOption(kSoundOptionMixRate, music.offlineRate);
    }
    while (!SoundInit()) {
        if (AskAboutSoundError() == kMessageBoxAnsweredCancel) {
            SoundSetOption(kSoundOptionForceNoSound, 1);
            if (!SoundInit()) {
                ShowSoundError();
                return 1;
            }
            break;
        }
    }
    if (!SoundStartBackgroundPlay(50)) {
        ShowSoundError();
        return 1;
    }
    SetPauseHooks(ResumeMusic, SuspendMusic);
    music.initialised = true;
    music.playbackThread = music.offlineRate == 0;
    syncCallback.store(callback);
    return 0;
}

int32_t MusicPlay(const char* fileName)
{
    bool stopped = StopPlayingModule();
    if (!stopped) ShowSoundError();
    if (stopped && music.module) {
        if (SoundFreeModule(music.module)) music.module = nullptr;
        else ShowSoundError();
    }
    SoundModule* loaded = SoundLoadModule(fileName);
    if (!loaded) {
        ShowSoundError();
        return 1;
    }
    music.module = loaded;
    music.playHandle = SoundPlayModule(music.module, 1);
    if (!music.playHandle) {
        ShowSoundError();
        return 1;
    }
    if (!SoundSetSyncCallback(music.playHandle, ForwardSyncMark, nullptr)) {
        ShowSoundError();
        return 1;
    }
    return 0;
}

int32_t MusicVolume(int32_t volume)
{
    if (music.playHandle && !SoundSetModuleVolume(music.playHandle, volume)) {
        ShowSoundError();
        return 1;
    }
    return 0;
}

int32_t MusicStop()
{
    if (!StopPlayingModule()) {
        ShowSoundError();
        return 1;
    }
    if (music.module) {
        if (!SoundFreeModule(music.module)) {
            ShowSoundError();
            return 1;
        }
        music.module = nullptr;
    }
    return 0;
}

void MusicClose()
{
    if (!music.initialised) return;
    music.playbackThread = false;
    if (!SoundStopBackgroundPlay()) {
        ShowSoundError();
        return;
    }
    if (!SoundClose()) ShowSoundError();
    music.module = nullptr;
    music.playHandle = 0;
}

bool MusicPlaying() { return music.playHandle != 0 && SoundModuleIsPlaying(music.playHandle); }

void MusicForceNoSound(bool on) { music.forceNoSound = on; }

void MusicRenderOffline(int32_t sampleRate) { music.offlineRate = sampleRate; }

int32_t MusicContinueInRealTime()
{
    if (!music.offlineRate) return 0;
    music.offlineRate = 0;
    // Before MusicInit, or after MusicClose, there is nothing to hand over.
    if (SoundCurrentOutput() != kSoundOutputOffline) return 0;
    if (!SoundContinueInRealTime()) {
        ShowSoundError();
        return 1;
    }
    music.playbackThread = true;
    return 0;
}

void MusicLastMark(int32_t* value, uint32_t* ticks)
{
    *value = lastMarkValue.load();
    *ticks = lastMarkTicks.load();
}

void MusicPosition(int32_t* order, int32_t* row) { SoundPlayingPosition(order, row); }

void SetLoadingDraw(LoadingDrawFunction draw) { loadingDraw.store(draw); }

void MusicSync(uint32_t value)
{
    switch (value) {
    case 255:
        ClockReset(0);
        syncCounters.restartCount.fetch_add(1);
        break;
    case 1:
        syncCounters.cueTime.store(ClockNow());
        syncCounters.cueCount.fetch_add(1);
        break;
    case 2: {
        const int32_t frame = syncCounters.loadingFrame.load();
        if (loadingActive.load()) {
            if (LoadingDrawFunction draw = loadingDraw.load()) draw(frame);
        }
        syncCounters.loadingFrame.store((frame + 1) % 6);
        break;
    }
    case 3: {
        const int32_t count = syncCounters.calibrationCount.load();
        if (count == 0 || count == 1) syncCounters.calibrationTimes[count].store(ClockNow());
        syncCounters.calibrationCount.store(count + 1);
        break;
    }
    default:
        break;
    }
}

float SpeedFactorFromCalibration(int32_t firstTime, int32_t secondTime)
{
    const int64_t span = static_cast<int64_t>(secondTime) - firstTime;
    if (span <= 0) return 1.0f;
    return kCalibrationSpan / static_cast<float>(span);
}

int32_t PlayModuleFromPack(const char* name)
{
    const uint32_t size = PackEntrySize(name);
    if (size == 0) {
        // Neither the archive nor a loose file has it: nothing can play, and the caller ends
        // the show with a message naming it (the parts wait on its marks).
        MusicStop();
        return kModuleMissing;
    }
    // Zeroed, so that a failed read never writes stale heap bytes to the file.
    uint8_t* bytes = static_cast<uint8_t*>(std::calloc(size, 1));
    if (!bytes) return kModuleUnplayable;
    const bool read = ReadPackEntry(name, bytes, 0, size) == 0;
    // A private file of our own (mkstemp), not a guessable name another program could take.
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
    std::string path = (folder / "vela-module-XXXXXX").string();
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        std::free(bytes);
        return MusicPlay("") == 0 ? kModulePlays : kModuleUnplayable;
    }
    std::FILE* file = fdopen(fd, "wb");
    bool written = false;
    if (file) {
        written = read && std::fwrite(bytes, 1, size, file) == size;
        written = std::fclose(file) == 0 && written;
    } else {
        close(fd);
    }
    std::free(bytes);
    const int32_t played = written ? MusicPlay(path.c_str()) : 1;
    if (played == 0 && contentEvents.moduleStarted) contentEvents.moduleStarted(name);
    std::remove(path.c_str());
    return played == 0 ? kModulePlays : kModuleUnplayable;
}

bool MusicRendersOffline() { return music.offlineRate != 0; }

bool MusicMarksOnOwnThread() { return music.playbackThread; }
