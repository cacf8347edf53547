#include "game/VexmoorGameState.h"

#include <algorithm>
#include <iostream>
#include <typeinfo>

#include "framework/GameEventReceiver.h"
#include "framework/GameResource.h"
#include "game/OutlineAtlas.h"
#include "game/ReadableText.h"
#include "game/Vexmoor.h"

namespace {

struct FontRow {
    const char* key;
    const char* file;
    int pt;
    int bold;
};

constexpr FontRow kFonts[] = {
    {"fnt_36", "fonts/pixfont_basic_36pt_bold.xml", 36, 1},
    {"fnt_28", "fonts/pixfont_basic_28pt_bold.xml", 28, 1},
    {"fnt_24", "fonts/pixfont_basic_24pt_bold.xml", 24, 1},
    {"fnt_18", "fonts/pixfont_basic_18pt_bold.xml", 18, 1},
    {"fnt_16", "fonts/pixfont_basic_16pt.xml", 16, 0},
    {"fnt_14", "fonts/pixfont_basic_14pt.xml", 14, 0},
    {"fnt_12", "fonts/pixfont_basic_12pt_bold.xml", 12, 1},
    {"fnt_10", "fonts/pixfont_basic_10pt_bold.xml", 10, 1},
};

}  // namespace

TVexmoor* TVexmoorGameState::GetGame()
{
    // Asked many times a frame: the cast is made again only when the game instance changes.
    static TGame* instance = nullptr;
    static const std::type_info* type = nullptr;
    static TVexmoor* game = nullptr;
    TGame* now = TGame::GameInstance;
    if (now != instance || (now && typeid(*now) != *type)) {
        instance = now;
        type = now ? &typeid(*now) : nullptr;
        game = dynamic_cast<TVexmoor*>(now);
    }
    return game;
}

irr::video::SColor TVexmoorGameState::SchemeColor(const std::string& key)
{
    TVexmoor* game = GetGame();
    if (!game || !game->CurrentColorScheme) return irr::video::SColor(255, 255, 255, 255);
    return game->CurrentColorScheme->GetColor(key);
}

irr::video::SColor TVexmoorGameState::SchemeColor(const std::string& key, TObjectLookup<TColorResource>& last)
{
    TVexmoor* game = GetGame();
    if (!game || !game->CurrentColorScheme) return irr::video::SColor(255, 255, 255, 255);
    auto resource = game->CurrentColorScheme->GetGameResourceAs<TColorResource>(key, last);
    std::shared_ptr<irr::video::SColor> color = resource ? resource->GetResource() : nullptr;
    // Without that color the scheme itself reports the missing key.
    return color ? *color : game->CurrentColorScheme->GetColor(key);
}

irr::gui::IGUIFont* TVexmoorGameState::GameFont(const std::string& key)
{
    TVexmoor* game = GetGame();
    auto resource = game ? game->GetGameResourceAs<TFontResource>(key) : nullptr;
    irr::gui::IGUIFont* font = resource ? resource->GetResource() : nullptr;
    if (font) return font;
    return guienv ? guienv->getBuiltInFont() : nullptr;
}

irr::gui::IGUIFont* TVexmoorGameState::FontFromFile(const std::string& file)
{
    if (!guienv) return nullptr;
    if (!TFontResource::IsWholeFontFile(file)) return BuiltInFontFor(file);
    return WholeFontOr(guienv->getFont(file.c_str()), file);
}

irr::gui::IGUIFont* TVexmoorGameState::WholeFontOr(irr::gui::IGUIFont* font, const std::string& file)
{
    if (!font) return BuiltInFontFor(file);
    if (font->getType() != irr::gui::EGFT_BITMAP) return font;
    auto* bitmap = static_cast<irr::gui::IGUIFontBitmap*>(font);
    // Characters without a glyph are drawn with the space's.
    const irr::u32 space = bitmap->getSpriteNoFromChar(L" ");
    for (wchar_t c = L'!'; c <= L'~'; ++c) {
        const wchar_t text[2] = {c, 0};
        if (bitmap->getSpriteNoFromChar(text) == space) return BuiltInFontFor(file);
    }
    return font;
}

irr::gui::IGUIFont* TVexmoorGameState::BuiltInFontFor(const std::string& file)
{
    // A flag on the game remembers the files already reported.
    const std::string reported = "font_missing:" + file;
    TVexmoor* game = GetGame();
    if (game && !game->HasFlag(reported)) {
        const std::string problem = TFontResource::Problem(file);
        std::cerr << "Unable to load font " << file << ": using the engine's built-in font"
                  << (problem.empty() ? "" : " (" + problem + ")") << std::endl;
        game->SetFlag(reported, 1);
    }
    return guienv ? guienv->getBuiltInFont() : nullptr;
}

int TVexmoorGameState::BackToTitleOnClick(int mouseOn, int id)
{
    TGameEventReceiver* events = Events();
    if (mouseOn == id && events && events->MouseHitCnt(0, 1)) SetNextState("TitleScreen");
    if (events) events->FlushMouse();
    return 0;
}

TGameEventReceiver* TVexmoorGameState::Events()
{
    TVexmoor* game = GetGame();
    return game ? game->events.get() : nullptr;
}

int TVexmoorGameState::ScreenWidth()
{
    TVexmoor* game = GetGame();
    if (!game || !game->driver) return 0;
    return static_cast<int>(game->driver->getScreenSize().Width);
}

int TVexmoorGameState::SX(int x)
{
    TVexmoor* game = GetGame();
    return game && game->driver ? game->SX(x) : x;
}

int TVexmoorGameState::SY(int y)
{
    TVexmoor* game = GetGame();
    return game && game->driver ? game->SY(y) : y;
}

void TVexmoorGameState::LoadGameFonts()
{
    TVexmoor* game = GetGame();
    if (!game) return;
    for (const FontRow& row : kFonts) {
        auto font = WholeFontResource(row.file, row.pt, row.bold);
        // Its outline atlas is made now, with the font, rather than the first time a color
        // scheme calls for an outline in it: no frame waits for one, and what the game holds
        // does not grow later in the run.
        if (auto* bitmap = dynamic_cast<irr::gui::IGUIFontBitmap*>(font->GetResource()))
            OutlineAtlas::Of(game->driver, bitmap, ReadableText::OutlineWidth(bitmap));
        game->AddGameResource(row.key, font);
    }
}

std::shared_ptr<TFontResource> TVexmoorGameState::WholeFontResource(const std::string& file, int pt, int bold)
{
    auto font = TFontResource::Create(guienv, file, pt, bold);
    // The engine's cache owns the built-in font as it owns the loaded ones.
    irr::gui::IGUIFont* usable = WholeFontOr(font->GetResource(), file);
    if (usable != font->GetResource()) font->res = std::shared_ptr<void>(usable, [](void*) {});
    return font;
}

irr::gui::IGUIStaticText* TVexmoorGameState::AddTextCell(const wchar_t* text, irr::gui::IGUIFont* font,
                                                         const irr::core::recti& rect, int id, bool centered)
{
    if (!guienv || !font) return nullptr;
    irr::gui::IGUIStaticText* entry = guienv->addStaticText(text, rect, false, false, nullptr, id, false);
    entry->setOverrideFont(font);
    entry->setOverrideColor(SchemeColor("Background"));
    if (centered) {
        entry->setTextAlignment(irr::gui::EGUIA_CENTER, irr::gui::EGUIA_UPPERLEFT);
        if (std::find(centeredIds_.begin(), centeredIds_.end(), id) == centeredIds_.end()) centeredIds_.push_back(id);
    }
    return entry;
}

irr::gui::IGUIStaticText* TVexmoorGameState::AddMenuEntry(const wchar_t* text, irr::gui::IGUIFont* font,
                                                          int centerX, int y, int id)
{
    if (!guienv || !font) return nullptr;
    const irr::core::dimension2d<irr::u32> size = font->getDimension(text);
    const int width = static_cast<int>(size.Width);
    const int x = centerX - width / 2;
    irr::gui::IGUIStaticText* entry =
        AddTextCell(text, font, irr::core::recti(x, y, x + width, y + static_cast<int>(size.Height)), id, false);
    AddToMenu(entry);
    return entry;
}

void TVexmoorGameState::ColorEntry(irr::gui::IGUIElement* element, const std::string& key)
{
    if (!element || element->getType() != irr::gui::EGUIET_STATIC_TEXT) return;
    static_cast<irr::gui::IGUIStaticText*>(element)->setOverrideColor(SchemeColor(key));
}

void TVexmoorGameState::PlayHoverSound()
{
    TVexmoor* game = GetGame();
    if (auto sound = game ? game->GetGameResourceAs<TSoundResource>("menu_hover") : nullptr) sound->Play();
}

int TVexmoorGameState::TrackHover(irr::gui::IGUIElement* caller, int eventType, int& mouseOn, bool playSound)
{
    if (!caller) return 0;
    if (eventType == irr::gui::EGET_ELEMENT_HOVERED) {
        ColorEntry(caller, "Tank2");
        mouseOn = caller->getID();
        highlighted_ = mouseOn;
        if (playSound) PlayHoverSound();
    } else if (eventType == irr::gui::EGET_ELEMENT_LEFT) {
        ColorEntry(caller, "Background");
        mouseOn = -1;
        if (caller->getID() == highlighted_) highlighted_ = -1;
    }
    return 0;
}

std::optional<irr::video::SColor> TVexmoorGameState::TextGround()
{
    TVexmoor* game = GetGame();
    if (!game || !game->clsColor) return std::nullopt;
    irr::video::SColor ground = *game->clsColor;
    ground.setAlpha(255);
    return ground;
}

int TVexmoorGameState::DrawText(const std::wstring& text, irr::gui::IGUIFont* font,
                                std::optional<irr::video::SColor> color, int x, int y, int width, int height,
                                int hcenter, int vcenter)
{
    const std::optional<irr::video::SColor> ground = TextGround();
    if (!font || !ground) return TGameState::DrawText(text, font, color, x, y, width, height, hcenter, vcenter);
    const irr::video::SColor ink = color.value_or(irr::video::SColor(255, 255, 255, 255));
    irr::core::recti rect(x, y, x + width, y + height);
    if (width < 0 || height < 0) {
        const irr::core::dimension2d<irr::u32> size = font->getDimension(text.c_str());
        rect = irr::core::recti(x, y, x + static_cast<int>(size.Width), y + static_cast<int>(size.Height));
    }
    TVexmoor* game = GetGame();
    ReadableText::Draw(game ? game->driver : nullptr, font, text, rect, ink, ReadableText::OutlineFor(ink, *ground), hcenter != 0, vcenter != 0);
    return 0;
}

int TVexmoorGameState::Render()
{
    if (!smgr || GetCurrentGameView()) return TGameState::Render();
    smgr->drawAll();
    OnRender();
    DrawTextBackings();
    if (guienv) guienv->drawAll();
    return 0;
}

void TVexmoorGameState::DrawTextBackings()
{
    TVexmoor* game = GetGame();
    if (!guienv || !game || !game->driver) return;
    irr::gui::IGUISkin* skin = guienv->getSkin();
    const std::optional<irr::video::SColor> ground = TextGround();
    // Depth first, skipping whatever is hidden with its children.
    std::vector<irr::gui::IGUIElement*> open;
    for (irr::gui::IGUIElement* child : guienv->getRootGUIElement()->getChildren()) open.push_back(child);
    while (!open.empty()) {
        irr::gui::IGUIElement* element = open.back();
        open.pop_back();
        if (!element->isVisible()) continue;
        for (irr::gui::IGUIElement* child : element->getChildren()) open.push_back(child);
        const std::wstring text = element->getText() ? element->getText() : L"";
        if (text.empty()) continue;
        irr::gui::IGUIFont* font = nullptr;
        irr::video::SColor ink;
        irr::core::recti rect = element->getAbsolutePosition();
        bool hcenter = false, vcenter = false;
        if (element->getType() == irr::gui::EGUIET_STATIC_TEXT) {
            auto* label = static_cast<irr::gui::IGUIStaticText*>(element);
            font = label->getActiveFont();
            ink = label->isOverrideColorEnabled() ? label->getOverrideColor()
                                                  : skin->getColor(element->isEnabled() ? irr::gui::EGDC_BUTTON_TEXT
                                                                                        : irr::gui::EGDC_GRAY_TEXT);
            hcenter = std::find(centeredIds_.begin(), centeredIds_.end(), element->getID()) != centeredIds_.end();
        } else if (element->getType() == irr::gui::EGUIET_CHECK_BOX) {
            // A check box writes its text right of its box, centred in its height.
            font = skin->getFont();
            ink = skin->getColor(irr::gui::EGDC_BUTTON_TEXT);
            rect.UpperLeftCorner.X += skin->getSize(irr::gui::EGDS_CHECK_BOX_WIDTH) + 5;
            vcenter = true;
        } else {
            continue;
        }
        if (!font) continue;
        const int id = element->getID();
        const bool lit = id >= 0 && id == highlighted_ &&
                         std::find(menuEntryIds_.begin(), menuEntryIds_.end(), id) != menuEntryIds_.end();
        const irr::core::recti clip = element->getAbsoluteClippingRect();
        if (lit) {
            ReadableText::DrawPlate(game->driver, font, text, rect, ink, hcenter, vcenter);
        } else if (ground) {
            if (const auto outline = ReadableText::OutlineFor(ink, *ground))
                ReadableText::DrawOutline(game->driver, font, text, rect, *outline, hcenter, vcenter, &clip);
        }
    }
}
