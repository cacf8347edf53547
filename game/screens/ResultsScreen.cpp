#include "game/screens/ResultsScreen.h"

#include <algorithm>
#include <cmath>

#include "framework/GameEventReceiver.h"
#include "game/ReadableText.h"
#include "game/TankColors.h"
#include "game/Vexmoor.h"
#include "game/net/NetworkRematch.h"

namespace {

// The table's columns (their centers) and rows, for an 800x600 screen: the duel's two
// rows, or up to six (four players, two teams) closer together.
constexpr int kColumns[4] = {200, 370, 490, 610};
constexpr int kHeaderY = 150, kRowY[2] = {190, 230};
constexpr int kManyHeaderY = 128, kManyRowY = 158, kManyRowStep = 24;
constexpr int kTimeY = 275, kManyTimeY = 304;
constexpr wchar_t const* kHeaders[4] = {L"", L"HITS", L"SHOTS", L"ACCURACY"};
constexpr int kRematchLineY = 520;  // under the entries

}  // namespace

std::wstring TVexmoorResultsScreen::WinnerLine(const TMatchStats& stats)
{
    const bool teams = stats.mode == TMatchMode::Teams;
    if (stats.winner >= 1 && stats.winner <= (teams ? 2 : kMaxPlayers))
        return (teams ? L"TEAM " : L"PLAYER ") + std::to_wstring(stats.winner) + L" WINS";
    return L"DRAW";
}

std::vector<TVexmoorResultsScreen::Row> TVexmoorResultsScreen::Rows(const TMatchStats& stats)
{
    std::vector<Row> rows;
    for (int player = 1; player <= kMaxPlayers; ++player)
        if (stats.playing[player - 1]) rows.push_back({PlayerCells(stats, player), player - 1});
    if (stats.mode == TMatchMode::Teams)
        for (int team = 1; team <= 2; ++team) rows.push_back({TeamCells(stats, team), team - 1});
    return rows;
}

std::array<std::wstring, 4> TVexmoorResultsScreen::TeamCells(const TMatchStats& stats, int team)
{
    // Players 1 and 3 are team 1, players 2 and 4 team 2.
    int hits = 0, shots = 0;
    for (int i = team - 1; i < kMaxPlayers; i += 2)
        if (stats.playing[i]) hits += stats.hits[i], shots += stats.shots[i];
    return {L"TEAM " + std::to_wstring(team), std::to_wstring(hits), std::to_wstring(shots),
            std::to_wstring(TMatchStats::AccuracyPercent(hits, shots)) + L"%"};
}

std::array<std::wstring, 4> TVexmoorResultsScreen::PlayerCells(const TMatchStats& stats, int player)
{
    const int i = player - 1;
    return {L"PLAYER " + std::to_wstring(player), std::to_wstring(stats.hits[i]), std::to_wstring(stats.shots[i]),
            std::to_wstring(stats.AccuracyPercent(player)) + L"%"};
}

std::wstring TVexmoorResultsScreen::TimeLine(const TMatchStats& stats)
{
    const int seconds = std::max(0, stats.elapsedMs) / 1000;
    const int rest = seconds % 60;
    return L"MATCH TIME " + std::to_wstring(seconds / 60) + (rest < 10 ? L":0" : L":") + std::to_wstring(rest);
}

int TVexmoorResultsScreen::OnSetGameState(TGameState*)
{
    TVexmoor* game = GetGame();
    stats = game ? game->lastMatch : TMatchStats{};
    rematch = game ? std::move(game->networkRematch) : nullptr;
    if (game) game->networkRematch.reset();
    if (game) game->SetClsColor(SchemeColor("Arena"));
    if (!guienv) return 0;
    irr::gui::IGUIFont* font = GameFont("fnt_28");
    const int center = ScreenWidth() / 2;
    // Without its connection a network match starts anew from the set-up.
    if (RematchOffered()) AddMenuEntry(L"REMATCH", font, center, SY(330), kRematchId);
    AddMenuEntry(L"MATCH SETUP", font, center, SY(400), kSetupId);
    AddMenuEntry(L"TITLE", font, center, SY(470), kTitleId);
    // Return takes the first entry at once (a rematch, or the set-up after a network match);
    // it is lit at the first frame, once the menu has started anew.
    pendingHighlight_ = RematchOffered() ? kRematchId : kSetupId;
    seenReturns_ = Events() ? Events()->KeyHitCnt(irr::KEY_RETURN, 0) : 0;
    return 0;
}

int TVexmoorResultsScreen::OnLeaveGameState(TGameState*)
{
    if (rematch && !rematch->IsStarting() && GetGame()) rematch->Leave(*GetGame());
    rematch.reset();
    if (guienv) guienv->clear();
    mouse_on = -1;
    return 0;
}

int TVexmoorResultsScreen::OnUpdate()
{
    UpdateRematch();
    TGameEventReceiver* events = Events();
    if (!events) return 0;
    if (pendingHighlight_ >= 0) {
        RestoreHighlight(pendingHighlight_);
        pendingHighlight_ = -1;
    }
    // Return with nothing lit (the pointer, put back in the middle as the match ends, may
    // have taken the highlight) takes the first entry all the same.
    const int returns = events->KeyHitCnt(irr::KEY_RETURN, 0);
    const int fresh = returns >= seenReturns_ ? returns - seenReturns_ : returns;  // a flush starts from 0
    if (fresh > 0 && HighlightedEntry() < 0) {
        if (RematchOffered()) ChooseRematch();
        else SetNextState("StartScreen");
    }
    seenReturns_ = returns;
    if (events->MouseHitCnt(0, 1)) {
        if (mouse_on == kRematchId && RematchOffered()) ChooseRematch();
        else if (mouse_on == kSetupId) SetNextState("StartScreen");
        else if (mouse_on == kTitleId) SetNextState("TitleScreen");
    }
    events->FlushMouse();
    return 0;
}

bool TVexmoorResultsScreen::RematchOffered() const
{
    return !stats.network || (rematch && rematch->IsOffered());
}

void TVexmoorResultsScreen::ChooseRematch()
{
    if (rematch) rematch->ChooseRematch();
    else SetNextState("Arena");
}

void TVexmoorResultsScreen::UpdateRematch()
{
    TVexmoor* game = GetGame();
    if (!rematch || !game) return;
    rematch->Update(*game);
    if (rematch->HostResults()) stats = *rematch->HostResults();
    if (rematch->IsStarting()) {
        SetNextState("Arena");
    } else if (!rematch->IsOffered() && guienv) {
        // The other side is gone: REMATCH goes, and the keys light MATCH SETUP.
        irr::gui::IGUIElement* entry = guienv->getRootGUIElement()->getElementFromId(kRematchId, true);
        if (entry && entry->isVisible()) {
            entry->setVisible(false);
            if (pendingHighlight_ == kRematchId) pendingHighlight_ = kSetupId;
            if (HighlightedEntry() == kRematchId || mouse_on == kRematchId) RestoreHighlight(kSetupId);
            if (mouse_on == kRematchId) mouse_on = -1;
        }
    }
}

int TVexmoorResultsScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    TrackHover(caller, eventType, mouse_on, true);
    // The lit entry keeps the text color (readable on the plate); markers show it instead.
    if (caller) ColorEntry(caller, "Background");
    return 0;
}

std::optional<irr::video::SColor> TVexmoorResultsScreen::TextGround()
{
    return ReadableText::Backing(SchemeColor("Background"));
}

int TVexmoorResultsScreen::OnRender()
{
    TVexmoor* game = GetGame();
    if (!game || !game->driver) return 0;
    irr::video::IVideoDriver* driver = game->driver;
    const irr::video::SColor text = SchemeColor("Background");
    // Black or white behind the text, whichever stands out more from the scheme's text color.
    const irr::video::SColor plate = ReadableText::Backing(text);
    const int center = ScreenWidth() / 2;
    driver->draw2DRectangle(plate, irr::core::recti(SX(90), SY(30), SX(710), SY(570)));
    auto centered = [&](const std::wstring& line, irr::gui::IGUIFont* font, int x, int y) {
        if (!font) return;
        const int width = static_cast<int>(font->getDimension(line.c_str()).Width);
        DrawText(line, font, text, x - width / 2, y, -1, -1, 0, 0);
    };

    irr::gui::IGUIFont* big = GameFont("fnt_36");
    irr::gui::IGUIFont* mid = GameFont("fnt_18");
    const std::wstring winner = WinnerLine(stats);
    centered(winner, big, center, SY(50));
    // The winner's tank color in a bar under its line (a team's: its first player's).
    if (winner != L"DRAW")
        driver->draw2DRectangle(TankColors::OfSlot(*this, stats.winner - 1),
                                irr::core::recti(center - SX(120), SY(105), center + SX(120), SY(115)));
    // Each row wears its player's tank color as a swatch (a team's row its first player's).
    const std::vector<Row> rows = Rows(stats);
    const bool many = rows.size() > 2;
    for (int c = 1; c < 4; ++c) centered(kHeaders[c], mid, SX(kColumns[c]), SY(many ? kManyHeaderY : kHeaderY));
    for (size_t r = 0; r < rows.size(); ++r) {
        const int y = SY(many ? kManyRowY + static_cast<int>(r) * kManyRowStep : kRowY[r]);
        for (int c = 0; c < 4; ++c) centered(rows[r].cells[c], mid, SX(kColumns[c]), y);
        driver->draw2DRectangle(TankColors::OfSlot(*this, rows[r].colorSlot),
                                irr::core::recti(SX(110), y + SY(2), SX(130), y + SY(20)));
    }
    centered(TimeLine(stats), mid, center, SY(many ? kManyTimeY : kTimeY));
    if (const std::wstring line = rematch ? rematch->Line() : L""; !line.empty())
        centered(line, mid, center, SY(kRematchLineY));

    // Markers either side of the lit entry.
    irr::gui::IGUIElement* lit = HighlightedEntry() >= 0 && guienv
                                     ? guienv->getRootGUIElement()->getElementFromId(HighlightedEntry(), true)
                                     : nullptr;
    if (lit) {
        const irr::core::recti at = lit->getAbsolutePosition();
        const int size = std::max(6, at.getHeight() / 3), mid_y = at.getCenter().Y;
        for (int side = 0; side < 2; ++side) {
            const int x = side == 0 ? at.UpperLeftCorner.X - SX(20) - size : at.LowerRightCorner.X + SX(20);
            driver->draw2DRectangle(text, irr::core::recti(x, mid_y - size / 2, x + size, mid_y + size / 2));
        }
    }
    return 0;
}
