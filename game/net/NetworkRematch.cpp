#include "game/net/NetworkRematch.h"

#include <algorithm>
#include <cstdio>
#include <variant>

#include "game/Vexmoor.h"
#include "game/net/NetworkMatch.h"
#include "game/net/NetworkMatchEnd.h"
#include "net/NetSession.h"

TNetworkRematch::TNetworkRematch(std::shared_ptr<TNetSession> session, bool otherChose,
                                 std::optional<TMatchStats> hostResults)
    : session_(std::move(session)), hostResults_(std::move(hostResults))
{
    if (otherChose) OtherChose();
}

void TNetworkRematch::OtherChose()
{
    if (otherChose_) return;
    otherChose_ = true;
    std::fprintf(stderr, "network: player %d chose a rematch\n", IsJoiner() ? 1 : 2);
}

bool TNetworkRematch::IsJoiner() const { return session_->GetRole() == TNetSession::Role::Joiner; }

bool TNetworkRematch::IsOffered() const { return !left_ && !session_->IsOver(); }

void TNetworkRematch::Update(TVexmoor& game)
{
    if (starting_ || left_) return;
    session_->Service();
    while (auto message = session_->Receive()) {
        if (std::holds_alternative<Wire::Rematch>(*message)) OtherChose();
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
    // The host starts the match both chose; the joiner waits for the host's set-up.
    if (!IsJoiner() && chose_ && otherChose_ && IsOffered()) Start(game);
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
    const std::wstring other = IsJoiner() ? L"PLAYER 1" : L"PLAYER 2";
    if (session_->IsOver())
        return session_->GetStatus() == TNetSession::Status::Left ? other + L" LEFT" : L"CONNECTION TO " + other + L" LOST";
    if (chose_) return L"WAITING FOR " + other;
    if (otherChose_) return other + L" WANTS A REMATCH";
    return L"";
}

Wire::Results TNetworkRematch::ToWire(const TMatchStats& stats)
{
    Wire::Results r;
    r.winner = static_cast<uint8_t>(stats.winner == 1 || stats.winner == 2 ? stats.winner : 0);
    r.elapsedMs = static_cast<uint32_t>(std::clamp<int64_t>(stats.elapsedMs, 0, Wire::kMaxMatchMs));
    for (size_t p = 0; p < 2; ++p) {
        r.shots[p] = static_cast<uint16_t>(std::clamp(stats.shots[p], 0, 0xFFFF));
        r.hits[p] = static_cast<uint16_t>(std::clamp(stats.hits[p], 0, static_cast<int>(r.shots[p])));
    }
    return r;
}

TMatchStats TNetworkRematch::FromWire(const Wire::Results& r)
{
    TMatchStats stats;
    stats.winner = r.winner;
    stats.elapsedMs = static_cast<int>(r.elapsedMs);
    for (size_t p = 0; p < 2; ++p) {
        stats.shots[p] = r.shots[p];
        stats.hits[p] = r.hits[p];
    }
    stats.network = true;
    return stats;
}
