#include "fonts/BitmapFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <vector>

#include "fonts/PngWriter.h"

namespace fonts {
namespace {

const int kFirstChar = 32, kLastChar = 126;

// One character rendered one bit per pixel, placed relative to the pen on the baseline.
struct Glyph {
    int code = 0;
    int left = 0, top = 0;  // bitmap offset from the pen: right, and up from the baseline
    int width = 0, rows = 0;
    int advance = 0;
    std::vector<uint8_t> on;  // width * rows, 1 where the pixel is set
};

// Owns the FreeType library and one face.
class Face {
public:
    ~Face()
    {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_FreeType(library_);
    }
    bool Open(const std::string& file)
    {
        return FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, file.c_str(), 0, &face_) == 0;
    }

    // Every printable ASCII character at `pixels` per em, hinted and rendered without
    // anti-aliasing: crisp edges that stay sharp when drawn pixel for pixel.
    bool Render(int pixels, std::vector<Glyph>& glyphs)
    {
        glyphs.clear();
        if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels)) != 0)
            return false;
        for (int c = kFirstChar; c <= kLastChar; ++c) {
            if (FT_Load_Char(face_, static_cast<FT_ULong>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
                return false;
            const FT_GlyphSlot slot = face_->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            Glyph g;
            g.code = c;
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = static_cast<int>(bitmap.width);
            g.rows = static_cast<int>(bitmap.rows);
            g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
            g.on.assign(static_cast<size_t>(g.width * g.rows), 0);
            for (int y = 0; y < g.rows; ++y) {
                const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
                for (int x = 0; x < g.width; ++x) {
                    const bool set = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x / 8] >> (7 - x % 8)) & 1
                                                                             : row[x] >= 128;
                    g.on[static_cast<size_t>(y * g.width + x)] = set ? 1 : 0;
                }
            }
            glyphs.push_back(std::move(g));
        }
        return true;
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

std::string XmlChar(int c)
{
    switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    default: return std::string(1, static_cast<char>(c));
    }
}

}  // namespace

bool BuildBitmapFont(const FontStyle& style, const std::string& outDir)
{
    Face face;
    if (!face.Open(style.fontFile)) {
        std::fprintf(stderr, "make_fonts: cannot read the font %s\n", style.fontFile.c_str());
        return false;
    }
    // The largest size whose glyphs, from the highest ascender to the lowest descender,
    // fit into a cell as tall as the point size.
    std::vector<Glyph> glyphs;
    int ascent = 0, descent = 0;
    for (int pixels = style.pointSize; pixels > 3; --pixels) {
        if (!face.Render(pixels, glyphs)) {
            std::fprintf(stderr, "make_fonts: cannot render %s at %d pixels\n", style.fontFile.c_str(), pixels);
            return false;
        }
        ascent = descent = 0;
        for (const Glyph& g : glyphs) {
            if (g.rows == 0)
                continue;
            ascent = std::max(ascent, g.top);
            descent = std::max(descent, g.rows - g.top);
        }
        if (ascent + descent <= style.pointSize)
            break;
    }
    const int cellHeight = style.pointSize;
    const int baseline = (cellHeight - ascent - descent) / 2 + ascent;  // shared by every glyph

    // Cells side by side in rows, a pixel apart; the texture is a power of two.
    const int textureWidth = style.pointSize > 20 ? 512 : 256;
    struct Cell {
        int x, y, width, underhang, overhang;
    };
    std::vector<Cell> cells;
    int x = 1, y = 1;
    for (const Glyph& g : glyphs) {
        const int from = std::min(0, g.left);
        const int to = std::max(g.advance, g.left + g.width);
        const int width = to - from;
        if (x + width + 1 > textureWidth) {
            x = 1;
            y += cellHeight + 1;
        }
        cells.push_back({x, y, width, from, g.advance - to});
        x += width + 1;
    }
    int textureHeight = 16;
    while (textureHeight < y + cellHeight + 1)
        textureHeight *= 2;

    // White everywhere; the glyphs are in the alpha channel.
    std::vector<uint8_t> rgba(static_cast<size_t>(textureWidth) * textureHeight * 4, 255);
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 0;
    for (size_t k = 0; k < glyphs.size(); ++k) {
        const Glyph& g = glyphs[k];
        const Cell& c = cells[k];
        for (int gy = 0; gy < g.rows; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                const int px = c.x + g.left - c.underhang + gx;
                const int py = c.y + baseline - g.top + gy;
                if (!g.on[static_cast<size_t>(gy * g.width + gx)] || py < c.y || py >= c.y + cellHeight)
                    continue;
                rgba[(static_cast<size_t>(py) * textureWidth + px) * 4 + 3] = 255;
            }
        }
    }
    const std::string texture = style.name + "_0.png";
    if (!WritePng(outDir + "/" + texture, textureWidth, textureHeight, rgba))
        return false;

    const std::string xmlPath = outDir + "/" + style.name + ".xml";
    FILE* f = std::fopen(xmlPath.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "make_fonts: cannot write %s\n", xmlPath.c_str());
        return false;
    }
    std::fprintf(f, "<?xml version=\"1.0\"?>\n<font type=\"bitmap\">\n");
    std::fprintf(f, "  <Texture index=\"0\" filename=\"%s\" hasAlpha=\"true\" />\n", texture.c_str());
    for (size_t k = 0; k < glyphs.size(); ++k) {
        const Cell& c = cells[k];
        std::fprintf(f, "  <c c=\"%s\" r=\"%d,%d,%d,%d\" u=\"%d\" o=\"%d\" i=\"0\" />\n", XmlChar(glyphs[k].code).c_str(),
                     c.x, c.y, c.x + c.width, c.y + cellHeight, c.underhang, c.overhang);
    }
    std::fprintf(f, "</font>\n");
    if (std::fclose(f) != 0) {
        std::fprintf(stderr, "make_fonts: cannot write %s\n", xmlPath.c_str());
        return false;
    }
    return true;
}

}  // namespace fonts
