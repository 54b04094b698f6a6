// The sound library: XM modules played in the background with per-module volume, suspend and
// resume, and a callback for each sync mark as its row starts to play. Three outputs fire the
// same marks at the same frames: the audio device, nowhere in real time (a thread paced by the
// monotonic clock that renders and discards), and offline, where the caller asks for the next
// frames itself. Functions that return int32_t give 1 for success and 0 for failure, leaving a
// code for SoundLastError.
#pragma once

#include <cstdint>

#include "platform/sound_player.h"

enum SoundError : int32_t {
    kSoundOk = 0,
    kSoundErrorNotInitialised,
    kSoundErrorAlreadyInitialised,
    kSoundErrorNoDevice,
    kSoundErrorThread,
    kSoundErrorOpenFile,
    kSoundErrorReadFile,
    kSoundErrorNotModule,
    kSoundErrorPlayer,
    kSoundErrorBadHandle,
    kSoundErrorModulePlaying,
    kSoundErrorAlreadyPlaying,
    kSoundErrorBadOption,
    kSoundErrorNotOffline,
    kSoundErrorCount
};

enum SoundOption : int32_t {
    kSoundOptionForceNoSound = 13, // 1: play nowhere in real time instead of the audio device
    kSoundOptionOffline = 100,     // 1: no thread; the caller renders with SoundRenderNext
    kSoundOptionMixRate = 101,     // output frames per second, 8000..96000 (default 44100)
};

// Where the output of SoundInit went.
enum SoundOutput : int32_t { kSoundOutputNone = 0, kSoundOutputDevice, kSoundOutputNowhere, kSoundOutputOffline };

struct SoundModule;                // a loaded module
using SoundPlayHandle = int32_t;   // 0 = none
using SoundSyncCallback = void (*)(const SoundSyncEvent& event, void* context);

// The device's buffer, in frames (11.6 ms at 44100 Hz); the playback thread keeps at most as
// much again queued ahead of it, so marks run at most about 23 ms ahead of the sound.
constexpr uint32_t kSoundDeviceBufferFrames = 512;

// Resets the library to its defaults (options included). Always succeeds.
int32_t SoundStartup();
// Sets an option before SoundInit.
int32_t SoundSetOption(int32_t option, int32_t value);
// Opens the output: the audio device unless no sound or offline output was asked for. Fails
// when no audio device can be opened (SDL's dummy driver counts as none).
int32_t SoundInit();
// Starts the playback thread (none for offline output). `pollRate` is accepted for callers that
// name one; rendering runs in small chunks whatever it is.
int32_t SoundStartBackgroundPlay(int32_t pollRate);
int32_t SoundStopBackgroundPlay();
// Stops playback, frees every module and closes the output.
int32_t SoundClose();
SoundOutput SoundCurrentOutput();

// Loads an XM module from a file or from memory; null on failure.
SoundModule* SoundLoadModule(const char* fileName);
SoundModule* SoundLoadModuleFromMemory(const uint8_t* data, uint32_t size);
// Frees a module that is not playing.
int32_t SoundFreeModule(SoundModule* module);
// Facts and sync marks of a loaded module (marks sorted by pattern, row and channel).
const SoundModuleFacts* SoundModuleInfo(const SoundModule* module);
const std::vector<XmSyncMark>* SoundModuleMarks(const SoundModule* module);

// Starts playing a module from its beginning (one at a time); 0 on failure.
SoundPlayHandle SoundPlayModule(SoundModule* module, int32_t loop);
// Stops it; once this returns, its callback is not running and will not run again.
int32_t SoundStopModule(SoundPlayHandle handle);
// Attaches (or with null, detaches) the sync callback; a detach waits for a call in progress.
int32_t SoundSetSyncCallback(SoundPlayHandle handle, SoundSyncCallback callback, void* context);
// Volume 0..64 (values outside are clamped); a module starts at 64.
int32_t SoundSetModuleVolume(SoundPlayHandle handle, int32_t volume);
// Whether the handle is playing and has not reached the end of a pass that does not loop.
bool SoundModuleIsPlaying(SoundPlayHandle handle);

// Halts and continues output; while suspended the module does not advance.
int32_t SoundSuspend();
int32_t SoundResume();

// Offline output: renders the next `frames` interleaved stereo frames into `out` on the calling
// thread, firing the sync callback from inside; silence when nothing plays or while suspended.
int32_t SoundRenderNext(int16_t* out, uint32_t frames);

// Leaves offline output for a real-time one while the module plays on from where it is: the
// audio device (or nowhere, with no sound asked for or when no device opens) and the playback
// thread, which fires the marks that follow. Fails unless the output is offline.
int32_t SoundContinueInRealTime();

// The playing module's order and row (both -1 when none plays or before its first frame).
void SoundPlayingPosition(int32_t* order, int32_t* row);

// How well the real-time outputs kept time since start: marks fired, the latest a mark came
// after its sound was due (playing nowhere), the most a mark came ahead of its sound reaching
// the device, and how often the device's queue ran dry.
struct SoundTiming {
    int64_t marks = 0;
    double worstLateMs = 0, worstAheadMs = 0;
    int64_t underruns = 0;
};
SoundTiming SoundTimingSoFar();

int32_t SoundLastError();
// The text for an error code; for the last error it names the file or the cause.
const char* SoundErrorMessage(int32_t error);
