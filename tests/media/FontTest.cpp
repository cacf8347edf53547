// The bitmap fonts as the engine's GUI loads them: size, coverage, spacing.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "MediaFixture.h"

namespace fs = std::filesystem;

namespace {

struct FontCase {
    const char* name;
    irr::u32 pointSize;
};
const FontCase kFonts[] = {{"pixfont_basic_36pt_bold", 36}, {"pixfont_basic_28pt_bold", 28},
                           {"pixfont_basic_24pt_bold", 24}, {"pixfont_basic_18pt_bold", 18},
                           {"pixfont_basic_16pt", 16},      {"pixfont_basic_14pt", 14},
                           {"pixfont_basic_12pt_bold", 12}, {"pixfont_basic_10pt_bold", 10}};

irr::gui::IGUIFontBitmap* LoadFont(const std::string& path)
{
    irr::gui::IGUIFont* font = mediatest::Device()->getGUIEnvironment()->getFont(path.c_str());
    if (!font || font->getType() != irr::gui::EGFT_BITMAP)
        return nullptr;
    return static_cast<irr::gui::IGUIFontBitmap*>(font);
}

irr::u32 Width(irr::gui::IGUIFont* font, const wchar_t* text)
{
    return font->getDimension(text).Width;
}

}  // namespace

TEST(Fonts, LoadAsBitmapFontsAsTallAsTheirPointSize)
{
    for (const FontCase& f : kFonts) {
        SCOPED_TRACE(f.name);
        irr::gui::IGUIFontBitmap* font = LoadFont(mediatest::SourcePath(std::string("fonts/") + f.name + ".xml"));
        ASSERT_NE(font, nullptr);
        const irr::core::dimension2d<irr::u32> size = font->getDimension(L"Vexmoor");
        EXPECT_GE(size.Height + 1, f.pointSize);
        EXPECT_LE(size.Height, f.pointSize + 2);
        // Seven letters of a proportional face: between a third and a full em each.
        EXPECT_GT(size.Width, 7 * f.pointSize / 3);
        EXPECT_LT(size.Width, 7 * f.pointSize);
    }
}

TEST(Fonts, GiveEveryPrintableAsciiCharacterItsOwnGlyph)
{
    for (const FontCase& f : kFonts) {
        SCOPED_TRACE(f.name);
        irr::gui::IGUIFontBitmap* font = LoadFont(mediatest::SourcePath(std::string("fonts/") + f.name + ".xml"));
        ASSERT_NE(font, nullptr);
        std::set<irr::u32> sprites;
        for (wchar_t c = 32; c <= 126; ++c)
            sprites.insert(font->getSpriteNoFromChar(&c));
        EXPECT_EQ(sprites.size(), 95u);
    }
}

TEST(Fonts, SpaceCharactersSensibly)
{
    for (const FontCase& f : kFonts) {
        SCOPED_TRACE(f.name);
        irr::gui::IGUIFontBitmap* font = LoadFont(mediatest::SourcePath(std::string("fonts/") + f.name + ".xml"));
        ASSERT_NE(font, nullptr);
        // Proportional: narrow letters take less room than wide ones; a space has width.
        EXPECT_LT(Width(font, L"i"), Width(font, L"W"));
        EXPECT_GT(Width(font, L" "), 0u);
        EXPECT_LT(Width(font, L" "), f.pointSize / 2 + 1);
        // Advances add up: a word is as wide as its letters.
        EXPECT_EQ(Width(font, L"Vexmoor"), Width(font, L"Vex") + Width(font, L"moor"));
        // Digits share one width, so scores do not jitter as they change.
        for (const wchar_t* digit : {L"1", L"2", L"7", L"8"})
            EXPECT_EQ(Width(font, digit), Width(font, L"0"));
    }
}

TEST(Generators, FontGeneratorWritesFontsTheEngineLoads)
{
    const fs::path dir = fs::temp_directory_path() / "vexmoor_fonts";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string command = std::string("'") + MAKE_FONTS + "' '" + dir.string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const FontCase& f : kFonts) {
        SCOPED_TRACE(f.name);
        irr::gui::IGUIFontBitmap* fresh = LoadFont((dir / (std::string(f.name) + ".xml")).string());
        ASSERT_NE(fresh, nullptr);
        EXPECT_GE(fresh->getDimension(L"Vexmoor").Height + 1, f.pointSize);
    }
    fs::remove_all(dir);
}
