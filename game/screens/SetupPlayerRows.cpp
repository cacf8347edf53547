#include "game/screens/SetupPlayerRows.h"

#include <iterator>
#include <string>

#include "framework/Game.h"
#include "framework/Gamepads.h"
#include "game/VexmoorGameState.h"

namespace {

// Left edge and right edge of each column, in unscaled pixels as the frame is drawn.
constexpr int kColumnLeft[4] = {10, 265, 385, 485};
constexpr int kColumnRight[4] = {220, 370, 470, 620};
// Top of the first row and the distance between rows, under the headings' band.
constexpr int kFirstRowY = 50;
constexpr int kRowStep = 40;

// The STATUS column's cycle, in click order; Offered says which of it a row shows now.
constexpr TPlayerStatus kStatusCycle[] = {
    TPlayerStatus::Human,    TPlayerStatus::ComputerEasy, TPlayerStatus::ComputerNormal, TPlayerStatus::ComputerHard,
    TPlayerStatus::Gamepad1, TPlayerStatus::Gamepad2,     TPlayerStatus::Gamepad3,       TPlayerStatus::Gamepad4,
    TPlayerStatus::Off,      TPlayerStatus::Network,
};

// Whether pad `pad` (0 to 3) is plugged in now.
bool PadConnected(int pad)
{
    TGamepads* pads = TGame::GameInstance ? TGame::GameInstance->gamepads.get() : nullptr;
    return pads && pads->IsConnected(pad);
}

}  // namespace

bool TSetupPlayerRows::Offered(TPlayerStatus status, int slot, bool hosting)
{
    switch (status) {
    case TPlayerStatus::Gamepad1:
    case TPlayerStatus::Gamepad2:
    case TPlayerStatus::Gamepad3:
    case TPlayerStatus::Gamepad4:
        return PadConnected(static_cast<int>(status) - static_cast<int>(TPlayerStatus::Gamepad1));
    case TPlayerStatus::Off: return slot >= 2;  // a match needs players 1 and 2
    case TPlayerStatus::Network: return hosting && slot >= 1;  // player 1 is the host's own
    default: return true;
    }
}

const wchar_t* TSetupPlayerRows::TankName(TTankModel tank)
{
    return tank == TTankModel::Boxy ? L"BOXY" : L"SLEEK";
}

const wchar_t* TSetupPlayerRows::StatusName(TPlayerStatus status)
{
    switch (status) {
    case TPlayerStatus::Human: return L"HUMAN";
    case TPlayerStatus::ComputerEasy: return L"COMPUTER EASY";
    case TPlayerStatus::ComputerNormal: return L"COMPUTER NORMAL";
    case TPlayerStatus::ComputerHard: return L"COMPUTER HARD";
    case TPlayerStatus::Gamepad1: return L"GAMEPAD 1";
    case TPlayerStatus::Gamepad2: return L"GAMEPAD 2";
    case TPlayerStatus::Gamepad3: return L"GAMEPAD 3";
    case TPlayerStatus::Gamepad4: return L"GAMEPAD 4";
    case TPlayerStatus::Off: return L"OFF";
    case TPlayerStatus::Network: return L"NETWORK";
    }
    return L"HUMAN";
}

TPlayerStatus TSetupPlayerRows::NextStatus(TPlayerStatus status, int slot, bool hosting)
{
    constexpr int count = static_cast<int>(std::size(kStatusCycle));
    int at = 0;
    while (at < count && kStatusCycle[at] != status) ++at;
    for (int step = 1; at < count && step < count; ++step)
        if (Offered(kStatusCycle[(at + step) % count], slot, hosting)) return kStatusCycle[(at + step) % count];
    return kStatusCycle[0];  // a status outside the cycle starts it again
}

void TSetupPlayerRows::Build(TVexmoorGameState& screen, TSettings& settings)
{
    screen_ = &screen;
    settings_ = &settings;
    irr::gui::IGUIFont* font = screen.GameFont("fnt_14");
    if (!screen.guienv || !font) return;
    const int height = static_cast<int>(font->getDimension(L"0").Height);
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
        const int y = kFirstRowY + kRowStep * slot;
        for (int column = kPlayer; column <= kStatus; ++column) {
            // Each entry spans its cell, so the whole cell answers the mouse.
            irr::gui::IGUIStaticText* entry =
                screen.AddTextCell(L"", font, irr::core::recti(kColumnLeft[column], y, kColumnRight[column], y + height),
                                   Id(slot, static_cast<Column>(column)), false);
            rows[slot][column] = entry;
            if (Clickable(entry->getID())) screen.AddToMenu(entry);
        }
        Show(slot);
    }
}

void TSetupPlayerRows::Clear()
{
    rows = {};
}

bool TSetupPlayerRows::Clickable(int id)
{
    if (id < kFirstId || id > kLastId) return false;
    const int column = (id - kFirstId) % kIdsPerRow;
    return column == kTank || column == kStatus;
}

TPlayerStatus TSetupPlayerRows::PreviousStatus(TPlayerStatus status, int slot, bool hosting)
{
    TPlayerStatus at = status;
    for (size_t step = 0; step < std::size(kStatusCycle); ++step) {
        const TPlayerStatus next = NextStatus(at, slot, hosting);
        if (next == status) return at;
        at = next;
    }
    return kStatusCycle[0];
}

bool TSetupPlayerRows::Step(int id, int direction)
{
    if (!Clickable(id) || !settings_) return false;
    const int slot = (id - kFirstId) / kIdsPerRow;
    TPlayerSetup& player = settings_->players[static_cast<size_t>(slot)];
    if ((id - kFirstId) % kIdsPerRow == kTank)
        player.tank = player.tank == TTankModel::Boxy ? TTankModel::Sleek : TTankModel::Boxy;
    else
        player.status = direction < 0 ? PreviousStatus(player.status, slot, hosting)
                                      : NextStatus(player.status, slot, hosting);
    Show(slot);
    return true;
}

void TSetupPlayerRows::Show(int slot)
{
    const TPlayerSetup& player = settings_->players[static_cast<size_t>(slot)];
    const std::wstring texts[4] = {
        std::to_wstring(slot + 1),
        TankName(player.tank),
        std::to_wstring(player.wins) + L"/" + std::to_wstring(player.losses),
        StatusName(player.status),
    };
    for (int column = kPlayer; column <= kStatus; ++column)
        if (rows[slot][column]) rows[slot][column]->setText(texts[column].c_str());
}
