#include "game/match/MatchOverlay.h"

#include <algorithm>
#include <cstdio>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/GameView.h"
#include "framework/GameEventReceiver.h"
#include "game/match/ArenaScreen.h"
#include "game/effects/ColorContrast.h"
#include "game/net/NetworkMatch.h"
#include "game/ReadableText.h"
#include "game/world/Player.h"
#include "game/tank/Tank.h"
#include "game/Vexmoor.h"
#include "game/settings/KeyNames.h"

namespace {

constexpr int kF10 = 121;
constexpr int kGap = 6;      // pixels between the lines of a block
constexpr int kPadding = 6;  // of the backdrop round the text
constexpr float kNormalRate = 60.0f;
constexpr float kLeastInk = 3.0f;  // below it the walls' color gives way to black or white
constexpr uint32_t kOwnPlayerShownMs = 4000;  // a joiner is told which player it is this long

// A key's name as the options screen shows it.
std::wstring KeyLabel(int key)
{
    const std::string name = KeyNames::Name(key);
    return std::wstring(name.begin(), name.end());
}

std::wstring Clock(int seconds)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%d:%02d", seconds / 60, seconds % 60);
    return text;
}

bool SameColor(irr::video::SColor a, irr::video::SColor b)
{
    return a.getRed() == b.getRed() && a.getGreen() == b.getGreen() && a.getBlue() == b.getBlue();
}

// The part of the screen the camera being drawn fills: its viewport in the current view.
irr::core::recti CameraArea(TVexmoorArenaScreen& arena, const irr::core::recti& screen)
{
    const std::shared_ptr<TGameView> view = arena.GetCurrentGameView();
    irr::scene::ICameraSceneNode* camera = arena.smgr ? arena.smgr->getActiveCamera() : nullptr;
    if (!view || !camera) return screen;
    auto found = view->viewports.find(camera);
    if (found == view->viewports.end() || found->second.getArea() <= 0) return screen;
    return found->second;
}

// The speed the match runs at, in percent of normal: also while a pause holds it still.
int SpeedPercent()
{
    const TFramerate& rate = *TGame::Framerate;
    const float fps = rate.paused ? rate.oldtargetfps : rate.targetfps;
    return static_cast<int>(fps * 100.0f / kNormalRate + 0.5f);
}

}  // namespace

std::wstring TMatchOverlay::StateLine(TVexmoorArenaScreen& arena)
{
    std::wstring line;
    auto add = [&](const std::wstring& part) { line += (line.empty() ? L"" : L"   ") + part; };
    if (arena.GetFlag("guided_shells")) add(L"GUIDED SHELLS");
    // The flag keeps the visibility last passed to the tanks: 0 hides them.
    if (arena.HasFlag("invisible_tanks") && !arena.GetFlag("invisible_tanks")) add(L"INVISIBLE TANKS");
    if (TGame::Framerate && SpeedPercent() != 100) add(L"SPEED " + std::to_wstring(SpeedPercent()) + L"%");
    return line;
}

void TMatchOverlay::Start(uint32_t nowMs)
{
    startMs = nowMs;
    speedSinceMs.reset();
    drawn.clear();
}

void TMatchOverlay::ShowSpeed(uint32_t nowMs)
{
    speedSinceMs = nowMs;
}

std::wstring TMatchOverlay::TankViewKeysLine(const std::vector<int>& slots)
{
    // F5 and F6 go on to a team mate's view when pressed again: "F5 PLAYER 2/4 VIEW".
    auto players = [&](int first) {
        std::wstring names;
        for (int slot : {first, first + 2})
            if (std::find(slots.begin(), slots.end(), slot) != slots.end())
                names += (names.empty() ? L"" : L"/") + std::to_wstring(slot + 1);
        return names;
    };
    std::wstring line = L"F4 SPLIT SCREEN";
    if (!players(1).empty()) line += L"   F5 PLAYER " + players(1) + L" VIEW";
    if (!players(0).empty()) line += L"   F6 PLAYER " + players(0) + L" VIEW";
    return line;
}

std::vector<std::wstring> TMatchOverlay::KeyLines(TVexmoorArenaScreen& arena)
{
    std::vector<std::wstring> lines = {
        L"F1 ANGLED VIEW   F2 TOP VIEW   F3 FLAT VIEW",
        TankViewKeysLine(arena.slots),
        L"F7 GUIDED SHELLS   F8 INVISIBLE TANKS   F9 PAUSE",
        L"F10 KEYS   F12 COLORS   + - GAME SPEED   ESCAPE TITLE",
    };
    TVexmoor* game = arena.GetGame();
    if (!game) return lines;
    for (int slot : arena.slots) {
        const TPlayerSetup& player = game->settings.players[static_cast<size_t>(slot)];
        std::wstring line = L"PLAYER " + std::to_wstring(slot + 1) + L"   ";
        if (player.status == TPlayerStatus::Human) {
            const TKeyBindings& keys = player.keys;
            line += L"DRIVE " + KeyLabel(keys.forward) + L"   TURN " + KeyLabel(keys.left) + L" " +
                    KeyLabel(keys.right) + L"   FIRE " + KeyLabel(keys.fire);
        } else if (player.status == TPlayerStatus::Gamepad1 || player.status == TPlayerStatus::Gamepad2 ||
                   player.status == TPlayerStatus::Gamepad3 || player.status == TPlayerStatus::Gamepad4) {
            line += L"GAMEPAD";
        } else {
            line += L"COMPUTER";
        }
        lines.push_back(line);
    }
    return lines;
}

void TMatchOverlay::Put(const std::wstring& text, irr::gui::IGUIFont* font, irr::video::SColor color, int centerX,
                        int top, irr::video::IVideoDriver* driver, bool backdrop)
{
    if (!font) return;
    const irr::core::dimension2d<irr::u32> size = font->getDimension(text.c_str());
    const int width = static_cast<int>(size.Width);
    const irr::core::recti rect(centerX - width / 2, top, centerX - width / 2 + width, top + static_cast<int>(size.Height));
    if (backdrop) Backdrop(driver, rect);
    // On the backdrop, in the floor's color: an outline where the text's color is too close to it.
    const std::optional<irr::video::SColor> outline = ReadableText::OutlineFor(color, ground_);
    ReadableText::Draw(driver, font, text, rect, color, outline);
    drawn.push_back({text, font, color, rect, outline});
}

void TMatchOverlay::Backdrop(irr::video::IVideoDriver* driver, irr::core::recti rect)
{
    // The ground's own color behind the text keeps it readable over walls and tanks.
    rect.UpperLeftCorner -= irr::core::vector2di(kPadding, kPadding);
    rect.LowerRightCorner += irr::core::vector2di(kPadding, kPadding);
    driver->draw2DRectangle(ground_, rect);
}

int TMatchOverlay::StackHeight(const std::vector<Entry>& stack)
{
    int height = 0;
    for (const Entry& entry : stack)
        if (entry.font) height += static_cast<int>(entry.font->getDimension(entry.text.c_str()).Height) + kGap;
    return height > 0 ? height - kGap : 0;
}

void TMatchOverlay::PutStack(const std::vector<Entry>& stack, irr::video::IVideoDriver* driver, int centerX, int top)
{
    int width = 0;
    for (const Entry& entry : stack)
        if (entry.font) width = std::max(width, static_cast<int>(entry.font->getDimension(entry.text.c_str()).Width));
    const int height = StackHeight(stack);
    if (height > 0) Backdrop(driver, irr::core::recti(centerX - width / 2, top, centerX + width / 2, top + height));
    int y = top;
    for (const Entry& entry : stack) {
        if (!entry.font) continue;
        Put(entry.text, entry.font, entry.color, centerX, y, driver, false);
        y += static_cast<int>(entry.font->getDimension(entry.text.c_str()).Height) + kGap;
    }
}

irr::video::SColor TMatchOverlay::Ink(irr::video::SColor wanted, irr::video::SColor ground)
{
    if (ink_.valid && ink_.wanted == wanted && ink_.ground == ground) return ink_.ink;
    irr::video::SColor ink = wanted;
    if (ColorContrast::ContrastRatio(ink, ground) < kLeastInk) {
        const irr::video::SColor black(255, 0, 0, 0), white(255, 255, 255, 255);
        ink = ColorContrast::ContrastRatio(black, ground) > ColorContrast::ContrastRatio(white, ground) ? black : white;
    }
    ink_ = {wanted, ground, ink, true};
    return ink;
}

void TMatchOverlay::Draw(TVexmoorArenaScreen& arena)
{
    TVexmoor* game = arena.GetGame();
    if (!game || !game->driver) return;
    irr::video::IVideoDriver* driver = game->driver;
    const uint32_t now = GameClock::Milliseconds();
    // 2D drawing inside a part of the screen comes out squeezed: draw over the whole screen,
    // placed in the part this camera fills, then give the part back.
    const irr::core::dimension2d<irr::u32> screenSize = driver->getScreenSize();
    const irr::core::recti screen(0, 0, static_cast<int>(screenSize.Width), static_cast<int>(screenSize.Height));
    const irr::core::recti viewport = driver->getViewPort();
    const irr::core::recti area = CameraArea(arena, screen);
    driver->setViewPort(screen);

    // Text stands in the walls' color (the scheme color the screen is not cleared with) on
    // the floor's; where the two are too alike to read, in black or white instead.
    const irr::video::SColor arenaColor = arena.SchemeColor("Arena", arenaColor_);
    ground_ = game->clsColor.value_or(irr::video::SColor(255, 0, 0, 0));
    ground_.setAlpha(255);
    const irr::video::SColor ink = Ink(game->clsColor && SameColor(*game->clsColor, arenaColor)
                                           ? arena.SchemeColor("Background")
                                           : arenaColor,
                                       ground_);
    const int centerX = area.getCenter().X;
    const bool over = arena.GetFlag("match_end") != 0;

    // The top: the clock and a random maze's seed (to play it again) in the score line, and
    // the game speed for a moment after a change.
    int top = area.UpperLeftCorner.Y;
    const auto line = [&](const std::wstring& text, irr::gui::IGUIFont* font) {
        if (!font) return;
        Put(text, font, ink, centerX, top, driver, true);
        top += static_cast<int>(font->getDimension(L"0").Height) + kGap;
    };
    if (arena.rules.Timed())
        line(arena.rules.SuddenDeath() ? L"SUDDEN DEATH" : Clock(arena.rules.SecondsLeft()), arena.GameFont("fnt_24"));
    if (arena.MazeSeed()) line(L"MAZE " + std::to_wstring(arena.MazeSeed()), arena.GameFont("fnt_18"));
    if (speedSinceMs && now - *speedSinceMs < static_cast<uint32_t>(speedShownMs))
        line(L"GAME SPEED " + std::to_wstring(SpeedPercent()) + L"%", arena.GameFont("fnt_18"));
    // What is on for the whole match: guided shells, invisible tanks, another speed.
    const std::wstring state = StateLine(arena);
    if (!state.empty()) line(state, arena.GameFont("fnt_14"));
    // A joiner is told which tank is its own, in that tank's color, as its match begins.
    TVexmoor* vexmoor = arena.GetGame();
    const std::shared_ptr<TNetworkMatch> network = vexmoor ? vexmoor->network : nullptr;
    if (network && network->IsJoiner() && network->PlayingSinceMs() && !over &&
        now - *network->PlayingSinceMs() < kOwnPlayerShownMs) {
        const int own = network->View().own;
        auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(own));
        auto tank = player ? arena.GetGameObjectAs<TTank>(player->tank) : nullptr;
        irr::video::SColor color = tank ? tank->color : ink;
        color.setAlpha(255);
        if (irr::gui::IGUIFont* font = arena.GameFont("fnt_18")) {
            Put(L"YOU ARE PLAYER " + std::to_wstring(own + 1), font, color, centerX, top, driver, true);
            top += static_cast<int>(font->getDimension(L"0").Height) + kGap;
        }
    }
    // What the network has to say stands under the scores, which it is too wide to pass.
    if (network && !network->Message().empty()) {
        irr::gui::IGUIFont* scoreFont = arena.GameFont("fnt_36");
        const int underScores = area.UpperLeftCorner.Y + (scoreFont ? static_cast<int>(scoreFont->getDimension(L"0").Height) : 0) + kPadding;
        top = std::max(top, underScores + kPadding);
        line(network->Message(), arena.GameFont("fnt_24"));
    }
    const int topEnd = top - kGap + kPadding;  // the lowest backdrop of the top

    // The middle: the winner or "PAUSED"; the bottom: the keys, clear of the action.
    std::vector<Entry> middle, bottom;
    if (over && arena.winner) {
        // In the winner's tank color (in TEAMS its team's first player's).
        auto player = arena.GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(arena.WinnerSlot()));
        auto tank = player ? arena.GetGameObjectAs<TTank>(player->tank) : nullptr;
        irr::video::SColor color = tank ? tank->color : ink;
        color.setAlpha(255);
        middle.push_back({arena.WinnerLine(), arena.GameFont("fnt_36"), color});
    }
    TGameEventReceiver* events = arena.Events();
    // A joiner's pause is the host's.
    const bool paused = TGame::Framerate->IsPaused() || arena.GetFlag("host_paused");
    if (!over && paused) middle.push_back({L"PAUSED", arena.GameFont("fnt_36"), ink});
    const bool keysHeld = events && events->IsKeyDown(kF10, 0, 0, 0);
    if (!replayLines.empty()) {
        for (size_t i = 0; i < replayLines.size(); ++i)
            bottom.push_back({replayLines[i], arena.GameFont(i == 0 ? "fnt_18" : "fnt_14"), ink});
    } else if (!over && (keysHeld || now - startMs < static_cast<uint32_t>(keysShownMs))) {
        bottom.push_back({L"MATCH KEYS", arena.GameFont("fnt_18"), ink});
        for (const std::wstring& line : KeyLines(arena)) bottom.push_back({line, arena.GameFont("fnt_14"), ink});
    }
    // The middle stands in the middle, moved up or down as far as it must to stand clear
    // of the top and of the keys (a half of the split screen is short).
    const int middleHeight = StackHeight(middle);
    const int bottomTop = area.LowerRightCorner.Y - kPadding - StackHeight(bottom);
    int middleTop = area.getCenter().Y - middleHeight / 2;
    if (!bottom.empty()) middleTop = std::min(middleTop, bottomTop - 2 * kPadding - kGap - middleHeight);
    middleTop = std::max(middleTop, topEnd + kGap + kPadding);
    PutStack(middle, driver, centerX, middleTop);
    belowMiddle = middle.empty() ? area.getCenter().Y : middleTop + middleHeight + 2 * kPadding + kGap;
    middleX = centerX;
    PutStack(bottom, driver, centerX, bottomTop);
    driver->setViewPort(viewport);
}
