// The signals that ask a program to stop (Ctrl+C's SIGINT and SIGTERM): caught and noted, so
// that the show ends through its normal way out, as when its window's close button is pressed.
#pragma once

// Installs the handlers for SIGINT and SIGTERM.
void CatchStopSignals();
// The number of the first stop signal caught since the handlers were installed, or 0.
int StopSignalCaught();
