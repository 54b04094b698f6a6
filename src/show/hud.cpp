#include "show/hud.h"

#include <cstdio>

#include "display/console_font.h"
#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "platform/tick_source.h"
#include "show/frame_clock.h"
#include "show/frame_timings.h"
#include "show/music.h"

namespace {

const char* MarkKind(int32_t value)
{
    switch (value) {
    case 255: return "start";
    case 1: return "cue";
    case 2: return "beat";
    case 3: return "calib";
    default: return "mark";
    }
}

uint16_t Colour(int r, int g, int b, int depth)
{
    if (depth == 15) return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// One line of text in rows top .. top + glyphRows of the band: 8x16 glyphs, or 8x8 ones made
// of them where the band is low. The line's rows are blackened first.
void DrawLine(VideoSurface* frame, const std::string& text, int top, int glyphRows, uint16_t ink)
{
    const int columns = frame->width / 8;
    for (int y = 0; y < glyphRows; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(frame->pixels + static_cast<size_t>(top + y) * frame->pitch);
        for (int x = 0; x < frame->width; ++x) row[x] = 0;
        for (int c = 0; c < columns && c < static_cast<int>(text.size()); ++c) {
            const uint8_t* glyph = &ConsoleFont[static_cast<uint8_t>(text[static_cast<size_t>(c)]) * 16];
            // Low glyphs merge each pair of rows, so that no stroke is lost.
            const uint8_t bits = glyphRows == 16 ? glyph[y] : static_cast<uint8_t>(glyph[y * 2] | glyph[y * 2 + 1]);
            for (int b = 0; b < 8; ++b) {
                if (bits & (0x80 >> b)) row[c * 8 + b] = ink;
            }
        }
    }
}

// The line centred in the band of rows from .. to (exclusive), if it has room.
void DrawInBand(VideoSurface* frame, const std::string& text, int from, int to, uint16_t ink)
{
    const int rows = to - from;
    if (rows < 8) return;
    const int glyphRows = rows >= 16 ? 16 : 8;
    DrawLine(frame, text, from + (rows - glyphRows) / 2, glyphRows, ink);
}

} // namespace

void InstallHud(bool shown)
{
    SetHudShown(shown);
    SetFrameOverlay(DrawHud);
}

std::string HudTopLine()
{
    const int32_t part = PlayingPart();
    const int32_t section = PlayingSection();
    char where[24];
    if (part >= 1) {
        std::snprintf(where, sizeof where, "part %d%c", static_cast<int>(part), section >= 1 && section <= 26 ? 'A' + section - 1 : ' ');
    } else {
        std::snprintf(where, sizeof where, "no part");
    }
    char frame[24] = "frame -";
    if (engine.scene) std::snprintf(frame, sizeof frame, "frame %.1f", static_cast<double>(LastSceneFrame()));
    char line[96];
    std::snprintf(line, sizeof line, "%s clock %.2f %s %.1fms", where, ClockNow() / 100.0, frame, LastFrameMs());
    return std::string(line).substr(0, kHudColumns);
}

std::string HudBottomLine()
{
    int32_t value = -1;
    uint32_t ticks = 0;
    MusicLastMark(&value, &ticks);
    char mark[48] = "no mark yet";
    if (value >= 0) {
        const double ago = static_cast<double>(GetTickCount32() - ticks) / 1000.0;
        std::snprintf(mark, sizeof mark, "mark %d %s %.1fs ago", static_cast<int>(value), MarkKind(value), ago);
    }
    int32_t order = -1, row = -1;
    MusicPosition(&order, &row);
    char line[96];
    if (order >= 0) std::snprintf(line, sizeof line, "%s  order %d row %d", mark, static_cast<int>(order), static_cast<int>(row));
    else std::snprintf(line, sizeof line, "%s  no music", mark);
    return std::string(line).substr(0, kHudColumns);
}

void DrawHud(VideoSurface* frame)
{
    if (!frame->pixels || (frame->bitsPerPixel != 15 && frame->bitsPerPixel != 16)) return;
    if (frame->width != screen.screenWidth || frame->height != screen.screenHeight) return;
    const int viewEnd = screen.viewTop + screen.viewHeight;
    if (screen.viewTop < 0 || viewEnd > frame->height) return;
    DrawInBand(frame, HudTopLine(), 0, screen.viewTop, Colour(255, 230, 90, frame->bitsPerPixel));
    DrawInBand(frame, HudBottomLine(), viewEnd, frame->height, Colour(120, 220, 255, frame->bitsPerPixel));
}
