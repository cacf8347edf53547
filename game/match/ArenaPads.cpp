// The match's gamepads: Start and Back on any pad, and the pause while a player's pad is
// pulled out, with a line on screen naming the player.
#include <algorithm>
#include <string>

#include "framework/Framerate.h"
#include "framework/Gamepads.h"
#include "game/match/ArenaScreen.h"
#include "game/control/PadTankController.h"
#include "game/world/Player.h"
#include "game/ReadableText.h"
#include "game/TankColors.h"
#include "game/Vexmoor.h"

int TVexmoorArenaScreen::UpdatePads()
{
    TVexmoor* game = GetGame();
    TGamepads* pads = game ? game->gamepads.get() : nullptr;
    if (!pads) return 0;
    for (int pad = 0; pad < TGamepads::kPads; ++pad) {
        if (pads->IsButtonUpDown(pad, TGamepads::Back, 1)) {
            TGame::SetGameState("TitleScreen");
            return 0;
        }
        if (pads->IsButtonUpDown(pad, TGamepads::Start, 1)) TogglePause();
    }

    // With no pad plugged in and none seen connected, no pad can have been pulled out:
    // the players' controllers need not be looked up.
    if (pads->ConnectedCount() == 0 &&
        std::none_of(std::begin(padWatch_), std::end(padWatch_), [](const PadWatch& w) { return w.connected == 1; }))
        return 0;
    for (int i : slots) {
        auto player = GetGameObjectAs<TPlayer>(PlayerKeyOfSlot(i));
        auto controller = player ? std::dynamic_pointer_cast<TPadTankController>(player->GetController()) : nullptr;
        PadWatch& watch = padWatch_[i];
        const int connected = controller ? controller->IsPadConnected() : -1;
        if (watch.connected == 1 && connected == 0) {
            watch.lost = 1;
            if (!TGame::Framerate->IsPaused()) {
                TogglePause();
                pausedForPad_ = 1;
            }
        } else if (watch.lost && connected == 1) {
            watch.lost = 0;
            if (pausedForPad_ && !AnyPadLost() && TGame::Framerate->IsPaused()) TogglePause();
        }
        watch.connected = connected;
    }
    return 0;
}

int TVexmoorArenaScreen::IsPadLost(int player)
{
    return player >= 1 && player <= kMaxPlayers ? padWatch_[player - 1].lost : 0;
}

bool TVexmoorArenaScreen::AnyPadLost()
{
    return std::any_of(std::begin(padWatch_), std::end(padWatch_), [](const PadWatch& w) { return w.lost != 0; });
}

int TVexmoorArenaScreen::DrawPadMessages()
{
    if (!AnyPadLost()) return 0;
    irr::gui::IGUIFont* font = GameFont("fnt_18");
    if (!font) return 0;
    TVexmoor* game = GetGame();
    if (!game || !game->driver) return 0;
    // Under PAUSED (the overlay was just drawn into this camera), one line a player, drawn
    // over the whole screen as the overlay is, so that a half of the split screen does not
    // squeeze it.
    irr::video::IVideoDriver* driver = game->driver;
    const irr::core::recti viewport = driver->getViewPort();
    const irr::core::dimension2d<irr::u32> screen = driver->getScreenSize();
    driver->setViewPort(irr::core::recti(0, 0, static_cast<int>(screen.Width), static_cast<int>(screen.Height)));
    int y = overlay.belowMiddle;
    for (int player = 1; player <= kMaxPlayers; ++player) {
        if (!IsPadLost(player)) continue;
        const std::wstring text = L"PLAYER " + std::to_wstring(player) + L": GAMEPAD DISCONNECTED";
        const irr::core::dimension2d<irr::u32> size = font->getDimension(text.c_str());
        // Each line in its own player's tank color.
        const irr::video::SColor color = TankColors::OfSlot(*this, player - 1);
        const irr::core::recti at(irr::core::vector2di(overlay.middleX - static_cast<int>(size.Width) / 2, y),
                                  irr::core::dimension2di(static_cast<int>(size.Width), static_cast<int>(size.Height)));
        y += static_cast<int>(size.Height) + 12;
        // On a plate: the scene behind it may be any color.
        ReadableText::DrawPlate(driver, font, text, at, color, false, false);
        DrawText(text, font, color, at.UpperLeftCorner.X, at.UpperLeftCorner.Y, -1, -1, 0, 0);
    }
    driver->setViewPort(viewport);
    return 0;
}
