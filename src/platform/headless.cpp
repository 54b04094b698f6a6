// Whether the program runs headless, chosen once at start-up.
#include "platform/headless.h"

namespace {
bool headlessMode = false;
} // namespace

void SetHeadless(bool headless) { headlessMode = headless; }
bool IsHeadless() { return headlessMode; }
