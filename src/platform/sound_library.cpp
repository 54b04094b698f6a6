// The library's state and its calls. Rendering happens under stateMutex; sync callbacks run
// after it is released, under callbackMutex, so that a callback may call back into the library
// and so that stopping or detaching can wait for a callback in progress.
#include "platform/sound_library.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/sound_state.h"

SoundLibrary soundLibrary;

namespace {

const char* const kErrorTexts[kSoundErrorCount] = {
    "No error",
    "Sound library not initialised",
    "Sound library already initialised",
    "No audio device could be opened",
    "The playback thread could not be started",
    "Unable to open the module file",
    "Unable to read the module file",
    "Not an XM module",
    "The player cannot read the module",
    "Invalid module or play handle",
    "The module is playing",
    "A module is already playing",
    "Invalid option or option value",
    "Not in offline output",
};

thread_local std::string messageCopy;

int32_t Fail(SoundError error, const std::string& detail)
{
    std::lock_guard<std::mutex> lock(soundLibrary.errorMutex);
    soundLibrary.lastError = error;
    soundLibrary.lastErrorText = detail.empty() ? std::string(kErrorTexts[error]) : std::string(kErrorTexts[error]) + ": " + detail;
    return 0;
}

SoundModule* FailModule(SoundError error, const std::string& detail)
{
    Fail(error, detail);
    return nullptr;
}

bool KnownModule(const SoundModule* module)
{
    for (const SoundModule* m : soundLibrary.modules) {
        if (m == module) return true;
    }
    return false;
}

// Takes the player out while holding the state lock; the caller destroys it afterwards.
SoundPlayer* DetachPlayerLocked()
{
    SoundPlayer* player = soundLibrary.player;
    soundLibrary.player = nullptr;
    soundLibrary.playingModule = nullptr;
    soundLibrary.playHandle = 0;
    soundLibrary.callback = nullptr;
    soundLibrary.callbackContext = nullptr;
    return player;
}

// Waits for a sync callback in progress on another thread to return.
void WaitForCallbacks() { std::lock_guard<std::recursive_mutex> wait(soundLibrary.callbackMutex); }

} // namespace

int32_t SoundStartup()
{
    SoundClose();
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    soundLibrary.forceNoSound = false;
    soundLibrary.offline = false;
    soundLibrary.mixRate = 44100;
    soundLibrary.suspended = false;
    soundLibrary.lastError = kSoundOk;
    soundLibrary.lastErrorText.clear();
    return 1;
}

int32_t SoundSetOption(int32_t option, int32_t value)
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    switch (option) {
    case kSoundOptionForceNoSound:
        soundLibrary.forceNoSound = value != 0;
        return 1;
    case kSoundOptionOffline:
        soundLibrary.offline = value != 0;
        return 1;
    case kSoundOptionMixRate:
        if (value < 8000 || value > 96000 || soundLibrary.initialised) break;
        soundLibrary.mixRate = value;
        return 1;
    default:
        break;
    }
    return Fail(kSoundErrorBadOption, "option " + std::to_string(option) + " value " + std::to_string(value));
}

int32_t SoundInit()
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    if (soundLibrary.initialised) return Fail(kSoundErrorAlreadyInitialised, "");
    if (soundLibrary.offline) {
        soundLibrary.output = kSoundOutputOffline;
    } else if (soundLibrary.forceNoSound) {
        soundLibrary.output = kSoundOutputNowhere;
    } else {
        std::string detail;
        if (!OpenSoundDevice(&detail)) return Fail(kSoundErrorNoDevice, detail);
        soundLibrary.output = kSoundOutputDevice;
    }
    soundLibrary.initialised = true;
    soundLibrary.suspended = false;
    return 1;
}

int32_t SoundStartBackgroundPlay(int32_t)
{
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
        if (soundLibrary.output == kSoundOutputOffline || soundLibrary.threadRunning) return 1;
    }
    std::string detail;
    if (!StartPlaybackThread(&detail)) return Fail(kSoundErrorThread, detail);
    return 1;
}

int32_t SoundStopBackgroundPlay()
{
    StopPlaybackThread();
    return 1;
}

int32_t SoundClose()
{
    StopPlaybackThread();
    SoundPlayer* player = nullptr;
    std::vector<SoundModule*> modules;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        player = DetachPlayerLocked();
        modules.swap(soundLibrary.modules);
        if (soundLibrary.output == kSoundOutputDevice) CloseSoundDevice();
        soundLibrary.output = kSoundOutputNone;
        soundLibrary.initialised = false;
        soundLibrary.suspended = false;
    }
    WaitForCallbacks();
    DestroySoundPlayer(player);
    for (SoundModule* m : modules) delete m;
    return 1;
}

SoundOutput SoundCurrentOutput()
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    return soundLibrary.output;
}

SoundModule* SoundLoadModule(const char* fileName)
{
    if (!fileName) return FailModule(kSoundErrorOpenFile, "no file name");
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return FailModule(kSoundErrorOpenFile, std::string(fileName) + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return FailModule(kSoundErrorReadFile, fileName);
    SoundModule* module = SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!module) {
        std::lock_guard<std::mutex> lock(soundLibrary.errorMutex);
        soundLibrary.lastErrorText += std::string(" (") + fileName + ")";
    }
    return module;
}

SoundModule* SoundLoadModuleFromMemory(const uint8_t* data, uint32_t size)
{
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return FailModule(kSoundErrorNotInitialised, "");
    }
    SoundModule* module = new SoundModule;
    module->bytes.assign(data, data + size);
    std::string error;
    if (!FindAndClearSyncMarks(module->bytes.data(), module->bytes.size(), &module->marks, &error)) {
        delete module;
        return FailModule(kSoundErrorNotModule, error);
    }
    if (!ReadSoundModuleFacts(module->bytes, &module->facts, &error)) {
        delete module;
        return FailModule(kSoundErrorPlayer, error);
    }
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    if (!soundLibrary.initialised) {
        delete module;
        return FailModule(kSoundErrorNotInitialised, "");
    }
    soundLibrary.modules.push_back(module);
    return module;
}

int32_t SoundFreeModule(SoundModule* module)
{
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!KnownModule(module)) return Fail(kSoundErrorBadHandle, "unknown module");
        if (soundLibrary.playingModule == module) return Fail(kSoundErrorModulePlaying, "");
        std::erase(soundLibrary.modules, module);
    }
    delete module;
    return 1;
}

const SoundModuleFacts* SoundModuleInfo(const SoundModule* module)
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    return KnownModule(module) ? &module->facts : nullptr;
}

const std::vector<XmSyncMark>* SoundModuleMarks(const SoundModule* module)
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    return KnownModule(module) ? &module->marks : nullptr;
}

SoundPlayHandle SoundPlayModule(SoundModule* module, int32_t loop)
{
    std::vector<uint8_t> bytes;
    std::vector<XmSyncMark> marks;
    int32_t rate;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
        if (!KnownModule(module)) return Fail(kSoundErrorBadHandle, "unknown module");
        if (soundLibrary.player) return Fail(kSoundErrorAlreadyPlaying, "");
        bytes = module->bytes;
        marks = module->marks;
        rate = soundLibrary.mixRate;
    }
    std::string error;
    SoundPlayer* player = CreateSoundPlayer(bytes, marks, rate, loop != 0, &error);
    if (!player) return Fail(kSoundErrorPlayer, error);
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (soundLibrary.initialised && KnownModule(module) && !soundLibrary.player) {
            soundLibrary.player = player;
            soundLibrary.playingModule = module;
            soundLibrary.playHandle = ++soundLibrary.lastHandle;
            if (soundLibrary.lastHandle >= 0x7FFFFFFF) soundLibrary.lastHandle = 0;
            soundLibrary.rebase = true;
            soundLibrary.wake.notify_all();
            return soundLibrary.playHandle;
        }
    }
    DestroySoundPlayer(player);
    return Fail(kSoundErrorAlreadyPlaying, "another module started meanwhile");
}

int32_t SoundStopModule(SoundPlayHandle handle)
{
    SoundPlayer* player;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
        if (handle == 0 || handle != soundLibrary.playHandle) return Fail(kSoundErrorBadHandle, "unknown play handle");
        player = DetachPlayerLocked();
    }
    WaitForCallbacks();
    DestroySoundPlayer(player);
    return 1;
}

int32_t SoundSetSyncCallback(SoundPlayHandle handle, SoundSyncCallback callback, void* context)
{
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
        if (handle == 0 || handle != soundLibrary.playHandle) return Fail(kSoundErrorBadHandle, "unknown play handle");
        soundLibrary.callback = callback;
        soundLibrary.callbackContext = context;
    }
    if (!callback) WaitForCallbacks();
    return 1;
}

int32_t SoundSetModuleVolume(SoundPlayHandle handle, int32_t volume)
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
    if (handle == 0 || handle != soundLibrary.playHandle) return Fail(kSoundErrorBadHandle, "unknown play handle");
    SetSoundPlayerVolume(soundLibrary.player, volume);
    return 1;
}

bool SoundModuleIsPlaying(SoundPlayHandle handle)
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    return handle != 0 && handle == soundLibrary.playHandle && !SoundPlayerEnded(soundLibrary.player);
}

int32_t SoundSuspend()
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
    soundLibrary.suspended = true;
    if (soundLibrary.output == kSoundOutputDevice) PauseSoundDevice(true);
    return 1;
}

int32_t SoundResume()
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
    soundLibrary.suspended = false;
    soundLibrary.rebase = true;
    if (soundLibrary.output == kSoundOutputDevice) PauseSoundDevice(false);
    soundLibrary.wake.notify_all();
    return 1;
}

int32_t SoundRenderNext(int16_t* out, uint32_t frames)
{
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
        if (soundLibrary.output != kSoundOutputOffline) return Fail(kSoundErrorNotOffline, "");
    }
    RenderAndFireMarks(out, frames);
    return 1;
}

int32_t SoundContinueInRealTime()
{
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.initialised) return Fail(kSoundErrorNotInitialised, "");
        if (soundLibrary.output != kSoundOutputOffline) return Fail(kSoundErrorNotOffline, "");
        soundLibrary.offline = false;
        std::string ignored; // without a device the show goes on silently, as it starts without one
        soundLibrary.output = !soundLibrary.forceNoSound && OpenSoundDevice(&ignored) ? kSoundOutputDevice : kSoundOutputNowhere;
        // The device may have opened at another rate: the player follows it from here.
        SetSoundPlayerRate(soundLibrary.player, soundLibrary.mixRate);
    }
    return SoundStartBackgroundPlay(0);
}

void SoundPlayingPosition(int32_t* order, int32_t* row)
{
    std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
    SoundPlayerPosition(soundLibrary.player, order, row);
}

SoundTiming SoundTimingSoFar()
{
    SoundTiming t;
    t.marks = soundLibrary.marksFired.load();
    t.worstLateMs = static_cast<double>(soundLibrary.worstLateMicros.load()) / 1000.0;
    t.worstAheadMs = static_cast<double>(soundLibrary.worstAheadMicros.load()) / 1000.0;
    t.underruns = soundLibrary.underruns.load();
    return t;
}

int32_t SoundLastError()
{
    std::lock_guard<std::mutex> lock(soundLibrary.errorMutex);
    return soundLibrary.lastError;
}

const char* SoundErrorMessage(int32_t error)
{
    std::lock_guard<std::mutex> lock(soundLibrary.errorMutex);
    if (error == soundLibrary.lastError && !soundLibrary.lastErrorText.empty()) messageCopy = soundLibrary.lastErrorText;
    else if (error >= 0 && error < kSoundErrorCount) messageCopy = kErrorTexts[error];
    else messageCopy = "Unknown error " + std::to_string(error);
    return messageCopy.c_str();
}

bool RenderAndFireMarks(int16_t* out, uint32_t frames, uint32_t* marks)
{
    if (marks) *marks = 0;
    // Local, so that a callback rendering again cannot disturb the list being fired.
    std::vector<SoundSyncEvent> events;
    SoundPlayHandle handle;
    {
        std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
        if (!soundLibrary.player || soundLibrary.suspended) {
            std::memset(out, 0, static_cast<size_t>(frames) * 4);
            return false;
        }
        RenderSoundPlayer(soundLibrary.player, out, frames, &events);
        handle = soundLibrary.playHandle;
    }
    if (events.empty()) return true;
    if (marks) *marks = static_cast<uint32_t>(events.size());
    soundLibrary.marksFired += static_cast<int64_t>(events.size());
    std::lock_guard<std::recursive_mutex> calling(soundLibrary.callbackMutex);
    for (const SoundSyncEvent& event : events) {
        SoundSyncCallback callback;
        void* context;
        {
            std::lock_guard<std::mutex> lock(soundLibrary.stateMutex);
            if (soundLibrary.playHandle != handle) break;
            callback = soundLibrary.callback;
            context = soundLibrary.callbackContext;
        }
        if (callback) callback(event, context);
    }
    return true;
}
