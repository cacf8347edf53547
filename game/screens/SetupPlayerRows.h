// The set-up screen's player rows, one per tank slot under the headings PLAYER, TANK,
// W/L and STATUS: the slot's number, its tank model, its record on this machine and who
// drives it. Clicking TANK or STATUS cycles that value in the settings. Players 1 and 2
// always play (a match needs two tanks); players 3 and 4 may be OFF.
#pragma once

#include <irrlicht.h>

#include <array>

#include "game/settings/Settings.h"

class TVexmoorGameState;

class TSetupPlayerRows {
public:
    // The rows own the GUI ids 110 to 129: 110 + 5 * slot + column (0 player, 1 tank,
    // 2 record, 3 status).
    static constexpr int kFirstId = 110;
    static constexpr int kIdsPerRow = 5;
    static constexpr int kLastId = kFirstId + kIdsPerRow * kMaxPlayers - 1;
    enum Column { kPlayer, kTank, kRecord, kStatus };
    static int Id(int slot, Column column) { return kFirstId + kIdsPerRow * slot + column; }

    // Adds the rows' entries to the screen's GUI, showing `settings`, which clicks change.
    void Build(TVexmoorGameState& screen, TSettings& settings);
    // Forgets the entries (the screen clears its GUI when it is left).
    void Clear();
    // True for the entries a click changes (TANK and STATUS).
    static bool Clickable(int id);
    // A click on the entry `id`: cycles its slot's tank model or status. False when the id
    // is none of the clickable entries.
    bool Click(int id) { return Step(id, 1); }
    // The same a step forward (1) or back (-1) in the cycle, as Right and Left step it.
    bool Step(int id, int direction);

    static const wchar_t* TankName(TTankModel tank);
    static const wchar_t* StatusName(TPlayerStatus status);
    // The status after `status` in slot's STATUS cycle: HUMAN, the three computers, then
    // GAMEPAD 1 to 4 while those pads are plugged in, OFF for players 3 and 4, and NETWORK
    // while this machine hosts.
    static TPlayerStatus NextStatus(TPlayerStatus status, int slot, bool hosting);
    // The status whose next is `status`.
    static TPlayerStatus PreviousStatus(TPlayerStatus status, int slot, bool hosting);
    // Whether slot may show status now (NETWORK only on a host, OFF never for players 1 and 2).
    static bool Offered(TPlayerStatus status, int slot, bool hosting);

    // Whether the set-up hosts a network match, which offers NETWORK.
    bool hosting = false;

    using Row = std::array<irr::gui::IGUIStaticText*, 4>;  // by Column
    std::array<Row, kMaxPlayers> rows{};

private:
    void Show(int slot);

    TVexmoorGameState* screen_ = nullptr;
    TSettings* settings_ = nullptr;
};
