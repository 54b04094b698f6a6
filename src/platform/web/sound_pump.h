// The page's real-time sound outputs. The page's pump asks for sound block by block (from the
// audio context's callbacks, or on its own clock when playing nowhere); the marks rendered with
// a block wait in a queue and fire once the block's sound is heard, when the program next hands
// control back to the browser or looks for events.
#pragma once

// Fires, on the calling thread, the queued marks whose sound has been reached.
void FireDueSoundMarks();
