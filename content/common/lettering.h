// Lettering for the generated pictures: lines of text drawn with FreeType from the show's fonts
// into coverage maps, anti-aliased and placed to a fraction of a pixel, with letter-spacing.
// UTF-8 text; only characters the font has are drawn.
#pragma once

#include <string>

#include "common/canvas.h"

namespace content {

enum class Typeface {
    Serif,       // titles and credits (an old-style Garamond)
    SerifItalic, // subtitles
    Bold,        // greetings (a bold geometric sans)
};

struct TextStyle {
    Typeface face = Typeface::Serif;
    float size = 16.0f;    // pixels per em
    float tracking = 0.0f; // extra pixels after each letter but the last
};

// Width of the line's ink advance in pixels (letter-spacing and kerning included).
float MeasureText(const TextStyle& style, const std::string& text);
// Height of a capital letter above the baseline, in pixels.
float CapHeight(const TextStyle& style);

enum class Align { Left, Centre, Right };

// Draws the line with its baseline at `baseline`; x is the left end, the centre or the right
// end as `align` says. Coverage combines by maximum.
void DrawText(Coverage* target, const TextStyle& style, const std::string& text, float x, float baseline,
              Align align = Align::Left);

} // namespace content
