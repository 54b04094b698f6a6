// What the parts and the show's loop share: the steps the loop calls (replaceable, so that tests
// record the order of calls), the check for Escape, a close request or the show's time limit,
// and that limit.
#pragma once

#include <cstdint>

// The steps the show loop calls, as replaceable entries (tests record the order of calls).
struct ShowOperations {
    int32_t (*loadPart[4])();
    void (*runPart[4])();
    void (*freePart[4])();
    int32_t (*playModule)(const char* name); // a ModulePlayResult
    int32_t (*musicVolume)(int32_t volume);
    int32_t (*musicStop)();
    bool (*musicPlaying)();
};

extern ShowOperations showOperations;
// The show's operations as they are by default.
ShowOperations DefaultShowOperations();

// > 0: the show ends as by Escape once this many seconds of it have played, counted from
// StartShowTime (the start of its first pass, after the start-up); 0 (the default): no limit.
extern double showSecondsLimit;
// The show's time starts now (the tick count's), for showSecondsLimit.
void StartShowTime();
// Until the next StartShowTime the limit does not count.
void StopShowTime();

// Pumps the window; Escape, a fresh close request or the show's time limit sets the sticky
// abortRequested.
int32_t CheckAbort();
