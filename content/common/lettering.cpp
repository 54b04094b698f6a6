#include "common/lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace content {
namespace {

const char* FontPath(Typeface face)
{
    switch (face) {
    case Typeface::Serif:
        return VELA_FONT_SERIF;
    case Typeface::SerifItalic:
        return VELA_FONT_SERIF_ITALIC;
    case Typeface::Bold:
        return VELA_FONT_BOLD;
    }
    return VELA_FONT_SERIF;
}

// One FreeType library and face, opened for one call (pictures are made on several threads,
// and FreeType objects must not be shared between them).
class OpenFace {
public:
    explicit OpenFace(const TextStyle& style)
    {
        if (FT_Init_FreeType(&library_)) throw std::runtime_error("FreeType does not start");
        const char* path = FontPath(style.face);
        if (FT_New_Face(library_, path, 0, &face_)) {
            FT_Done_FreeType(library_);
            throw std::runtime_error(std::string("cannot open the font ") + path);
        }
        // Sizes in 26.6 fixed point.
        FT_Set_Char_Size(face_, 0, static_cast<FT_F26Dot6>(std::lround(style.size * 64.0f)), 72, 72);
    }
    ~OpenFace()
    {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    OpenFace(const OpenFace&) = delete;
    OpenFace& operator=(const OpenFace&) = delete;
    FT_Face Face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

std::vector<uint32_t> DecodeUtf8(const std::string& text)
{
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t code = extra == 0 ? c : c & (0x3Fu >> extra);
        ++i;
        for (; extra > 0 && i < text.size(); --extra, ++i) code = code << 6 | (static_cast<unsigned char>(text[i]) & 0x3Fu);
        codes.push_back(code);
    }
    return codes;
}

// Pen positions (in 26.6 units from the line's start) and glyph indices of each character.
struct Layout {
    std::vector<FT_UInt> glyphs;
    std::vector<FT_Pos> pens;
    FT_Pos width = 0;
};

constexpr FT_Int32 kLoadFlags = FT_LOAD_TARGET_LIGHT;

Layout LayOut(FT_Face face, const TextStyle& style, const std::string& text)
{
    Layout layout;
    const FT_Pos tracking = static_cast<FT_Pos>(std::lround(style.tracking * 64.0f));
    FT_Pos pen = 0;
    FT_UInt previous = 0;
    const std::vector<uint32_t> codes = DecodeUtf8(text);
    for (size_t i = 0; i < codes.size(); ++i) {
        const FT_UInt glyph = FT_Get_Char_Index(face, codes[i]);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (!FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &kern)) pen += kern.x;
        }
        layout.glyphs.push_back(glyph);
        layout.pens.push_back(pen);
        if (!FT_Load_Glyph(face, glyph, kLoadFlags | FT_LOAD_NO_HINTING)) pen += face->glyph->advance.x;
        if (i + 1 < codes.size()) pen += tracking;
        previous = glyph;
    }
    layout.width = pen;
    return layout;
}

} // namespace

float MeasureText(const TextStyle& style, const std::string& text)
{
    OpenFace open(style);
    return static_cast<float>(LayOut(open.Face(), style, text).width) / 64.0f;
}

float CapHeight(const TextStyle& style)
{
    OpenFace open(style);
    FT_Face face = open.Face();
    const FT_UInt glyph = FT_Get_Char_Index(face, 'H');
    if (!glyph || FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING)) return style.size * 0.7f;
    return static_cast<float>(face->glyph->metrics.horiBearingY) / 64.0f;
}

void DrawText(Coverage* target, const TextStyle& style, const std::string& text, float x, float baseline, Align align)
{
    OpenFace open(style);
    FT_Face face = open.Face();
    const Layout layout = LayOut(face, style, text);
    const float width = static_cast<float>(layout.width) / 64.0f;
    const float left = align == Align::Left ? x : align == Align::Centre ? x - width * 0.5f : x - width;
    // The origin in 26.6 units; each glyph is rendered at its fractional offset, drawn at the
    // whole-pixel part.
    const FT_Pos originX = static_cast<FT_Pos>(std::lround(left * 64.0f));
    const FT_Pos originY = static_cast<FT_Pos>(std::lround(baseline * 64.0f));
    for (size_t i = 0; i < layout.glyphs.size(); ++i) {
        const FT_Pos penX = originX + layout.pens[i];
        FT_Vector delta{penX & 63, -(originY & 63)};
        FT_Set_Transform(face, nullptr, &delta);
        if (FT_Load_Glyph(face, layout.glyphs[i], kLoadFlags | FT_LOAD_NO_HINTING)) continue;
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL)) continue;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) continue;
        const int gx = static_cast<int>(penX >> 6) + face->glyph->bitmap_left;
        const int gy = static_cast<int>(originY >> 6) - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = gy + static_cast<int>(row);
            if (y < 0 || y >= target->height) continue;
            const unsigned char* src = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int px = gx + static_cast<int>(col);
                if (px < 0 || px >= target->width) continue;
                const float v = static_cast<float>(src[col]) / 255.0f;
                float& c = target->At(px, y);
                if (v > c) c = v;
            }
        }
    }
    FT_Set_Transform(face, nullptr, nullptr);
}

} // namespace content
