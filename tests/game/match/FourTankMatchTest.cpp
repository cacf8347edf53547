// Matches of three and four tanks: FREE FOR ALL and TEAMS played to a winner by computer
// players, shells passing through team mates (or not, with friendly fire), the clock's
// leader and sudden death among more than two, the split view in quarters and the views of
// F5 and F6, the results' rows, and a four-tank match replayed to the same end.
#include <algorithm>

#include "framework/GameResource.h"
#include "framework/SplitView.h"
#include "game/ReadableText.h"
#include "game/TankColors.h"
#include "game/match/ScoreDisplay.h"
#include "game/screens/ResultsScreen.h"
#include "game/world/MatchRules.h"
#include "tests/support/ArenaFixture.h"
#include "tests/support/TempFolder.h"

using irr::core::vector3df;

class FourTanks : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        game->replayFolder = replays.path;
        game->afterReplay = "TitleScreen";
    }

    void SetPlayers(std::initializer_list<TPlayerStatus> statuses)
    {
        size_t slot = 0;
        for (TPlayerStatus status : statuses) game->settings.players[slot++].status = status;
    }
    TMatchOptions& Options() { return game->settings.match; }

    std::shared_ptr<TPlayer> PlayerOf(int slot) { return Player(TArenaWorld::PlayerKeyOfSlot(slot)); }
    int Sum(int TPlayer::*field)
    {
        int sum = 0;
        for (int slot : arena->slots) sum += (*PlayerOf(slot)).*field;
        return sum;
    }
    // Runs the match to its end; false if it was not decided within `limit` frames.
    bool PlayToTheEnd(int limit) { return FramesUntil([&] { return arena->GetFlag("match_end") != 0; }, limit); }

    TempFolder replays{"vexmoor-four"};
};

TEST_F(FourTanks, FourComputersPlayFreeForAllToAWinnerOnTwoArenasWithEveryHitScoredToItsShooter)
{
    struct Case {
        TArenaChoice arena;
        TShellKind shells;
        TRespawnRule respawn;
        int timeLimitSeconds;
    };
    const Case cases[] = {{TArenaChoice::Forts, TShellKind::Straight, TRespawnRule::Anywhere, 0},
                          {TArenaChoice::Maze, TShellKind::Bouncing, TRespawnRule::Safe, 0},
                          {TArenaChoice::Forts, TShellKind::Straight, TRespawnRule::Safe, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE("arena " + std::to_string(static_cast<int>(c.arena)) + ", time limit " +
                     std::to_string(c.timeLimitSeconds));
        SetPlayers({TPlayerStatus::ComputerHard, TPlayerStatus::ComputerNormal, TPlayerStatus::ComputerHard,
                    TPlayerStatus::ComputerNormal});
        Options() = TMatchOptions{};
        Options().arena = c.arena;
        Options().shells = c.shells;
        Options().respawn = c.respawn;
        Options().timeLimitSeconds = c.timeLimitSeconds;
        Options().scoreTo = 3;
        EnterArena();
        ASSERT_EQ(arena->slots, (std::vector<int>{0, 1, 2, 3}));
        for (int slot = 0; slot < 4; ++slot) ASSERT_NE(Tank(TArenaWorld::TankKeyOfSlot(slot)), nullptr);
        ASSERT_TRUE(PlayToTheEnd(40000));

        const int winner = arena->winner;
        ASSERT_GE(winner, 1);
        ASSERT_LE(winner, 4);
        std::vector<int> hits;
        for (int slot = 0; slot < 4; ++slot) hits.push_back(PlayerOf(slot)->hits);
        // The winner reached the score, or leads alone when the clock ran out; nobody else reached it.
        if (arena->rules.Timed() && arena->rules.elapsedMs >= arena->rules.timeLimitMs) {
            EXPECT_EQ(std::count(hits.begin(), hits.end(), *std::max_element(hits.begin(), hits.end())), 1);
            EXPECT_EQ(hits[static_cast<size_t>(winner - 1)], *std::max_element(hits.begin(), hits.end()));
        } else {
            EXPECT_EQ(hits[static_cast<size_t>(winner - 1)], 3);
        }
        for (int slot = 0; slot < 4; ++slot) {
            if (slot != winner - 1) {
                EXPECT_LT(hits[static_cast<size_t>(slot)], 3);
            }
            EXPECT_EQ(arena->stats.hits[slot], hits[static_cast<size_t>(slot)]) << "the results count what scored";
        }
        // Every death was scored to a shooter; only a bouncing shell can kill its own tank.
        if (c.shells == TShellKind::Straight)
            EXPECT_EQ(Sum(&TPlayer::hits), Sum(&TPlayer::score));
        else
            EXPECT_LE(Sum(&TPlayer::hits), Sum(&TPlayer::score));
        EXPECT_EQ(game->lastMatch.winner, winner);
        EXPECT_TRUE(game->lastMatch.playing[3]);
        EXPECT_EQ(TVexmoorResultsScreen::Rows(game->lastMatch).size(), 4u);
        TGame::SetGameState("TitleScreen");
    }
}

TEST_F(FourTanks, TwoAgainstTwoPlaysToAWinningTeamAndNoTankIsKilledByAMate)
{
    SetPlayers({TPlayerStatus::ComputerHard, TPlayerStatus::ComputerHard, TPlayerStatus::ComputerNormal,
                TPlayerStatus::ComputerNormal});
    Options().mode = TMatchMode::Teams;
    Options().scoreTo = 4;
    EnterArena();
    ASSERT_TRUE(PlayToTheEnd(40000));
    ASSERT_TRUE(arena->winner == 1 || arena->winner == 2) << arena->winner;
    const int team = arena->winner - 1;
    EXPECT_EQ(arena->SidePoints()[static_cast<size_t>(team)], 4);
    EXPECT_LT(arena->SidePoints()[static_cast<size_t>(1 - team)], 4);
    EXPECT_EQ(PlayerOf(team)->hits + PlayerOf(team + 2)->hits, 4) << "the team's points are its members' hits";
    // Straight shells, friendly fire off: every death was an enemy's hit.
    EXPECT_EQ(Sum(&TPlayer::hits), Sum(&TPlayer::score));
    EXPECT_EQ(arena->WinnerLine(), L"TEAM " + std::to_wstring(arena->winner) + L" WINS");
    EXPECT_EQ(TVexmoorResultsScreen::WinnerLine(game->lastMatch), arena->WinnerLine());
    EXPECT_EQ(TVexmoorResultsScreen::Rows(game->lastMatch).size(), 6u) << "four players and two teams";
}

// A team of one is a player: two tanks set to TEAMS play the duel, players 1 and 3 too
// (who would be team mates), and the winner's line and the results show players, no teams.
TEST_F(FourTanks, TwoTanksSetToTeamsPlayAndShowTheDuel)
{
    for (const auto& [shooter, victim] : {std::pair{0, 1}, std::pair{0, 2}}) {
        SCOPED_TRACE("players " + std::to_string(shooter + 1) + " and " + std::to_string(victim + 1));
        SetPlayers({TPlayerStatus::Off, TPlayerStatus::Off, TPlayerStatus::Off, TPlayerStatus::Off});
        game->settings.players[static_cast<size_t>(shooter)].status = TPlayerStatus::Human;
        game->settings.players[static_cast<size_t>(victim)].status = TPlayerStatus::Human;
        Options() = TMatchOptions{};
        Options().mode = TMatchMode::Teams;
        Options().scoreTo = 1;
        EnterArena();
        ASSERT_EQ(arena->slots, (std::vector<int>{shooter, victim}));
        EXPECT_EQ(arena->match.mode, TMatchMode::FreeForAll);
        EXPECT_TRUE(arena->IsDuel());
        for (int slot : arena->slots) arena->RemoveGameObject(PlayerOf(slot)->controller);
        Frame();
        PlaceFacing(*arena, TArenaWorld::TankKeyOfSlot(shooter), TArenaWorld::TankKeyOfSlot(victim), kPointBlank);
        Frame();
        Tank(TArenaWorld::TankKeyOfSlot(shooter))->Shoot(arena.get());
        ASSERT_TRUE(PlayToTheEnd(2000));
        const std::wstring line = L"PLAYER " + std::to_wstring(shooter + 1) + L" WINS";
        EXPECT_EQ(arena->WinnerLine(), line);
        EXPECT_EQ(TVexmoorResultsScreen::WinnerLine(game->lastMatch), line);
        const auto rows = TVexmoorResultsScreen::Rows(game->lastMatch);
        ASSERT_EQ(rows.size(), 2u) << "two players and no team";
        EXPECT_EQ(rows[0].cells[0], L"PLAYER " + std::to_wstring(shooter + 1));
        EXPECT_EQ(rows[1].cells[0], L"PLAYER " + std::to_wstring(victim + 1));
        EXPECT_EQ(rows[0].cells[1], L"1");
        TGame::SetGameState("TitleScreen");
        Frame();
    }
}

// Player 1 ("tank2") fires straight through its team mate player 3 ("tank3") at player 2
// ("tank1"): without friendly fire the shell flies on and kills the enemy; with it the mate
// dies, and nobody scores.
TEST_F(FourTanks, AShellPassesThroughATeamMateUnlessFriendlyFireIsOn)
{
    for (bool friendlyFire : {false, true}) {
        SCOPED_TRACE(friendlyFire ? "friendly fire" : "no friendly fire");
        SetPlayers({TPlayerStatus::Human, TPlayerStatus::Human, TPlayerStatus::Human, TPlayerStatus::Human});
        Options().mode = TMatchMode::Teams;
        Options().friendlyFire = friendlyFire;
        EnterArena();
        for (int slot = 0; slot < 4; ++slot) arena->RemoveGameObject(PlayerOf(slot)->controller);
        Frame();
        Place("tank4", vector3df(0, 0, -7), 0);
        Place("tank2", vector3df(-5, 0, 7), 90);
        Place("tank3", vector3df(0, 0, 7), 0);
        Place("tank1", vector3df(5, 0, 7), -90);
        Frame();
        Tank("tank2")->Shoot(arena.get());
        ASSERT_TRUE(FramesUntil([&] { return !Shell("tank2"); }, 200));
        EXPECT_EQ(Tank("tank3")->GetAnimator("die_anim") != nullptr, friendlyFire);
        EXPECT_EQ(Tank("tank1")->GetAnimator("die_anim") != nullptr, !friendlyFire);
        EXPECT_EQ(PlayerOf(0)->hits, friendlyFire ? 0 : 1);
        EXPECT_EQ(PlayerOf(2)->score, friendlyFire ? 1 : 0);
        EXPECT_EQ(arena->SidePoints(), (std::vector<int>{friendlyFire ? 0 : 1, 0}));
        EXPECT_EQ(arena->stats.hits[0], friendlyFire ? 0 : 1);
        TGame::SetGameState("TitleScreen");
    }
}

TEST_F(FourTanks, ThreeTanksSplitInQuartersWithTheOverviewLastAndF5F6ReachEveryTank)
{
    SetPlayers({TPlayerStatus::Human, TPlayerStatus::Human, TPlayerStatus::Human, TPlayerStatus::Off});
    EnterIdleArena();
    ASSERT_EQ(arena->slots, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Tank("tank4"), nullptr);
    EXPECT_EQ(Player("player4"), nullptr);
    // Player 3 starts on the third respawn point, clear of the other two.
    EXPECT_LT(Tank("tank3")->GetPosition().getDistanceFrom(ArenaObject()->respawn_points[2]), 0.01f);

    auto split = std::dynamic_pointer_cast<TSplitView>(arena->GetGameView("split"));
    ASSERT_NE(split, nullptr);
    ASSERT_EQ(split->cameras.size(), 4u);
    EXPECT_EQ(split->cameras[0], Tank("tank2")->cam);
    EXPECT_EQ(split->cameras[1], Tank("tank1")->cam);
    EXPECT_EQ(split->cameras[2], Tank("tank3")->cam);
    EXPECT_EQ(split->cameras[3], arena->GetGameView("overhead_cam")->cameras[0]);

    // F6: player 1's view, then player 3's, then back; F5 only player 2's (no player 4).
    const std::pair<int, const char*> steps[] = {{irr::KEY_F6, "tank2"}, {irr::KEY_F6, "tank3"}, {irr::KEY_F6, "tank2"},
                                                 {irr::KEY_F5, "tank1"}, {irr::KEY_F5, "tank1"}};
    for (const auto& [key, view] : steps) {
        TapAcrossFrames(key);
        EXPECT_EQ(arena->currentGameView, view);
    }
    ASSERT_NE(arena->GetGameView("tank3"), nullptr);
    EXPECT_EQ(arena->GetGameView("tank3")->cameras[0], Tank("tank3")->cam);

    // Three scores side by side inside a quarter of the split view, and in three corners of
    // the orthographic view.
    auto font = arena->GetGameResourceAs<TFontResource>("fnt")->GetResource();
    const std::wstring ten = L"10";
    const std::vector<TScoreText> scores(3, TScoreText{&ten, irr::video::SColor(255, 0, 0, 0), std::nullopt});
    const irr::core::recti quarter(400, 300, 800, 600);
    for (bool ortho : {false, true}) {
        const std::vector<irr::core::recti> rects = ScoreDisplay::Layout(quarter, ortho, font, scores);
        ASSERT_EQ(rects.size(), 3u);
        for (size_t i = 0; i < rects.size(); ++i) {
            EXPECT_TRUE(quarter.isRectCollided(rects[i]) && quarter.isPointInside(rects[i].UpperLeftCorner) &&
                        quarter.isPointInside(rects[i].LowerRightCorner))
                << "score " << i << (ortho ? " in the orthographic view" : "");
            for (size_t j = 0; j < i; ++j) EXPECT_FALSE(rects[i].isRectCollided(rects[j])) << i << " over " << j;
        }
    }
}

// The arena's own texts of each frame, in the colors they were drawn in: in a match with no
// pad and nothing paused, the scores alone.
class TextRecordingArena : public TVexmoorArenaScreen {
public:
    int DrawText(const std::wstring& text, irr::gui::IGUIFont* font, std::optional<irr::video::SColor> color, int x,
                 int y, int width, int height, int hcenter, int vcenter) override
    {
        if (color) colors.push_back(color->color);
        return TVexmoorArenaScreen::DrawText(text, font, color, x, y, width, height, hcenter, vcenter);
    }
    std::vector<irr::u32> colors;
};

class FourTankScores : public FourTanks {
protected:
    FourTankScores() { arena = recorder; }
    std::shared_ptr<TextRecordingArena> recorder = std::make_shared<TextRecordingArena>();
};

TEST_F(FourTankScores, EachPlayingTanksScoreStandsInThatTanksColor)
{
    using S = TPlayerStatus;
    const std::pair<std::vector<S>, std::vector<int>> matches[] = {
        {{S::Human, S::Human, S::Human, S::Off}, {0, 1, 2}},
        {{S::Human, S::Off, S::Human, S::Human}, {0, 2, 3}},
        {{S::Human, S::Human, S::Human, S::Human}, {0, 1, 2, 3}},
    };
    for (const auto& [statuses, slots] : matches) {
        for (size_t slot = 0; slot < statuses.size(); ++slot) game->settings.players[slot].status = statuses[slot];
        EnterIdleArena();
        ASSERT_EQ(arena->slots, slots);
        recorder->colors.clear();
        Frame();
        std::vector<irr::u32> expected;
        for (int slot : slots) expected.push_back(TankColors::OfSlot(*arena, slot).color);
        std::vector<irr::u32> drawn = recorder->colors;
        std::sort(expected.begin(), expected.end());
        std::sort(drawn.begin(), drawn.end());
        EXPECT_EQ(drawn, expected) << slots.size() << " tanks";
        TGame::SetGameState("TitleScreen");
        Frame();
    }
}

TEST(ScoreOutline, PlannedWhereItReadsElseBlackOrWhiteAndNoneOnlyOffTheSky)
{
    const irr::video::SColor ink(255, 40, 60, 200), yellow(255, 250, 250, 150), blue(255, 60, 80, 220),
        pale(255, 250, 250, 250), paleWalls(255, 240, 240, 230), red(255, 200, 40, 30), dark(255, 20, 20, 20);
    EXPECT_EQ(ScoreDisplay::OutlineFor(ink, yellow, pale, pale, false), yellow) << "the tank's own outline reads";
    EXPECT_EQ(ScoreDisplay::OutlineFor(ink, blue, pale, pale, false), ReadableText::Backing(ink))
        << "its own is too close to the ink";
    EXPECT_EQ(ScoreDisplay::OutlineFor(dark, std::nullopt, pale, paleWalls, false), std::nullopt);
    EXPECT_EQ(ScoreDisplay::OutlineFor(dark, std::nullopt, pale, paleWalls, true), ReadableText::Backing(dark))
        << "the sky may stand behind the score";
    EXPECT_EQ(ScoreDisplay::OutlineFor(dark, std::nullopt, pale, red, false), ReadableText::Backing(dark))
        << "the ink does not read on the walls";
}

TEST_F(FourTanks, TheClocksLeaderWinsAndATieAtTheTopGoesToSuddenDeath)
{
    TMatchOptions options;
    options.scoreTo = 5;
    options.timeLimitSeconds = 1;
    TMatchRules rules;
    rules.Start(options, 0);
    EXPECT_EQ(rules.Update({1, 4, 2}, true, false, 500), 0);
    EXPECT_EQ(rules.Update({1, 4, 2}, true, false, 1000), 2) << "the leader when the clock runs out";
    rules.Start(options, 0);
    EXPECT_EQ(rules.Update({3, 1, 3, 0}, true, false, 1000), 0);
    EXPECT_TRUE(rules.SuddenDeath());
    EXPECT_EQ(rules.Update({3, 2, 3, 0}, true, false, 1100), 0) << "a hit below the top decides nothing";
    EXPECT_EQ(rules.Update({3, 2, 4, 0}, true, false, 1200), 3);
    rules.Start(options, 0);
    EXPECT_EQ(rules.Update({0, 0, 5, 0}, false, false, 100), 0) << "not while a death plays";
    EXPECT_EQ(rules.Update({0, 0, 5, 0}, true, false, 200), 3);
}

TEST_F(FourTanks, AFourTankTeamsMatchReplaysToTheSameEnd)
{
    SetPlayers({TPlayerStatus::ComputerHard, TPlayerStatus::ComputerNormal, TPlayerStatus::ComputerNormal,
                TPlayerStatus::ComputerHard});
    game->settings.players[2].tank = TTankModel::Sleek;
    Options().mode = TMatchMode::Teams;
    Options().friendlyFire = true;
    Options().shells = TShellKind::Bouncing;
    Options().scoreTo = 3;
    EnterArena();
    const bool decided = PlayToTheEnd(30000);
    int points[4];
    vector3df places[4];
    for (int slot = 0; slot < 4; ++slot) {
        points[slot] = arena->Points(slot);
        places[slot] = Tank(TArenaWorld::TankKeyOfSlot(slot))->GetPosition();
    }
    const std::string path = arena->tape.Path();
    ASSERT_FALSE(path.empty());
    TGame::SetGameState("TitleScreen");
    Frame();

    game->replayToPlay = path;
    EnterArena();
    ASSERT_TRUE(arena->IsReplay());
    EXPECT_EQ(arena->slots, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(arena->match.mode, TMatchMode::Teams);
    EXPECT_TRUE(arena->match.friendlyFire);
    EXPECT_EQ(arena->tankModels[2], TTankModel::Sleek);
    ASSERT_TRUE(FramesUntil([&] { return arena->replayEnd.reached; }, 60000));
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(arena->replayEnd.points[slot], points[slot]) << "player " << slot + 1;
        EXPECT_NEAR(arena->replayEnd.places[slot].X, places[slot].X, 1e-4f) << "player " << slot + 1;
        EXPECT_NEAR(arena->replayEnd.places[slot].Z, places[slot].Z, 1e-4f) << "player " << slot + 1;
    }
    EXPECT_TRUE(decided) << "the match came to an end";
}
