// XM modules from untrusted bytes: the sync-mark scan must stay inside the data and report
// only marks that exist, and the player must load and render whatever the scan accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/xm_sync_marks.h"
#include "platform/sound_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    std::vector<XmSyncMark> marks;
    std::string error;
    if (!FindAndClearSyncMarks(bytes.data(), bytes.size(), &marks, &error)) return 0;
    for (const XmSyncMark& m : marks) {
        if (m.row >= 256) std::abort();
    }
    // Scanning the cleared copy finds nothing more.
    std::vector<XmSyncMark> again;
    if (!FindAndClearSyncMarks(bytes.data(), bytes.size(), &again, &error) || !again.empty()) std::abort();

    SoundPlayer* player = CreateSoundPlayer(bytes, marks, 44100, true, &error);
    if (!player) return 0;
    std::vector<int16_t> out(2 * 2048);
    std::vector<SoundSyncEvent> fired;
    RenderSoundPlayer(player, out.data(), 2048, &fired);
    DestroySoundPlayer(player);
    return 0;
}
