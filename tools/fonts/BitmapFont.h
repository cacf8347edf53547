// Rasterizes a TrueType font with FreeType into the engine's bitmap font format:
// one PNG texture with alpha and an XML file naming each character's rectangle.
#pragma once

#include <string>

namespace fonts {

struct FontStyle {
    std::string name;      // file name without extension, e.g. "pixfont_basic_36pt_bold"
    int pointSize;         // the cell height in pixels
    std::string fontFile;  // TrueType file to rasterize
};

// Writes OUTDIR/<name>.xml and OUTDIR/<name>_0.png. False with one line on stderr
// when the font cannot be read or the files cannot be written.
bool BuildBitmapFont(const FontStyle& style, const std::string& outDir);

}  // namespace fonts
