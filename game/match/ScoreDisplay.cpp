#include "game/match/ScoreDisplay.h"

#include "game/effects/ColorContrast.h"
#include "game/ReadableText.h"

namespace ScoreDisplay {

std::optional<irr::video::SColor> OutlineFor(irr::video::SColor ink, const std::optional<irr::video::SColor>& planned,
                                             irr::video::SColor floor, irr::video::SColor walls, bool sky)
{
    using ColorContrast::ContrastRatio;
    if (planned) return ContrastRatio(ink, *planned) >= ReadableText::kLeast ? planned : ReadableText::Backing(ink);
    if (!sky && !ReadableText::OutlineFor(ink, floor) && !ReadableText::OutlineFor(ink, walls)) return std::nullopt;
    return ReadableText::Backing(ink);
}

std::vector<irr::core::recti> Layout(const irr::core::recti& viewport, bool orthographic, irr::gui::IGUIFont* font,
                                     const std::vector<TScoreText>& scores)
{
    std::vector<irr::core::recti> rects;
    const int count = static_cast<int>(scores.size());
    if (count == 0) return rects;
    const int share = viewport.getWidth() / count;
    for (int i = 0; i < count; ++i) {
        const irr::core::dimension2d<irr::u32> size = font->getDimension(scores[static_cast<size_t>(i)].text->c_str());
        const int w = static_cast<int>(size.Width), h = static_cast<int>(size.Height);
        irr::core::vector2di at(viewport.UpperLeftCorner.X + share / 2 + i * share, viewport.UpperLeftCorner.Y);
        // The orthographic camera frames the arena edge to edge; only the corners outside
        // the cut-off corner walls are free.
        if (orthographic) {
            const bool left = i % 2 == 0, top = i < 2;
            at = irr::core::vector2di(left ? viewport.UpperLeftCorner.X + kCornerMargin
                                           : viewport.LowerRightCorner.X - kCornerMargin - w,
                                      top ? viewport.UpperLeftCorner.Y + kCornerMargin
                                          : viewport.LowerRightCorner.Y - kCornerMargin - h);
        }
        rects.emplace_back(at, irr::core::dimension2di(w, h));
    }
    return rects;
}

void Layout(const irr::core::recti& viewport, bool orthographic, irr::gui::IGUIFont* font,
            const TScoreText (&scores)[2], irr::core::recti (&rects)[2])
{
    const std::vector<irr::core::recti> placed = Layout(viewport, orthographic, font, {scores[0], scores[1]});
    rects[0] = placed[0];
    rects[1] = placed[1];
}

void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, bool orthographic,
          const std::vector<TScoreText>& scores, const DrawFunction& draw)
{
    if (!driver || !font) return;
    // 2D drawing is stretched from the whole screen onto the viewport: drawn through the
    // whole screen at the viewport's place, the digits keep their shape in a split screen.
    const irr::core::recti viewport = driver->getViewPort();
    const irr::core::dimension2d<irr::u32> screen = driver->getScreenSize();
    const irr::core::recti whole(0, 0, static_cast<int>(screen.Width), static_cast<int>(screen.Height));
    if (viewport != whole) driver->setViewPort(whole);

    const std::vector<irr::core::recti> rects = Layout(viewport, orthographic, font, scores);
    for (size_t i = 0; i < scores.size(); ++i) {
        const std::wstring& text = *scores[i].text;
        // The outline at every offset up to its width, so that it closes round every stroke.
        if (scores[i].outline)
            ReadableText::DrawOutline(driver, font, text, rects[i], *scores[i].outline, false, false, nullptr,
                                      kOutlineWidth);
        draw(text, scores[i].color, rects[i]);
    }
    if (viewport != whole) driver->setViewPort(viewport);
}

void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, bool orthographic,
          const TScoreText (&scores)[2], const DrawFunction& draw)
{
    Draw(driver, font, orthographic, std::vector<TScoreText>{scores[0], scores[1]}, draw);
}

}  // namespace ScoreDisplay
