// Inside the sound library: its process-wide state, shared by the calls (sound_library.cpp)
// and the outputs (sound_output.cpp). Not for use outside src/platform.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_library.h"

struct SoundModule {
    std::vector<uint8_t> bytes; // the file with its sync marks taken out
    std::vector<XmSyncMark> marks;
    SoundModuleFacts facts;
};

struct SoundLibrary {
    std::mutex stateMutex; // everything below but the error fields and the thread handle
    std::recursive_mutex callbackMutex; // held while sync callbacks run
    bool initialised = false;
    bool forceNoSound = false;
    bool offline = false;
    int32_t mixRate = 44100;
    SoundOutput output = kSoundOutputNone;
    std::vector<SoundModule*> modules;
    SoundPlayer* player = nullptr;
    SoundModule* playingModule = nullptr;
    SoundPlayHandle playHandle = 0;
    SoundPlayHandle lastHandle = 0;
    SoundSyncCallback callback = nullptr;
    void* callbackContext = nullptr;
    bool suspended = false;
    bool rebase = false; // the real-time pacing starts afresh (new module, resume)
    bool threadRunning = false;
    std::condition_variable wake;

    std::mutex threadMutex; // the thread handle
    std::thread thread;
    std::atomic<uint32_t> threadGeneration{0}; // a thread runs while its generation is current

    // How well the real-time outputs keep time (see SoundTimingSoFar).
    std::atomic<int64_t> marksFired{0};
    std::atomic<int64_t> worstLateMicros{0};  // nowhere output: a mark fired after its sound's time
    std::atomic<int64_t> worstAheadMicros{0}; // device output: a mark fired ahead of its sound
    std::atomic<int64_t> underruns{0};        // device output: the device's queue ran dry

    std::mutex errorMutex;
    int32_t lastError = kSoundOk;
    std::string lastErrorText;
};

extern SoundLibrary soundLibrary;

// Renders the next frames of the playing module (silence when none plays or while suspended)
// and calls the sync callback for the marks that fired (their number in `marks` when given).
// False when nothing was rendered.
bool RenderAndFireMarks(int16_t* out, uint32_t frames, uint32_t* marks = nullptr);

// Keeps the worst value seen.
inline void KeepWorst(std::atomic<int64_t>& worst, int64_t value)
{
    for (int64_t seen = worst.load(); value > seen && !worst.compare_exchange_weak(seen, value);) {
    }
}

// The audio device (SDL); called with stateMutex held. Open sets mixRate to the device's rate.
bool OpenSoundDevice(std::string* detail);
void CloseSoundDevice();
void PauseSoundDevice(bool pause);

// The playback thread of the device and nowhere outputs.
bool StartPlaybackThread(std::string* detail);
void StopPlaybackThread();
