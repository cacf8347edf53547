// Matches on arena grids, on the NULL driver with the hand-driven clock: computer players
// finish matches on random mazes; an arena file is played with its walls, respawn points and
// start; a maze seed in the settings builds the same maze again and stands in the score
// line; a bad file in the player's folder is refused with its place and not offered.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "tests/support/ArenaFixture.h"
#include "game/arenas/ArenaCatalog.h"
#include "game/arenas/MazeGenerator.h"
#include "game/screens/SetupOptionsColumn.h"

using irr::core::vector3df;

namespace {

constexpr uint32_t kMinute = 60 * 1000;

class GridArena : public ArenaTest {
protected:
    // The winner's slot (0 or 1) of a match played out, or -1 without one within limitMs.
    int PlayOut(uint32_t limitMs)
    {
        const uint32_t start = GameClock::Milliseconds();
        while (GameClock::Milliseconds() - start < limitMs) {
            Frame();
            if (arena->GetFlag("match_end")) return arena->winner - 1;
        }
        return -1;
    }
    bool Drew(const std::wstring& text)
    {
        for (const auto& line : arena->overlay.drawn)
            if (line.text == text) return true;
        return false;
    }
    // The ground direction a tank faces.
    vector3df Facing(const char* key)
    {
        vector3df forward(0, 0, 1);
        Tank(key)->_node->updateAbsolutePosition();
        Tank(key)->_node->getAbsoluteTransformation().rotateVect(forward);
        forward.Y = 0;
        return forward.normalize();
    }
};

// A folder of arena files for the player's own folder, and XDG_DATA_HOME pointing at it.
class UserArenaFolder {
public:
    UserArenaFolder()
    {
        root_ = std::filesystem::temp_directory_path() / ("vexmoor_arenas_" + std::to_string(::getpid()));
        folder = (root_ / "vexmoor" / "arenas").string();
        std::filesystem::create_directories(folder);
        const char* old = std::getenv("XDG_DATA_HOME");
        if (old) old_ = old;
        ::setenv("XDG_DATA_HOME", root_.c_str(), 1);
    }
    ~UserArenaFolder()
    {
        if (old_) ::setenv("XDG_DATA_HOME", old_->c_str(), 1);
        else ::unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(root_);
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder + "/" + name) << text; }

    std::string folder;

private:
    std::filesystem::path root_;
    std::optional<std::string> old_;
};

}  // namespace

TEST_F(GridArena, ComputerMatchesOnTwentyRandomMazesAllEndWithAWinner)
{
    std::set<uint32_t> seeds;
    for (int match = 0; match < 20; ++match) {
        SCOPED_TRACE(match);
        game->settings.match.arena = TArenaChoice::RandomMaze;
        game->settings.players[0].status = match % 2 ? TPlayerStatus::ComputerHard : TPlayerStatus::ComputerNormal;
        game->settings.players[1].status = TPlayerStatus::ComputerNormal;
        EnterArena();
        Frame();
        ASSERT_TRUE(arena->arenaGrid && arena->maze);
        seeds.insert(arena->MazeSeed());
        EXPECT_EQ(arena->arena_model, TArenaWorld::kGridModel);
        EXPECT_EQ(*arena->arenaGrid, *TMazeGenerator::Generate(*arena->maze));
        EXPECT_NE(PlayOut(10 * kMinute), -1) << "no winner within ten minutes on maze " << arena->MazeSeed();
        TGame::SetGameState("TitleScreen");
        Frame();
        // The maze's mesh leaves the engine's cache with the match.
        EXPECT_EQ(arena->smgr->getMeshCache()->getMeshByName(TArenaWorld::kGridModel), nullptr);
    }
    EXPECT_EQ(seeds.size(), 20u) << "a maze came twice";
}

TEST_F(GridArena, AnArenaFileIsPlayedWithItsWallsItsRespawnPointsAndTheTanksFacingEachOther)
{
    game->settings.match.arena = TArenaChoice::Custom;
    game->settings.match.customArena = "Courtyard";
    EnterIdleArena();
    ASSERT_TRUE(arena->arenaGrid);
    const TArenaGrid& grid = *arena->arenaGrid;
    EXPECT_EQ(grid.Name(), "Courtyard");
    EXPECT_FALSE(arena->maze);
    const std::vector<vector3df> points = grid.RespawnPositions();
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(ArenaObject()->respawn_points, points);
    // Player 1's tank on point 1, player 2's on point 2, each facing the other.
    EXPECT_LT(Tank("tank2")->GetPosition().getDistanceFrom(points[0]), 0.01f);
    EXPECT_LT(Tank("tank1")->GetPosition().getDistanceFrom(points[1]), 0.01f);
    EXPECT_GT(Facing("tank2").dotProduct((points[1] - points[0]).normalize()), 0.999f);
    EXPECT_GT(Facing("tank1").dotProduct((points[0] - points[1]).normalize()), 0.999f);
    // The walls collide where the grid has them: a ray east from point 2 stops at the face
    // of the outer wall, one cell in from the grid's edge.
    irr::scene::ITriangleSelector* walls = ArenaObject()->_node->getTriangleSelector();
    ASSERT_NE(walls, nullptr);
    vector3df hit;
    irr::core::triangle3df triangle;
    irr::scene::ISceneNode* node = nullptr;
    const vector3df from = points[1] + vector3df(0, 0.5f, 0);
    ASSERT_TRUE(arena->smgr->getSceneCollisionManager()->getCollisionPoint(
        irr::core::line3df(from, from + vector3df(100, 0, 0)), walls, hit, triangle, node));
    EXPECT_NEAR(hit.X, grid.Bounds().MaxEdge.X - grid.CellSize(), 0.01f);
    EXPECT_FALSE(Drew(L"MAZE 0"));
}

TEST_F(GridArena, AMazeSeedInTheSettingsBuildsTheSameMazeAgainAndStandsInTheScoreLine)
{
    game->settings.match.arena = TArenaChoice::RandomMaze;
    game->settings.match.mazeSeed = 4242;
    std::optional<TArenaGrid> first;
    for (int match = 0; match < 2; ++match) {
        EnterIdleArena();
        Frame();
        ASSERT_TRUE(arena->arenaGrid);
        EXPECT_EQ(arena->MazeSeed(), 4242u);
        EXPECT_TRUE(Drew(L"MAZE 4242"));
        if (first) {
            EXPECT_EQ(*arena->arenaGrid, *first);
        }
        first = *arena->arenaGrid;
        TGame::SetGameState("TitleScreen");
        Frame();
    }
    EXPECT_EQ(*first, *TMazeGenerator::Generate(TMazeGenerator::ForWindow(4242, 800, 600)));
}

TEST_F(GridArena, ABadFileInThePlayersFolderIsRefusedWithItsPlaceAndNotOffered)
{
    UserArenaFolder user;
    user.Write("bad.txt", "name = Bad\n#####\n#.x.#\n#####\n");
    user.Write("den.txt", "name = Den\n#########\n#.......#\n#.1...2.#\n#.......#\n#########\n");
    user.Write("courtyard.txt", "name = Courtyard\n#########\n#.......#\n#.1...2.#\n#.......#\n#########\n");
    user.Write("notes.md", "name = Notes\n");
    testing::internal::CaptureStderr();
    std::vector<std::string> names;
    for (const TArenaGrid& grid : game->CustomArenas()) names.push_back(grid.Name());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(names, (std::vector<std::string>{"Courtyard", "Den"}));
    EXPECT_NE(said.find("arena \"" + user.folder + "/bad.txt\", line 3, column 3: 'x' is not an arena cell"),
              std::string::npos)
        << said;
    // A second Courtyard would make the settings' choice by name ambiguous.
    EXPECT_NE(said.find(user.folder + "/courtyard.txt\": an arena named \"Courtyard\" is already offered"),
              std::string::npos)
        << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;

    // The set-up's ARENA steps through the built-in arenas, RANDOM MAZE, then the files.
    TMatchOptions options;
    options.arena = TArenaChoice::Random;
    std::vector<std::wstring> shown;
    for (int click = 0; click < 5; ++click) {
        TSetupOptionsColumn::Next(options, TSetupOptionsColumn::kArena, names);
        shown.push_back(TSetupOptionsColumn::ValueText(options, TSetupOptionsColumn::kArena));
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"RANDOM MAZE", L"COURTYARD", L"DEN", L"OPEN FIELD", L"MAZE"}));

    // A file that is gone by the match is said once and FORTS is played.
    game->settings.match.arena = TArenaChoice::Custom;
    game->settings.match.customArena = "Bad";
    testing::internal::CaptureStderr();
    EnterIdleArena();
    const std::string entry = testing::internal::GetCapturedStderr();
    EXPECT_NE(entry.find("arena: no arena file is named \"Bad\"; playing FORTS\n"), std::string::npos) << entry;
    EXPECT_EQ(arena->arena_model, "arena2_model");
    EXPECT_FALSE(arena->arenaGrid);
}
