// A bitmap font's letters with their outline baked in: each letter grown by the outline's
// width on every side, white, its alpha what the letter's copies at every offset within
// that width leave when blended one over another (1 - the product of their transparencies).
// Drawn tinted in the outline's color, one letter of the atlas stands for all those copies,
// so an outlined text costs the driver one quad a letter instead of one an offset.
#pragma once

#include <irrlicht.h>

#include <vector>

namespace OutlineAtlas {

struct TAtlas {
    irr::video::ITexture* texture = nullptr;  // held by the driver
    std::vector<irr::core::recti> letters;    // by the font's sprite number; empty where none
};

// The atlas of font's letters for an outline `width` pixels wide, made at the first call for
// this driver, font and width and kept with the driver's textures. Null where it cannot be
// made: no driver, the NULL driver (its textures hold no pixels), a font whose letters lie
// on more than one texture, a width outside 1 to 4.
const TAtlas* Of(irr::video::IVideoDriver* driver, irr::gui::IGUIFontBitmap* font, int width);

}  // namespace OutlineAtlas
