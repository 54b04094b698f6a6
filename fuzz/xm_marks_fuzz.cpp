// The sync-mark scanner alone, from untrusted bytes: it must stay inside the data, report only
// marks that exist (rows below 256, sorted by pattern, row and channel), and leave nothing behind to find again.
// The whole load path, with the player, has a target of its own (xm_fuzz).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/xm_sync_marks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    std::vector<XmSyncMark> marks;
    std::string error;
    if (!FindAndClearSyncMarks(bytes.data(), bytes.size(), &marks, &error)) return 0;
    for (size_t i = 0; i < marks.size(); ++i) {
        if (marks[i].row >= 256) std::abort();
        if (i > 0) {
            const XmSyncMark& p = marks[i - 1];
            const bool ordered = p.pattern < marks[i].pattern ||
                                 (p.pattern == marks[i].pattern && (p.row < marks[i].row || (p.row == marks[i].row && p.channel < marks[i].channel)));
            if (!ordered) std::abort();
        }
    }
    std::vector<XmSyncMark> again;
    if (!FindAndClearSyncMarks(bytes.data(), bytes.size(), &again, &error) || !again.empty()) std::abort();
    return 0;
}
