#include "display_fixture.h"

#include <cstdarg>
#include <string>

#include "display/console.h"
#include "display/console_font.h"

namespace {

class ConsoleTest : public HeadlessDisplayTest {
protected:
    // Whether the pixel at (x, y) of a 16-bit frame is white.
    bool White(int x, int y)
    {
        auto* frame = static_cast<uint16_t*>(BeginDraw());
        bool white = frame[y * display.modeWidth + x] == 0xFFFF;
        EndDraw();
        return white;
    }
    // Whether glyph c, drawn at (x, y), is wholly visible.
    bool GlyphAt(unsigned c, int x, int y)
    {
        for (int r = 0; r < 16; ++r) {
            for (int b = 0; b < 8; ++b) {
                if ((ConsoleFont[c * 16 + r] >> (7 - b) & 1) && !White(x + b, y + r)) return false;
            }
        }
        return true;
    }
};

std::string Format(const char* format, ...)
{
    char out[64];
    va_list args;
    va_start(args, format);
    FormatConsoleText(out, sizeof out, format, args);
    va_end(args);
    return out;
}

TEST_F(ConsoleTest, TheFontIsTheCodePage437VgaFont)
{
    const uint8_t a[16] = {0, 0, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0, 0, 0, 0};
    const uint8_t corner[16] = {0, 0, 0, 0, 0, 0x3F, 0x30, 0x37, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36};
    EXPECT_EQ(std::memcmp(ConsoleFont + 0x41 * 16, a, 16), 0);
    EXPECT_EQ(std::memcmp(ConsoleFont + 0xC9 * 16, corner, 16), 0);
}

TEST_F(ConsoleTest, LineFeedAndCarriageReturnMoveTheCursorThatPersistsBetweenCalls)
{
    SetVideoMode(320, 240, 16, 1, 0);
    ConsolePrint("A\nB");
    EXPECT_TRUE(GlyphAt('A', 0, 0));
    EXPECT_TRUE(GlyphAt('B', 0, 16));
    ConsolePrint("C\n");
    EXPECT_TRUE(GlyphAt('C', 8, 16));
    EXPECT_EQ(display.consoleColumn, 0);
    EXPECT_EQ(display.consoleRow, 32);
    ConsolePrint("L\rI");
    EXPECT_TRUE(GlyphAt('L', 0, 32));
    EXPECT_TRUE(GlyphAt('I', 0, 32));
    // A new mode puts the cursor back at the top left.
    SetVideoMode(320, 240, 16, 1, 0);
    EXPECT_EQ(display.consoleColumn, 0);
    EXPECT_EQ(display.consoleRow, 0);
}

TEST_F(ConsoleTest, GlyphsLeaveClearBitsAloneAndDrawControlCodes)
{
    SetVideoMode(320, 240, 16, 1, 0);
    auto* frame = static_cast<uint16_t*>(BeginDraw());
    for (int i = 0; i < 320 * 16; ++i) frame[i] = 0x1234;
    EndDraw();
    ConsolePrint("\x01");
    frame = static_cast<uint16_t*>(BeginDraw());
    EXPECT_EQ(frame[0], 0x1234); // glyph 1's first row is clear
    EXPECT_EQ(frame[2 * 320 + 1], 0xFFFF);
    EndDraw();
}

TEST_F(ConsoleTest, WhiteHasEveryBitSetAtThirtyTwoBitsAndTextStopsAtTheFrameEdge)
{
    SwitchToDesktopWindow();
    ConsoleSetCursor(636, 470);
    ConsolePrint("\xDB\xDB"); // full blocks running past the right and bottom edges
    auto* frame = static_cast<uint32_t*>(BeginDraw());
    EXPECT_EQ(frame[470 * 640 + 636], 0xFFFFFFFFu);
    EXPECT_EQ(frame[479 * 640 + 639], 0xFFFFFFFFu);
    EXPECT_EQ(frame[469 * 640 + 636], 0u);
    EndDraw();
}

TEST(ConsoleFormat, FollowsTheWindowsFormattingRules)
{
    EXPECT_EQ(Format("%d|%5d|%-4d|%05d", -12, 34, 5, 42), "-12|   34|5   |00042");
    EXPECT_EQ(Format("%x %X %#x %u", 255u, 255u, 255u, 4000000000u), "ff FF 0xff 4000000000");
    EXPECT_EQ(Format("%c%s%%", 'A', "bc"), "Abc%");
    EXPECT_EQ(Format("%ld %lu", -7L, 7UL), "-7 7");
    EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(Format("%.2s", "abc"), "ab");
    EXPECT_EQ(Format("%f", 1.5), "%f"); // no floating point
    // The output is cut to the buffer.
    std::string longText(100, 'x');
    EXPECT_EQ(Format("%s", longText.c_str()).size(), 63u);
}

} // namespace
