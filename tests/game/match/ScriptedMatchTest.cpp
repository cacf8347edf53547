// A whole match as a player meets it: the game starts, the title's "START GAME" is
// clicked, one tank is hit ten times, the finale plays and the title comes back.
#include "tests/support/ArenaFixture.h"
#include "game/VexmoorScreens.h"

using irr::core::vector3df;

class ScriptedMatch : public ArenaTest {
protected:
    // The game as the program builds it, on the NULL driver; the start-up state opens it.
    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        TVexmoorScreens screens;
        screens.init->driverType = 0;
        screens.title = title;
        screens.arena = arena;
        screens.Open();
    }

    // "tank2" fires at "tank1" from close range in the open, with its own fire key.
    void Tank2HitsTank1()
    {
        Place("tank2", vector3df(-2.5f, 0, 7), 90);
        Place("tank1", vector3df(2.5f, 0, 7), -90);
        Frame();
        Press(irr::KEY_TAB);
        Frame();
        Release(irr::KEY_TAB);
        ASSERT_NE(Shell("tank2"), nullptr) << "the fire key fired no shell";
        ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") != nullptr; }, 30));
    }

    // The title's "START GAME", clicked.
    void StartGame()
    {
        ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen" && title->start; }, 100));
        Frame();
        const irr::core::vector2di startGame = title->start->getAbsolutePosition().getCenter();
        Mouse(irr::EMIE_MOUSE_MOVED, startGame.X, startGame.Y);
        Mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, startGame.X, startGame.Y);
        Mouse(irr::EMIE_LMOUSE_LEFT_UP, startGame.X, startGame.Y);
        Frame();
        ASSERT_EQ(Current(), "Arena");
        Frame();
    }

    // "tank2" fires up at the north wall, slanted; the shell comes down onto "tank1".
    void Tank2HitsTank1OffTheNorthWall()
    {
        Place("tank2", vector3df(-3, 0, 12), 20);
        Place("tank1", vector3df(0.5f, 0, 11.5f), 0);
        Frame();
        Press(irr::KEY_TAB);
        Frame();
        Release(irr::KEY_TAB);
        auto shell = Shell("tank2");
        ASSERT_NE(shell, nullptr) << "the fire key fired no shell";
        ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") != nullptr; }, 60));
        EXPECT_EQ(shell->bounces, 1);
    }
};

TEST_F(ScriptedMatch, FromStartUpThroughTenHitsTheFinaleAndTheResultsBackToTheTitle)
{
    ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen"; }, 100));
    ASSERT_NE(game->device, nullptr);
    Frame();
    ASSERT_NE(title->start, nullptr);
    const irr::core::vector2di startGame = title->start->getAbsolutePosition().getCenter();
    Mouse(irr::EMIE_MOUSE_MOVED, startGame.X, startGame.Y);
    ASSERT_EQ(title->mouse_on, 101) << "the hover reached the title";
    Mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, startGame.X, startGame.Y);
    Mouse(irr::EMIE_LMOUSE_LEFT_UP, startGame.X, startGame.Y);
    Frame();
    ASSERT_EQ(Current(), "Arena");
    EXPECT_FALSE(game->device->getCursorControl()->isVisible());
    Frame();

    for (int hit = 1; hit <= 10; ++hit) {
        SCOPED_TRACE(hit);
        Tank2HitsTank1();
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(Player("player2")->score, hit);
        EXPECT_EQ(Player("player1")->score, 0);
        EXPECT_EQ(arena->GetFlag("tanks_disabled"), 1);
        // The death plays out, the tank comes back on a respawn point.
        ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
        if (hit < 10) {
            EXPECT_FALSE(arena->HasFlag("match_end"));
            Frame();
            bool onPoint = false;
            for (const vector3df& point : ArenaObject()->respawn_points)
                onPoint = onPoint || Tank("tank1")->GetPosition().equals(point, 1e-3f);
            EXPECT_TRUE(onPoint);
        }
    }
    // The tenth death over, the match ends in the same frame.
    EXPECT_EQ(arena->GetFlag("match_end"), 1);
    EXPECT_EQ(Player("player2")->score, 10);

    int changes = 0;
    int scheme = game->ColorSchemeIdx;
    ASSERT_TRUE(FramesUntil(
        [&] {
            if (game->ColorSchemeIdx != scheme) {
                ++changes;
                scheme = game->ColorSchemeIdx;
            }
            return Current() == "ResultsScreen";
        },
        400));
    EXPECT_EQ(changes, 7);
    EXPECT_TRUE(game->device->getCursorControl()->isVisible());
    EXPECT_EQ(game->lastMatch.winner, 1);
    EXPECT_EQ(game->lastMatch.hits[0], 10);
    EXPECT_EQ(game->lastMatch.shots[0], 10);
    // Escape on the results leads to the title.
    Frame();
    TapAcrossFrames(irr::KEY_ESCAPE);
    ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen"; }, 10));
    Frame();
    EXPECT_NE(title->start, nullptr) << "the title menu is back";
    EXPECT_TRUE(arena->GameObjects.Empty());
}

TEST_F(ScriptedMatch, BouncingShellsInEachArenaToTheEndOfTheMatch)
{
    game->settings.match.shells = TShellKind::Bouncing;
    game->settings.match.bounces = 2;
    game->settings.match.scoreTo = 5;
    for (TArenaChoice choice : {TArenaChoice::OpenField, TArenaChoice::Maze, TArenaChoice::Forts}) {
        SCOPED_TRACE(static_cast<int>(choice));
        game->settings.match.arena = choice;
        StartGame();
        ASSERT_FALSE(HasFatalFailure());
        for (int hit = 1; hit <= 5; ++hit) {
            SCOPED_TRACE(hit);
            Tank2HitsTank1OffTheNorthWall();
            ASSERT_FALSE(HasFatalFailure());
            EXPECT_EQ(Player("player2")->score, hit);
            ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
            EXPECT_EQ(arena->HasFlag("match_end"), hit == 5);
            Frame();
        }
        EXPECT_EQ(arena->winner, 1);
        ASSERT_TRUE(FramesUntil(
            [&] {
                for (const auto& line : arena->overlay.drawn)
                    if (line.text == L"PLAYER 1 WINS") return true;
                return false;
            },
            10));
        ASSERT_TRUE(FramesUntil([&] { return Current() == "ResultsScreen"; }, 400));
        Frame();
        TapAcrossFrames(irr::KEY_ESCAPE);
        ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen"; }, 10));
    }
}
