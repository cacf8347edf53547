#include "game/net/NetworkRematch.h"

#include <algorithm>
#include <cstdio>
#include <variant>

#include "game/Vexmoor.h"
#include "game/net/NetworkMatch.h"
#include "game/net/NetworkMatchEnd.h"
#include "net/NetSession.h"

TNetworkRematch::TNetworkRematch(std::shared_ptr<TNetSession> session, uint8_t chosen,
                                 std::optional<TMatchStats> hostResults)
    : session_(std::move(session)), hostResults_(std::move(hostResults))
{
    for (int slot = 0; slot < Wire::kMaxTanks; ++slot)
        if (chosen >> slot & 1) OtherChose(slot);
}

void TNetworkRematch::OtherChose(int slot)
{
    if (slot < 0 || slot >= Wire::kMaxTanks || (otherChose_ >> slot & 1)) return;
    otherChose_ |= static_cast<uint8_t>(1 << slot);
    std::fprintf(stderr, "network: player %d chose a rematch\n", slot + 1);
}

std::vector<int> TNetworkRematch::Others() const
{
    if (IsJoiner()) return {0};
    return std::vector<int>(session_->JoinerSlots().begin(), session_->JoinerSlots().end());
}

bool TNetworkRematch::IsJoiner() const { return session_->GetRole() == TNetSession::Role::Joiner; }

bool TNetworkRematch::IsOffered() const { return !left_ && !session_->IsOver(); }

void TNetworkRematch::Update(TVexmoor& game)
{
    if (starting_ || left_) return;
    session_->Service();
    int slot = 0;
    while (auto message = session_->Receive(&slot)) {
        if (std::holds_alternative<Wire::Rematch>(*message)) OtherChose(IsJoiner() ? 0 : slot);
        if (auto* results = std::get_if<Wire::Results>(&*message); results && IsJoiner()) {
            hostResults_ = FromWire(*results);
            game.lastMatch = *hostResults_;
        }
        // The host's new match: what follows it on the wire is that match's, for the arena.
        if (auto* next = std::get_if<Wire::NextMatch>(&*message); next && IsJoiner() && chose_) {
            session_->SetSetup(next->setup);
            Start(game);
            return;
        }
    }
    // The host starts the match every side chose; a joiner waits for the host's set-up.
    const std::vector<int> others = Others();
    const bool allChose = std::all_of(others.begin(), others.end(), [this](int s) { return otherChose_ >> s & 1; });
    if (!IsJoiner() && chose_ && allChose && IsOffered()) Start(game);
}

void TNetworkRematch::ChooseRematch()
{
    if (chose_ || !IsOffered()) return;
    chose_ = true;
    session_->Send(Wire::Rematch{});
    session_->Flush();
}

void TNetworkRematch::Leave(TVexmoor& game)
{
    if (left_ || starting_) return;
    left_ = true;
    session_->Close();
    if (auto end = game.networkMatchEnd.lock()) end->AfterNetworkMatch(*session_, session_->GetMessage());
}

void TNetworkRematch::Start(TVexmoor& game)
{
    starting_ = true;
    game.network = std::make_shared<TNetworkMatch>(session_, true);
}

std::wstring TNetworkRematch::Line() const
{
    const std::vector<int> others = Others();
    auto player = [](int slot) { return L"PLAYER " + std::to_wstring(slot + 1); };
    if (session_->IsOver()) {
        // With several joiners the session names the player who went.
        const std::string& message = session_->GetMessage();
        if (message.rfind("PLAYER ", 0) == 0 || message.rfind("CONNECTION TO PLAYER ", 0) == 0)
            return std::wstring(message.begin(), message.end());
        const std::wstring other = player(others.front());
        return session_->GetStatus() == TNetSession::Status::Left ? other + L" LEFT" : L"CONNECTION TO " + other + L" LOST";
    }
    for (int slot : others)
        if (chose_ && !(otherChose_ >> slot & 1)) return L"WAITING FOR " + player(slot);
    if (chose_) return L"WAITING FOR " + player(others.front());
    for (int slot : others)
        if (otherChose_ >> slot & 1) return player(slot) + L" WANTS A REMATCH";
    return L"";
}

Wire::Results TNetworkRematch::ToWire(const TMatchStats& stats)
{
    Wire::Results r;
    r.mode = stats.mode == TMatchMode::Teams ? 1 : 0;
    r.playing = 3;
    for (int p = 0; p < Wire::kMaxTanks; ++p)
        if (stats.playing[p]) r.playing |= static_cast<uint8_t>(1 << p);
    const bool known = r.mode ? stats.winner == 1 || stats.winner == 2
                              : stats.winner >= 1 && stats.winner <= Wire::kMaxTanks && (r.playing >> (stats.winner - 1) & 1);
    r.winner = static_cast<uint8_t>(known ? stats.winner : 0);
    r.elapsedMs = static_cast<uint32_t>(std::clamp<int64_t>(stats.elapsedMs, 0, Wire::kMaxMatchMs));
    for (size_t p = 0; p < Wire::kMaxTanks; ++p) {
        r.shots[p] = static_cast<uint16_t>(std::clamp(stats.shots[p], 0, 0xFFFF));
        r.hits[p] = static_cast<uint16_t>(std::clamp(stats.hits[p], 0, static_cast<int>(r.shots[p])));
    }
    return r;
}

TMatchStats TNetworkRematch::FromWire(const Wire::Results& r)
{
    TMatchStats stats;
    stats.winner = r.winner;
    stats.mode = r.mode ? TMatchMode::Teams : TMatchMode::FreeForAll;
    stats.elapsedMs = static_cast<int>(r.elapsedMs);
    for (size_t p = 0; p < Wire::kMaxTanks; ++p) {
        stats.playing[p] = r.playing >> p & 1;
        stats.shots[p] = r.shots[p];
        stats.hits[p] = r.hits[p];
    }
    stats.network = true;
    return stats;
}
