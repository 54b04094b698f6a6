// One playing XM module: renders 16-bit stereo in small chunks and reports each sync mark as
// the row that carries it starts. Single-threaded; the sound library serialises access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/xm_sync_marks.h"

// A sync mark as it fires: its value, where it sits and the output frame its row began in.
struct SoundSyncEvent {
    uint32_t value;
    int32_t order;
    int32_t pattern;
    int32_t row;
    uint64_t frame; // frames rendered before the chunk in which the row began
};

// Rows are looked for after every chunk of this many frames, so a mark fires at most this far
// ahead of its row's first sample (0.18 ms at 44100 Hz). A tick lasts 2.5 / BPM seconds, at
// least 9.8 ms (BPM 255), so no chunk holds two row starts.
constexpr uint32_t kSoundChunkFrames = 8;

struct SoundPlayer;

// What the player tells about a module before playing it.
struct SoundModuleFacts {
    std::string title;
    int32_t channels = 0;
    int32_t patterns = 0;
    int32_t instruments = 0;
    int32_t orders = 0;
    double durationSeconds = 0.0; // one pass
};

// Opens a player on module bytes whose marks were already taken out. loop: the song starts
// again at its restart position when it ends. Null (with `error` set) when the player rejects
// the data.
SoundPlayer* CreateSoundPlayer(const std::vector<uint8_t>& moduleBytes, const std::vector<XmSyncMark>& marks,
                               int32_t sampleRate, bool loop, std::string* error);
void DestroySoundPlayer(SoundPlayer* player);

// Facts about module bytes (false with `error` set when the player rejects them).
bool ReadSoundModuleFacts(const std::vector<uint8_t>& moduleBytes, SoundModuleFacts* facts, std::string* error);

// Renders `frames` interleaved stereo frames into `out` and appends the marks whose rows began
// to `fired`, in play order. After the end of a pass that does not loop, the rest is silence.
void RenderSoundPlayer(SoundPlayer* player, int16_t* out, uint32_t frames, std::vector<SoundSyncEvent>* fired);

// Output volume 0..64 (64 = as mixed, 0 = silent); values outside are clamped.
void SetSoundPlayerVolume(SoundPlayer* player, int32_t volume);

// Renders at `sampleRate` from the next frame on, where the module is (an output opened at
// another rate takes over).
void SetSoundPlayerRate(SoundPlayer* player, int32_t sampleRate);

// The order and row last started (order -1 before the first frame is rendered).
void SoundPlayerPosition(const SoundPlayer* player, int32_t* order, int32_t* row);

// True once a pass that does not loop has ended.
bool SoundPlayerEnded(const SoundPlayer* player);
