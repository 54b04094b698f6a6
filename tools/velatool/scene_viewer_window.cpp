// The scene viewer's window over SDL and Dear ImGui's SDL back ends.
#include "velatool/scene_viewer_window.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <algorithm>

struct ViewerWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    bool imgui = false;
};

namespace {

bool TranslateKey(const SDL_KeyboardEvent& e, ViewerKeyPress* press)
{
    press->shift = (e.keysym.mod & KMOD_SHIFT) != 0;
    switch (e.keysym.sym) {
    case SDLK_SPACE: press->key = ViewerKey::Space; return true;
    case SDLK_LEFT: press->key = ViewerKey::Left; return true;
    case SDLK_RIGHT: press->key = ViewerKey::Right; return true;
    case SDLK_c: press->key = ViewerKey::Camera; return true;
    case SDLK_w: press->key = ViewerKey::Wireframe; return true;
    case SDLK_ESCAPE: press->key = ViewerKey::Escape; return true;
    default: return false;
    }
}

} // namespace

ViewerWindow* OpenViewerWindow(const char* title, std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = std::string("no window: ") + SDL_GetError();
        return nullptr;
    }
    auto* w = new ViewerWindow;
    w->window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640 + kViewerPanelWidth, 480,
                                 SDL_WINDOW_RESIZABLE);
    if (w->window) w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (w->window && !w->renderer) w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_SOFTWARE);
    if (!w->window || !w->renderer) {
        *error = std::string("no window: ") + SDL_GetError();
        CloseViewerWindow(w);
        return nullptr;
    }
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    w->imgui = true;
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForSDLRenderer(w->window);
    ImGui_ImplSDLRenderer_Init(w->renderer);
    return w;
}

void CloseViewerWindow(ViewerWindow* w)
{
    if (!w) return;
    if (w->imgui) {
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    if (w->texture) SDL_DestroyTexture(w->texture);
    if (w->renderer) SDL_DestroyRenderer(w->renderer);
    if (w->window) SDL_DestroyWindow(w->window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    delete w;
}

bool PollViewerWindow(ViewerWindow* w, std::vector<ViewerKeyPress>* keys)
{
    keys->clear();
    bool open = true;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        ImGui_ImplSDL2_ProcessEvent(&e);
        if (e.type == SDL_QUIT) open = false;
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE &&
            e.window.windowID == SDL_GetWindowID(w->window))
            open = false;
        ViewerKeyPress press;
        // Keys typed into a box of the panel are the box's.
        if (e.type == SDL_KEYDOWN && !ImGui::GetIO().WantTextInput && TranslateKey(e.key, &press)) keys->push_back(press);
    }
    return open;
}

void BeginViewerFrame(ViewerWindow*)
{
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void EndViewerFrame(ViewerWindow* w, const RgbImage& frame)
{
    ImGui::Render();
    SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
    SDL_RenderClear(w->renderer);
    if (frame.width > 0 && frame.height > 0) {
        if (!w->texture || w->textureWidth != frame.width || w->textureHeight != frame.height) {
            if (w->texture) SDL_DestroyTexture(w->texture);
            SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
            w->texture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                           frame.height);
            w->textureWidth = frame.width;
            w->textureHeight = frame.height;
        }
        if (w->texture) {
            SDL_UpdateTexture(w->texture, nullptr, frame.rgb.data(), frame.width * 3);
            int width = 0, height = 0;
            SDL_GetRendererOutputSize(w->renderer, &width, &height);
            // 4:3 in the space left of the panel, centred.
            const int areaWidth = std::max(1, width - kViewerPanelWidth);
            int shownWidth = areaWidth, shownHeight = areaWidth * 3 / 4;
            if (shownHeight > height) {
                shownHeight = height;
                shownWidth = height * 4 / 3;
            }
            const SDL_Rect destination{(areaWidth - shownWidth) / 2, (height - shownHeight) / 2, shownWidth, shownHeight};
            SDL_RenderCopy(w->renderer, w->texture, nullptr, &destination);
        }
    }
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(w->renderer);
}
