// The match set-up screen "StartScreen": a frame of lines with the player table's column
// headings and an "OPTIONS" heading, a row per tank slot under the headings, "FIGHT" to
// start the match with this set-up and "EXIT" to the title. Up and Down walk the player
// table (all four rows), the OPTIONS column, the network role, FIGHT and EXIT in turn;
// Left and Right step the lit value back and forth.
#pragma once

#include "game/screens/SetupPlayerRows.h"
#include "game/screens/SetupOptionsColumn.h"
#include "game/VexmoorGameState.h"
#include "game/net/NetworkMatchEnd.h"
#include "game/net/SetupNetworkRow.h"

class TVexmoorGameStartScreen : public TVexmoorGameState, public TNetworkMatchEnd {
    VEXMOOR_CLASS(TVexmoorGameStartScreen, TVexmoorGameState)

public:
    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;
    int KeepsMenuOrder() override;
    // Left (-1) or Right (1) on the lit entry: its value a step back or on.
    int StepHighlighted(int direction) override;
    // The frame and headings, in unscaled screen pixels.
    virtual int DrawFrame();
    // Offers the ended match's role again, with why it ended.
    void AfterNetworkMatch(const TNetSession& session, const std::string& endMessage) override;

    irr::gui::IGUIStaticText* back = nullptr;   // "EXIT", id 101
    irr::gui::IGUIStaticText* fight = nullptr;  // "FIGHT", id 103
    TSetupPlayerRows players;                   // ids 110 to 129
    TSetupNetworkRow network;                   // ids 140 and 141
    TSetupOptionsColumn options;                // ids 150 to 159
    int mouse_on = -1;

private:
    // The rows offer NETWORK while the role hosts.
    void RoleChanged();
    // Whether the set-up makes a match; if not, the network row's note says why.
    bool CanFight();
};
