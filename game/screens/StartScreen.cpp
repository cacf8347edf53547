#include "game/screens/StartScreen.h"

#include "framework/GameEventReceiver.h"
#include "game/Vexmoor.h"

namespace {

constexpr int kExitId = 101;
constexpr int kFightId = 103;
// Center of the right-hand column that holds "OPTIONS" and "EXIT".
constexpr int kRightColumnCenter = 719;
// Center of the player table, over which "FIGHT" stands under the frame.
constexpr int kTableCenter = 312;

}  // namespace

int TVexmoorGameStartScreen::OnSetGameState(TGameState*)
{
    if (!guienv) return 0;
    // Made in the order the keys walk them: down the player table, down the OPTIONS
    // column, the network role, then FIGHT and EXIT.
    if (TVexmoor* game = GetGame()) players.Build(*this, game->settings);
    if (TVexmoor* game = GetGame()) {
        std::vector<std::string> arenaNames;
        for (const TArenaGrid& arena : game->CustomArenas()) arenaNames.push_back(arena.Name());
        options.Build(*this, game->settings.match, arenaNames);
    }
    network.Build(*this);
    RoleChanged();
    fight = AddMenuEntry(L"FIGHT", GameFont("fnt_28"), kTableCenter, SY(500), kFightId);
    back = AddMenuEntry(L"EXIT", GameFont("fnt_14"), kRightColumnCenter, SY(560), kExitId);
    return 0;
}

int TVexmoorGameStartScreen::OnLeaveGameState(TGameState*)
{
    network.Clear();  // keeps the typed address while the field still stands
    // The set-up is kept for the next run, however the screen is left.
    if (TVexmoor* game = GetGame()) game->SaveSettings();
    if (guienv) guienv->clear();
    back = fight = nullptr;
    players.Clear();
    options.Clear();
    mouse_on = -1;
    return 0;
}

int TVexmoorGameStartScreen::KeepsMenuOrder()
{
    return 1;
}

int TVexmoorGameStartScreen::StepHighlighted(int direction)
{
    const int id = HighlightedEntry();
    if (TSetupPlayerRows::Clickable(id)) players.Step(id, direction);
    if (id == TSetupNetworkRow::kRoleId) {
        network.Step(id, direction);
        RoleChanged();
    }
    // A changed option is kept in the settings file at once.
    if (TSetupOptionsColumn::Clickable(id) && options.Step(id, direction))
        if (TVexmoor* game = GetGame()) game->SaveSettings();
    return 0;
}

void TVexmoorGameStartScreen::RoleChanged()
{
    players.hosting = network.role == TSetupNetworkRow::Role::Host;
}

bool TVexmoorGameStartScreen::CanFight()
{
    TVexmoor* game = GetGame();
    if (!game || players.hosting) return true;
    // A row the network would drive, left over from hosting: nobody would drive it here.
    for (int slot = 0; slot < kMaxPlayers; ++slot)
        if (game->settings.players[static_cast<size_t>(slot)].status == TPlayerStatus::Network) {
            const std::wstring why = L"PLAYER " + std::to_wstring(slot + 1) + L" IS NETWORK: HOST, OR CHOOSE ANOTHER STATUS";
            if (network.note) network.note->setText(why.c_str());
            return false;
        }
    return true;
}

int TVexmoorGameStartScreen::OnUpdate()
{
    TGameEventReceiver* events = Events();
    if (events && mouse_on == kFightId && events->MouseHitCnt(0, 1) && CanFight() &&
        (!GetGame() || network.Start(*GetGame())))
        SetNextState("Arena");
    if (events && mouse_on == TSetupNetworkRow::kRoleId && events->MouseHitCnt(0, 1)) {
        network.Click(mouse_on);
        RoleChanged();
    }
    if (events && TSetupPlayerRows::Clickable(mouse_on) && events->MouseHitCnt(0, 1)) players.Click(mouse_on);
    // A changed option is kept in the settings file at once.
    if (events && TSetupOptionsColumn::Clickable(mouse_on) && events->MouseHitCnt(0, 1) && options.Click(mouse_on))
        if (TVexmoor* game = GetGame()) game->SaveSettings();
    return BackToTitleOnClick(mouse_on, kExitId);
}

int TVexmoorGameStartScreen::OnRender()
{
    return DrawFrame();
}

int TVexmoorGameStartScreen::DrawFrame()
{
    const irr::video::SColor color = SchemeColor("Tank2");
    DrawHorizontalLine(0, 450, 800, 10, color);
    DrawHorizontalLine(0, 30, 625, 5, color);
    DrawVerticalLine(625, 0, 640, 10, color);
    DrawVerticalLine(225, 0, 450, 5, color);
    DrawVerticalLine(375, 0, 450, 5, color);
    DrawVerticalLine(475, 0, 450, 5, color);

    irr::gui::IGUIFont* font = GameFont("fnt_14");
    if (!font) return 0;
    const int optionsWidth = static_cast<int>(font->getDimension(L"OPTIONS").Width);
    DrawText(L"OPTIONS", font, color, kRightColumnCenter - optionsWidth / 2, 0, -1, -1, 0, 0);
    // Two pixels in from the table's edge, so that an outline keeps clear of the corner.
    DrawText(L"PLAYER", font, color, 7, 0, -1, -1, 0, 0);
    DrawText(L"TANK", font, color, 260, 0, -1, -1, 0, 0);
    DrawText(L"W/L", font, color, 400, 0, -1, -1, 0, 0);
    DrawText(L"STATUS", font, color, 505, 0, -1, -1, 0, 0);
    options.Draw(*this);
    return 0;
}

int TVexmoorGameStartScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    // The player number and the record are shown, not chosen: they do not light up.
    const int id = caller ? caller->getID() : -1;
    if (id >= TSetupPlayerRows::kFirstId && id <= TSetupPlayerRows::kLastId && !TSetupPlayerRows::Clickable(id))
        return 0;
    return TrackHover(caller, eventType, mouse_on, true);
}

void TVexmoorGameStartScreen::AfterNetworkMatch(const TNetSession& session, const std::string& endMessage)
{
    network.AfterMatch(session, endMessage);
}
