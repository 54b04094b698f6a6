#include "effects/lane_width.h"

namespace {

bool wideAllowed = true;

bool ProcessorHasWideLanes()
{
#if VELA_WIDE_LANES
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

} // namespace

bool UseWideLanes() { return wideAllowed && ProcessorHasWideLanes(); }

void AllowWideLanes(bool allow) { wideAllowed = allow; }
