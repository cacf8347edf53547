// The two scores over the arena: placed in the viewport of the camera being drawn at the
// size they have on the full screen, out of the walls' way in the orthographic view, and
// drawn with the outline their tank wears.
#pragma once

#include <irrlicht.h>

#include <functional>
#include <optional>
#include <string>

struct TScoreText {
    const std::wstring* text;
    irr::video::SColor color;
    std::optional<irr::video::SColor> outline;
};

namespace ScoreDisplay {

constexpr int kOutlineWidth = 2;  // pixels of outline round each glyph
constexpr int kCornerMargin = 6;  // from the screen's corner in the orthographic view

// Where the left and right score stand on the screen (in pixels of the whole window)
// when drawn into `viewport`.
void Layout(const irr::core::recti& viewport, bool orthographic, irr::gui::IGUIFont* font,
            const TScoreText (&scores)[2], irr::core::recti (&rects)[2]);

// Draws both scores into the driver's current viewport: each outline straight with the font,
// then the score itself through `draw` (text, color, and the text's rectangle in pixels of
// the whole window).
using DrawFunction = std::function<void(const std::wstring&, irr::video::SColor, const irr::core::recti&)>;
void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, bool orthographic,
          const TScoreText (&scores)[2], const DrawFunction& draw);

}  // namespace ScoreDisplay
