// Placeholder until the sound library lands: no module ever plays and no mark arrives.
#include "sequencer/music.h"

#include "sequencer/frame_clock.h"

SyncCounters syncCounters;
std::atomic<float> speedFactor{1.0f};
std::atomic<int32_t> loadingActive{0};

int32_t MusicInit(MusicSyncCallback) { return 0; }
int32_t MusicPlay(const char*) { return 1; }
int32_t MusicVolume(int32_t) { return 0; }
int32_t MusicStop() { return 0; }
void MusicClose() {}
bool MusicPlaying() { return false; }
void MusicForceNoSound(bool) {}

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
    case 2:
        syncCounters.loadingFrame.store((syncCounters.loadingFrame.load() + 1) % 6);
        break;
    case 3: {
        int32_t count = syncCounters.calibrationCount.load();
        if (count == 0 || count == 1) syncCounters.calibrationTimes[count].store(ClockNow());
        syncCounters.calibrationCount.store(count + 1);
        break;
    }
    default:
        break;
    }
}

void PlayModuleFromPack(const char*) {}
