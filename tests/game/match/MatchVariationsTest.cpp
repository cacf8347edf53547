// The match variations of the set-up: the arena choice with every respawn point clear and
// reachable, the time limit with its clock, the tie and sudden death, the SAFE respawn with
// its grace time, the keypad's plus and minus, and what the overlay shows in every view.
#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "tests/support/ArenaFixture.h"
#include "tests/support/WallMap.h"
#include "tests/support/Contrast.h"
#include "framework/GameResource.h"
#include "framework/GameView.h"
#include "game/ai/Aim.h"
#include "game/match/MatchOverlay.h"
#include "game/match/SafeRespawn.h"
#include "game/tank/TankShell.h"

using irr::core::vector3df;

namespace {

constexpr int kF1 = 112;
constexpr int kF4 = 115;
constexpr int kF9 = 120;
constexpr int kF10 = 121;
constexpr float kBoxyRadius = 1.25f;  // the wider tank's collision radius

}  // namespace

class Variations : public ArenaTest {
protected:
    TMatchOptions& Options() { return game->settings.match; }
    // "tank2" shoots "tank1" from close range, in the open in every arena; the death plays out.
    void Tank2HitsTank1()
    {
        PlaceFacing(*arena, "tank2", "tank1", kPointBlank);
        Frame();
        Tank("tank2")->Shoot(arena.get());
        ASSERT_TRUE(FramesUntil([&] { return Tank("tank1")->GetAnimator("die_anim") != nullptr; }, 30));
        ASSERT_TRUE(FramesUntil([&] { return arena->GetFlag("tanks_disabled") == 0; }, 100));
    }
    // The texts the overlay drew in the last frame.
    std::vector<std::wstring> Shown()
    {
        std::vector<std::wstring> texts;
        for (const auto& line : arena->overlay.drawn) texts.push_back(line.text);
        return texts;
    }
    int CountShown(const std::wstring& text)
    {
        int n = 0;
        for (const auto& line : arena->overlay.drawn) n += line.text == text;
        return n;
    }
};

TEST_F(Variations, EachArenaLoadsWithEveryRespawnPointClearAndReachable)
{
    const std::pair<TArenaChoice, const char*> arenas[] = {
        {TArenaChoice::OpenField, "arena_base_model"}, {TArenaChoice::Maze, "arena1_model"},
        {TArenaChoice::Forts, "arena2_model"}};
    for (const auto& [choice, model] : arenas) {
        SCOPED_TRACE(model);
        Options().arena = choice;
        EnterIdleArena();
        EXPECT_EQ(arena->arena_model, model);
        auto* node = static_cast<irr::scene::IMeshSceneNode*>(ArenaObject()->_node);
        auto* loaded = arena->GetGameResourceAs<TMeshResource>(model)->GetResource()->getMesh(0);
        EXPECT_EQ(node->getMesh()->getMeshBuffer(0)->getIndexCount(), loaded->getMeshBuffer(0)->getIndexCount());
        WallMap walls(node);
        const auto& points = ArenaObject()->respawn_points;
        for (const vector3df& p : points) {
            EXPECT_TRUE(walls.Inside(p));
            EXPECT_GT(walls.Clearance(p), kBoxyRadius + 0.25f) << p.X << ", " << p.Z;
        }
        // Reachable: a flood over the ground a tank fits on, from the first start point.
        const float cell = 0.25f;
        const irr::core::aabbox3df& box = walls.Box();
        const int nx = static_cast<int>((box.MaxEdge.X - box.MinEdge.X) / cell) + 1;
        const int nz = static_cast<int>((box.MaxEdge.Z - box.MinEdge.Z) / cell) + 1;
        auto index = [&](const vector3df& p) {
            return static_cast<int>((p.Z - box.MinEdge.Z) / cell + 0.5f) * nx +
                   static_cast<int>((p.X - box.MinEdge.X) / cell + 0.5f);
        };
        auto at = [&](int i) { return vector3df(box.MinEdge.X + (i % nx) * cell, 0, box.MinEdge.Z + (i / nx) * cell); };
        std::vector<char> seen(static_cast<size_t>(nx * nz), 0);
        std::deque<int> open = {index(points[0])};
        seen[static_cast<size_t>(open.front())] = 1;
        while (!open.empty()) {
            const int i = open.front();
            open.pop_front();
            for (int next : {i - 1, i + 1, i - nx, i + nx}) {
                if (next < 0 || next >= nx * nz || seen[static_cast<size_t>(next)]) continue;
                if (!walls.Inside(at(next)) || walls.Clearance(at(next)) < kBoxyRadius) continue;
                seen[static_cast<size_t>(next)] = 1;
                open.push_back(next);
            }
        }
        for (size_t k = 0; k < points.size(); ++k) EXPECT_TRUE(seen[static_cast<size_t>(index(points[k]))]) << k;
        TGame::SetGameState("TitleScreen");
    }
    // RANDOM draws each of the three, and the finale keeps the drawn one.
    Options().arena = TArenaChoice::Random;
    std::set<std::string> drawn;
    for (int match = 0; match < 40; ++match) {
        EnterIdleArena();
        drawn.insert(arena->arena_model);
        TGame::SetGameState("TitleScreen");
    }
    EXPECT_EQ(drawn.size(), 3u);
}

TEST_F(Variations, TimeLimitClockStopsWhilePausedAndTheHigherScoreWinsAtZero)
{
    Options().timeLimitSeconds = 136;
    EnterIdleArena();
    EXPECT_EQ(CountShown(L"2:16"), 1) << "the clock stands in the score line";
    FrameAfter(60000);
    EXPECT_EQ(CountShown(L"1:16"), 1);
    TapAcrossFrames(kF9);
    FrameAfter(30000);
    EXPECT_EQ(arena->rules.SecondsLeft(), 76) << "a pause stops the clock";
    TapAcrossFrames(kF9);
    Player("player2")->score = 3;  // three hits by player 1
    Player("player1")->score = 1;
    FrameAfter(67000);
    EXPECT_EQ(CountShown(L"0:09"), 1) << "the last ten seconds keep their minutes and two digits";
    FrameAfter(8000);
    ASSERT_FALSE(arena->HasFlag("match_end"));
    FrameAfter(1000);
    EXPECT_EQ(arena->GetFlag("match_end"), 1);
    EXPECT_EQ(arena->winner, 1);
    Frame();
    ASSERT_EQ(CountShown(L"PLAYER 1 WINS"), 1);
    for (const auto& line : arena->overlay.drawn)
        if (line.text == L"PLAYER 1 WINS") {
            EXPECT_EQ(line.color, Tank("tank2")->color) << "player 1's tank";
        }
    ASSERT_TRUE(FramesUntil([&] { return Current() == "TitleScreen"; }, 400));
}

TEST_F(Variations, ATieAtZeroGoesToSuddenDeathAndTheNextHitWins)
{
    Options().timeLimitSeconds = 136;
    Options().arena = TArenaChoice::Maze;
    EnterIdleArena();
    Player("player2")->score = 2;
    Player("player1")->score = 2;
    FrameAfter(136000);
    Frame();
    EXPECT_FALSE(arena->HasFlag("match_end"));
    EXPECT_TRUE(arena->rules.SuddenDeath());
    EXPECT_EQ(CountShown(L"SUDDEN DEATH"), 1);
    EXPECT_EQ(CountShown(L"0:00"), 0);
    Tank2HitsTank1();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(arena->GetFlag("match_end"), 1);
    EXPECT_EQ(arena->winner, 1);
}

TEST_F(Variations, ScoreToEndsTheMatchAtItsValue)
{
    Options().scoreTo = 5;
    EnterIdleArena();
    Player("player1")->score = 4;
    Frame();
    EXPECT_FALSE(arena->HasFlag("match_end"));
    Player("player1")->score = 5;
    Frame();
    EXPECT_EQ(arena->winner, 2);
}

using SafeRespawn = Variations;

TEST_F(SafeRespawn, NeverInTheOtherTanksLineOfFireWhereAPointOutOfItExists)
{
    Options().respawn = TRespawnRule::Safe;
    for (TArenaChoice choice : {TArenaChoice::Forts, TArenaChoice::Maze, TArenaChoice::OpenField}) {
        SCOPED_TRACE(static_cast<int>(choice));
        Options().arena = choice;
        EnterIdleArena();
        const auto& points = ArenaObject()->respawn_points;
        int hiddenDraws = 0;
        for (int draw = 0; draw < 110; ++draw) {
            const vector3df other = points[static_cast<size_t>(draw % 11)] + vector3df(0.5f, 0, 0.5f);
            Place("tank2", other, 0);
            Tank("tank2")->_node->updateAbsolutePosition();
            const int last = arena->last_respawn;
            bool anyHidden = false;
            for (size_t c = 0; c < points.size(); ++c)
                anyHidden = anyHidden || (static_cast<int>(c) != last && points[c].getDistanceFrom(other) >= 2.0f &&
                                          Hidden(points[c], other));
            arena->QueueTankForRespawn("tank1");
            arena->RespawnTanks();
            const vector3df at = Tank("tank1")->GetPosition();
            if (anyHidden) {
                EXPECT_TRUE(Hidden(at, other)) << "respawned in the open at " << at.X << ", " << at.Z;
                ++hiddenDraws;
            }
            EXPECT_NE(arena->last_respawn, last);
            EXPECT_GE(at.getDistanceFrom(other), 2.0f);
        }
        if (choice == TArenaChoice::OpenField)
            EXPECT_EQ(hiddenDraws, 0) << "nothing to hide behind";
        else
            EXPECT_GT(hiddenDraws, 50);
        TGame::SetGameState("TitleScreen");
    }
}

// OPEN FIELD hides nothing: with the other tank aiming at each respawn point in turn,
// from the middle and from a point of its own, the hit tank never lands in its aim and
// reach, and lands at the point widest of its gun.
TEST_F(SafeRespawn, InTheOpenTheTankLandsOutOfTheOtherGunsAim)
{
    Options().respawn = TRespawnRule::Safe;
    Options().arena = TArenaChoice::OpenField;
    EnterIdleArena();
    const auto& points = ArenaObject()->respawn_points;
    const TankShellAnimator shell;
    // A straight shell's reach: its speed per 1/60 s over its life.
    const float reach = shell.speed * static_cast<float>(shell.lifeSpan) * 60.0f / 1000.0f;
    constexpr float kAim = 20.0f;  // degrees either side of the gun
    auto inAim = [&](const vector3df& from, float gun, const vector3df& at) {
        return std::fabs(ai::AngleDifference(gun, ai::YawTo(from, at))) < kAim && from.getDistanceFrom(at) < reach;
    };
    for (const vector3df& from : {vector3df(0, 0, 0), points[3] + vector3df(0.5f, 0, 0.5f)}) {
        for (size_t aimed = 0; aimed < points.size(); ++aimed) {
            SCOPED_TRACE(aimed);
            if (points[aimed].getDistanceFrom(from) < 2.0f) continue;
            const float gun = ai::YawTo(from, points[aimed]);
            Place("tank2", from, gun);
            arena->QueueTankForRespawn("tank1");
            const int last = arena->last_respawn;
            bool anyOutOfAim = false;
            float widest = 0.0f;
            for (size_t c = 0; c < points.size(); ++c) {
                if (static_cast<int>(c) == last || points[c].getDistanceFrom(from) < 2.0f) continue;
                anyOutOfAim = anyOutOfAim || !inAim(from, gun, points[c]);
                widest = std::max(widest, std::fabs(ai::AngleDifference(gun, ai::YawTo(from, points[c]))));
            }
            arena->RespawnTanks();
            const vector3df at = Tank("tank1")->GetPosition();
            const float angle = std::fabs(ai::AngleDifference(gun, ai::YawTo(from, at)));
            if (anyOutOfAim) {
                EXPECT_FALSE(inAim(from, gun, at)) << "in the gun's aim at " << at.X << ", " << at.Z;
            }
            EXPECT_GT(angle, widest - 1.01f) << "a point wider of the gun was free";
            EXPECT_TRUE(Tank("tank1")->GetAnimator("spawn_grace")) << "no protection";
        }
    }
}

TEST_F(SafeRespawn, ForASecondAndAHalfTheTankBlinksCannotBeHitAndCannotFire)
{
    Options().respawn = TRespawnRule::Safe;
    EnterIdleArena();
    arena->QueueTankForRespawn("tank1");
    Frame();
    ASSERT_NE(Tank("tank1")->GetAnimator("spawn_grace"), nullptr);
    const uint32_t back = clock.Now();
    // Blinks: both looks come up.
    std::set<int> looks;
    for (int i = 0; i < 20; ++i) {
        Frame();
        looks.insert(static_cast<int>(Tank("tank1")->_node->getMaterial(0).MaterialType));
    }
    EXPECT_EQ(looks.size(), 2u);
    // Cannot fire, and shells pass it: face-offs until the grace is nearly over.
    while (clock.Now() - back < 1300) {
        Place("tank2", vector3df(-2.5f, 0, 7), 90);
        Place("tank1", vector3df(2.5f, 0, 7), -90);
        Tank("tank1")->Shoot(arena.get());
        EXPECT_EQ(Shell("tank1"), nullptr);
        Tank("tank2")->Shoot(arena.get());
        Frames(8);
    }
    EXPECT_EQ(Player("player2")->score, 0);
    EXPECT_EQ(Tank("tank1")->GetAnimator("die_anim"), nullptr);
    ASSERT_TRUE(FramesUntil([&] { return !Shell("tank2") && clock.Now() - back > 1500; }, 100));
    Frame();
    EXPECT_EQ(Tank("tank1")->GetAnimator("spawn_grace"), nullptr);
    EXPECT_EQ(static_cast<int>(Tank("tank1")->_node->getMaterial(0).MaterialType), static_cast<int>(irr::video::EMT_SOLID));
    Tank2HitsTank1();
    EXPECT_EQ(Player("player2")->score, 1) << "hittable again";
}

TEST_F(Variations, KeypadPlusAndMinusChangeTheSpeedShownForASecond)
{
    EnterIdleArena();
    TapAcrossFrames(irr::KEY_ADD);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 65.0f);
    EXPECT_EQ(CountShown(L"GAME SPEED 108%"), 1);
    TapAcrossFrames(irr::KEY_SUBTRACT);
    TapAcrossFrames(irr::KEY_SUBTRACT);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 55.0f);
    EXPECT_EQ(CountShown(L"GAME SPEED 92%"), 1);
    FrameAfter(1000);
    EXPECT_EQ(CountShown(L"GAME SPEED 92%"), 0);
}

TEST_F(Variations, OverlaysStandInsideEveryCameraOfEveryView)
{
    game->settings.players[0].keys.fire = irr::KEY_SPACE;
    EnterIdleArena();
    const std::wstring player1 = L"PLAYER 1   DRIVE X   TURN Z C   FIRE SPACE";
    const std::wstring player2 = L"PLAYER 2   DRIVE UP   TURN LEFT RIGHT   FIRE RETURN";
    // Within the area of each camera of the view, once per camera.
    auto inEveryCamera = [&](const std::wstring& text) {
        auto view = arena->GetCurrentGameView();
        int found = 0;
        for (irr::scene::ICameraSceneNode* camera : view->cameras) {
            const irr::core::recti area = view->viewports[camera];
            for (const auto& line : arena->overlay.drawn)
                if (line.text == text && area.isRectCollided(line.rect) &&
                    area.isPointInside(line.rect.UpperLeftCorner) && area.isPointInside(line.rect.LowerRightCorner))
                    ++found;
        }
        return found == static_cast<int>(view->cameras.size());
    };
    for (int key = kF1; key <= kF1 + 5; ++key) {
        SCOPED_TRACE(key);
        TapAcrossFrames(key);
        EXPECT_TRUE(inEveryCamera(L"MATCH KEYS"));
        EXPECT_TRUE(inEveryCamera(player1));
        EXPECT_TRUE(inEveryCamera(player2));
    }
    ASSERT_EQ(arena->currentGameView, "tank2");
    TapAcrossFrames(kF4);
    EXPECT_EQ(CountShown(L"MATCH KEYS"), 2) << "one in each half";
    // After three seconds the keys go, and come back while F10 is held.
    FrameAfter(3000);
    EXPECT_EQ(CountShown(L"MATCH KEYS"), 0);
    Press(kF10);
    Frame();
    EXPECT_TRUE(inEveryCamera(L"MATCH KEYS"));
    Release(kF10);
    Frame();
    EXPECT_EQ(CountShown(L"MATCH KEYS"), 0);
    // PAUSED while F9 holds the match, in every view.
    TapAcrossFrames(kF9);
    for (int key : {kF1, kF1 + 2, kF4}) {
        TapAcrossFrames(key);
        EXPECT_TRUE(inEveryCamera(L"PAUSED")) << key;
    }
    TapAcrossFrames(kF9);
    EXPECT_EQ(CountShown(L"PAUSED"), 0);
    // The winner in the finale, in the winner's color, in both halves.
    Player("player1")->score = 10;
    Frames(2);
    EXPECT_TRUE(inEveryCamera(L"PLAYER 2 WINS"));
    for (const auto& line : arena->overlay.drawn)
        if (line.text == L"PLAYER 2 WINS") {
            EXPECT_EQ(line.color, Tank("tank1")->color);
        }
}

// In every scheme and after every F12 step, the clock, the keys and "PAUSED" stand out from
// the backdrop they are drawn on (the floor's color) by at least 3:1.
TEST_F(Variations, OverlayTextStandsOutFromItsBackdropInEveryScheme)
{
    constexpr int kF12 = 123;
    Options().timeLimitSeconds = 60;
    game->SetCurrentColorScheme(0);
    EnterIdleArena();
    TapAcrossFrames(kF9);
    for (int step = 0; step < 13; ++step) {
        SCOPED_TRACE("scheme " + std::to_string(game->ColorSchemeIdx));
        if (step > 0) TapAcrossFrames(kF12);
        Frame();
        ASSERT_TRUE(CountShown(L"PAUSED") == 1 && CountShown(L"MATCH KEYS") == 1 && CountShown(L"1:00") == 1);
        for (const auto& line : arena->overlay.drawn)
            EXPECT_GE(WcagContrast(line.color, *game->clsColor), 3.0) << std::string(line.text.begin(), line.text.end());
    }
}

// The README's match-key table says each key's name as the game's help (F10) says it: the
// row of "F5" begins with the help's "PLAYER 2 VIEW", that of plus / minus with "GAME SPEED".
TEST_F(Variations, TheReadmeNamesTheMatchKeysAsTheHelpDoes)
{
    EnterIdleArena();
    std::ifstream file("README.md");
    ASSERT_TRUE(file) << "README.md not found from " << std::filesystem::current_path();
    std::map<std::string, std::string> rows;  // key column -> what-it-does column, lower case
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("| ", 0) != 0) continue;
        const size_t bar = line.find(" | ", 2);
        if (bar == std::string::npos) continue;
        std::string what = line.substr(bar + 3);
        std::transform(what.begin(), what.end(), what.begin(), [](unsigned char c) { return std::tolower(c); });
        rows.emplace(line.substr(2, bar - 2), what);
    }
    TMatchOverlay overlay;
    const std::vector<std::wstring> lines = overlay.KeyLines(*arena);
    ASSERT_GE(lines.size(), 4u);
    int checked = 0;
    for (size_t i = 0; i < 4; ++i) {
        const std::string line(lines[i].begin(), lines[i].end());
        // Entries are three spaces apart: "F5 PLAYER 2 VIEW", "+ - GAME SPEED", "ESCAPE TITLE".
        for (size_t at = 0; at < line.size();) {
            size_t end = line.find("   ", at);
            if (end == std::string::npos) end = line.size();
            std::string entry = line.substr(at, end - at);
            at = end + 3;
            std::string key = entry.substr(0, entry.find(' '));
            std::string words = entry.substr(key.size() + 1);
            if (key == "+") key = "plus / minus (keypad too)", words = words.substr(2);
            if (key == "ESCAPE") key = "Escape";
            std::transform(words.begin(), words.end(), words.begin(), [](unsigned char c) { return std::tolower(c); });
            SCOPED_TRACE(entry);
            ASSERT_TRUE(rows.count(key)) << "no README row for " << key;
            EXPECT_EQ(rows[key].rfind(words, 0), 0u) << "README says: " << rows[key];
            ++checked;
        }
    }
    EXPECT_EQ(checked, 13);
}

// While guided shells, invisible tanks or another game speed are on, one line says so for
// as long as they are; during a pause it gives the speed the match will go on at, which
// plus and minus change.
TEST_F(Variations, ALineSaysWhatIsOnForAsLongAsItIs)
{
    constexpr int kF7 = 118, kF8 = 119, kPlus = 187, kMinus = 189;
    EnterIdleArena();
    arena->LoadGameFonts();  // the sizes a player sees
    auto state = [&]() {
        for (const std::wstring& text : Shown())
            if (text.rfind(L"GUIDED", 0) == 0 || text.rfind(L"INVISIBLE", 0) == 0 || text.rfind(L"SPEED", 0) == 0)
                return text;
        return std::wstring(L"(none)");
    };
    EXPECT_EQ(state(), L"(none)");
    TapAcrossFrames(kF7);
    EXPECT_EQ(state(), L"GUIDED SHELLS");
    TapAcrossFrames(kF8);
    EXPECT_EQ(state(), L"GUIDED SHELLS   INVISIBLE TANKS");
    TapAcrossFrames(kF7);
    TapAcrossFrames(kPlus);
    EXPECT_EQ(state(), L"INVISIBLE TANKS   SPEED 108%");
    FrameAfter(5000);
    EXPECT_EQ(state(), L"INVISIBLE TANKS   SPEED 108%") << "long after GAME SPEED went";
    TapAcrossFrames(kF9);
    EXPECT_EQ(state(), L"INVISIBLE TANKS   SPEED 108%") << "paused, the speed it goes on at";
    TapAcrossFrames(kMinus);
    TapAcrossFrames(kMinus);
    EXPECT_EQ(state(), L"INVISIBLE TANKS   SPEED 92%");
    TapAcrossFrames(kF9);
    EXPECT_EQ(TGame::Framerate->GetTargetFPS(), 55.0f) << "the pause ends at the speed chosen during it";
    TapAcrossFrames(kPlus);
    TapAcrossFrames(kF8);
    EXPECT_EQ(state(), L"(none)");
    // In the split screen's halves too, and PAUSED clear of the keys in each.
    TapAcrossFrames(kF7);
    TapAcrossFrames(kF4);
    TapAcrossFrames(kF9);
    Press(kF10);
    Frame();
    EXPECT_EQ(CountShown(L"GUIDED SHELLS"), 2);
    for (const auto& paused : arena->overlay.drawn) {
        if (paused.text != L"PAUSED") continue;
        for (const auto& other : arena->overlay.drawn) {
            if (&other == &paused) continue;
            EXPECT_FALSE(paused.rect.isRectCollided(other.rect)) << std::string(other.text.begin(), other.text.end());
        }
    }
    Release(kF10);
}
