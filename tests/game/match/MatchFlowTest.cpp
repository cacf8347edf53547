// The match: respawning, the score limit, the finale, the function keys, the score
// display, and what entering and leaving the arena leave behind.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "tests/support/ArenaFixture.h"
#include "framework/GameResource.h"
#include "framework/GameView.h"
#include "game/match/EndMatchAnimator.h"
#include "sound/Sound.h"

using irr::core::vector3df;
using irr::video::SColor;

namespace {

constexpr int kEscape = 27;
constexpr int kF1 = 112;
constexpr int kF7 = 118;
constexpr int kF8 = 119;
constexpr int kF9 = 120;
constexpr int kF12 = 123;
constexpr int kPlus = 187;
constexpr int kMinus = 189;

SColor NoAlpha(SColor color)
{
    color.setAlpha(0);
    return color;
}

SColor FirstVertexColor(irr::scene::ISceneNode* node)
{
    irr::scene::IMesh* mesh = static_cast<irr::scene::IMeshSceneNode*>(node)->getMesh();
    return static_cast<irr::video::S3DVertex*>(mesh->getMeshBuffer(0)->getVertices())[0].Color;
}

}  // namespace

class MatchTest : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArena();
        Frame();
    }
    SColor Scheme(const char* key) { return game->CurrentColorScheme->GetColor(key); }
};

class Respawn : public MatchTest {
protected:
    // The index of the respawn point a tank stands on; -1 for none.
    int PointOf(const std::string& key)
    {
        const auto& points = ArenaObject()->respawn_points;
        for (size_t i = 0; i < points.size(); ++i)
            if (Tank(key)->GetPosition().equals(points[i], 0.0f)) return static_cast<int>(i);
        return -1;
    }
    void Respawn1()
    {
        arena->QueueTankForRespawn("tank1");
        arena->RespawnTanks();
    }
};

TEST_F(Respawn, NeverAtTheLastPointNorNearerThanTwoToTheOtherTank)
{
    const auto& points = ArenaObject()->respawn_points;
    std::map<int, int> used;
    for (int draw = 0; draw < 600; ++draw) {
        // The other tank waits on a point, or a little beside one.
        const vector3df other = points[static_cast<size_t>(draw % 11)] + vector3df((draw / 11) % 3 * 0.7f, 0, 0);
        Place("tank2", other, 0);
        const int last = arena->last_respawn;
        Respawn1();
        const int c = PointOf("tank1");
        ASSERT_GE(c, 0);
        EXPECT_NE(c, last);
        EXPECT_GE(points[static_cast<size_t>(c)].getDistanceFrom(other), 2.0f);
        EXPECT_EQ(arena->last_respawn, c);
        EXPECT_TRUE(arena->respawn.empty());
        ++used[c];
    }
    EXPECT_EQ(used.size(), 11u) << "every point comes up";
}

TEST_F(Respawn, ExactlyTwoFromTheOtherTankIsFarEnough)
{
    // Point 2 is the middle, (0, 0, 0).
    auto draws = [&](vector3df other) {
        Place("tank2", other, 0);
        int onPoint2 = 0;
        for (int draw = 0; draw < 300; ++draw) {
            Respawn1();
            if (PointOf("tank1") == 2) ++onPoint2;
        }
        return onPoint2;
    };
    EXPECT_GT(draws(vector3df(2.0f, 0, 0)), 0);
    EXPECT_EQ(draws(vector3df(std::nextafter(2.0f, 0.0f), 0, 0)), 0);
}

TEST_F(Respawn, TwoTanksQueuedTogetherGetDifferentPoints)
{
    for (int draw = 0; draw < 300; ++draw) {
        arena->QueueTankForRespawn("tank1");
        arena->QueueTankForRespawn("tank2");
        arena->RespawnTanks();
        const int a = PointOf("tank1");
        const int b = PointOf("tank2");
        ASSERT_GE(a, 0);
        ASSERT_GE(b, 0);
        ASSERT_NE(a, b);
        Tank("tank1")->_node->updateAbsolutePosition();
        Tank("tank2")->_node->updateAbsolutePosition();
    }
}

TEST_F(Respawn, RebuildsTheCollisionAnimatorsSoTheTankStaysOnItsPoint)
{
    for (int round = 0; round < 30; ++round) {
        std::vector<irr::scene::ISceneNodeAnimator*> old;
        for (irr::scene::ISceneNodeAnimator* animator : Tank("tank1")->_node->getAnimators()) {
            animator->grab();  // kept alive, so a new one cannot take its address
            old.push_back(animator);
        }
        arena->QueueTankForRespawn("tank1");
        Frame();  // respawned in the pre-update, then drawn with its collision animators
        const int c = PointOf("tank1");
        EXPECT_GE(c, 0) << "an old collision animator would sweep it back from where it stood";
        int collision = 0;
        for (irr::scene::ISceneNodeAnimator* animator : Tank("tank1")->_node->getAnimators()) {
            if (animator->getType() != irr::scene::ESNAT_COLLISION_RESPONSE) continue;
            ++collision;
            EXPECT_EQ(std::find(old.begin(), old.end(), animator), old.end());
        }
        EXPECT_EQ(collision, 2);
        for (irr::scene::ISceneNodeAnimator* animator : old) animator->drop();
    }
}

class ScoreLimit : public MatchTest {
};

TEST_F(ScoreLimit, TenEndsTheMatchOnlyOnceTheTanksAreFreeAgain)
{
    for (const char* key : {"player2", "player1"}) {
        SCOPED_TRACE(key);
        arena->SetTanksDisabled(1);
        Player(key)->score = 10;
        Frames(3);
        EXPECT_FALSE(arena->HasFlag("match_end"));
        EXPECT_EQ(arena->GetAnimator("match_end"), nullptr);
        arena->SetTanksDisabled(0);
        Frame();
        EXPECT_EQ(arena->GetFlag("match_end"), 1);
        EXPECT_NE(std::dynamic_pointer_cast<TEndMatchAnimator>(arena->GetAnimator("match_end")), nullptr);
        arena->RemoveAnimator("match_end");
        arena->RemoveFlag("match_end");
        Player(key)->score = 0;
    }
}

TEST_F(ScoreLimit, NineIsNotTheEnd)
{
    Player("player1")->score = 9;
    Player("player2")->score = 9;
    Frames(3);
    EXPECT_FALSE(arena->HasFlag("match_end"));
}

TEST_F(ScoreLimit, KeysAndEscapeAreDeadOnceTheMatchHasEnded)
{
    Player("player1")->score = 10;
    Frame();
    ASSERT_EQ(arena->GetFlag("match_end"), 1);
    Frame();  // the finale's first step changes the scheme once
    const int scheme = game->ColorSchemeIdx;
    const std::string view = arena->currentGameView;
    for (int key : {kF12, kF1 + 1, kF1 + 2, kF1 + 3, kF1 + 4, kF1 + 5, kF7, kF8, kF9, kPlus, kMinus}) {
        Tap(key);
        Frame();
    }
    Press(kEscape);
    Frame();
    EXPECT_EQ(Current(), "Arena");
    EXPECT_EQ(game->ColorSchemeIdx, scheme);
    EXPECT_EQ(arena->currentGameView, view);
    EXPECT_FALSE(arena->HasFlag("guided_shells"));
    EXPECT_FALSE(arena->HasFlag("invisible_tanks"));
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 60.0f);
}

class Finale : public MatchTest {
};

TEST_F(Finale, SevenSchemeChanges800msApartThenTheTitle)
{
    Place("tank1", vector3df(5, 0, 7), 0);
    Player("player2")->score = 10;
    Frame();
    ASSERT_EQ(arena->GetFlag("match_end"), 1);
    const int count = static_cast<int>(game->ColorSchemes.size());
    int scheme = game->ColorSchemeIdx;
    std::vector<uint32_t> changes;
    int frames = 0;
    while (Current() == "Arena") {
        Frame();
        ASSERT_LT(++frames, 400);
        if (Current() != "Arena") break;
        if (game->ColorSchemeIdx != scheme) {
            EXPECT_EQ(game->ColorSchemeIdx, (scheme + 1) % count);
            scheme = game->ColorSchemeIdx;
            changes.push_back(clock.Now());
            // The match objects wear the new scheme: walls in its "Background" over its
            // "Arena" clear color.
            EXPECT_EQ(FirstVertexColor(Tank("tank1")->_node), NoAlpha(Scheme("Tank1")));
            EXPECT_EQ(FirstVertexColor(Tank("tank2")->_node), NoAlpha(Scheme("Tank2")));
            EXPECT_EQ(FirstVertexColor(ArenaObject()->_node), NoAlpha(Scheme("Background")));
            EXPECT_EQ(*game->clsColor, Scheme("Arena"));
        }
        // A fresh arena with both tanks frozen and silent.
        EXPECT_TRUE(Tank("tank1")->GetPosition().equals(vector3df(16.5f, 0, 0)));
        EXPECT_EQ(Tank("tank1")->IsDisabled(), 1);
        EXPECT_EQ(Tank("tank2")->IsDisabled(), 1);
        if (changes.size() > 1) {
            EXPECT_EQ(Tank("tank1")->engine->GetVolume(), 0.0f);
        }
    }
    ASSERT_EQ(changes.size(), 7u);
    for (size_t i = 1; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[0], 800u * i);
    EXPECT_EQ(clock.Now() - changes[0], 4800u + kFrameMs) << "left in the first frame after the last step";
    EXPECT_EQ(Current(), "TitleScreen");
    EXPECT_TRUE(arena->GameObjects.Empty());
    EXPECT_TRUE(arena->animators.Empty());
}

TEST_F(Finale, NextMatchStartsFromNothing)
{
    Player("player2")->score = 10;
    ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen"; }, 400));
    EnterArena();
    Frame();
    EXPECT_EQ(Player("player2")->score, 0);
    EXPECT_EQ(Player("player1")->score, 0);
    EXPECT_FALSE(arena->HasFlag("match_end"));
    EXPECT_FALSE(arena->HasFlag("tanks_disabled"));
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 0);
    Frame();
    EXPECT_FLOAT_EQ(Tank("tank1")->engine->GetVolume(), 0.9f);
}

// The match counts each player's shots and hits from the world's events; its end hands the
// figures, the winner and the clock to the game, and the results screen follows the finale.
TEST_F(Finale, ShotsAndHitsAreCountedAndTheResultsFollow)
{
    auto results = std::make_shared<TVexmoorGameState>();
    TGame::AddGameState("ResultsScreen", results);
    arena->RemoveGameObject("player1_key_controller");
    arena->RemoveGameObject("player2_key_controller");
    // Player 1 ("tank2") misses once into the wall, then hits; player 2 ("tank1") shoots once.
    Place("tank2", vector3df(-5, 0, 7), 0);
    Frame();
    Tank("tank2")->Shoot(arena.get());
    ASSERT_TRUE(FramesUntil([&] { return !Shell("tank2"); }, 300));
    PlaceFacing(*arena, "tank2", "tank1", kPointBlank);
    Frame();
    Tank("tank2")->Shoot(arena.get());
    ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") != nullptr; }, 30));
    ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
    Place("tank1", vector3df(5, 0, -7), 0);
    Frame();
    Tank("tank1")->Shoot(arena.get());
    Frame();
    EXPECT_EQ(arena->stats.shots[0], 2);
    EXPECT_EQ(arena->stats.hits[0], 1);
    EXPECT_EQ(arena->stats.shots[1], 1);
    EXPECT_EQ(arena->stats.hits[1], 0);

    Player("player2")->score = 10;
    Frame();
    ASSERT_EQ(arena->GetFlag("match_end"), 1);
    EXPECT_EQ(game->lastMatch.winner, 1);
    EXPECT_EQ(game->lastMatch.shots[0], 2);
    EXPECT_EQ(game->lastMatch.hits[0], 1);
    EXPECT_EQ(game->lastMatch.elapsedMs, arena->rules.elapsedMs);
    EXPECT_GT(game->lastMatch.elapsedMs, 0);
    EXPECT_FALSE(game->lastMatch.network);
    ASSERT_TRUE(FramesUntil([&] { return Current() != "Arena"; }, 400));
    EXPECT_EQ(Current(), "ResultsScreen");
    EXPECT_EQ(game->lastMatch.AccuracyPercent(1), 50);
}

class MatchKeys : public MatchTest {
};

TEST_F(MatchKeys, F1ToF6PickTheViewsAndNoneTheFreeCamera)
{
    EXPECT_EQ(arena->currentGameView, "overhead55_cam");
    const char* views[] = {"overhead55_cam", "overhead_cam", "ortho_cam", "split", "tank1", "tank2"};
    for (int i = 5; i >= 0; --i) {
        Tap(kF1 + i);
        Frame();
        EXPECT_EQ(arena->currentGameView, views[i]);
    }
    EXPECT_NE(arena->GetGameView("freeCam"), nullptr);
    EXPECT_EQ(arena->GetGameView("tank1")->cameras[0], Tank("tank1")->cam);
}

TEST_F(MatchKeys, F12StepsTheSchemeAndSwapsTheArenaColorRoles)
{
    // On entry the arena wears "Arena" before a "Background" clear color; from the first
    // new scheme on the walls take "Background" and the clear color "Arena".
    EXPECT_EQ(FirstVertexColor(ArenaObject()->_node), NoAlpha(Scheme("Arena")));
    EXPECT_EQ(*game->clsColor, Scheme("Background"));
    for (int step = 0; step < 3; ++step) {
        const int before = game->ColorSchemeIdx;
        Tap(kF12);
        Frame();
        EXPECT_EQ(game->ColorSchemeIdx, (before + 1) % static_cast<int>(game->ColorSchemes.size()));
        EXPECT_EQ(FirstVertexColor(Tank("tank1")->_node), NoAlpha(Scheme("Tank1")));
        EXPECT_EQ(FirstVertexColor(Tank("tank2")->_node), NoAlpha(Scheme("Tank2")));
        EXPECT_EQ(FirstVertexColor(ArenaObject()->_node), NoAlpha(Scheme("Background")));
        EXPECT_EQ(Tank("tank1")->color, Scheme("Tank1"));
        EXPECT_EQ(*game->clsColor, Scheme("Arena"));
    }
}

TEST_F(MatchKeys, F7GuidedShellsTurnWithTheirTank)
{
    Place("tank1", vector3df(0, 0, 40), 0);
    Tap(kF7);
    Frame();
    ASSERT_EQ(arena->GetFlag("guided_shells"), 1);

    // How far off the tank's heading its shell is, and how far ahead.
    auto offHeading = [&](float* ahead) {
        auto tank = Tank("tank1");
        vector3df forward(0, 0, 1);
        tank->_node->getAbsoluteTransformation().rotateVect(forward);
        const vector3df rel = Shell("tank1")->GetGlobalPosition() - tank->GetGlobalPosition();
        if (ahead) *ahead = rel.X * forward.X + rel.Z * forward.Z;
        return std::fabs(rel.X * forward.Z - rel.Z * forward.X);
    };

    Tank("tank1")->Shoot(arena.get());
    ASSERT_NE(Shell("tank1"), nullptr);
    EXPECT_EQ(Shell("tank1")->_node->getParent(), Tank("tank1")->_node);
    Press(irr::KEY_RIGHT);
    float ahead = 0;
    for (int i = 0; i < 20; ++i) {
        Frame();
        float now = 0;
        EXPECT_LT(offHeading(&now), 1e-3f) << "frame " << i;
        EXPECT_GT(now, ahead);
        ahead = now;
    }
    EXPECT_GT(std::fabs(Tank("tank1")->GetRotation().Y), 45.0f);
    Release(irr::KEY_RIGHT);
    ASSERT_TRUE(FramesUntil([&] { return Shell("tank1") == nullptr; }, 100));

    Tap(kF7);
    Frame();
    EXPECT_EQ(arena->GetFlag("guided_shells"), 0);
    Tank("tank1")->Shoot(arena.get());
    EXPECT_EQ(Shell("tank1")->_node->getParent(), arena->smgr->getRootSceneNode());
    Press(irr::KEY_RIGHT);
    Frames(20);
    EXPECT_GT(offHeading(nullptr), 1.0f) << "an unguided shell flies straight on";
}

TEST_F(MatchKeys, FirstF8HidesTheTanksThenItToggles)
{
    auto material = [&](const char* key) {
        return static_cast<int>(Tank(key)->_node->getMaterial(0).MaterialType);
    };
    ASSERT_FALSE(arena->HasFlag("invisible_tanks"));
    // The flag holds the visibility passed to the tanks: the first F8 passes 0.
    for (int expected : {0, 1, 0}) {
        Tap(kF8);
        Frame();
        EXPECT_EQ(arena->GetFlag("invisible_tanks"), expected);
        for (const char* key : {"tank1", "tank2"}) {
            EXPECT_EQ(Tank(key)->IsVisible(), expected) << key;
            EXPECT_EQ(material(key), expected ? static_cast<int>(irr::video::EMT_SOLID) : 13) << key;
        }
    }
}

TEST_F(MatchKeys, F9PausesStopsAndMutesTheTanksAndResumes)
{
    TapAcrossFrames(kF9);
    EXPECT_EQ(TGame::Framerate->IsPaused(), 1);
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 1);
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 1);
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 1);
    Frame();  // the tanks take the volume at their next update
    EXPECT_EQ(Tank("tank1")->engine->GetVolume(), 0.0f);
    EXPECT_EQ(Tank("tank2")->shot_channel->GetVolume(), 0.0f);

    const vector3df standing = Tank("tank1")->GetPosition();
    Press(irr::KEY_UP);
    Frames(30);
    EXPECT_TRUE(Tank("tank1")->GetPosition().equals(standing));

    TapAcrossFrames(kF9);
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 60.0f);
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 0);
    Frame();
    EXPECT_FLOAT_EQ(Tank("tank1")->engine->GetVolume(), 0.9f);
    Frames(10);
    EXPECT_FALSE(Tank("tank1")->GetPosition().equals(standing)) << "drives again";
}

class PauseDuringADeath : public MatchTest {
protected:
    // "tank2" shoots "tank1" from close range; returns once "tank1" is dying.
    void Tank2HitsTank1()
    {
        Place("tank2", vector3df(-2.5f, 0, 7), 90);
        Place("tank1", vector3df(2.5f, 0, 7), -90);
        Frame();
        Tank("tank2")->Shoot(arena.get());
        ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") != nullptr; }, 30));
        ASSERT_EQ(Player("player2")->score, 1);
    }
};

TEST_F(PauseDuringADeath, ResumingKeepsTheTanksStoppedUntilTheDeathEnds)
{
    Tank2HitsTank1();
    TapAcrossFrames(kF9);
    ASSERT_EQ(TGame::Framerate->IsPaused(), 1);
    TapAcrossFrames(kF9);
    ASSERT_EQ(TGame::Framerate->IsPaused(), 0);
    ASSERT_NE(Tank("tank1")->GetAnimator("die_anim"), nullptr) << "the death still plays";
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 1);
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 1);

    // The shooter cannot hit the dying tank a second time.
    Place("tank2", Tank("tank1")->GetPosition() - vector3df(3, 0, 0), 90);
    Press(irr::KEY_TAB);
    Frame();
    Release(irr::KEY_TAB);
    EXPECT_EQ(Shell("tank2"), nullptr);
    ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") == nullptr; }, 100));
    EXPECT_EQ(Player("player2")->score, 1);
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 0) << "free again once the death is over";
}

TEST_F(PauseDuringADeath, DeathEndingWhilePausedLeavesTheTanksStopped)
{
    Tank2HitsTank1();
    TapAcrossFrames(kF9);
    ASSERT_EQ(TGame::Framerate->IsPaused(), 1);
    ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") == nullptr; }, 100));
    Frame();
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 1) << "still paused";
    EXPECT_EQ(Tank("tank1")->IsDisabled(), 1);
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 1);
    EXPECT_TRUE(arena->respawn.empty()) << "the respawn is not held up";
    TapAcrossFrames(kF9);
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 0);
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 0);
}

TEST_F(MatchKeys, PlusAndMinusMoveTheTargetRateByFive)
{
    TapAcrossFrames(kPlus);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 65.0f);
    TapAcrossFrames(kMinus);
    TapAcrossFrames(kMinus);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 55.0f);
}

TEST_F(MatchKeys, MinusStopsAtFiveAndPlusStaysUnbounded)
{
    for (int i = 0; i < 20; ++i) TapAcrossFrames(kMinus);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 5.0f);
    // The match goes on: a 16 ms frame is a fraction of a 200 ms target frame.
    Frame();
    EXPECT_NEAR(TGame::Framerate->speedfactor, 0.08f, 1e-6f);
    // A pause's target of 0 is not lowered below it either.
    TapAcrossFrames(kF9);
    TapAcrossFrames(kMinus);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 0.0f);
    TapAcrossFrames(kF9);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 5.0f);
    for (int i = 0; i < 30; ++i) TapAcrossFrames(kPlus);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 155.0f);
}

TEST_F(MatchKeys, EscapeLeavesForTheTitleAtOnce)
{
    Press(kEscape);
    Frame();
    EXPECT_EQ(Current(), "TitleScreen");
    EXPECT_EQ(arena->pendingNextState, 0) << "switched in the frame, not requested for its end";
    EXPECT_NE(title->start, nullptr) << "the title has built its menu";
}

TEST_F(MatchKeys, HoveredEntry101ClickedLeavesForTheTitle)
{
    irr::gui::IGUIStaticText* back = arena->guienv->addStaticText(
        L"BACK", irr::core::recti(10, 500, 110, 540), false, false, nullptr, 101);
    Mouse(irr::EMIE_MOUSE_MOVED, 60, 520);
    EXPECT_EQ(arena->mouse_on, 101);
    EXPECT_EQ(back->getOverrideColor(), SColor(255, 110, 121, 212));
    Mouse(irr::EMIE_LMOUSE_PRESSED_DOWN, 60, 520);
    Mouse(irr::EMIE_LMOUSE_LEFT_UP, 60, 520);
    Frame();
    EXPECT_EQ(Current(), "TitleScreen");
}

class LeavingArena : public MatchTest {
};

TEST_F(LeavingArena, ClearsObjectsViewsFlagsSceneAndShowsTheCursor)
{
    irr::gui::ICursorControl* cursor = game->device->getCursorControl();
    EXPECT_FALSE(cursor->isVisible());
    Tap(kF7);
    Frame();
    arena->QueueTankForRespawn("tank1");
    arena->guienv->addStaticText(L"x", irr::core::recti(0, 0, 10, 10), false, false, nullptr, 4711);
    ASSERT_TRUE(arena->HasFlag("guided_shells"));

    TGame::SetGameState("TitleScreen");
    EXPECT_TRUE(arena->GameObjects.Empty());
    EXPECT_TRUE(arena->GameViews.Empty());
    EXPECT_TRUE(arena->GameFlags.Empty());
    EXPECT_TRUE(arena->respawn.empty());
    EXPECT_TRUE(arena->smgr->getRootSceneNode()->getChildren().empty());
    EXPECT_EQ(arena->guienv->getRootGUIElement()->getElementFromId(4711, true), nullptr);
    EXPECT_TRUE(cursor->isVisible());
    EXPECT_EQ(cursor->getPosition(), irr::core::vector2di(400, 300));
    EXPECT_EQ(*game->clsColor, Scheme("Arena"));
    EXPECT_EQ(arena->mouse_on, -1);
    EXPECT_NE(arena->GetGameResource("engine_sound"), nullptr) << "resources stay";
    Frame();
}

TEST_F(LeavingArena, APausedMatchResumesTheGame)
{
    TapAcrossFrames(kF9);
    ASSERT_EQ(TGame::Framerate->IsPaused(), 1);
    Press(kEscape);
    Frame();
    EXPECT_EQ(TGame::Framerate->IsPaused(), 0);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 60.0f);
}

// The arena, noting what it writes over the scene.
class RecordingArena : public TVexmoorArenaScreen {
public:
    int DrawText(const std::wstring& text, irr::gui::IGUIFont* font, std::optional<SColor> color, int x, int y,
                 int w, int h, int hcenter, int vcenter) override
    {
        texts.push_back({text, font, *color, x, y});
        return TVexmoorArenaScreen::DrawText(text, font, color, x, y, w, h, hcenter, vcenter);
    }
    struct Text {
        std::wstring text;
        irr::gui::IGUIFont* font;
        SColor color;
        int x, y;
    };
    std::vector<Text> texts;
};

class ScoreDisplay : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        recording = std::make_shared<RecordingArena>();
        arena = recording;
        TGame::AddGameState("Arena", arena);
        game->SetCurrentColorScheme(0);  // whose scores, and its successor's, need no outline
        EnterArena();
        Frame();
    }
    std::shared_ptr<RecordingArena> recording;
};

TEST_F(ScoreDisplay, EachScoreInTheOtherTanksColorOncePerCamera)
{
    Player("player2")->score = 3;
    Player("player1")->score = 7;
    recording->texts.clear();
    Frame();
    ASSERT_EQ(recording->texts.size(), 2u);
    const auto& left = recording->texts[0];
    const auto& right = recording->texts[1];
    EXPECT_EQ(left.text, L"3");
    EXPECT_EQ(left.color, game->CurrentColorScheme->GetColor("Tank2"));
    EXPECT_EQ(left.x, 200);
    EXPECT_EQ(left.y, 0);
    EXPECT_EQ(right.text, L"7");
    EXPECT_EQ(right.color, game->CurrentColorScheme->GetColor("Tank1"));
    EXPECT_EQ(right.x, 600);
    EXPECT_NE(left.font, nullptr);
    EXPECT_EQ(left.font, arena->GetGameResourceAs<TFontResource>("fnt")->GetResource());

    Tap(kF1 + 3);  // split screen: drawn for each half
    Frame();
    recording->texts.clear();
    Frame();
    EXPECT_EQ(recording->texts.size(), 4u);
}

TEST_F(ScoreDisplay, TextsFollowTheScoresAndColorsFollowTheScheme)
{
    Frame();
    Player("player2")->score = 4;  // between two frames
    Tap(kF12);                     // the next scheme
    Frame();
    recording->texts.clear();
    Frame();
    ASSERT_EQ(recording->texts.size(), 2u);
    EXPECT_EQ(recording->texts[0].text, L"4");
    EXPECT_EQ(recording->texts[1].text, L"0");
    EXPECT_EQ(recording->texts[0].color, game->CurrentColorScheme->GetColor("Tank2"));
    EXPECT_EQ(recording->texts[1].color, game->CurrentColorScheme->GetColor("Tank1"));

    // A scheme color changed in place (the schemes share their color objects) shows at once.
    auto tank1 = game->CurrentColorScheme->GetGameResourceAs<TColorResource>("Tank1")->GetResource();
    *tank1 = SColor(255, 1, 2, 3);
    recording->texts.clear();
    Frame();
    ASSERT_EQ(recording->texts.size(), 2u);
    EXPECT_EQ(recording->texts[1].color, SColor(255, 1, 2, 3));
}
