// Headless running: no window, no display server, no message boxes (their text goes to
// standard error). Chosen once at start-up, before any platform service opens.
#pragma once

void SetHeadless(bool headless);
bool IsHeadless();
