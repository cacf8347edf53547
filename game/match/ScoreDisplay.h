// The scores over the arena (two in a duel or a TEAMS match, one a player in a FREE FOR ALL
// of three or four): placed in the viewport of the camera being drawn at the size they have
// on the full screen, out of the walls' way in the orthographic view, and drawn with the
// outline their tank wears.
#pragma once

#include <irrlicht.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TScoreText {
    const std::wstring* text;
    irr::video::SColor color;
    std::optional<irr::video::SColor> outline;
};

namespace ScoreDisplay {

constexpr int kOutlineWidth = 2;  // pixels of outline round each glyph
constexpr int kCornerMargin = 6;  // from the screen's corner in the orthographic view

// The outline a score in `ink` wears: its tank's own outline (`planned`) where that reads
// against the ink, else black or white; a score whose tank has no planned outline goes
// without one only off the sky, where the ink already reads on the floor and the walls.
std::optional<irr::video::SColor> OutlineFor(irr::video::SColor ink, const std::optional<irr::video::SColor>& planned,
                                             irr::video::SColor floor, irr::video::SColor walls, bool sky);

// Where each score stands on the screen (in pixels of the whole window) when drawn into
// `viewport`: spread evenly along the top, each starting in the middle of its share; in
// the orthographic view in the corners, the top two first, then the bottom two.
std::vector<irr::core::recti> Layout(const irr::core::recti& viewport, bool orthographic, irr::gui::IGUIFont* font,
                                     const std::vector<TScoreText>& scores);
void Layout(const irr::core::recti& viewport, bool orthographic, irr::gui::IGUIFont* font,
            const TScoreText (&scores)[2], irr::core::recti (&rects)[2]);

// Draws the scores into the driver's current viewport: each outline straight with the font,
// then the score itself through `draw` (text, color, and the text's rectangle in pixels of
// the whole window).
using DrawFunction = std::function<void(const std::wstring&, irr::video::SColor, const irr::core::recti&)>;
void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, bool orthographic,
          const std::vector<TScoreText>& scores, const DrawFunction& draw);
void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, bool orthographic,
          const TScoreText (&scores)[2], const DrawFunction& draw);

}  // namespace ScoreDisplay
