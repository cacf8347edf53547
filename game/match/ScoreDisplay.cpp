#include "game/match/ScoreDisplay.h"

#include "game/ReadableText.h"

namespace ScoreDisplay {

void Layout(const irr::core::recti& viewport, bool orthographic, irr::gui::IGUIFont* font,
            const TScoreText (&scores)[2], irr::core::recti (&rects)[2])
{
    const int half = viewport.getWidth() / 2;
    for (int i = 0; i < 2; ++i) {
        const irr::core::dimension2d<irr::u32> size = font->getDimension(scores[i].text->c_str());
        const int w = static_cast<int>(size.Width), h = static_cast<int>(size.Height);
        irr::core::vector2di at(viewport.UpperLeftCorner.X + half / 2 + i * half, viewport.UpperLeftCorner.Y);
        // The orthographic camera frames the arena edge to edge; only the corners outside
        // the cut-off corner walls are free.
        if (orthographic)
            at = irr::core::vector2di(i == 0 ? viewport.UpperLeftCorner.X + kCornerMargin
                                             : viewport.LowerRightCorner.X - kCornerMargin - w,
                                      viewport.UpperLeftCorner.Y + kCornerMargin);
        rects[i] = irr::core::recti(at, irr::core::dimension2di(w, h));
    }
}

void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, bool orthographic,
          const TScoreText (&scores)[2], const DrawFunction& draw)
{
    if (!driver || !font) return;
    // 2D drawing is stretched from the whole screen onto the viewport: drawn through the
    // whole screen at the viewport's place, the digits keep their shape in a split screen.
    const irr::core::recti viewport = driver->getViewPort();
    const irr::core::dimension2d<irr::u32> screen = driver->getScreenSize();
    const irr::core::recti whole(0, 0, static_cast<int>(screen.Width), static_cast<int>(screen.Height));
    if (viewport != whole) driver->setViewPort(whole);

    irr::core::recti rects[2];
    Layout(viewport, orthographic, font, scores, rects);
    for (int i = 0; i < 2; ++i) {
        const std::wstring& text = *scores[i].text;
        // The outline at every offset up to its width, so that it closes round every stroke.
        if (scores[i].outline)
            ReadableText::DrawOutline(font, text, rects[i], *scores[i].outline, false, false, nullptr, kOutlineWidth);
        draw(text, scores[i].color, rects[i]);
    }
    if (viewport != whole) driver->setViewPort(viewport);
}

}  // namespace ScoreDisplay
