#include "platform/sound_player.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <memory>
#include <ostream>
#include <streambuf>

namespace {

// libopenmpt writes its load warnings to a stream; the show has no use for them.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

std::ostream& QuietLog()
{
    static NullBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

std::unique_ptr<openmpt::module> OpenModule(const std::vector<uint8_t>& bytes, std::string* error)
{
    try {
        return std::make_unique<openmpt::module>(bytes, QuietLog());
    } catch (const std::exception& e) {
        *error = e.what(); // the library's text for this error already says the player cannot read it
    } catch (...) {
        error->clear();
    }
    return nullptr;
}

} // namespace

struct SoundPlayer {
    std::unique_ptr<openmpt::module> module;
    std::vector<XmSyncMark> marks;
    int32_t sampleRate = 44100;
    int32_t volume = 64;
    bool ended = false;
    uint64_t frames = 0;
    // The row seen after the last chunk; order -1 before the first chunk.
    int32_t lastOrder = -1;
    int32_t lastRow = -1;
};

SoundPlayer* CreateSoundPlayer(const std::vector<uint8_t>& moduleBytes, const std::vector<XmSyncMark>& marks,
                               int32_t sampleRate, bool loop, std::string* error)
{
    std::unique_ptr<openmpt::module> module = OpenModule(moduleBytes, error);
    if (!module) return nullptr;
    try {
        module->set_repeat_count(loop ? -1 : 0);
        module->ctl_set_integer("dither", 0); // the same bytes on every run
        module->ctl_set_text("play.at_end", "stop");
    } catch (const std::exception& e) {
        *error = std::string("the player refuses its settings: ") + e.what();
        return nullptr;
    }
    SoundPlayer* player = new SoundPlayer;
    player->module = std::move(module);
    player->marks = marks;
    player->sampleRate = sampleRate;
    return player;
}

void DestroySoundPlayer(SoundPlayer* player) { delete player; }

bool ReadSoundModuleFacts(const std::vector<uint8_t>& moduleBytes, SoundModuleFacts* facts, std::string* error)
{
    std::unique_ptr<openmpt::module> module = OpenModule(moduleBytes, error);
    if (!module) return false;
    facts->title = module->get_metadata("title");
    facts->channels = module->get_num_channels();
    facts->patterns = module->get_num_patterns();
    facts->instruments = module->get_num_instruments();
    facts->orders = module->get_num_orders();
    facts->durationSeconds = module->get_duration_seconds();
    return true;
}

namespace {

void FireRowMarks(SoundPlayer* p, uint64_t chunkStart, std::vector<SoundSyncEvent>* fired)
{
    const int32_t order = p->module->get_current_order();
    const int32_t row = p->module->get_current_row();
    if (order == p->lastOrder && row == p->lastRow) return;
    p->lastOrder = order;
    p->lastRow = row;
    const int32_t pattern = p->module->get_current_pattern();
    if (pattern < 0 || row < 0) return;
    auto first = std::lower_bound(p->marks.begin(), p->marks.end(), std::make_pair(pattern, row),
                                  [](const XmSyncMark& m, const std::pair<int32_t, int32_t>& key) {
                                      return m.pattern != key.first ? m.pattern < key.first : m.row < key.second;
                                  });
    for (auto it = first; it != p->marks.end() && it->pattern == pattern && it->row == row; ++it) {
        fired->push_back(SoundSyncEvent{it->value, order, pattern, row, chunkStart});
    }
}

void ApplyVolume(int16_t* samples, size_t count, int32_t volume)
{
    if (volume >= 64) return;
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>((samples[i] * volume) / 64);
}

} // namespace

void RenderSoundPlayer(SoundPlayer* p, int16_t* out, uint32_t frames, std::vector<SoundSyncEvent>* fired)
{
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t chunk = std::min(kSoundChunkFrames, frames - done);
        int16_t* target = out + static_cast<size_t>(done) * 2;
        size_t got = 0;
        if (!p->ended) {
            try {
                got = p->module->read_interleaved_stereo(p->sampleRate, chunk, target);
            } catch (...) {
                got = 0;
            }
            if (got == 0) p->ended = true;
            else FireRowMarks(p, p->frames, fired);
        }
        std::fill(target + got * 2, target + static_cast<size_t>(chunk) * 2, int16_t{0});
        ApplyVolume(target, got * 2, p->volume);
        p->frames += chunk;
        done += chunk;
    }
}

void SetSoundPlayerVolume(SoundPlayer* p, int32_t volume) { p->volume = std::clamp(volume, 0, 64); }
bool SoundPlayerEnded(const SoundPlayer* p) { return p->ended; }

void SetSoundPlayerRate(SoundPlayer* player, int32_t sampleRate)
{
    if (player && sampleRate > 0) player->sampleRate = sampleRate;
}

void SoundPlayerPosition(const SoundPlayer* player, int32_t* order, int32_t* row)
{
    *order = player ? player->lastOrder : -1;
    *row = player ? player->lastRow : -1;
}
