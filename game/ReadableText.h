// Text that reads on whatever it is drawn over. The schemes keep their colors: where a
// text's color stands too close to its ground, the text wears an outline (as the tanks do)
// in black or white, whichever stands further from the text; a lit menu entry stands on a
// plate of that color, so it differs from the others by more than its color.
#pragma once

#include <irrlicht.h>

#include <optional>
#include <string>

namespace ReadableText {

// The contrast every text keeps against what stands round its letters (WCAG AA).
constexpr float kLeast = 4.5f;

// Black or white, whichever stands out more from ink: always 4.58:1 or more.
irr::video::SColor Backing(irr::video::SColor ink);
// The outline ink needs on ground: none where the two already stand kLeast apart.
std::optional<irr::video::SColor> OutlineFor(irr::video::SColor ink, irr::video::SColor ground);
// Pixels of outline round each letter: 2 for the large fonts, else 1.
int OutlineWidth(irr::gui::IGUIFont* font);
// Where font draws text into rect, centred as asked (as the engine's font places it).
irr::core::recti TextArea(irr::gui::IGUIFont* font, const std::wstring& text, const irr::core::recti& rect,
                          bool hcenter, bool vcenter);

// The outline alone: the text in the outline's color at every offset within the outline's
// width (the font's OutlineWidth unless one is given), clipped (when a clip is given) to the
// clip grown by that width. With a driver, a bitmap font's outline is drawn from its
// outline atlas, one quad a letter; else its copies go to the driver in one batch.
void DrawOutline(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, const std::wstring& text,
                 const irr::core::recti& rect, irr::video::SColor outline, bool hcenter, bool vcenter,
                 const irr::core::recti* clip = nullptr, int width = 0);
// The outline, where one is given, then the text.
void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, const std::wstring& text,
          const irr::core::recti& rect, irr::video::SColor ink, std::optional<irr::video::SColor> outline,
          bool hcenter = false, bool vcenter = false, const irr::core::recti* clip = nullptr);
// A plate in the backing of ink behind the text's area, reaching padX pixels beyond it
// left and right and padY above and below.
void DrawPlate(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, const std::wstring& text,
               const irr::core::recti& rect, irr::video::SColor ink, bool hcenter, bool vcenter, int padX = 5,
               int padY = 2);

}  // namespace ReadableText
