// The launcher dialog on SDL2 and Dear ImGui: a window of its own, drawn by software (the
// same pixels on every machine), with the form's controls at their places in dialog units.
// The keyboard goes to the form; ImGui draws and tells which control the mouse clicked.
#include "platform/launcher_dialog.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_freetype.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "platform/headless.h"
#include "platform/stop_signals.h"
#include "forms/launcher_form.h"

namespace {

const char kDialogTitle[] = "Vela - Vela demo makers (c) 2026";

// Night and brass: the show's colours.
const ImU32 kNightTop = IM_COL32(14, 21, 44, 255);
const ImU32 kNightBottom = IM_COL32(27, 33, 72, 255);
const ImU32 kSand = IM_COL32(236, 222, 194, 255);
const ImU32 kBrass = IM_COL32(181, 146, 86, 255);
const ImU32 kBrassDim = IM_COL32(181, 146, 86, 120);
const ImU32 kGold = IM_COL32(232, 190, 84, 255);
const ImU32 kWell = IM_COL32(8, 12, 28, 255);
const ImU32 kButtonFace = IM_COL32(30, 42, 84, 255);
const ImU32 kButtonHover = IM_COL32(42, 58, 112, 255);
const ImU32 kButtonDown = IM_COL32(16, 22, 48, 255);
const ImU32 kShadow = IM_COL32(4, 6, 16, 255);

ImVec4 Colour(ImU32 c) { return ImGui::ColorConvertU32ToFloat4(c); }

// The dialog's fonts: the text face, and the title face for the two buttons.
struct DialogFonts {
    ImFont* text = nullptr;
    ImFont* button = nullptr;
};

bool FileExists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// The first of the font files that exists, at that size; null when none does.
ImFont* LoadFirstFont(ImGuiIO& io, const char* const* paths, int count, float size)
{
    for (int i = 0; i < count; ++i) {
        if (!FileExists(paths[i])) continue;
        ImFontConfig config;
        config.OversampleH = 3;
        config.OversampleV = 1;
        config.PixelSnapH = false;
        if (ImFont* font = io.Fonts->AddFontFromFileTTF(paths[i], size, &config)) return font;
    }
    return nullptr;
}

DialogFonts LoadFonts(ImGuiIO& io)
{
    // FreeType with its own hinter: small letters stay crisp on the pixel grid, and narrow
    // enough for the places the controls give them.
    io.Fonts->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    io.Fonts->FontBuilderFlags = ImGuiFreeTypeBuilderFlags_ForceAutoHint;
    static const char* const kTextFaces[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    };
    static const char* const kButtonFaces[] = {
        "/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Regular.otf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    };
    DialogFonts fonts;
    fonts.text = LoadFirstFont(io, kTextFaces, 2, 12.0f);
    if (!fonts.text) fonts.text = io.Fonts->AddFontDefault();
    fonts.button = LoadFirstFont(io, kButtonFaces, 2, 16.0f);
    if (!fonts.button) fonts.button = fonts.text;
    return fonts;
}

void SetStyle()
{
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();
    style.WindowPadding = ImVec2(0, 0);
    style.WindowBorderSize = 0;
    style.WindowRounding = 0;
    style.FramePadding = ImVec2(0, 0);
    style.FrameBorderSize = 1;
    style.FrameRounding = 0;
    style.ItemInnerSpacing = ImVec2(6, 0);
    style.AntiAliasedLines = true;
    style.AntiAliasedFill = true;
    ImVec4* c = style.Colors;
    c[ImGuiCol_Text] = Colour(kSand);
    c[ImGuiCol_WindowBg] = Colour(kNightTop);
    c[ImGuiCol_Border] = Colour(kBrass);
    c[ImGuiCol_BorderShadow] = ImVec4(0, 0, 0, 0);
    c[ImGuiCol_FrameBg] = Colour(kWell);
    c[ImGuiCol_FrameBgHovered] = Colour(kButtonHover);
    c[ImGuiCol_FrameBgActive] = Colour(kButtonFace);
    c[ImGuiCol_CheckMark] = Colour(kGold);
}

// A control's rectangle in pixels, from its dialog units.
struct PixelRect {
    float x0, y0, x1, y1;
};

PixelRect ControlRect(const LauncherControl& c)
{
    return PixelRect{std::round(c.x * kPixelsPerUnitX), std::round(c.y * kPixelsPerUnitY),
                     std::round((c.x + c.width) * kPixelsPerUnitX), std::round((c.y + c.height) * kPixelsPerUnitY)};
}

// The dotted rectangle that marks the control with the keyboard focus.
void DrawFocusRect(ImDrawList* draw, PixelRect r)
{
    for (float x = r.x0; x < r.x1; x += 2) {
        draw->AddRectFilled(ImVec2(x, r.y0), ImVec2(x + 1, r.y0 + 1), kGold);
        draw->AddRectFilled(ImVec2(x, r.y1 - 1), ImVec2(x + 1, r.y1), kGold);
    }
    for (float y = r.y0; y < r.y1; y += 2) {
        draw->AddRectFilled(ImVec2(r.x0, y), ImVec2(r.x0 + 1, y + 1), kGold);
        draw->AddRectFilled(ImVec2(r.x1 - 1, y), ImVec2(r.x1, y + 1), kGold);
    }
}

// Text drawn letter by letter with extra space between the letters.
float SpacedTextWidth(ImFont* font, const char* text, float spacing)
{
    float width = 0;
    int letters = 0;
    for (const char* p = text; *p; ++p, ++letters) width += font->CalcTextSizeA(font->FontSize, 1e9f, 0, p, p + 1).x;
    return width + spacing * static_cast<float>(letters > 0 ? letters - 1 : 0);
}

void DrawSpacedText(ImDrawList* draw, ImFont* font, ImVec2 at, ImU32 colour, const char* text, float spacing)
{
    for (const char* p = text; *p; ++p) {
        draw->AddText(font, font->FontSize, at, colour, p, p + 1);
        at.x += font->CalcTextSizeA(font->FontSize, 1e9f, 0, p, p + 1).x + spacing;
    }
}

// A push button: a raised brass-edged plate with its caption in the title face. Returns true
// when it was clicked.
bool DrawButton(const LauncherControl& c, const LauncherForm& form, const DialogFonts& fonts)
{
    const PixelRect r = ControlRect(c);
    ImGui::SetCursorPos(ImVec2(r.x0, r.y0));
    const bool clicked = ImGui::InvisibleButton(c.text, ImVec2(r.x1 - r.x0, r.y1 - r.y0));
    const bool held = ImGui::IsItemActive() && ImGui::IsItemHovered();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImU32 face = held ? kButtonDown : ImGui::IsItemHovered() ? kButtonHover : kButtonFace;
    draw->AddRectFilled(ImVec2(r.x0, r.y0), ImVec2(r.x1, r.y1), face);
    // Lit from the top left, pressed in when held.
    const ImU32 light = held ? kShadow : kBrass;
    const ImU32 dark = held ? kBrass : kShadow;
    draw->AddLine(ImVec2(r.x0, r.y0 + 0.5f), ImVec2(r.x1 - 1, r.y0 + 0.5f), light);
    draw->AddLine(ImVec2(r.x0 + 0.5f, r.y0), ImVec2(r.x0 + 0.5f, r.y1 - 1), light);
    draw->AddLine(ImVec2(r.x0, r.y1 - 0.5f), ImVec2(r.x1, r.y1 - 0.5f), dark);
    draw->AddLine(ImVec2(r.x1 - 0.5f, r.y0), ImVec2(r.x1 - 0.5f, r.y1), dark);
    // The button Enter presses wears a gold rim: the default one, or a focused push button.
    const bool focusedButton = form.focus == kControlStart || form.focus == kControlCancel;
    const bool answersEnter = focusedButton ? form.focus == c.id : c.kind == kControlDefaultButton;
    if (answersEnter) draw->AddRect(ImVec2(r.x0 - 1, r.y0 - 1), ImVec2(r.x1 + 1, r.y1 + 1), kGold, 0, 0, 1.0f);
    const float spacing = 1.5f;
    const float width = SpacedTextWidth(fonts.button, c.text, spacing);
    const float shift = held ? 1.0f : 0.0f;
    ImVec2 at(std::round((r.x0 + r.x1 - width) / 2) + shift,
              std::round((r.y0 + r.y1 - fonts.button->FontSize) / 2) + shift);
    DrawSpacedText(draw, fonts.button, at, answersEnter ? kGold : kSand, c.text, spacing);
    if (form.focus == c.id) DrawFocusRect(draw, PixelRect{r.x0 + 4, r.y0 + 4, r.x1 - 4, r.y1 - 4});
    return clicked;
}

// A check box or radio button with its label; true when it was clicked.
bool DrawChoice(const LauncherControl& c, const LauncherForm& form)
{
    const PixelRect r = ControlRect(c);
    // The box sits centred on the control's line.
    const float box = ImGui::GetFrameHeight();
    ImGui::SetCursorPos(ImVec2(r.x0, std::round((r.y0 + r.y1 - box) / 2)));
    bool checked = LauncherControlChecked(form, c.id);
    const bool clicked = c.kind == kControlCheckBox ? ImGui::Checkbox(c.text, &checked)
                                                    : ImGui::RadioButton(c.text, checked);
    if (form.focus == c.id) {
        const ImVec2 min = ImGui::GetItemRectMin();
        const ImVec2 max = ImGui::GetItemRectMax();
        const float textLeft = min.x + box + ImGui::GetStyle().ItemInnerSpacing.x;
        DrawFocusRect(ImGui::GetWindowDrawList(), PixelRect{textLeft - 2, min.y - 1, max.x + 2, max.y + 1});
    }
    return clicked;
}

// A frame with its caption set into the top edge.
void DrawGroupBox(const LauncherControl& c)
{
    const PixelRect r = ControlRect(c);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const float lineY = r.y0 + std::round(ImGui::GetFontSize() / 2) + 0.5f;
    const ImVec2 caption = ImGui::CalcTextSize(c.text);
    const float gapLeft = r.x0 + 7;
    const float gapRight = gapLeft + caption.x + 6;
    draw->AddLine(ImVec2(r.x0 + 0.5f, lineY), ImVec2(r.x0 + 0.5f, r.y1 - 0.5f), kBrassDim);
    draw->AddLine(ImVec2(r.x0 + 0.5f, r.y1 - 0.5f), ImVec2(r.x1 - 0.5f, r.y1 - 0.5f), kBrassDim);
    draw->AddLine(ImVec2(r.x1 - 0.5f, r.y1 - 0.5f), ImVec2(r.x1 - 0.5f, lineY), kBrassDim);
    draw->AddLine(ImVec2(r.x1 - 0.5f, lineY), ImVec2(gapRight, lineY), kBrassDim);
    draw->AddLine(ImVec2(gapLeft, lineY), ImVec2(r.x0 + 0.5f, lineY), kBrassDim);
    draw->AddText(ImVec2(gapLeft + 3, r.y0), kGold, c.text);
}

void DrawStaticText(const LauncherControl& c)
{
    const PixelRect r = ControlRect(c);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->PushClipRect(ImVec2(r.x0, r.y0), ImVec2(r.x1, r.y1 + 3), true);
    draw->AddText(ImVec2(r.x0, std::round((r.y0 + r.y1 - ImGui::GetFontSize()) / 2)), kSand, c.text);
    draw->PopClipRect();
}

// The remark: centred lines, broken at blanks to fit, in a sunken frame.
void DrawRemark(const LauncherControl& c)
{
    const PixelRect r = ControlRect(c);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->AddRectFilled(ImVec2(r.x0, r.y0), ImVec2(r.x1, r.y1), kWell);
    draw->AddLine(ImVec2(r.x0, r.y0 + 0.5f), ImVec2(r.x1, r.y0 + 0.5f), kShadow);
    draw->AddLine(ImVec2(r.x0 + 0.5f, r.y0), ImVec2(r.x0 + 0.5f, r.y1), kShadow);
    draw->AddLine(ImVec2(r.x0, r.y1 - 0.5f), ImVec2(r.x1, r.y1 - 0.5f), kBrassDim);
    draw->AddLine(ImVec2(r.x1 - 0.5f, r.y0), ImVec2(r.x1 - 0.5f, r.y1), kBrassDim);
    ImFont* font = ImGui::GetFont();
    const float size = ImGui::GetFontSize();
    const float width = r.x1 - r.x0 - 6;
    // Lay the lines out first, to centre the block.
    const char* lines[4];
    const char* ends[4];
    int count = 0;
    for (const char* p = c.text; *p && count < 4;) {
        const char* end = font->CalcWordWrapPositionA(1.0f, p, p + std::strlen(p), width);
        if (end == p) end = p + 1;
        lines[count] = p;
        ends[count] = end;
        ++count;
        p = end;
        while (*p == ' ') ++p;
    }
    float y = std::round((r.y0 + r.y1 - size * static_cast<float>(count)) / 2);
    draw->PushClipRect(ImVec2(r.x0, r.y0), ImVec2(r.x1, r.y1), true);
    for (int i = 0; i < count; ++i) {
        const char* end = ends[i];
        while (end > lines[i] && end[-1] == ' ') --end;
        const float lineWidth = font->CalcTextSizeA(size, 1e9f, 0, lines[i], end).x;
        draw->AddText(ImVec2(std::round((r.x0 + r.x1 - lineWidth) / 2), y), kSand, lines[i], end);
        y += size;
    }
    draw->PopClipRect();
}

// One frame of the dialog; the control clicked, or kControlNone.
int32_t DrawDialog(const LauncherForm& form, const DialogFonts& fonts, int width, int height)
{
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), static_cast<float>(height)));
    ImGui::Begin("launcher", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImGui::GetBackgroundDrawList()->AddRectFilledMultiColor(ImVec2(0, 0), ImVec2(static_cast<float>(width),
                                                                                  static_cast<float>(height)),
                                                             kNightTop, kNightTop, kNightBottom, kNightBottom);
    int32_t clicked = kControlNone;
    for (int32_t i = 0; i < kLauncherControlCount; ++i) {
        const LauncherControl& c = kLauncherControls[i];
        ImGui::PushID(i);
        switch (c.kind) {
        case kControlDefaultButton:
        case kControlButton:
            if (DrawButton(c, form, fonts)) clicked = c.id;
            break;
        case kControlCheckBox:
        case kControlRadio:
            if (DrawChoice(c, form)) clicked = c.id;
            break;
        case kControlGroupBox: DrawGroupBox(c); break;
        case kControlText: DrawStaticText(c); break;
        case kControlRemark: DrawRemark(c); break;
        }
        ImGui::PopID();
    }
    ImGui::End();
    return clicked;
}

bool TranslateDialogKey(const SDL_KeyboardEvent& key, LauncherKey* out)
{
    switch (key.keysym.sym) {
    case SDLK_TAB: *out = (key.keysym.mod & KMOD_SHIFT) ? kLauncherKeyBackTab : kLauncherKeyTab; return true;
    case SDLK_UP: *out = kLauncherKeyUp; return true;
    case SDLK_DOWN: *out = kLauncherKeyDown; return true;
    case SDLK_LEFT: *out = kLauncherKeyLeft; return true;
    case SDLK_RIGHT: *out = kLauncherKeyRight; return true;
    case SDLK_SPACE: *out = kLauncherKeySpace; return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: *out = kLauncherKeyEnter; return true;
    case SDLK_ESCAPE: *out = kLauncherKeyEscape; return true;
    default: return false;
    }
}

// The window an event belongs to (0 for events of no window).
uint32_t EventWindow(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
    }
}

struct DialogWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    bool imgui = false;
};

void CloseDialogWindow(DialogWindow* d)
{
    if (d->imgui) {
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    if (d->renderer) SDL_DestroyRenderer(d->renderer);
    if (d->window) SDL_DestroyWindow(d->window);
    // What is still queued belongs to the dialog: none of it is for the show.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace

int32_t ShowLauncherDialog(LauncherDialogChoices* choices)
{
    if (IsHeadless()) return -1;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vela: no launcher dialog: %s\n", SDL_GetError());
        return -1;
    }
    DialogWindow d;
    const int width = static_cast<int>(std::round(kLauncherFormWidth * kPixelsPerUnitX));
    const int height = static_cast<int>(std::round(kLauncherFormHeight * kPixelsPerUnitY));
    d.window = SDL_CreateWindow(kDialogTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_HIDDEN);
    if (d.window) d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
    if (!d.window || !d.renderer) {
        std::fprintf(stderr, "vela: no launcher dialog: %s\n", SDL_GetError());
        CloseDialogWindow(&d);
        return -1;
    }
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    d.imgui = true;
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    SetStyle();
    const DialogFonts fonts = LoadFonts(io);
    ImGui_ImplSDL2_InitForSDLRenderer(d.window);
    ImGui_ImplSDLRenderer_Init(d.renderer);

    LauncherForm form = OpenLauncherForm(*choices);
    const uint32_t windowId = SDL_GetWindowID(d.window);
    LauncherFormOutcome outcome = kFormStaysOpen;
    bool shown = false;
    // ImGui sees a click over two frames (press, then release), so a few frames are drawn
    // after every event; between events the dialog sleeps.
    int framesToDraw = 3;
    while (outcome == kFormStaysOpen) {
        // A stop signal (Ctrl+C, SIGTERM) answers the dialog as CANCEL does, within the half
        // second the dialog sleeps between events.
        if (StopSignalCaught() != 0) {
            outcome = kFormCancel;
            break;
        }
        SDL_Event e;
        bool have = framesToDraw > 0 ? SDL_PollEvent(&e) != 0 : SDL_WaitEventTimeout(&e, 500) != 0;
        while (have && outcome == kFormStaysOpen) {
            framesToDraw = 3;
            const uint32_t owner = EventWindow(e);
            if (e.type == SDL_QUIT) {
                outcome = kFormCancel;
            } else if (owner == windowId) {
                LauncherKey key;
                if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    outcome = kFormCancel;
                } else if (e.type == SDL_KEYDOWN && TranslateDialogKey(e.key, &key)) {
                    outcome = PressLauncherKey(&form, key);
                } else {
                    ImGui_ImplSDL2_ProcessEvent(&e);
                }
            }
            have = outcome == kFormStaysOpen && SDL_PollEvent(&e) != 0;
        }
        if (outcome != kFormStaysOpen || framesToDraw == 0) continue;
        framesToDraw -= 1;
        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        ImGui::PushFont(fonts.text);
        const int32_t clicked = DrawDialog(form, fonts, width, height);
        ImGui::PopFont();
        ImGui::Render();
        SDL_SetRenderDrawColor(d.renderer, 14, 21, 44, 255);
        SDL_RenderClear(d.renderer);
        ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
        SDL_RenderPresent(d.renderer);
        if (!shown) {
            // Shown once its first picture is ready, in front and with the keyboard.
            SDL_ShowWindow(d.window);
            SDL_RaiseWindow(d.window);
            shown = true;
            framesToDraw = 3;
        }
        if (clicked != kControlNone) outcome = ClickLauncherControl(&form, clicked);
    }
    CloseDialogWindow(&d);
    *choices = form.choices;
    return outcome == kFormStart ? 1 : 0;
}
