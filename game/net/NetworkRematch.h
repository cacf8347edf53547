// The time between two network matches: every side looks at the results over the connection
// the match used. A joiner's figures are the host's; REMATCH needs every side (the host
// begins the next match once it and each joiner chose it), and a side that goes elsewhere,
// or vanishes, takes the rematch away from the others.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/world/MatchStats.h"
#include "net/WireFormat.h"

class TNetSession;
class TVexmoor;

class TNetworkRematch {
public:
    // chosen: bit n, player n+1's side chose REMATCH during this side's finale (on a joiner
    // bit 0 is the host's). hostResults: the joiner's copy of the host's figures, if they came.
    TNetworkRematch(std::shared_ptr<TNetSession> session, uint8_t chosen, std::optional<TMatchStats> hostResults);

    // Each frame of the results: reads the network. Once both chose REMATCH, game.network
    // holds the next match and IsStarting says so; the results then open the arena.
    void Update(TVexmoor& game);
    // This side chose REMATCH: the other is told.
    void ChooseRematch();
    // This side goes elsewhere (MATCH SETUP, TITLE, a closed window): the connection is
    // closed, so the other is told, and the set-up screen keeps the role.
    void Leave(TVexmoor& game);

    // REMATCH can be chosen: the other side is still there.
    bool IsOffered() const;
    bool IsStarting() const { return starting_; }
    // What the players read of the rematch: "PLAYER 2 WANTS A REMATCH", "WAITING FOR
    // PLAYER 2", "PLAYER 2 LEFT"; empty while no side has chosen.
    std::wstring Line() const;
    // Joiner: the host's figures, once they came.
    const std::optional<TMatchStats>& HostResults() const { return hostResults_; }

    static Wire::Results ToWire(const TMatchStats& stats);
    static TMatchStats FromWire(const Wire::Results& results);

private:
    bool IsJoiner() const;
    void Start(TVexmoor& game);
    void OtherChose(int slot);
    // The other sides: on a joiner the host (player 1), on the host its joiners.
    std::vector<int> Others() const;

    std::shared_ptr<TNetSession> session_;
    bool chose_ = false;
    uint8_t otherChose_ = 0;  // bit n: player n+1's side chose
    bool starting_ = false;
    bool left_ = false;
    std::optional<TMatchStats> hostResults_;
};
