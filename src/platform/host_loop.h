// The loop the program runs in. On a desktop the program owns its main loop, may start threads
// and may sleep. In a web page the browser owns the loop: the program runs on the page's one
// thread and must hand control back often (every frame, and during long loads), or the page
// freezes, its sound stops and its events wait.
#pragma once

#include <cstdint>

// True in a web page: no threads, and loops must yield to the browser.
bool HostOwnsTheLoop();

// Waits about `milliseconds` (at least one turn of the browser's loop in a page).
void SleepOnHost(uint32_t milliseconds);
