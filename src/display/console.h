// The text console: formatted text drawn straight into the frame in white with the built-in
// 8x16 font, shown at once. Used for the start-up lines and the final message.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats like the Windows wvsprintf: integers (d i u x X, with - 0 # flags, width, precision,
// h/l sizes), characters (c) and strings (s); no floating point. Never writes more than `size`
// bytes, the terminating zero included. Returns the length written.
int FormatConsoleText(char* out, size_t size, const char* format, va_list args);

// Draws the formatted text (at most 255 characters) at the cursor and presents it: line feed
// goes to the start of the next 16-pixel line, carriage return to the line's start, every
// other code draws its glyph and moves 8 pixels right. Pixels outside the frame are skipped.
void ConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Moves the cursor (in pixels).
void ConsoleSetCursor(int column, int row);
