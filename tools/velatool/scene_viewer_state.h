// What the scene viewer shows and how: the frame, playing or paused, the camera, the second
// drawing over the first, the fill under it, the wireframe, the objects hidden, and what the
// last reload said. The panel reads and changes it; the viewer's loop acts on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ViewerState {
    float frame = 0;
    bool playing = true;
    int32_t camera = -1;  // -1: the one the scene's events choose
    int32_t overlay = -1; // -1: none; else the camera of a second drawing over the first
    bool fill = false;    // fill the view with fillColour before each frame
    float fillColour[3] = {0, 0, 0};
    bool wireframe = false;
    std::vector<char> hidden; // per object, in the scene's order
    double drawMilliseconds = 0;
    std::string problem; // why the last reload failed, or empty
    std::string loaded;  // when and from where the scene was last loaded
};
