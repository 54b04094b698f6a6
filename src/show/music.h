// The show's music: a thin wrapper over the sound library that plays one XM module at a time
// and records what the module's sync marks say. The counters are written on the playback
// thread and polled by the parts, so they are atomics.
#pragma once

#include <atomic>
#include <cstdint>

struct SyncCounters {
    std::atomic<int32_t> restartCount{0};     // start marks (255) since the last reset
    std::atomic<int32_t> cueCount{0};         // cue marks (1) since the last reset
    std::atomic<int32_t> cueTime{0};          // ClockNow at the last cue mark
    std::atomic<int32_t> calibrationCount{0}; // calibration marks (3)
    std::atomic<int32_t> calibrationTimes[2]{}; // ClockNow at the first and second calibration mark
    std::atomic<int32_t> loadingFrame{0};     // loading-animation frame shown at the next mark 2
};

extern SyncCounters syncCounters;
extern std::atomic<float> speedFactor;
// While set, only the sync callback draws (part two's loading screen).
extern std::atomic<int32_t> loadingActive;

using MusicSyncCallback = void (*)(uint32_t syncValue);

// Starts the sound library. 0 = ready; non-zero = the show gives up silently.
int32_t MusicInit(MusicSyncCallback syncCallback);
// Loads and plays the module file looped, replacing the one playing. 0 when it plays, 1 after
// a failure (reported in the "MIDAS Error!" box, which closes the library).
int32_t MusicPlay(const char* fileName);
// Per-module volume 0..64.
int32_t MusicVolume(int32_t volume);
int32_t MusicStop();
void MusicClose();
// True while a module is playing (waits on sync marks end when none plays).
bool MusicPlaying();
// Asks the library to play silently in real time (the --no-sound option), before MusicInit.
void MusicForceNoSound(bool on);
// Asks for offline output at `sampleRate` (0: off), before MusicInit: no playback thread; the
// caller renders the music with SoundRenderNext and the marks fire on its thread.
void MusicRenderOffline(int32_t sampleRate);

// Offline output gives way to real time with the module playing on from where it is: the
// marks that follow fire on the library's playback thread. 0 when it did (or nothing was
// offline).
int32_t MusicContinueInRealTime();
// The last sync mark that fired (its value, -1 before any) and the tick count it fired at.
void MusicLastMark(int32_t* value, uint32_t* ticks);
// The playing module's order and row, -1 and -1 when none plays.
void MusicPosition(int32_t* order, int32_t* row);

// What each sync mark does to the counters and the clock.
void MusicSync(uint32_t syncValue);

// Draws loading-animation frame `frame` (0..5) and presents it; called by mark 2 while
// loadingActive is set, on the playback thread. Null (the default) draws nothing.
using LoadingDrawFunction = void (*)(int32_t frame);
void SetLoadingDraw(LoadingDrawFunction draw);

// The calibration module's two marks lie this many clock units apart at nominal speed.
constexpr float kCalibrationSpan = 1106.0f;
// speedFactor for two calibration times: 1106 / (second - first) in single precision; 1.0 when
// the second time is not after the first (a clock reset between them, or marks in one unit).
float SpeedFactorFromCalibration(int32_t firstTime, int32_t secondTime);

// What PlayModuleFromPack gives back.
enum ModulePlayResult : int32_t {
    kModulePlays = 0,
    kModuleMissing = 1,    // neither the archive nor a loose file has it
    kModuleUnplayable = 2, // it could not be read, loaded or started (the library's box told why)
};
// Writes the named pack entry to a temporary file, plays it and removes the file.
int32_t PlayModuleFromPack(const char* name);
// True when the music is rendered by the caller (virtual time): the marks then fire on the
// caller's thread, and the music's speed is exact.
bool MusicRendersOffline();
// True from a successful MusicInit in real time to MusicClose: the marks fire on the library's
// playback thread, whatever the main thread is doing.
bool MusicMarksOnOwnThread();
