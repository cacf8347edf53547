// make_fonts OUTDIR [FONTDIR]: rasterizes DejaVu Sans (from FONTDIR, by default Debian's
// fonts-dejavu-core folder) into the game's eight bitmap fonts in OUTDIR.
#include <cstdio>
#include <string>

#include "fonts/BitmapFont.h"

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_fonts OUTDIR [FONTDIR]\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string fontDir = argc == 3 ? argv[2] : "/usr/share/fonts/truetype/dejavu";
    const std::string bold = fontDir + "/DejaVuSans-Bold.ttf";
    const std::string plain = fontDir + "/DejaVuSans.ttf";
    const fonts::FontStyle styles[] = {
        {"pixfont_basic_36pt_bold", 36, bold}, {"pixfont_basic_28pt_bold", 28, bold},
        {"pixfont_basic_24pt_bold", 24, bold}, {"pixfont_basic_18pt_bold", 18, bold},
        {"pixfont_basic_16pt", 16, plain},     {"pixfont_basic_14pt", 14, plain},
        {"pixfont_basic_12pt_bold", 12, bold}, {"pixfont_basic_10pt_bold", 10, bold},
    };
    for (const fonts::FontStyle& style : styles) {
        if (!fonts::BuildBitmapFont(style, out))
            return 1;
        std::printf("%s\n", style.name.c_str());
    }
    return 0;
}
