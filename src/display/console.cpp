#include "display/console.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "display/console_font.h"
#include "display/display_device.h"

namespace {

// Appends one converted item to the output, within its bounds.
struct Output {
    char* out;
    size_t size;
    size_t length = 0;
    void Put(char c)
    {
        if (length + 1 < size) out[length] = c;
        ++length;
    }
    void Put(const char* s, size_t n)
    {
        for (size_t i = 0; i < n; ++i) Put(s[i]);
    }
};

void WritePixel(uint8_t* frame, size_t index, int bits)
{
    switch (bits) {
    case 15:
    case 16: reinterpret_cast<uint16_t*>(frame)[index] = 0xFFFF; break;
    case 24: std::memset(frame + index * 3, 0xFF, 3); break;
    case 32: reinterpret_cast<uint32_t*>(frame)[index] = 0xFFFFFFFFu; break;
    default: frame[index] = 0xFF; break;
    }
}

void DrawGlyph(uint8_t* frame, unsigned code)
{
    const int width = display.modeWidth, height = display.modeHeight;
    for (int r = 0; r < 16; ++r) {
        int y = display.consoleRow + r;
        if (y < 0 || y >= height) continue;
        uint8_t bits = ConsoleFont[code * 16 + r];
        for (int b = 7; b >= 0; --b) {
            int x = display.consoleColumn + 7 - b;
            if ((bits >> b & 1) && x >= 0 && x < width) {
                WritePixel(frame, static_cast<size_t>(y) * width + x, display.bitsPerPixel);
            }
        }
    }
}

} // namespace

int FormatConsoleText(char* out, size_t size, const char* format, va_list args)
{
    Output o{out, size};
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            o.Put(*p);
            continue;
        }
        const char* start = p++;
        char conversion[32];
        size_t n = 0;
        conversion[n++] = '%';
        while (*p == '-' || *p == '0' || *p == '#') {
            if (n < 8) conversion[n++] = *p;
            ++p;
        }
        int width = 0, precision = -1;
        while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        if (*p == '.') {
            precision = 0;
            ++p;
            while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
        }
        if (width > 255) width = 255;
        if (precision > 255) precision = 255;
        n += static_cast<size_t>(std::snprintf(conversion + n, sizeof conversion - n, "%d", width));
        if (precision >= 0) n += static_cast<size_t>(std::snprintf(conversion + n, sizeof conversion - n, ".%d", precision));
        bool isLong = false;
        if (*p == 'l') {
            isLong = true;
            ++p;
        } else if (*p == 'h') {
            ++p;
        }
        char item[300];
        int len = 0;
        switch (*p) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
            conversion[n++] = 'l';
            conversion[n++] = *p == 'i' ? 'd' : *p;
            conversion[n] = 0;
            if (*p == 'd' || *p == 'i') {
                long v = isLong ? va_arg(args, long) : va_arg(args, int);
                len = std::snprintf(item, sizeof item, conversion, v);
            } else {
                unsigned long v = isLong ? va_arg(args, unsigned long) : va_arg(args, unsigned int);
                len = std::snprintf(item, sizeof item, conversion, v);
            }
            break;
        case 'c':
        case 'C':
            conversion[n++] = 'c';
            conversion[n] = 0;
            len = std::snprintf(item, sizeof item, conversion, va_arg(args, int));
            break;
        case 's':
        case 'S': {
            const char* s = va_arg(args, const char*);
            if (!s) s = "(null)";
            conversion[n++] = 's';
            conversion[n] = 0;
            // Strings longer than the whole buffer cannot show anyway: cut them first.
            char cut[256];
            std::snprintf(cut, sizeof cut, "%s", s);
            len = std::snprintf(item, sizeof item, conversion, cut);
            break;
        }
        case '%':
            o.Put('%');
            continue;
        case 0:
            o.Put(start, static_cast<size_t>(p - start));
            --p;
            continue;
        default:
            o.Put(start, static_cast<size_t>(p - start + 1));
            continue;
        }
        if (len > 0) o.Put(item, static_cast<size_t>(len) < sizeof item ? static_cast<size_t>(len) : sizeof item - 1);
    }
    if (size > 0) out[o.length < size ? o.length : size - 1] = 0;
    return static_cast<int>(o.length < size ? o.length : size - 1);
}

void ConsolePrint(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    FormatConsoleText(text, sizeof text, format, args);
    va_end(args);
    uint8_t* frame = static_cast<uint8_t*>(BeginDraw());
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c == 10) {
            display.consoleColumn = 0;
            display.consoleRow += 16;
        } else if (*c == 13) {
            display.consoleColumn = 0;
        } else {
            if (frame) DrawGlyph(frame, *c);
            display.consoleColumn += 8;
        }
    }
    if (frame) EndDraw();
}

void ConsoleSetCursor(int column, int row)
{
    display.consoleColumn = column;
    display.consoleRow = row;
}
