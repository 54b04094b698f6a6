// Translation of the window system's keys into PC keyboard scan codes (set 1) and the
// virtual key codes the window layer acts on.
#pragma once

struct PcKey {
    int scanCode;   // 0 when the key has no PC scan code
    int extended;   // 1 for keys sent with the 0xE0 prefix
    int virtualKey; // a VideoVirtualKey, or 0
};

// `sdlScancode` is an SDL_Scancode value.
PcKey TranslateKey(int sdlScancode);
