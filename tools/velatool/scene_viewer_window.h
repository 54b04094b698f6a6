// The scene viewer's window: SDL with its renderer, the show's 320x240 frame shown 4:3
// letterboxed with nearest scaling in the space left of the panel, and Dear ImGui for the
// panel, which the viewer draws between BeginViewerFrame and EndViewerFrame.
#pragma once

#include <string>
#include <vector>

#include "formats/rgb_image.h"

struct ViewerWindow;

// The keys the viewer acts on, when the panel is not typing into a box.
enum class ViewerKey { Space, Left, Right, Camera, Wireframe, Escape };
struct ViewerKeyPress {
    ViewerKey key;
    bool shift;
};

// The panel's width in window pixels, on the window's right.
constexpr int kViewerPanelWidth = 360;

// Opens the window; null with `error` set when there is no display or no renderer.
ViewerWindow* OpenViewerWindow(const char* title, std::string* error);
void CloseViewerWindow(ViewerWindow* window);
// Takes the events since the last call: the keys in `keys`; false once the window was closed.
bool PollViewerWindow(ViewerWindow* window, std::vector<ViewerKeyPress>* keys);
// Starts the panel's frame (ImGui calls may follow), then shows `frame` and the panel.
void BeginViewerFrame(ViewerWindow* window);
void EndViewerFrame(ViewerWindow* window, const RgbImage& frame);
