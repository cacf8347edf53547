// The results "ResultsScreen" after a match's finale: the winner, each player's hits,
// shots and accuracy, the match time; REMATCH (Return: the same set-up again), MATCH SETUP
// and TITLE (Escape). After a network match both sides look at the host's figures and a
// REMATCH needs both players (TNetworkRematch); once the connection is gone, there is none.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "game/VexmoorGameState.h"
#include "game/world/MatchStats.h"

class TNetworkRematch;

class TVexmoorResultsScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorResultsScreen, TVexmoorGameState)

public:
    static constexpr int kRematchId = 101;
    static constexpr int kSetupId = 102;
    static constexpr int kTitleId = 103;

    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;
    // Every text stands on the plate.
    std::optional<irr::video::SColor> TextGround() override;

    // What the screen shows of a match: "PLAYER 1 WINS" (in TEAMS "TEAM 1 WINS", or
    // "DRAW"), a player's or a team's row of the table (name, hits, shots, accuracy) and
    // "MATCH TIME 1:05".
    static std::wstring WinnerLine(const TMatchStats& stats);
    static std::array<std::wstring, 4> PlayerCells(const TMatchStats& stats, int player);
    static std::array<std::wstring, 4> TeamCells(const TMatchStats& stats, int team);
    static std::wstring TimeLine(const TMatchStats& stats);
    // The table's rows: one a playing player, then in TEAMS one a team; each with the slot
    // whose tank color its swatch wears.
    struct Row {
        std::array<std::wstring, 4> cells;
        int colorSlot;
    };
    static std::vector<Row> Rows(const TMatchStats& stats);

    TMatchStats stats;
    int mouse_on = -1;
    // After a network match: the connection it played over, while the results show.
    std::shared_ptr<TNetworkRematch> rematch;

private:
    bool RematchOffered() const;
    void ChooseRematch();
    // The network's news: the host's figures, the other side's choice or departure.
    void UpdateRematch();

    int pendingHighlight_ = -1;
    int seenReturns_ = 0;  // Return presses counted when last looked
};
