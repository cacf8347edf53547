// Outlines drawn from a font's outline atlas against the same outlines drawn as copies of
// the text at every offset, in the OpenGL driver: the two must give the same pixels.
#include <string>

#include "RenderFixture.h"
#include "game/ReadableText.h"

using irr::core::recti;
using irr::video::SColor;

class OutlineAtlasRender : public RenderTest {};

TEST_F(OutlineAtlasRender, AtlasOutlinesMatchTheCopiesPixelForPixel)
{
    EnterArena(0);
    const SColor ground(255, 220, 200, 120), outline(255, 10, 20, 90);
    const std::wstring text = L"Vexmoor 0123456789 Wg!";
    struct Case {
        const char* file;
        int width;
        const recti* clip;
    };
    const recti clip(60, 90, 260, 125);  // cuts through the letters
    const Case cases[] = {{"fonts/pixfont_basic_36pt_bold.xml", 2, nullptr},
                          {"fonts/pixfont_basic_14pt.xml", 1, nullptr},
                          {"fonts/pixfont_basic_14pt.xml", 3, nullptr},
                          {"fonts/pixfont_basic_36pt_bold.xml", 2, &clip}};
    for (const Case& c : cases) {
        irr::gui::IGUIFont* font = game->device->getGUIEnvironment()->getFont(c.file);
        ASSERT_NE(font, nullptr) << c.file;
        const recti at(40, 80, 760, 160);
        const std::string name = std::string("outline_") + std::to_string(c.width) + (c.clip ? "_clipped" : "");
        auto draw = [&](irr::video::IVideoDriver* driver) {
            ReadableText::DrawOutline(driver, font, text, at, outline, false, false, c.clip, c.width);
        };
        const Picture copies = CaptureDrawing(name + "_copies", ground, [&] { draw(nullptr); });
        const Picture atlas = CaptureDrawing(name + "_atlas", ground, [&] { draw(game->driver); });
        int drawn = 0, differ = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const Rgb a = copies.At(x, y), b = atlas.At(x, y);
                if (!copies.Is(x, y, ground, 0)) ++drawn;
                if (std::abs(a.r - b.r) > 2 || std::abs(a.g - b.g) > 2 || std::abs(a.b - b.b) > 2) ++differ;
            }
        EXPECT_GT(drawn, 500) << c.file << " width " << c.width << ": the outline was drawn";
        EXPECT_EQ(differ, 0) << c.file << " width " << c.width << (c.clip ? ", clipped" : "");
    }
}
