// A match over the network, as the arena meets it: on the host, each joiner's tank is driven
// by a network controller and the match is sent out as snapshots and events; on a joiner,
// its input goes to the host and the host's match is drawn (TJoinerView). A host's joiners
// play the set-up's NETWORK rows, or player 2 when no row is NETWORK. The arena calls the
// four hooks below; the match logic itself never knows about the network.
#pragma once

#include <irrlicht.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/net/JoinerView.h"
#include "game/world/MatchStats.h"
#include "net/NetSession.h"

class TArenaWorld;
class TNetworkTankController;

class TNetworkMatch {
public:
    // rematch: the match both players chose on the results of one before it over the same
    // connection (the host tells the joiner its set-up as the match begins).
    explicit TNetworkMatch(std::shared_ptr<TNetSession> session, bool rematch = false);

    // Listens (host) or connects (joiner) with the game's clock; null with a line in *error.
    static std::shared_ptr<TNetworkMatch> Host(const std::string& address, uint16_t port, std::string* error);
    static std::shared_ptr<TNetworkMatch> Join(const TNetAddress& host, std::string* error);

    bool IsJoiner() const { return session_->GetRole() == TNetSession::Role::Joiner; }

    // The arena's hooks: as it is entered; before its objects update (the network is read
    // and the controllers fed); after (snapshots sent, or the host's match drawn) — true
    // when the arena's own match logic is to be left out this frame; as it is left (a
    // match played to its end hands its connection on to the results).
    void Enter(TArenaWorld& arena);
    void BeforeObjects(TArenaWorld& arena);
    bool AfterObjects(TArenaWorld& arena);
    void Leave(TArenaWorld& arena);

    // Host: a piece of this match's replay file (as the tape writes it) for the joiner, who
    // keeps it as its own replay of the match.
    void SendRecording(const std::vector<uint8_t>& piece);

    TNetSession& Session() { return *session_; }
    TJoinerView& View() { return view_; }
    bool IsPlaying() const { return phase_ == Phase::Playing; }
    // Why the match ended early ("CONNECTION LOST", ...); empty otherwise.
    const std::string& EndMessage() const { return endMessage_; }
    // What the players are to read of the network now ("WAITING FOR A PLAYER ON PORT
    // 47400", "JOINING THE HOST", why the match ended); empty while the match plays. The
    // match's overlay shows it.
    const std::wstring& Message() const { return message_; }
    // When this machine's match began to play (the game's clock), if it has.
    std::optional<uint32_t> PlayingSinceMs() const { return playingSinceMs_; }

    uint32_t snapshotIntervalMs = 33;  // 30 a second
    uint32_t messageShownMs = 2000;    // an early end is shown this long before the set-up screen
    // Joiner: the newest input state sent. Host: the newest the first joiner's tank has taken.
    uint32_t inputSequence = 0;
    // Processor time spent in the hooks, for the benchmark.
    uint64_t cpuNanoseconds = 0;

private:
    enum class Phase { Waiting, Playing, Finale, Ended };

    void HostBefore(TArenaWorld& arena);
    void HostAfter(TArenaWorld& arena);
    void JoinerBefore(TArenaWorld& arena);
    void JoinerAfter(TArenaWorld& arena);
    void StartPlaying(TArenaWorld& arena);
    // The joiner plays the host's arena: a built-in model, the maze of the host's seed or
    // the host's grid, checked as a file is; one it cannot make or refuses ends the match.
    void UseHostsArena(TArenaWorld& arena, const Wire::MatchSetup& setup);
    // Each player's hits taken and made, player 1 first (0 for a slot that does not play).
    struct Standings {
        std::array<uint8_t, Wire::kMaxTanks> scores{}, hits{};
    };
    // The match is decided, with these standings and this winning side.
    void StartFinale(TArenaWorld& arena, const Standings& standings, int winner);
    Standings StandingsOf(TArenaWorld& arena);
    static Standings StandingsOf(const Wire::Snapshot& snapshot);
    // Host: the slots the joiners play; the set-up's NETWORK rows, else player 2.
    static std::vector<uint8_t> JoinerSlotsOf(TArenaWorld& arena);
    // Joiner: the host's players take their slots here, and this machine drives its own.
    void TakeHostsSlots(TArenaWorld& arena, const Wire::MatchSetup& setup);
    void EndEarly(TArenaWorld& arena, const std::string& message);
    // The finale ran to its end: the arena goes on to what follows a decided match.
    bool FinalePlayedOut(TArenaWorld& arena) const;
    // Messages of the time after the match, which may come while the finale plays.
    void TakeAfterMatch(const Wire::Message& message, int slot);
    Wire::Snapshot TakeSnapshot(TArenaWorld& arena);
    static Wire::MatchSetup SetupOf(TArenaWorld& arena);
    void SendEvents(TArenaWorld& arena, const Wire::Snapshot& now);
    std::shared_ptr<TNetworkTankController> Controller(TArenaWorld& arena, int slot);

    std::shared_ptr<TNetSession> session_;
    bool rematch_ = false;
    Phase phase_ = Phase::Waiting;
    uint8_t rematchChosen_ = 0;  // bit n: player n+1's side chose REMATCH (the host is player 1)
    std::string endMessage_;
    uint32_t endedAtMs_ = 0;
    std::wstring message_;
    std::optional<uint32_t> playingSinceMs_;
    // Host.
    uint32_t nextSnapshotMs_ = 0;
    uint32_t snapshotSequence_ = 0;
    std::optional<Wire::Snapshot> lastSent_;
    // Joiner.
    std::deque<Wire::InputState> inputs_;  // newest first
    std::vector<uint8_t> recordingPiece_;    // the host's piece being put together
    bool recordingTooLong_ = false;
    std::optional<TMatchStats> hostResults_;
    TJoinerView view_;
};
