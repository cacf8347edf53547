// Two games in one test process, a host and a joiner, play over ENet on 127.0.0.1: whole
// matches end with the same scores on both sides, directly and through a lossy relay; the
// joiner's tanks stay close to the host's and it hears the shots and deaths; a side that
// vanishes or leaves ends the other's match, whose set-up screen says why and plays again;
// after the finale both show the host's results, and a rematch needs both players.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <map>
#include <random>
#include <optional>

#include "LossyRelay.h"
#include "framework/Clock.h"
#include "game/world/Player.h"
#include "game/tank/Tank.h"
#include "game/tank/TankShell.h"
#include "game/net/NetworkMatch.h"
#include "game/net/NetworkRematch.h"
#include "game/screens/ResultsScreen.h"
#include "game/control/NetworkTankController.h"
#include "game/replay/ReplayReader.h"
#include "sound/Sound.h"
#include "sound/SoundDevice.h"
#include "tests/support/ArenaFixture.h"
#include "tests/support/GameInstance.h"
#include "tests/support/ResultsScreenIn.h"

using irr::core::vector3df;

namespace {

constexpr uint32_t kFrameMs = 16;

class NetworkMatch : public ::testing::Test {
protected:
    void SetUp() override { clock.Install(); }
    void TearDown() override
    {
        joiner.reset();
        host.reset();
        relay.reset();
        SoundDevice::Shutdown();
        GameClock::SetSource(nullptr);
    }

    // The host listens on a free port; the joiner connects to it, or through a relay.
    void Connect(bool lossy, const std::function<void(TSettings&)>& hostSetup = nullptr)
    {
        host = std::make_unique<TGameInstance>();
        if (hostSetup) hostSetup(host->game->settings);
        if (prepare) prepare(*host);
        std::string error;
        auto hostSession = TNetSession::Host("127.0.0.1", 0, GameClock::Milliseconds, {}, &error);
        ASSERT_TRUE(hostSession) << error;
        port = hostSession->GetPort();
        uint16_t joinPort = port;
        if (lossy) {
            relay = std::make_unique<TLossyRelay>(port, GameClock::Milliseconds, TLossyRelay::Faults{});
            joinPort = relay->Port();
        }
        host->game->network = std::make_shared<TNetworkMatch>(std::move(hostSession));
        hostMatch = host->game->network;
        host->Within([] { TGame::SetGameState("Arena"); });
        StartJoiner(joinPort);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(FramesUntil([&] { return BothPlaying(); }, 300));
    }
    // A new game joins the host at `joinPort` and enters the arena.
    void StartJoiner(uint16_t joinPort)
    {
        joiner = std::make_unique<TGameInstance>();
        if (prepare) prepare(*joiner);
        joinerRuns = true;
        std::string error;
        auto joinSession = TNetSession::Join(TNetAddress{"127.0.0.1", joinPort}, GameClock::Milliseconds, {}, &error);
        ASSERT_TRUE(joinSession) << error;
        joiner->game->network = std::make_shared<TNetworkMatch>(std::move(joinSession));
        joinMatch = joiner->game->network;
        joiner->Within([] { TGame::SetGameState("Arena"); });
    }
    bool BothPlaying() { return hostMatch && joinMatch && hostMatch->IsPlaying() && joinMatch->View().Newest(); }
    // The network match each game plays now; the ended ones are let go, as the games do.
    void TakeMatches()
    {
        hostMatch = host->game->network;
        joinMatch = joiner ? joiner->game->network : nullptr;
    }
    std::wstring SetupNote(TGameInstance& g) { return g.start->network.note ? g.start->network.note->getText() : L"(no note)"; }

    void Frame()
    {
        clock.Advance(kFrameMs);
        if (relay) relay->Pump();
        if (hostRuns) host->Frame();
        if (joinerRuns) joiner->Frame();
        if (afterFrame) afterFrame();
    }
    template <class Condition>
    bool FramesUntil(Condition done, int limit)
    {
        return StepUntil([this] { Frame(); }, done, limit);
    }

    std::shared_ptr<TTank> Tank(TGameInstance& g, const char* key) { return g.arena->GetGameObjectAs<TTank>(key); }
    int Score(TGameInstance& g, const char* player)
    {
        auto p = g.arena->GetGameObjectAs<TPlayer>(player);
        return p ? p->score : -1;
    }


    // One hit: the joiner's tank ("tank1", player 2) shoots the host's ("tank2", player 1)
    // with the joiner's fire key, or the other way round with the host's.
    void Hit(bool joinerShoots)
    {
        const char* shooter = joinerShoots ? "tank1" : "tank2";
        const char* victim = joinerShoots ? "tank2" : "tank1";
        ASSERT_TRUE(FramesUntil([&] { return !host->arena->GetFlag("tanks_disabled"); }, 200));
        Frame();  // the respawn of the last victim
        host->Within([&] { Place(*host->arena, shooter, victim); });
        Frames(20);  // the joiner's prediction catches up with the move
        TGameInstance& presser = joinerShoots ? *joiner : *host;
        const irr::EKEY_CODE fire = joinerShoots ? irr::KEY_RETURN : irr::KEY_TAB;
        presser.Key(fire, true);
        Frame();
        presser.Key(fire, false);
        ASSERT_TRUE(FramesUntil([&] { return Tank(*host, victim)->GetAnimator("die_anim") != nullptr; }, 60))
            << (joinerShoots ? "the joiner's shot" : "the host's shot") << " did not hit";
    }
    // Whether the game's last frame drew a line of text that starts with `text`.
    bool Drew(TGameInstance& g, const std::wstring& text)
    {
        for (const auto& line : g.arena->overlay.drawn)
            if (line.text.rfind(text, 0) == 0) return true;
        return false;
    }
    std::wstring ClockDrawn(TGameInstance& g)
    {
        for (const auto& line : g.arena->overlay.drawn)
            if (line.text.find(L':') != std::wstring::npos && line.text.size() <= 5) return line.text;
        return L"(no clock)";
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i) Frame();
    }

    // The shooter and its victim face each other at point blank: where the built-in arenas
    // are open, or on an arena grid on two cells of a row with floor between them.
    static void Place(TArenaWorld& world, const char* shooter, const char* victim)
    {
        if (!world.arenaGrid) return PlaceFacing(world, shooter, victim, kPointBlank);
        const TArenaGrid& grid = *world.arenaGrid;
        const int apart = static_cast<int>(std::lround(2 * kPointBlank / grid.CellSize()));
        for (int row = 0; row < grid.Rows(); ++row)
            for (int column = 0; column + apart < grid.Columns(); ++column) {
                bool clear = grid.TankFits({column, row}) && grid.TankFits({column + apart, row});
                for (int c = column; clear && c <= column + apart; ++c) clear = grid.IsWalkable({c, row});
                if (!clear) continue;
                PlaceTank(world, shooter, grid.CellCenter({column, row}), 90);
                PlaceTank(world, victim, grid.CellCenter({column + apart, row}), -90);
                return;
            }
        FAIL() << "no two cells " << apart << " apart with floor between them";
    }

    // The walls each side built, as boxes.
    static std::vector<irr::core::aabbox3df> WallBoxes(TGameInstance& g)
    {
        return g.arena->arenaGrid ? g.arena->arenaGrid->WallBoxes() : std::vector<irr::core::aabbox3df>{};
    }
    // A whole match on an arena grid the host chose, the joiner having chosen another.
    void PlayWholeMatchOnAGrid(const std::function<void(TMatchOptions&)>& choose)
    {
        Connect(false, [&](TSettings& s) { choose(s.match); });
        ASSERT_FALSE(HasFatalFailure());
        Frames(5);
        ASSERT_TRUE(host->arena->arenaGrid);
        ASSERT_TRUE(joiner->arena->arenaGrid) << "the joiner plays no grid";
        EXPECT_EQ(*joiner->arena->arenaGrid, *host->arena->arenaGrid);
        const std::vector<irr::core::aabbox3df> hostWalls = WallBoxes(*host), joinerWalls = WallBoxes(*joiner);
        ASSERT_EQ(joinerWalls.size(), hostWalls.size());
        ASSERT_FALSE(hostWalls.empty());
        for (size_t i = 0; i < hostWalls.size(); ++i) {
            EXPECT_EQ(joinerWalls[i].MinEdge, hostWalls[i].MinEdge) << i;
            EXPECT_EQ(joinerWalls[i].MaxEdge, hostWalls[i].MaxEdge) << i;
        }
        // And the meshes drawn and collided with are the same: the joiner's arena node
        // holds as many vertices within the same bounds.
        auto arenaNode = [](TGameInstance& g) {
            auto object = g.arena->GetGameObjectAs<TNodeGameObject>("arena");
            return object ? static_cast<irr::scene::IMeshSceneNode*>(object->_node) : nullptr;
        };
        ASSERT_TRUE(arenaNode(*host) && arenaNode(*joiner));
        EXPECT_EQ(arenaNode(*joiner)->getMesh()->getBoundingBox(), arenaNode(*host)->getMesh()->getBoundingBox());
        EXPECT_EQ(arenaNode(*joiner)->getMesh()->getMeshBufferCount(), arenaNode(*host)->getMesh()->getMeshBufferCount());
        EXPECT_EQ(joiner->arena->MazeSeed(), host->arena->MazeSeed());
        EXPECT_EQ(host->arena->MazeSeed() != 0, host->arena->match.arena == TArenaChoice::RandomMaze);
        PlayWholeMatch();
        EXPECT_EQ(joinMatch->Session().GetDrops().Total(), 0u);
    }

    // Ten hits by the joiner and four by the host, then the finale on both sides.
    void PlayWholeMatch()
    {
        for (int hit = 0; hit < 14; ++hit) {
            SCOPED_TRACE(hit);
            Hit(hit % 3 != 2);  // the host's four at 2, 5, 8 and 11; the joiner's tenth last
            ASSERT_FALSE(HasFatalFailure());
        }
        ASSERT_TRUE(FramesUntil([&] { return host->arena->GetFlag("match_end") == 1; }, 200));
        EXPECT_EQ(Score(*host, "player1"), 10);
        EXPECT_EQ(Score(*host, "player2"), 4);
        ASSERT_TRUE(FramesUntil([&] { return joiner->arena->GetFlag("match_end") == 1; }, 100));
        EXPECT_EQ(Score(*joiner, "player1"), Score(*host, "player1"));
        EXPECT_EQ(Score(*joiner, "player2"), Score(*host, "player2"));
        // Player 2 (the joiner) made the ten hits: both screens name the winner alike.
        EXPECT_EQ(host->arena->winner, 2);
        EXPECT_TRUE(FramesUntil([&] { return Drew(*joiner, L"PLAYER 2 WINS"); }, 10)) << "the joiner names no winner";
        // Both finales play out and both games are back on the title.
        ASSERT_TRUE(FramesUntil([&] { return host->Current() == "TitleScreen" && joiner->Current() == "TitleScreen"; },
                                1500));
        EXPECT_EQ(host->game->network, nullptr);
        EXPECT_EQ(joiner->game->network, nullptr);
    }

    GameClock::ManualClock clock{100000};
    std::unique_ptr<TGameInstance> host, joiner;
    std::unique_ptr<TLossyRelay> relay;
    std::shared_ptr<TNetworkMatch> hostMatch, joinMatch;
    uint16_t port = 0;  // the host's
    bool hostRuns = true, joinerRuns = true;
    std::function<void()> afterFrame;
    // Readies each game as it is made, before it enters the arena.
    std::function<void(TGameInstance&)> prepare;
};

}  // namespace

TEST_F(NetworkMatch, AWholeMatchOverLoopbackEndsWithTheSameScoresOnBothSides)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    PlayWholeMatch();
    EXPECT_EQ(hostMatch->Session().GetDrops().Total(), 0u);
    EXPECT_EQ(joinMatch->Session().GetDrops().Total(), 0u);
}

TEST_F(NetworkMatch, AWholeMatchThroughALossyRelayEndsWithTheSameScoresOnBothSides)
{
    Connect(true);
    ASSERT_FALSE(HasFatalFailure());
    PlayWholeMatch();
    EXPECT_GT(relay->dropped, 0u);
    EXPECT_GT(relay->reordered, 0u);
}

// The host's arena file goes as its grid, its random maze as the seed, generator version
// and size: the joiner (whose own set-up is FORTS) builds the same walls and the whole
// match plays out alike on both sides.
TEST_F(NetworkMatch, AWholeMatchOnTheHostsArenaFileHasTheSameWallsOnBothSides)
{
    PlayWholeMatchOnAGrid([](TMatchOptions& m) {
        m.arena = TArenaChoice::Custom;
        m.customArena = "Courtyard";
    });
}

TEST_F(NetworkMatch, AWholeMatchOnTheHostsRandomMazeHasTheSameWallsOnBothSides)
{
    PlayWholeMatchOnAGrid([](TMatchOptions& m) { m.arena = TArenaChoice::RandomMaze; });
}

// F9 on the host pauses the match on both screens: the joiner draws PAUSED as the host
// does and its clock of a timed match stands with the host's; F9 again resumes both.
TEST_F(NetworkMatch, TheJoinerShowsTheHostsPauseAndClock)
{
    Connect(false, [](TSettings& s) { s.match.timeLimitSeconds = 136; });
    ASSERT_FALSE(HasFatalFailure());
    Frames(130);  // two seconds of the match
    EXPECT_FALSE(Drew(*joiner, L"PAUSED"));
    auto clocksAgree = [&] { return std::abs(joiner->arena->rules.SecondsLeft() - host->arena->rules.SecondsLeft()) <= 1; };
    EXPECT_NE(ClockDrawn(*joiner), L"(no clock)");
    EXPECT_TRUE(clocksAgree()) << "joiner " << joiner->arena->rules.SecondsLeft() << " s, host " << host->arena->rules.SecondsLeft();
    host->Key(irr::KEY_F9, true);
    Frame();
    host->Key(irr::KEY_F9, false);
    ASSERT_TRUE(FramesUntil([&] { return Drew(*host, L"PAUSED"); }, 5));
    EXPECT_TRUE(FramesUntil([&] { return Drew(*joiner, L"PAUSED"); }, 30)) << "the joiner does not show the pause";
    const std::wstring stood = ClockDrawn(*joiner);
    Frames(200);
    EXPECT_TRUE(Drew(*joiner, L"PAUSED"));
    EXPECT_EQ(ClockDrawn(*joiner), stood) << "the joiner's clock ran through the pause";
    EXPECT_EQ(ClockDrawn(*host), stood);
    host->Key(irr::KEY_F9, true);
    Frame();
    host->Key(irr::KEY_F9, false);
    EXPECT_TRUE(FramesUntil([&] { return !Drew(*joiner, L"PAUSED"); }, 30)) << "the joiner stays paused";
    Frames(130);
    EXPECT_TRUE(clocksAgree()) << "joiner " << joiner->arena->rules.SecondsLeft() << " s, host " << host->arena->rules.SecondsLeft();
    EXPECT_LT(joiner->arena->rules.SecondsLeft(), 136 - 3) << "the joiner's clock does not run";
}

// A timed match that runs out level goes into sudden death on the host; the joiner's
// clock line says so too, not "0:00".
TEST_F(NetworkMatch, TheJoinerShowsSuddenDeathWhenTheHostsClockRunsOutLevel)
{
    Connect(false, [](TSettings& s) { s.match.timeLimitSeconds = 2; });
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(FramesUntil([&] { return Drew(*host, L"SUDDEN DEATH"); }, 400)) << "the host never reached sudden death";
    EXPECT_TRUE(FramesUntil([&] { return Drew(*joiner, L"SUDDEN DEATH"); }, 30))
        << "the joiner shows " << ClockDrawn(*joiner);
}

// The host's set-up is the match's: the joiner, entered with a set-up of its own, plays in
// the host's arena with the host's tanks.
TEST_F(NetworkMatch, TheJoinerPlaysInTheHostsArenaWithTheHostsTanks)
{
    Connect(false, [](TSettings& s) {
        s.match.arena = TArenaChoice::OpenField;
        s.players[0].tank = TTankModel::Sleek;
        s.players[1].tank = TTankModel::Boxy;
    });
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_NE(TMatchOptions{}.arena, TArenaChoice::OpenField) << "the joiner's own set-up is another arena";
    Frames(5);
    EXPECT_EQ(joiner->arena->arena_model, host->arena->arena_model);
    EXPECT_EQ(joiner->arena->match.arena, TArenaChoice::OpenField);
    auto meshOf = [](TGameInstance& g, const char* key) {
        auto object = g.arena->GetGameObjectAs<TNodeGameObject>(key);
        auto* node = object ? static_cast<irr::scene::IMeshSceneNode*>(object->_node) : nullptr;
        return node ? node->getMesh() : nullptr;
    };
    for (const char* key : {"arena", "tank1", "tank2"})
        EXPECT_EQ(meshOf(*joiner, key)->getMeshBuffer(0)->getVertexCount(), meshOf(*host, key)->getMeshBuffer(0)->getVertexCount()) << key;
    // The joiner plays the host's set-up but keeps its own for its next matches (its
    // settings are written when it leaves the set-up screen or a match ends).
    EXPECT_EQ(joiner->game->settings.match.arena, TMatchOptions{}.arena);
    EXPECT_EQ(joiner->game->settings.players[0].tank, TTankModel::Boxy);
    EXPECT_EQ(joiner->game->settings.players[1].tank, TTankModel::Sleek);
}

// Both tanks turn through more than a half turn, each in its own steps: the joiner draws
// each tank facing where the host has it (turning leaves rotations such as (180, 175, 180),
// whose Y alone is no heading).
TEST_F(NetworkMatch, TheJoinerDrawsBothTanksFacingAsTheHostHasThem)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    auto headingGap = [&](const char* key) {
        const float d = std::fabs(Tank(*joiner, key)->GetHeading() - Tank(*host, key)->GetHeading());
        return std::min(d, 360.0f - d);
    };
    for (int frames : {25, 40, 70}) {
        SCOPED_TRACE(frames);
        host->Key(irr::KEY_KEY_Z, true);
        joiner->Key(irr::KEY_RIGHT, true);
        Frames(frames);
        host->Key(irr::KEY_KEY_Z, false);
        joiner->Key(irr::KEY_RIGHT, false);
        Frames(30);
        EXPECT_LT(headingGap("tank2"), 2.0f) << "the host's tank";
        EXPECT_LT(headingGap("tank1"), 2.0f) << "the joiner's own tank";
    }
    // Turning across north, where the heading goes from 359 to 0, the host's tank is drawn
    // turning smoothly frame by frame, never flipped round for a frame.
    host->Within([&] { PlaceTank(*host->arena, "tank2", Tank(*host, "tank2")->GetPosition(), 30); });
    Frames(30);
    host->Key(irr::KEY_KEY_Z, true);
    float last = Tank(*joiner, "tank2")->GetHeading(), widest = 0;
    bool crossed = false;
    for (int frame = 0; frame < 40; ++frame) {
        Frame();
        const float now = Tank(*joiner, "tank2")->GetHeading();
        crossed = crossed || std::fabs(now - last) > 180.0f;
        const float step = std::fabs(now - last);
        widest = std::max(widest, std::min(step, 360.0f - step));
        last = now;
    }
    host->Key(irr::KEY_KEY_Z, false);
    EXPECT_TRUE(crossed) << "the turn never crossed north";
    EXPECT_LT(widest, 10.0f) << "degrees turned in one drawn frame";
}

// The joiner hears its match as the host does: the host's tank's engine, each shot on the
// shooting tank's channel and each death, as it draws them. The test device plays nothing on: a sound started is
// playing until it is stopped.
TEST_F(NetworkMatch, TheJoinerHearsTheEngineShotsAndDeathsItDraws)
{
    ASSERT_EQ(SoundDevice::OpenLoopbackForTest(44100), 1);
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    auto shotHeard = [&](const char* tank) {
        const auto& channel = Tank(*joiner, tank)->shot_channel;
        return channel && channel->Playing() == 1;
    };
    auto deathHeard = [&] { return joinMatch->View().dieChannel && joinMatch->View().dieChannel->Playing() == 1; };
    auto engineRate = [&](TGameInstance& g) { return Tank(g, "tank2")->engine->GetRate(); };
    host->Key(irr::KEY_KEY_X, true);
    Frames(60);
    EXPECT_GT(engineRate(*host), TTank::kEngineSound[1] + 1.0f) << "the host's tank drives";
    EXPECT_NEAR(engineRate(*joiner), engineRate(*host), 0.1f);
    host->Key(irr::KEY_KEY_X, false);
    Frames(60);
    EXPECT_NEAR(engineRate(*joiner), engineRate(*host), 0.1f);
    for (bool joinerShoots : {true, false}) {
        SCOPED_TRACE(joinerShoots ? "the joiner shoots" : "the host shoots");
        const char* shooter = joinerShoots ? "tank1" : "tank2";
        const char* other = joinerShoots ? "tank2" : "tank1";
        for (const char* tank : {shooter, other})
            if (auto& channel = Tank(*joiner, tank)->shot_channel) channel->Stop();
        if (joinMatch->View().dieChannel) joinMatch->View().dieChannel->Stop();
        Hit(joinerShoots);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(FramesUntil([&] { return shotHeard(shooter); }, 20));
        EXPECT_TRUE(FramesUntil(deathHeard, 20));
        EXPECT_FALSE(shotHeard(other));
    }
}

// Both tanks drive and turn for six seconds. The joiner's own tank, predicted, stays close
// to where the host has it; the host's tank is drawn close to where the host had it at
// the drawn time (about 100 ms before).
class NetworkDrive : public NetworkMatch {
protected:
    struct Distances {
        float own = 0, other = 0;
    };
    Distances Drive()
    {
        Distances worst;
        std::map<uint32_t, vector3df> hostTank2;  // the host's tank by host time
        afterFrame = [&] {
            hostTank2[clock.Now()] = Tank(*host, "tank2")->GetPosition();
            worst.own = std::max(worst.own,
                                 Tank(*joiner, "tank1")->GetPosition().getDistanceFrom(Tank(*host, "tank1")->GetPosition()));
            auto at = hostTank2.upper_bound(joinMatch->View().RenderTime(clock.Now()));
            if (at != hostTank2.begin())
                worst.other = std::max(worst.other, Tank(*joiner, "tank2")->GetPosition().getDistanceFrom(std::prev(at)->second));
        };
        // Forward, a left curve, a right curve, a stop, and again, on both sides.
        const irr::EKEY_CODE joinerKeys[] = {irr::KEY_UP, irr::KEY_LEFT, irr::KEY_RIGHT};
        const irr::EKEY_CODE hostKeys[] = {irr::KEY_KEY_X, irr::KEY_KEY_Z, irr::KEY_KEY_C};
        for (int round = 0; round < 2; ++round) {
            joiner->Key(joinerKeys[0], true);
            host->Key(hostKeys[0], true);
            // Predicted: the joiner's tank answers its key at once, before the host has heard of it.
            joiner->Frame();
            EXPECT_TRUE(Tank(*joiner, "tank1")->IsMoving());
            if (round == 0) {
                EXPECT_FALSE(Tank(*host, "tank1")->IsMoving());
            }
            Frames(40);
            for (int turn : {1, 2}) {
                joiner->Key(joinerKeys[turn], true);
                host->Key(hostKeys[turn], true);
                Frames(30);
                joiner->Key(joinerKeys[turn], false);
                host->Key(hostKeys[turn], false);
                Frames(20);
            }
            joiner->Key(joinerKeys[0], false);
            host->Key(hostKeys[0], false);
            Frames(40);
        }
        afterFrame = nullptr;
        EXPECT_GT(Tank(*host, "tank1")->GetPosition().getDistanceFrom(vector3df(16.5f, 0, 0)), 2.0f) << "the joiner's tank moved";
        return worst;
    }
};

TEST_F(NetworkDrive, OverLoopbackTheJoinersTanksStayCloseToTheHosts)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    const Distances d = Drive();
    EXPECT_LT(d.own, 0.2f);
    EXPECT_LT(d.other, 0.2f);
}

TEST_F(NetworkDrive, ThroughALossyRelayTheJoinersTanksStayCloseToTheHosts)
{
    Connect(true);
    ASSERT_FALSE(HasFatalFailure());
    const Distances d = Drive();
    EXPECT_LT(d.own, 0.6f);
    EXPECT_LT(d.other, 0.6f);
}

// The joiner's machine stops answering: five seconds on, the host's match ends with
// "CONNECTION LOST" shown, and the set-up screen follows, saying so and offering to host
// on the same port again; FIGHT there takes a new joiner into a new match.
TEST_F(NetworkMatch, AfterAJoinerVanishesTheHostsSetUpSaysSoAndHostsAgain)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    Frames(30);
    joinerRuns = false;
    const uint32_t silentSince = clock.Now();
    ASSERT_TRUE(FramesUntil([&] { return !hostMatch->EndMessage().empty(); }, 400));
    EXPECT_EQ(hostMatch->EndMessage(), "CONNECTION LOST");
    EXPECT_GE(clock.Now() - silentSince, 4500u);
    EXPECT_EQ(host->arena->GetFlag("tanks_disabled"), 1);
    ASSERT_TRUE(FramesUntil([&] { return host->Current() == "StartScreen"; }, 200));
    EXPECT_EQ(host->game->network, nullptr);
    EXPECT_EQ(SetupNote(*host), L"CONNECTION LOST");
    EXPECT_EQ(std::wstring(host->start->network.roleEntry->getText()), L"HOST ON PORT " + std::to_wstring(port));

    joiner.reset();
    hostMatch = joinMatch = nullptr;
    host->ClickOn(host->start->fight);
    ASSERT_TRUE(FramesUntil([&] { return host->Current() == "Arena"; }, 5));
    TakeMatches();
    ASSERT_TRUE(hostMatch);
    EXPECT_EQ(hostMatch->Session().GetPort(), port);
    StartJoiner(port);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(FramesUntil([&] { return BothPlaying(); }, 300));
    Hit(true);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(FramesUntil([&] { return Score(*joiner, "player1") == 1; }, 60));
}

// The joiner leaves with Escape: the host's set-up screen says "THE OTHER PLAYER LEFT".
// The joiner's set-up screen still offers to join the same host, and FIGHT on both sides
// plays a new match.
TEST_F(NetworkMatch, AJoinerThatLeftJoinsAgainFromTheSetUpScreen)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    Frames(30);
    joiner->Key(irr::KEY_ESCAPE, true);
    Frame();
    joiner->Key(irr::KEY_ESCAPE, false);
    ASSERT_TRUE(FramesUntil([&] { return joiner->Current() == "TitleScreen" && host->Current() == "StartScreen"; }, 300));
    EXPECT_EQ(SetupNote(*host), L"THE OTHER PLAYER LEFT");
    hostMatch = joinMatch = nullptr;
    joiner->Within([] { TGame::SetGameState("StartScreen"); });
    Frame();
    EXPECT_EQ(SetupNote(*joiner), L"");
    ASSERT_TRUE(joiner->start->network.addressBox);
    EXPECT_EQ(std::wstring(joiner->start->network.addressBox->getText()), L"127.0.0.1:" + std::to_wstring(port));

    host->ClickOn(host->start->fight);
    Frame();
    joiner->ClickOn(joiner->start->fight);
    Frame();
    TakeMatches();
    ASSERT_TRUE(hostMatch && joinMatch);
    ASSERT_TRUE(FramesUntil([&] { return BothPlaying(); }, 300));
    Hit(false);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(FramesUntil([&] { return Score(*joiner, "player2") == 1; }, 60));
}

// The host's machine stops answering: the joiner's set-up screen says "CONNECTION LOST"
// and offers to join the same host again.
TEST_F(NetworkMatch, AHostThatVanishesLeavesConnectionLostOnTheJoinersSetUp)
{
    Connect(false);
    ASSERT_FALSE(HasFatalFailure());
    Frames(30);
    hostRuns = false;
    ASSERT_TRUE(FramesUntil([&] { return joiner->Current() == "StartScreen"; }, 600));
    EXPECT_EQ(SetupNote(*joiner), L"CONNECTION LOST");
    EXPECT_EQ(std::wstring(joiner->start->network.roleEntry->getText()), L"JOIN");
    EXPECT_TRUE(joiner->start->network.addressBox->isVisible());
}

// Both sides keep a replay of the match: the host records it, the joiner keeps what the
// host recorded (the snapshots it plays from would not run the match again). Each replay,
// played on its own side, ends with the host's points and each tank where it stood.
TEST_F(NetworkMatch, HostAndJoinerEachKeepAReplayThatEndsAsTheHostsMatchDid)
{
    std::map<TGameInstance*, std::string> folders;
    prepare = [&](TGameInstance& g) {
        char pattern[] = "/tmp/vexmoor-net-replays.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folders[&g] = g.game->replayFolder = pattern;
        g.game->afterReplay = "TitleScreen";
    };
    Connect(false, [](TSettings& s) {
        s.players[0].status = TPlayerStatus::ComputerHard;
        s.match.arena = TArenaChoice::OpenField;
        s.match.scoreTo = 2;
    });
    ASSERT_FALSE(HasFatalFailure());
    // The joiner's player drives now and then (its tank in the host's match, through the
    // network); the host's computer player hunts it.
    std::mt19937 dice(5);
    bool driving = false;
    std::optional<std::array<vector3df, 2>> places;
    std::array<int, 2> points{};
    for (int frame = 0; frame < 6000 && !places; ++frame) {
        if (dice() % 40 == 0) joiner->Key(irr::KEY_UP, driving = !driving);
        if (dice() % 25 == 0) joiner->Key(irr::KEY_LEFT, dice() % 2 == 0);
        Frame();
        if (host->arena->GetFlag("match_end")) {
            places = {Tank(*host, "tank2")->GetPosition(), Tank(*host, "tank1")->GetPosition()};
            points = {Score(*host, "player2"), Score(*host, "player1")};
        }
    }
    ASSERT_TRUE(places) << "the host's match was not decided";
    joiner->Key(irr::KEY_UP, false);
    joiner->Key(irr::KEY_LEFT, false);
    ASSERT_TRUE(FramesUntil([&] { return host->Current() == "TitleScreen" && joiner->Current() == "TitleScreen"; },
                            1500));
    const std::string hostFile = host->arena->tape.Path(), joinerFile = joiner->arena->tape.Path();
    ASSERT_FALSE(hostFile.empty());
    ASSERT_FALSE(joinerFile.empty());
    EXPECT_EQ(joinerFile.substr(0, folders[joiner.get()].size()), folders[joiner.get()]);
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(bytes(joinerFile), bytes(hostFile)) << "the joiner keeps the host's recording whole";
    replay::TReplayReader reader;
    ASSERT_TRUE(reader.Open(joinerFile)) << reader.Problem();
    ASSERT_TRUE(reader.Result());
    EXPECT_EQ(reader.Header().tanks[1].driver, replay::TDriverKind::Network);

    for (TGameInstance* side : {host.get(), joiner.get()}) {
        SCOPED_TRACE(side == host.get() ? "the host's replay" : "the joiner's replay");
        hostRuns = side == host.get();
        joinerRuns = !hostRuns;
        side->game->replayToPlay = side == host.get() ? hostFile : joinerFile;
        side->Within([] { TGame::SetGameState("Arena"); });
        ASSERT_TRUE(FramesUntil([&] { return side->arena->replayEnd.reached; }, 20000));
        const TVexmoorArenaScreen::TReplayEnd& end = side->arena->replayEnd;
        EXPECT_EQ(end.points[0], points[0]);
        EXPECT_EQ(end.points[1], points[1]);
        for (int t = 0; t < 2; ++t) {
            EXPECT_NEAR(end.places[t].X, (*places)[t].X, 1e-4f);
            EXPECT_NEAR(end.places[t].Z, (*places)[t].Z, 1e-4f);
        }
        side->Within([] { TGame::SetGameState("TitleScreen"); });
    }
    for (const auto& [game, folder] : folders) std::filesystem::remove_all(folder);
}

// The host's wait is said above both tanks, not over them or between them; once joined, the joiner is told
// it is player 2, in its own tank's color, for its first seconds, and the host is not.
TEST_F(NetworkMatch, TheWaitStandsClearOfTheTanksAndTheJoinerIsToldWhichTankIsItsOwn)
{
    host = std::make_unique<TGameInstance>();
    std::string error;
    auto hostSession = TNetSession::Host("127.0.0.1", 0, GameClock::Milliseconds, {}, &error);
    ASSERT_TRUE(hostSession) << error;
    port = hostSession->GetPort();
    host->game->network = hostMatch = std::make_shared<TNetworkMatch>(std::move(hostSession));
    host->Within([&] {
        TGame::SetGameState("Arena");
        host->arena->LoadGameFonts();  // the sizes a player sees
    });
    joinerRuns = false;
    Frames(2);
    const std::wstring waiting = L"WAITING FOR A PLAYER ON PORT " + std::to_wstring(port);
    int said = 0;
    for (const auto& line : host->arena->overlay.drawn) {
        if (line.text != waiting) continue;
        ++said;
        host->Within([&] {
            for (const char* key : {"tank1", "tank2"}) {
                auto tank = Tank(*host, key);
                tank->_node->updateAbsolutePosition();
                irr::core::vector3df corners[8];
                tank->_node->getTransformedBoundingBox().getEdges(corners);
                irr::core::recti drawn;
                for (int i = 0; i < 8; ++i) {
                    const irr::core::vector2di at = host->arena->smgr->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
                        corners[i], host->arena->smgr->getActiveCamera());
                    if (i == 0) drawn = irr::core::recti(at, at);
                    drawn.addInternalPoint(at);
                }
                EXPECT_LT(line.rect.LowerRightCorner.Y, drawn.UpperLeftCorner.Y)
                    << key << " at y " << drawn.UpperLeftCorner.Y << " under the wait at y " << line.rect.UpperLeftCorner.Y;
            }
        });
    }
    EXPECT_EQ(said, 1);

    StartJoiner(port);
    ASSERT_TRUE(FramesUntil([&] { return BothPlaying(); }, 300));
    Frame();
    auto ownNote = [&](TGameInstance& g) -> const TMatchOverlay::Line* {
        for (const auto& line : g.arena->overlay.drawn)
            if (line.text == L"YOU ARE PLAYER 2") return &line;
        return nullptr;
    };
    const TMatchOverlay::Line* note = ownNote(*joiner);
    ASSERT_NE(note, nullptr);
    irr::video::SColor own = Tank(*joiner, "tank1")->color;
    own.setAlpha(255);
    EXPECT_EQ(note->color, own) << "player 2 drives tank1";
    EXPECT_EQ(ownNote(*host), nullptr);
    EXPECT_FALSE(Drew(*host, L"WAITING"));
    EXPECT_TRUE(FramesUntil([&] { return ownNote(*joiner) == nullptr; }, 4500 / kFrameMs));
    EXPECT_GT(Score(*joiner, "player2"), -1) << "the match plays on";
}

// After the finale both games show the results over the connection the match used: the
// host's figures on both sides, and REMATCH only once both players chose it.
class NetworkRematch : public NetworkMatch {
protected:
    void SetUp() override
    {
        NetworkMatch::SetUp();
        prepare = [this](TGameInstance& g) { results[&g] = AddResultsScreen(g); };
    }
    // A match to two points, the host's one hit among them, played to both results.
    void PlayToResults(TArenaChoice arena = TArenaChoice::OpenField)
    {
        Connect(false, [&](TSettings& s) {
            s.match.scoreTo = 2;
            s.match.arena = arena;
        });
        ASSERT_FALSE(HasFatalFailure());
        for (bool joinerShoots : {false, true, true}) {
            Hit(joinerShoots);
            ASSERT_FALSE(HasFatalFailure());
        }
        ASSERT_TRUE(FramesUntil([&] { return OnResults(*host) && OnResults(*joiner); }, 1500));
        Frames(2);  // both menus are lit
    }
    static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
    bool OnResults(TGameInstance& g) { return g.Current() == "ResultsScreen"; }
    TVexmoorResultsScreen& Results(TGameInstance& g) { return *results[&g]; }
    std::wstring Line(TGameInstance& g)
    {
        return Results(g).rematch ? Results(g).rematch->Line() : L"(no connection)";
    }
    bool Offers(TGameInstance& g)
    {
        auto* entry = Results(g).guienv->getRootGUIElement()->getElementFromId(TVexmoorResultsScreen::kRematchId, true);
        return entry && entry->isVisible();
    }
    void Tap(TGameInstance& g, irr::EKEY_CODE key)
    {
        g.Key(key, true);
        Frame();
        g.Key(key, false);
        Frame();
    }

    std::map<TGameInstance*, std::shared_ptr<TVexmoorResultsScreen>> results;
};

TEST_F(NetworkRematch, BothSidesShowTheHostsResultsAndARematchNeedsBothPlayers)
{
    PlayToResults(TArenaChoice::RandomMaze);
    ASSERT_FALSE(HasFatalFailure());
    const uint32_t firstMaze = host->arena->MazeSeed();
    // The joiner's figures are the host's, however its own view of the match counted.
    ASSERT_TRUE(FramesUntil([&] { return Results(*joiner).stats.shots[1] > 0; }, 100));
    const TMatchStats& shown = Results(*host).stats;
    EXPECT_EQ(shown.winner, 2);
    EXPECT_EQ(shown.hits[0], 1);
    EXPECT_EQ(shown.hits[1], 2);
    EXPECT_GT(shown.elapsedMs, 0);
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(Results(*joiner).stats.shots[p], shown.shots[p]) << p;
        EXPECT_EQ(Results(*joiner).stats.hits[p], shown.hits[p]) << p;
    }
    EXPECT_EQ(Results(*joiner).stats.winner, shown.winner);
    EXPECT_EQ(Results(*joiner).stats.elapsedMs, shown.elapsedMs);
    EXPECT_TRUE(Offers(*host) && Offers(*joiner));

    // The joiner chooses REMATCH (Return, the first entry): it waits, the host is told.
    Tap(*joiner, irr::KEY_RETURN);
    ASSERT_TRUE(FramesUntil([&] { return Line(*host) == L"PLAYER 2 WANTS A REMATCH"; }, 60))
        << Narrow(Line(*host));
    EXPECT_EQ(Line(*joiner), L"WAITING FOR PLAYER 1");
    Frames(60);
    EXPECT_TRUE(OnResults(*host) && OnResults(*joiner)) << "one side's choice started a match";

    // The host chooses it too: a new match on both sides, on a maze drawn anew.
    Tap(*host, irr::KEY_RETURN);
    ASSERT_TRUE(FramesUntil([&] { return host->Current() == "Arena" && joiner->Current() == "Arena"; }, 60));
    TakeMatches();
    ASSERT_TRUE(hostMatch && joinMatch);
    ASSERT_TRUE(FramesUntil([&] { return BothPlaying(); }, 300));
    Frames(5);
    EXPECT_NE(host->arena->MazeSeed(), firstMaze);
    EXPECT_EQ(joiner->arena->MazeSeed(), host->arena->MazeSeed()) << "the joiner plays the host's new maze";
    EXPECT_EQ(Score(*host, "player1"), 0);
    Hit(true);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(FramesUntil([&] { return Score(*joiner, "player1") == 1; }, 60)) << "the joiner follows the new match";
}

// The host chooses REMATCH, the joiner TITLE (Escape): the host reads that player 2 left,
// REMATCH goes, and Return takes the host to the set-up, ready to host on the same port.
TEST_F(NetworkRematch, AfterTheOtherSideLeavesTheResultsSaySoAndOfferNoRematch)
{
    PlayToResults();
    ASSERT_FALSE(HasFatalFailure());
    Tap(*host, irr::KEY_RETURN);
    EXPECT_EQ(Line(*host), L"WAITING FOR PLAYER 2");
    Tap(*joiner, irr::KEY_ESCAPE);
    ASSERT_TRUE(FramesUntil([&] { return joiner->Current() == "TitleScreen"; }, 10));
    ASSERT_TRUE(FramesUntil([&] { return Line(*host) == L"PLAYER 2 LEFT"; }, 60));
    EXPECT_FALSE(Offers(*host));
    EXPECT_TRUE(OnResults(*host));
    Tap(*host, irr::KEY_RETURN);
    ASSERT_TRUE(FramesUntil([&] { return host->Current() == "StartScreen"; }, 10));
    EXPECT_EQ(std::wstring(host->start->network.roleEntry->getText()), L"HOST ON PORT " + std::to_wstring(port));
    EXPECT_EQ(SetupNote(*host), L"THE OTHER PLAYER LEFT");
}

// The joiner's machine stops answering while the host waits for its choice: the host is
// told within the network's timeout, and REMATCH goes.
TEST_F(NetworkRematch, AJoinerThatVanishesWhileTheHostWaitsTakesTheRematchAway)
{
    PlayToResults();
    ASSERT_FALSE(HasFatalFailure());
    Tap(*host, irr::KEY_RETURN);
    joinerRuns = false;
    ASSERT_TRUE(FramesUntil([&] { return Line(*host) == L"CONNECTION TO PLAYER 2 LOST"; }, 600));
    EXPECT_FALSE(Offers(*host));
    Tap(*host, irr::KEY_ESCAPE);
    EXPECT_TRUE(FramesUntil([&] { return host->Current() == "TitleScreen"; }, 10));
}
