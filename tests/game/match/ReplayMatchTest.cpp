// Matches recorded as they are played and played back from their files: thirty set-ups
// (computer players and keys, the variations, every kind of arena, pauses, game speed,
// the views, the split screen, uneven frames) end with the same points and each tank in
// the same place, whatever the frame rate they are watched at; the viewer's own pause,
// speed and way back; a replay that cannot be played.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "game/replay/ReplayFolder.h"
#include "game/replay/ReplayReader.h"
#include "tests/support/ArenaFixture.h"

using irr::core::vector3df;

namespace {

struct TEnd {
    int points[2] = {0, 0};  // player 1's, player 2's
    vector3df places[2];     // player 1's tank ("tank2"), player 2's ("tank1")
};

// Keys a script may hold for a human slot: drive, left, right, fire.
const irr::EKEY_CODE kSlotKeys[2][4] = {{irr::KEY_KEY_X, irr::KEY_KEY_Z, irr::KEY_KEY_C, irr::KEY_TAB},
                                        {irr::KEY_UP, irr::KEY_LEFT, irr::KEY_RIGHT, irr::KEY_RETURN}};

}  // namespace

class ReplayMatch : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        char pattern[] = "/tmp/vexmoor-replays.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        game->replayFolder = folder;
        game->afterReplay = "TitleScreen";
    }
    void TearDown() override
    {
        ArenaTest::TearDown();
        std::filesystem::remove_all(folder);
    }

    TEnd Now()
    {
        TEnd end;
        end.points[0] = Player("player2")->score;
        end.points[1] = Player("player1")->score;
        end.places[0] = Tank("tank2")->GetPosition();
        end.places[1] = Tank("tank1")->GetPosition();
        return end;
    }

    // Plays a match of the set-up in game->settings: each frame's step and the human
    // slots' keys from the dice, and now and then a match key. Returns how the recorded
    // match stood at its last recorded frame.
    TEnd PlayRecorded(unsigned seed, int budget)
    {
        std::mt19937 dice(seed);
        EnterArena();
        TEnd last = Now();
        std::array<std::array<bool, 4>, 2> held{};
        bool paused = false;
        for (int frame = 0; frame < budget; ++frame) {
            for (int slot = 0; slot < 2; ++slot) {
                if (game->settings.players[static_cast<size_t>(slot)].status != TPlayerStatus::Human) continue;
                for (int k = 0; k < 4; ++k) {
                    // Drive held long, turns a while, fire tapped.
                    const unsigned odds = k == 0 ? 20 : k == 3 ? 6 : 12;
                    if (dice() % odds != 0) continue;
                    held[slot][k] = !held[slot][k];
                    Key(kSlotKeys[slot][k], held[slot][k]);
                }
            }
            // Now and then a match key; a pause does not last long.
            const unsigned roll = dice() % 1000;
            irr::EKEY_CODE key = irr::KEY_KEY_CODES_COUNT;
            if (roll < 4 || (paused && roll < 60)) key = irr::KEY_F9;
            else if (roll < 12) key = irr::KEY_PLUS;
            else if (roll < 20) key = irr::KEY_MINUS;
            else if (roll < 35) key = static_cast<irr::EKEY_CODE>(irr::KEY_F1 + dice() % 6);
            else if (roll < 38) key = irr::KEY_F7;
            else if (roll < 41) key = irr::KEY_F8;
            else if (roll < 43) key = irr::KEY_F12;
            if (key == irr::KEY_F9) paused = !paused;
            if (key != irr::KEY_KEY_CODES_COUNT) Tap(key);
            // Uneven frames: mostly 16 and 17 ms, sometimes quick, sometimes a stall.
            const unsigned kind = dice() % 100;
            FrameAfter(kind < 80 ? 16 + static_cast<int>(dice() % 2) : kind < 95 ? 1 + static_cast<int>(dice() % 40)
                                                                                : 60 + static_cast<int>(dice() % 200));
            if (arena->GetFlag("match_end")) return Now();
            if (Current() != "Arena") break;
            last = Now();
        }
        // Not decided in time: the players leave; the recording ends with the last frame.
        for (int slot = 0; slot < 2; ++slot)
            for (int k = 0; k < 4; ++k) Key(kSlotKeys[slot][k], false);
        Press(irr::KEY_ESCAPE);
        Frame();
        Release(irr::KEY_ESCAPE);
        EXPECT_EQ(Current(), "TitleScreen");
        return last;
    }

    // Plays the recording at `path`, a draw every `drawMs`, until its last frame has run.
    bool Replay(const std::string& path, int drawMs, int limit = 200000)
    {
        game->replayToPlay = path;
        EnterArena();
        EXPECT_TRUE(arena->IsReplay());
        for (int i = 0; i < limit && !arena->replayEnd.reached; ++i) FrameAfter(drawMs);
        return arena->replayEnd.reached;
    }
    static void ExpectSameEnd(const TEnd& match, const TVexmoorArenaScreen::TReplayEnd& replay)
    {
        EXPECT_EQ(match.points[0], replay.points[0]);
        EXPECT_EQ(match.points[1], replay.points[1]);
        for (int t = 0; t < 2; ++t) {
            EXPECT_NEAR(match.places[t].X, replay.places[t].X, 1e-4f) << "tank of player " << t + 1;
            EXPECT_NEAR(match.places[t].Z, replay.places[t].Z, 1e-4f) << "tank of player " << t + 1;
        }
    }
    void LeaveToTitle()
    {
        if (Current() == "Arena") TGame::SetGameState("TitleScreen");
        for (irr::EKEY_CODE key : {irr::KEY_F9, irr::KEY_PLUS, irr::KEY_MINUS}) Release(key);
    }

    std::string folder;
};

TEST_F(ReplayMatch, ThirtyRecordedMatchesReplayToTheSamePointsAndPlacesAtAnyDrawRate)
{
    const TPlayerStatus kPairs[][2] = {{TPlayerStatus::ComputerHard, TPlayerStatus::ComputerHard},
                                       {TPlayerStatus::ComputerNormal, TPlayerStatus::Human},
                                       {TPlayerStatus::Human, TPlayerStatus::ComputerEasy},
                                       {TPlayerStatus::ComputerHard, TPlayerStatus::ComputerNormal},
                                       {TPlayerStatus::Human, TPlayerStatus::Human}};
    const TArenaChoice kArenas[] = {TArenaChoice::Forts,  TArenaChoice::Maze,       TArenaChoice::OpenField,
                                    TArenaChoice::Random, TArenaChoice::RandomMaze, TArenaChoice::Custom};
    const int kDrawMs[] = {16, 5, 33, 7, 50, 100};
    ASSERT_FALSE(game->CustomArenas().empty()) << "the shipped arena file";
    int decided = 0;
    std::set<std::string> files;  // every one a new file
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE("match " + std::to_string(i));
        TSettings& s = game->settings;
        s.players[0].status = kPairs[i % 5][0];
        s.players[1].status = kPairs[i % 5][1];
        s.players[0].tank = i % 2 ? TTankModel::Sleek : TTankModel::Boxy;
        s.players[1].tank = i % 3 ? TTankModel::Boxy : TTankModel::Sleek;
        TMatchOptions& m = s.match;
        m = TMatchOptions{};
        m.arena = kArenas[i % 6];
        m.customArena = game->CustomArenas().front().Name();
        m.mazeSeed = 0;  // a new maze each time
        m.shells = i % 4 == 1 || i % 4 == 2 ? TShellKind::Bouncing : TShellKind::Straight;
        m.bounces = 1 + i % 5;
        m.scoreTo = 2 + i % 2;
        m.timeLimitSeconds = i % 3 == 0 ? 15 : 0;
        m.guided = i % 7 == 3;
        m.invisible = i % 9 == 4;
        m.respawn = i % 5 == 2 ? TRespawnRule::Safe : TRespawnRule::Anywhere;

        const TEnd match = PlayRecorded(1000 + static_cast<unsigned>(i), 4000);
        ASSERT_FALSE(HasFatalFailure());
        const std::string path = arena->tape.Path();
        ASSERT_FALSE(path.empty());
        files.insert(path);
        // Leaving the arena closes the file once all of it is written.
        LeaveToTitle();
        Frame();
        replay::TReplayReader reader;
        ASSERT_TRUE(reader.Open(path)) << reader.Problem();
        if (reader.Result() && reader.Result()->ending != replay::TReplayEnding::Abandoned) {
            ++decided;
            EXPECT_EQ(reader.Result()->scores[0], match.points[1]) << "the hits player 1's tank took";
            EXPECT_EQ(reader.Result()->scores[1], match.points[0]);
        }

        ASSERT_TRUE(Replay(path, kDrawMs[i % 6])) << "the replay did not reach its last frame";
        ExpectSameEnd(match, arena->replayEnd);
        LeaveToTitle();
        Frame();
    }
    // Most matches were decided; the recordings rotated to the newest twenty.
    EXPECT_GE(decided, 20);
    EXPECT_EQ(files.size(), 30u);
    EXPECT_EQ(replay::TReplayFolder(folder).Entries().size(), replay::TReplayFolder::kKept);
}

TEST_F(ReplayMatch, WatchedOnceQuickOnceSlowTheReplayEndsTheSameBothTimes)
{
    game->settings.players[0].status = TPlayerStatus::ComputerHard;
    game->settings.players[1].status = TPlayerStatus::ComputerNormal;
    game->settings.match.scoreTo = 3;
    game->settings.match.shells = TShellKind::Bouncing;
    const TEnd match = PlayRecorded(77, 3000);
    const std::string path = arena->tape.Path();
    LeaveToTitle();
    Frame();
    // Several recorded frames to a draw, then several draws to a frame.
    ASSERT_TRUE(Replay(path, 250));
    const TVexmoorArenaScreen::TReplayEnd quick = arena->replayEnd;
    LeaveToTitle();
    Frame();
    ASSERT_TRUE(Replay(path, 3));
    ExpectSameEnd(match, quick);
    for (int t = 0; t < 2; ++t) EXPECT_EQ(quick.places[t], arena->replayEnd.places[t]) << "exactly the same place";
}

TEST_F(ReplayMatch, TheViewerPausesSpeedsUpAndGoesBackWithoutChangingTheGame)
{
    game->settings.players[0].status = TPlayerStatus::ComputerHard;
    game->settings.players[1].status = TPlayerStatus::ComputerHard;
    EnterArena();
    Frames(600);  // ten seconds, then the players leave
    const TEnd left = Now();
    Press(irr::KEY_ESCAPE);
    Frame();
    Release(irr::KEY_ESCAPE);
    ASSERT_EQ(Current(), "TitleScreen");
    const std::string path = arena->tape.Path();
    const int scheme = game->ColorSchemeIdx;
    TGame::Framerate->SetTargetFPS(50.0f);

    game->replayToPlay = path;
    EnterArena();
    auto drew = [&](const std::wstring& text) {
        for (const auto& line : arena->overlay.drawn)
            if (line.text == text) return true;
        return false;
    };
    Frames(60);
    EXPECT_TRUE(drew(L"REPLAY 1x"));
    EXPECT_FLOAT_EQ(TGame::Framerate->GetTargetFPS(), 60.0f) << "the match's own speed while it plays";
    // The viewer's pause holds the match where it is.
    TapAcrossFrames(irr::KEY_F9);
    const vector3df held = Tank("tank1")->GetPosition();
    Frames(100);
    EXPECT_TRUE(drew(L"REPLAY PAUSED"));
    EXPECT_EQ(Tank("tank1")->GetPosition(), held);
    EXPECT_FALSE(TGame::Framerate->IsPaused()) << "the viewer's pause is not the match's";
    TapAcrossFrames(irr::KEY_F9);
    // Four times as fast: the rest of the ten seconds within three seconds of draws.
    TapAcrossFrames(irr::KEY_PLUS);
    TapAcrossFrames(irr::KEY_PLUS);
    EXPECT_TRUE(drew(L"REPLAY 4x"));
    ASSERT_TRUE(FramesUntil([&] { return arena->replayEnd.reached; }, 180));
    ExpectSameEnd(left, arena->replayEnd);
    // A recording without its end holds its last picture, then goes back by itself.
    Frame();
    EXPECT_TRUE(drew(L"END OF REPLAY"));
    ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen"; }, 400));
    EXPECT_EQ(game->ColorSchemeIdx, scheme);
    EXPECT_FLOAT_EQ(TGame::Framerate->GetTargetFPS(), 50.0f) << "the viewer's speed again";
    EXPECT_FALSE(GameClock::IsPinned());

    // Escape goes back at once.
    game->replayToPlay = path;
    EnterArena();
    Frames(10);
    Press(irr::KEY_ESCAPE);
    Frame();
    Release(irr::KEY_ESCAPE);
    Frame();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(ReplayMatch, AReplayThatCannotBePlayedGoesBackWithTheReasonAndRecordsNothing)
{
    const std::string bad = folder + "/2024-01-01_00-00-00.vxr";
    std::ofstream(bad) << "VXRP but nothing after";
    game->replayToPlay = bad;
    EnterArena();
    EXPECT_FALSE(game->replayRefused.empty());
    Frames(2);
    EXPECT_EQ(Current(), "TitleScreen");
    EXPECT_EQ(replay::TReplayFolder(folder).Entries().size(), 1u) << "no recording of a match that never was";
    EXPECT_TRUE(game->replayToPlay.empty());

    // The next match is a match again, and recorded.
    EnterArena();
    Frames(3);
    EXPECT_FALSE(arena->IsReplay());
    EXPECT_TRUE(arena->tape.IsRecording());
}

TEST_F(ReplayMatch, AMachineDrawingAThousandFramesASecondRecordsAtMost250AndReplaysThemAlike)
{
    game->settings.players[0].status = TPlayerStatus::ComputerHard;
    game->settings.players[1].status = TPlayerStatus::ComputerHard;
    EnterArena();
    for (int ms = 0; ms < 10000; ++ms) FrameAfter(1);
    const TEnd left = Now();
    Press(irr::KEY_ESCAPE);
    Frame();
    Release(irr::KEY_ESCAPE);
    replay::TReplayReader reader;
    ASSERT_TRUE(reader.Open(arena->tape.Path())) << reader.Problem();
    EXPECT_LE(reader.Frames().size(), 2501u);
    EXPECT_GE(reader.Frames().size(), 2400u);
    // Four times as fast on a display of 60 frames a second: every frame still runs.
    game->replayToPlay = arena->tape.Path();
    EnterArena();
    TapAcrossFrames(irr::KEY_PLUS);
    TapAcrossFrames(irr::KEY_PLUS);
    ASSERT_TRUE(FramesUntil([&] { return arena->replayEnd.reached; }, 200));
    ExpectSameEnd(left, arena->replayEnd);
}
