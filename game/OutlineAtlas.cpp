#include "game/OutlineAtlas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace OutlineAtlas {

namespace {

constexpr int kMaxWidth = 4;

irr::u32 PowerOfTwoAtLeast(irr::u32 n)
{
    irr::u32 p = 1;
    while (p < n) p <<= 1;
    return p;
}

std::string NameOf(const irr::video::IVideoDriver* driver, const irr::gui::IGUIFont* font, int width)
{
    char name[96];
    std::snprintf(name, sizeof name, "#outline atlas %p %p %d", static_cast<const void*>(driver),
                  static_cast<const void*>(font), width);
    return name;
}

// Where each letter goes in the atlas, grown by width on every side: rows left to right,
// at most rowWidth wide.
std::vector<irr::core::recti> Pack(irr::gui::IGUISpriteBank& bank, int width, int rowWidth, int& height)
{
    const irr::core::array<irr::gui::SGUISprite>& sprites = bank.getSprites();
    const irr::core::array<irr::core::recti>& rects = bank.getPositions();
    std::vector<irr::core::recti> letters(sprites.size());
    int x = 0, y = 0, rowHeight = 0;
    for (irr::u32 i = 0; i < sprites.size(); ++i) {
        if (sprites[i].Frames.empty() || sprites[i].Frames[0].textureNumber != 0) continue;
        const irr::u32 rect = sprites[i].Frames[0].rectNumber;
        if (rect >= rects.size()) continue;
        const int w = rects[rect].getWidth() + 2 * width, h = rects[rect].getHeight() + 2 * width;
        if (x > 0 && x + w > rowWidth) x = 0, y += rowHeight, rowHeight = 0;
        letters[i] = irr::core::recti(x, y, x + w, y + h);
        x += w;
        rowHeight = std::max(rowHeight, h);
    }
    height = y + rowHeight;
    return letters;
}

// Fills the grown letter at `to` in atlas from the letter `from` of source: the alpha the
// copies at every offset but the centre leave, blended one over another.
void Bake(irr::video::IImage& source, const irr::core::recti& from, irr::video::IImage& atlas,
          const irr::core::recti& to, int width)
{
    const int w = from.getWidth(), h = from.getHeight();
    std::vector<float> clear(static_cast<size_t>(w * h));  // each source pixel's transparency
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            clear[static_cast<size_t>(y * w + x)] =
                1.0f - source.getPixel(from.UpperLeftCorner.X + x, from.UpperLeftCorner.Y + y).getAlpha() / 255.0f;
    for (int y = 0; y < to.getHeight(); ++y)
        for (int x = 0; x < to.getWidth(); ++x) {
            float through = 1.0f;
            for (int dy = -width; dy <= width; ++dy)
                for (int dx = -width; dx <= width; ++dx) {
                    const int sx = x - width - dx, sy = y - width - dy;
                    if ((dx || dy) && sx >= 0 && sy >= 0 && sx < w && sy < h)
                        through *= clear[static_cast<size_t>(sy * w + sx)];
                }
            const auto alpha = static_cast<irr::u32>(std::lround(255.0f * (1.0f - through)));
            atlas.setPixel(to.UpperLeftCorner.X + x, to.UpperLeftCorner.Y + y,
                           irr::video::SColor(alpha, 255, 255, 255));
        }
}

}  // namespace

const TAtlas* Of(irr::video::IVideoDriver* driver, irr::gui::IGUIFontBitmap* font, int width)
{
    if (!driver || !font || width < 1 || width > kMaxWidth || driver->getDriverType() == irr::video::EDT_NULL)
        return nullptr;
    // Kept by name: a new driver (the window made again) has none of the old one's atlases,
    // even where it or a font comes back at an address that was used before.
    static std::map<std::tuple<const void*, const void*, int>, std::pair<std::string, TAtlas>> made;
    const auto key = std::make_tuple(static_cast<const void*>(driver), static_cast<const void*>(font), width);
    const auto known = made.find(key);
    if (known != made.end() && known->second.second.texture &&
        driver->findTexture(known->second.first.c_str()) == known->second.second.texture)
        return &known->second.second;
    const std::string name = NameOf(driver, font, width);

    irr::gui::IGUISpriteBank* bank = font->getSpriteBank();
    irr::video::ITexture* letters = bank && bank->getTextureCount() == 1 ? bank->getTexture(0) : nullptr;
    if (!letters || letters->getSize() != letters->getOriginalSize()) return nullptr;
    const irr::core::dimension2du size = letters->getOriginalSize();
    int height = 0;
    TAtlas atlas;
    const int rowWidth = static_cast<int>(PowerOfTwoAtLeast(size.Width * 2));
    atlas.letters = Pack(*bank, width, rowWidth, height);
    if (height <= 0) return nullptr;

    irr::video::IImage* source = driver->createImage(letters, irr::core::position2di(0, 0), size);
    if (!source) return nullptr;
    irr::video::IImage* image = driver->createImage(
        irr::video::ECF_A8R8G8B8,
        irr::core::dimension2du(static_cast<irr::u32>(rowWidth), PowerOfTwoAtLeast(static_cast<irr::u32>(height))));
    image->fill(irr::video::SColor(0, 255, 255, 255));
    const irr::core::array<irr::gui::SGUISprite>& sprites = bank->getSprites();
    const irr::core::array<irr::core::recti>& rects = bank->getPositions();
    for (size_t i = 0; i < atlas.letters.size(); ++i)
        if (atlas.letters[i].getArea() > 0)
            Bake(*source, rects[sprites[static_cast<irr::u32>(i)].Frames[0].rectNumber], *image, atlas.letters[i],
                 width);
    source->drop();

    // Full colour and no mipmaps: the atlas is drawn pixel for pixel, never scaled.
    const bool mipmaps = driver->getTextureCreationFlag(irr::video::ETCF_CREATE_MIP_MAPS);
    const bool full = driver->getTextureCreationFlag(irr::video::ETCF_ALWAYS_32_BIT);
    const bool reduced = driver->getTextureCreationFlag(irr::video::ETCF_ALWAYS_16_BIT);
    driver->setTextureCreationFlag(irr::video::ETCF_CREATE_MIP_MAPS, false);
    driver->setTextureCreationFlag(irr::video::ETCF_ALWAYS_32_BIT, true);
    atlas.texture = driver->addTexture(name.c_str(), image);
    driver->setTextureCreationFlag(irr::video::ETCF_CREATE_MIP_MAPS, mipmaps);
    driver->setTextureCreationFlag(irr::video::ETCF_ALWAYS_32_BIT, full);
    if (reduced) driver->setTextureCreationFlag(irr::video::ETCF_ALWAYS_16_BIT, true);
    image->drop();
    if (!atlas.texture) return nullptr;
    auto& entry = made[key];
    entry = {name, std::move(atlas)};
    return &entry.second;
}

}  // namespace OutlineAtlas
