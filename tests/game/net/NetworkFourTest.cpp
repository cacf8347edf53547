// A host and three joiners in one test process play a free-for-all of four over ENet on
// 127.0.0.1, directly and each through a lossy relay of its own: every joiner plays the
// slot the host gave it with its own keys, and all four games end the match with the same
// hits, the same scores and the same winner.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>

#include "LossyRelay.h"
#include "framework/Clock.h"
#include "game/net/NetworkMatch.h"
#include "game/net/NetworkRematch.h"
#include "game/screens/ResultsScreen.h"
#include "game/tank/Tank.h"
#include "game/world/Player.h"
#include "sound/SoundDevice.h"
#include "tests/support/ArenaFixture.h"
#include "tests/support/GameInstance.h"
#include "tests/support/ResultsScreenIn.h"

using irr::core::vector3df;

namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kJoiners = 3;

class NetworkOfFour : public ::testing::Test {
protected:
    void SetUp() override { clock.Install(); }
    void TearDown() override
    {
        for (auto& j : joiners) j.reset();
        host.reset();
        for (auto& r : relays) r.reset();
        SoundDevice::Shutdown();
        GameClock::SetSource(nullptr);
    }

    // The host game, set up, listening on a free port and in its arena; its port, 0 if none.
    uint16_t StartHost(const std::function<void(TSettings&)>& setUp)
    {
        host = std::make_unique<TGameInstance>();
        if (prepare) prepare(*host);
        setUp(host->game->settings);
        std::string error;
        auto session = TNetSession::Host("127.0.0.1", 0, GameClock::Milliseconds, {}, &error);
        EXPECT_TRUE(session) << error;
        if (!session) return 0;
        const uint16_t port = session->GetPort();
        host->game->network = std::make_shared<TNetworkMatch>(std::move(session));
        host->Within([] { TGame::SetGameState("Arena"); });
        return port;
    }
    // The host's rows 2 to 4 are NETWORK: the joiners take them in the order they come.
    void Connect(bool lossy)
    {
        const uint16_t port = StartHost([](TSettings& settings) {
            for (int slot = 1; slot < 4; ++slot) settings.players[static_cast<size_t>(slot)].status = TPlayerStatus::Network;
            settings.match.arena = TArenaChoice::OpenField;
            settings.match.scoreTo = 3;
        });
        ASSERT_NE(port, 0);
        std::string error;
        for (int j = 0; j < kJoiners; ++j) {
            uint16_t joinPort = port;
            if (lossy) {
                relays[j] = std::make_unique<TLossyRelay>(port, GameClock::Milliseconds, TLossyRelay::Faults{}, 75 + j);
                joinPort = relays[j]->Port();
            }
            joiners[j] = std::make_unique<TGameInstance>();
            if (prepare) prepare(*joiners[j]);
            auto joinSession = TNetSession::Join(TNetAddress{"127.0.0.1", joinPort}, GameClock::Milliseconds, {}, &error);
            ASSERT_TRUE(joinSession) << error;
            joiners[j]->game->network = std::make_shared<TNetworkMatch>(std::move(joinSession));
            joiners[j]->Within([] { TGame::SetGameState("Arena"); });
            // One at a time, so that the slots go in a known order.
            ASSERT_TRUE(FramesUntil([&] { return joiners[j]->game->network->Session().GetStatus() == TNetSession::Status::Connected; }, 300));
            if (j + 1 < kJoiners) {
                EXPECT_NE(host->game->network->Message().find(std::to_wstring(j + 1) + L" OF 3 IN"), std::wstring::npos)
                    << "the host does not say how many are in";
            }
        }
        ASSERT_TRUE(FramesUntil([&] {
            if (!host->game->network->IsPlaying()) return false;
            for (auto& g : joiners)
                if (!g->game->network->View().Newest()) return false;
            return true;
        }, 300));
    }

    void Frame()
    {
        clock.Advance(kFrameMs);
        for (auto& r : relays)
            if (r) r->Pump();
        host->Frame();
        for (auto& g : joiners)
            if (g) g->Frame();
    }
    template <class Condition>
    bool FramesUntil(Condition done, int limit)
    {
        return StepUntil([this] { Frame(); }, done, limit);
    }
    // Whether the game's last frame drew a line of text that starts with `text`.
    static bool Drew(TGameInstance& g, const std::wstring& text)
    {
        for (const auto& line : g.arena->overlay.drawn)
            if (line.text.rfind(text, 0) == 0) return true;
        return false;
    }
    // The game that drives a slot: the host player 1, joiner j the slot j + 1.
    TGameInstance& Driver(int slot) { return slot == 0 ? *host : *joiners[static_cast<size_t>(slot - 1)]; }
    std::shared_ptr<TPlayer> Player(TGameInstance& g, int slot)
    {
        return g.arena->GetGameObjectAs<TPlayer>(TArenaWorld::PlayerKeyOfSlot(slot));
    }

    // The shooter faces its victim at point blank; the other two stand aside. The shot is the
    // shooter's own game's fire key: the host's player 1 (Tab) or a joiner's (Return).
    void Hit(int shooter, int victim)
    {
        const std::string& victimTank = TArenaWorld::TankKeyOfSlot(victim);
        ASSERT_TRUE(FramesUntil([&] { return !host->arena->GetFlag("tanks_disabled"); }, 300));
        Frame();
        host->Within([&] {
            PlaceFacing(*host->arena, TArenaWorld::TankKeyOfSlot(shooter), victimTank, kPointBlank);
            float x = -6.0f;
            for (int slot = 0; slot < 4; ++slot)
                if (slot != shooter && slot != victim) PlaceTank(*host->arena, TArenaWorld::TankKeyOfSlot(slot), vector3df(x += 4.0f, 0, -6), 0);
        });
        for (int i = 0; i < 25; ++i) Frame();  // the joiners' predictions catch up with the move
        TGameInstance& presser = Driver(shooter);
        const irr::EKEY_CODE fire = shooter == 0 ? irr::KEY_TAB : irr::KEY_RETURN;
        presser.Key(fire, true);
        Frame();
        presser.Key(fire, false);
        ASSERT_TRUE(FramesUntil([&] { return host->arena->GetGameObjectAs<TTank>(victimTank)->GetAnimator("die_anim") != nullptr; }, 90))
            << "player " << shooter + 1 << "'s shot at player " << victim + 1 << " did not hit";
    }

    void PlayWholeMatch()
    {
        // Player 2 makes the third hit last; every player shoots and is shot.
        const int hits[][2] = {{1, 0}, {2, 3}, {3, 1}, {0, 2}, {1, 3}, {2, 0}, {1, 2}};
        for (const auto& hit : hits) {
            SCOPED_TRACE("player " + std::to_string(hit[0] + 1) + " hits player " + std::to_string(hit[1] + 1));
            Hit(hit[0], hit[1]);
            ASSERT_FALSE(HasFatalFailure());
        }
        ASSERT_TRUE(FramesUntil([&] {
            if (host->arena->GetFlag("match_end") != 1) return false;
            for (auto& g : joiners)
                if (g->arena->GetFlag("match_end") != 1) return false;
            return true;
        }, 300)) << "the finale did not begin everywhere";
        const std::array<int, 4> made{1, 3, 2, 1}, taken{2, 1, 2, 2};
        for (int slot = 0; slot < 4; ++slot) {
            EXPECT_EQ(Player(*host, slot)->hits, made[static_cast<size_t>(slot)]) << "player " << slot + 1;
            EXPECT_EQ(Player(*host, slot)->score, taken[static_cast<size_t>(slot)]) << "player " << slot + 1;
        }
        EXPECT_EQ(host->arena->winner, 2);
        for (int j = 0; j < kJoiners; ++j) {
            SCOPED_TRACE("joiner " + std::to_string(j + 1));
            TGameInstance& g = *joiners[static_cast<size_t>(j)];
            EXPECT_EQ(g.arena->slots, host->arena->slots);
            for (int slot = 0; slot < 4; ++slot) {
                ASSERT_TRUE(Player(g, slot)) << "player " << slot + 1;
                EXPECT_EQ(Player(g, slot)->hits, Player(*host, slot)->hits) << "player " << slot + 1;
                EXPECT_EQ(Player(g, slot)->score, Player(*host, slot)->score) << "player " << slot + 1;
            }
            EXPECT_EQ(g.arena->winner, host->arena->winner);
        }
        // Every finale plays out: each game goes on to its results.
        ASSERT_TRUE(FramesUntil([&] {
            if (host->Current() == "Arena") return false;
            for (auto& g : joiners)
                if (g->Current() == "Arena") return false;
            return true;
        }, 1500));
        for (auto& g : joiners) EXPECT_EQ(g->game->lastMatch.winner, host->game->lastMatch.winner);
    }

    // Readies each game as it is made, before it enters the arena.
    std::function<void(TGameInstance&)> prepare;
    GameClock::ManualClock clock{100000};
    std::unique_ptr<TGameInstance> host;
    std::array<std::unique_ptr<TGameInstance>, kJoiners> joiners;
    std::array<std::unique_ptr<TLossyRelay>, kJoiners> relays;
};

}  // namespace

TEST_F(NetworkOfFour, AHostAndThreeJoinersOverLoopbackEndWithTheSameScoresOnAllFour)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    // Each joiner is told which player it is, as its match begins.
    for (int j = 0; j < kJoiners; ++j) EXPECT_TRUE(Drew(*joiners[static_cast<size_t>(j)], L"YOU ARE PLAYER " + std::to_wstring(j + 2)));
    PlayWholeMatch();
}

TEST_F(NetworkOfFour, AHostAndThreeJoinersThroughLossyRelaysEndWithTheSameScoresOnAllFour)
{
    Connect(true);
    ASSERT_FALSE(HasFatalFailure());
    PlayWholeMatch();
    for (auto& r : relays) EXPECT_GT(r->dropped, 0u);
}

// A host whose set-up has player 2 at the keys and player 3 NETWORK: the one joiner plays
// player 3, and its keys drive that tank on the host; players 1 and 2 play at the host's keys.
TEST_F(NetworkOfFour, TheSetUpsNetworkRowIsTheJoinersSlot)
{
    const uint16_t port = StartHost([](TSettings& settings) {
        settings.players[1].status = TPlayerStatus::Human;
        settings.players[2].status = TPlayerStatus::Network;
    });
    ASSERT_NE(port, 0);
    std::string error;
    joiners[0] = std::make_unique<TGameInstance>();
    joiners[0]->game->network = std::make_shared<TNetworkMatch>(
        TNetSession::Join(TNetAddress{"127.0.0.1", port}, GameClock::Milliseconds, {}, &error));
    joiners[0]->Within([] { TGame::SetGameState("Arena"); });
    TGameInstance& joiner = *joiners[0];
    ASSERT_TRUE(FramesUntil([&] { return host->game->network->IsPlaying() && joiner.game->network->View().Newest(); }, 300));
    EXPECT_EQ(host->arena->slots, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(joiner.arena->slots, host->arena->slots);
    EXPECT_EQ(joiner.game->network->View().own, 2);
    EXPECT_EQ(Player(*host, 1)->controller, "player2_key_controller");
    EXPECT_EQ(Player(*host, 2)->controller, "player3_net_controller");

    // The joiner's forward key (player 2's, its one player) drives tank 3 on the host.
    ASSERT_TRUE(FramesUntil([&] { return !host->arena->GetFlag("tanks_disabled"); }, 300));
    auto tank3 = host->arena->GetGameObjectAs<TTank>("tank3");
    auto tank1 = host->arena->GetGameObjectAs<TTank>("tank1");
    const vector3df start3 = tank3->GetPosition(), start1 = tank1->GetPosition();
    joiner.Key(irr::KEY_UP, true);
    EXPECT_TRUE(FramesUntil([&] { return tank3->GetPosition().getDistanceFrom(start3) > 1.0f; }, 120))
        << "the joiner's key does not drive player 3's tank";
    joiner.Key(irr::KEY_UP, false);
    EXPECT_LT(tank1->GetPosition().getDistanceFrom(start1), 0.01f) << "the joiner drove player 2's tank too";
}

// Without a host, a NETWORK row left in the settings from hosting drives nothing: player 3
// plays no tank (players 1 and 2, who always play, take their keys).
TEST_F(NetworkOfFour, ANetworkRowOutsideAHostedMatchPlaysNoTank)
{
    host = std::make_unique<TGameInstance>();
    host->game->settings.players[2].status = TPlayerStatus::Network;
    host->game->settings.players[3].status = TPlayerStatus::ComputerEasy;
    host->Within([] { TGame::SetGameState("Arena"); });
    host->Frame();
    EXPECT_EQ(host->arena->slots, (std::vector<int>{0, 1, 3}));
    EXPECT_FALSE(host->arena->GetGameObjectAs<TTank>("tank3"));
}

// After the match all four look at the results over the same connections; the host begins
// the next match only once it and all three joiners chose REMATCH, each in its own slot.
TEST_F(NetworkOfFour, ARematchOfFourNeedsEverySide)
{
    std::map<TGameInstance*, std::shared_ptr<TVexmoorResultsScreen>> results;
    prepare = [&](TGameInstance& g) { results[&g] = AddResultsScreen(g); };
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    PlayWholeMatch();
    ASSERT_FALSE(HasFatalFailure());
    auto onResults = [](TGameInstance& g) { return g.Current() == "ResultsScreen"; };
    ASSERT_TRUE(onResults(*host));
    for (auto& g : joiners) ASSERT_TRUE(onResults(*g));
    for (int i = 0; i < 3; ++i) Frame();  // the menus are lit
    // The joiners' results are the host's figures, for all four players.
    for (auto& g : joiners) {
        ASSERT_TRUE(FramesUntil([&] { return results[g.get()]->stats.hits[1] == 3; }, 100));
        EXPECT_TRUE(results[g.get()]->stats.playing[3]);
        EXPECT_EQ(results[g.get()]->stats.winner, 2);
    }
    auto tap = [&](TGameInstance& g) {
        g.Key(irr::KEY_RETURN, true);
        Frame();
        g.Key(irr::KEY_RETURN, false);
        Frame();
    };
    auto line = [&](TGameInstance& g) { return results[&g]->rematch ? results[&g]->rematch->Line() : L"(none)"; };
    tap(*host);
    tap(*joiners[0]);
    tap(*joiners[1]);
    ASSERT_TRUE(FramesUntil([&] { return line(*host) == L"WAITING FOR PLAYER 4"; }, 60));
    EXPECT_EQ(line(*joiners[0]), L"WAITING FOR PLAYER 1");
    EXPECT_EQ(line(*joiners[2]), L"PLAYER 1 WANTS A REMATCH");
    for (int i = 0; i < 60; ++i) Frame();
    EXPECT_TRUE(onResults(*host)) << "three of four sides started a match";
    tap(*joiners[2]);
    ASSERT_TRUE(FramesUntil([&] {
        if (host->Current() != "Arena" || !host->game->network || !host->game->network->IsPlaying()) return false;
        for (auto& g : joiners)
            if (g->Current() != "Arena" || !g->game->network || !g->game->network->View().Newest()) return false;
        return true;
    }, 300)) << "the rematch did not begin on all four";
    for (int j = 0; j < kJoiners; ++j) EXPECT_EQ(joiners[static_cast<size_t>(j)]->game->network->View().own, j + 1);
    EXPECT_EQ(Player(*host, 1)->hits, 0);
    Hit(3, 0);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(FramesUntil([&] { return Player(*joiners[0], 3)->hits == 1; }, 60)) << "the joiners follow the new match";
}
