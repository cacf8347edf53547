#include "game/ReadableText.h"

#include "game/OutlineAtlas.h"
#include "game/effects/ColorContrast.h"

namespace ReadableText {

namespace {

const irr::video::SColor kBlack(255, 0, 0, 0);
const irr::video::SColor kWhite(255, 255, 255, 255);
constexpr irr::u32 kLargeFont = 30;  // pixels of line height from which outlines are 2 wide

irr::video::SColor Opaque(irr::video::SColor c)
{
    c.setAlpha(255);
    return c;
}

}  // namespace

irr::video::SColor Backing(irr::video::SColor ink)
{
    ink = Opaque(ink);
    return ColorContrast::ContrastRatio(ink, kBlack) >= ColorContrast::ContrastRatio(ink, kWhite) ? kBlack : kWhite;
}

std::optional<irr::video::SColor> OutlineFor(irr::video::SColor ink, irr::video::SColor ground)
{
    if (ColorContrast::ContrastRatio(Opaque(ink), Opaque(ground)) >= kLeast) return std::nullopt;
    return Backing(ink);
}

int OutlineWidth(irr::gui::IGUIFont* font)
{
    return font && font->getDimension(L"0").Height >= kLargeFont ? 2 : 1;
}

irr::core::recti TextArea(irr::gui::IGUIFont* font, const std::wstring& text, const irr::core::recti& rect,
                          bool hcenter, bool vcenter)
{
    if (!font) return rect;
    const irr::core::dimension2d<irr::u32> size = font->getDimension(text.c_str());
    const int w = static_cast<int>(size.Width), h = static_cast<int>(size.Height);
    irr::core::vector2di at = rect.UpperLeftCorner;
    if (hcenter) at.X += (rect.getWidth() - w) >> 1;
    if (vcenter) at.Y += (rect.getHeight() - h) >> 1;
    return irr::core::recti(at, irr::core::dimension2di(w, h));
}

void DrawOutline(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, const std::wstring& text,
                 const irr::core::recti& rect, irr::video::SColor outline, bool hcenter, bool vcenter,
                 const irr::core::recti* clip, int width)
{
    if (!font || text.empty()) return;
    if (width <= 0) width = OutlineWidth(font);
    std::optional<irr::core::recti> grown;
    if (clip) {
        grown = *clip;
        grown->UpperLeftCorner -= irr::core::vector2di(width, width);
        grown->LowerRightCorner += irr::core::vector2di(width, width);
    }
    // Every offset, not only the corners and sides, so that no pixel next to a letter is missed.
    // A bitmap font's letters at all offsets go to the driver as one batch, as the font lays
    // out one line: each letter at the advance of those before it plus its own underhang.
    irr::gui::IGUISpriteBank* bank =
        font->getType() == irr::gui::EGFT_BITMAP ? static_cast<irr::gui::IGUIFontBitmap*>(font)->getSpriteBank() : nullptr;
    if (bank && text.find_first_of(L"\r\n") == std::wstring::npos) {
        auto* bitmap = static_cast<irr::gui::IGUIFontBitmap*>(font);
        const irr::core::vector2di origin = TextArea(font, text, rect, hcenter, vcenter).UpperLeftCorner;
        const wchar_t probe = L'X';
        const int plainKerning = bitmap->getKerningWidth(&probe, nullptr);
        irr::core::array<irr::u32> letters;
        irr::core::array<irr::core::position2di> at;
        int x = 0;
        for (const wchar_t c : text) {
            const wchar_t one[2] = {c, 0};
            const int underhang = bitmap->getKerningWidth(&probe, &c) - plainKerning;
            if (c != L' ') {
                letters.push_back(bitmap->getSpriteNoFromChar(&c));
                at.push_back(origin + irr::core::vector2di(x + underhang, 0));
            }
            x += static_cast<int>(font->getDimension(one).Width);
        }
        if (const OutlineAtlas::TAtlas* atlas = OutlineAtlas::Of(driver, bitmap, width)) {
            irr::core::array<irr::core::position2di> from(letters.size());
            irr::core::array<irr::core::recti> sources(letters.size());
            for (irr::u32 i = 0; i < letters.size(); ++i) {
                if (letters[i] >= atlas->letters.size() || atlas->letters[letters[i]].getArea() == 0) continue;
                from.push_back(at[i] - irr::core::vector2di(width, width));
                sources.push_back(atlas->letters[letters[i]]);
            }
            driver->draw2DImageBatch(atlas->texture, from, sources, grown ? &*grown : nullptr, Opaque(outline), true);
            return;
        }
        // Filled in place: the engine's push_back goes through a general insert, which cost
        // the scores' outlines more than drawing them.
        const irr::u32 offsets = static_cast<irr::u32>((2 * width + 1) * (2 * width + 1) - 1);
        irr::core::array<irr::u32> indices(offsets * letters.size());
        irr::core::array<irr::core::position2di> positions(offsets * letters.size());
        indices.set_used(offsets * letters.size());
        positions.set_used(offsets * letters.size());
        irr::u32 n = 0;
        for (int dy = -width; dy <= width; ++dy)
            for (int dx = -width; dx <= width; ++dx)
                if (dx || dy)
                    for (irr::u32 i = 0; i < letters.size(); ++i, ++n) {
                        indices[n] = letters[i];
                        positions[n] = at[i] + irr::core::vector2di(dx, dy);
                    }
        bank->draw2DSpriteBatch(indices, positions, grown ? &*grown : nullptr, Opaque(outline));
        return;
    }
    for (int dy = -width; dy <= width; ++dy)
        for (int dx = -width; dx <= width; ++dx)
            if (dx || dy)
                font->draw(text.c_str(), rect + irr::core::vector2di(dx, dy), Opaque(outline), hcenter, vcenter,
                           grown ? &*grown : nullptr);
}

void Draw(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, const std::wstring& text,
          const irr::core::recti& rect, irr::video::SColor ink, std::optional<irr::video::SColor> outline,
          bool hcenter, bool vcenter, const irr::core::recti* clip)
{
    if (!font) return;
    if (outline) DrawOutline(driver, font, text, rect, *outline, hcenter, vcenter, clip);
    font->draw(text.c_str(), rect, ink, hcenter, vcenter, clip);
}

void DrawPlate(irr::video::IVideoDriver* driver, irr::gui::IGUIFont* font, const std::wstring& text,
               const irr::core::recti& rect, irr::video::SColor ink, bool hcenter, bool vcenter, int padX, int padY)
{
    if (!driver || !font || text.empty()) return;
    irr::core::recti area = TextArea(font, text, rect, hcenter, vcenter);
    area.UpperLeftCorner -= irr::core::vector2di(padX, padY);
    area.LowerRightCorner += irr::core::vector2di(padX, padY);
    driver->draw2DRectangle(Backing(ink), area);
}

}  // namespace ReadableText
