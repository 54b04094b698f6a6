#include "shell/timings_report.h"

#include "platform/sound_library.h"
#include "shell/pass_records.h"
#include "show/frame_timings.h"

void PrintFrameTimings(std::FILE* out)
{
    const auto& starts = PoolAtPassStarts();
    const auto& ends = PoolAtPassEnds();
    for (size_t p = 0; p < ends.size() && p < starts.size(); ++p) {
        std::fprintf(out, "pass %zu: pool %zu bytes at the start, %zu at the end; resident %.2f MiB; flame phases %d and %d\n",
                     p + 1, starts[p], ends[p], static_cast<double>(ResidentAtPassEnds()[p]) / (1024.0 * 1024.0),
                     FlamePhasesAtPassEnds()[p].first, FlamePhasesAtPassEnds()[p].second);
    }
    const SoundTiming sound = SoundTimingSoFar();
    if (sound.marks > 0) {
        std::fprintf(out, "sync marks: %lld fired, at worst %.1f ms after their sound was due, %.1f ms ahead of it; "
                          "%lld audio underruns\n",
                     static_cast<long long>(sound.marks), sound.worstLateMs, sound.worstAheadMs,
                     static_cast<long long>(sound.underruns));
    }
    std::fprintf(out, "part  frames  median ms  99%% ms  worst ms  pool high-water\n");
    for (int32_t part = 1; part <= 4; ++part) {
        const PartTimings t = TimingsOfPart(part);
        if (t.frames == 0) continue;
        std::fprintf(out, "%4d  %6lld  %9.3f  %6.3f  %8.3f  %.2f MiB\n", part, static_cast<long long>(t.frames),
                     t.medianMs, t.percentile99Ms, t.worstMs, static_cast<double>(t.poolHighWater) / (1024.0 * 1024.0));
    }
    for (int32_t section = 1; section <= kSectionCount; ++section) {
        const PartTimings t = TimingsOfSection(section);
        if (t.frames == 0) continue;
        std::fprintf(out, "  4%c  %6lld  %9.3f  %6.3f  %8.3f\n", 'A' + section - 1, static_cast<long long>(t.frames),
                     t.medianMs, t.percentile99Ms, t.worstMs);
    }
}
