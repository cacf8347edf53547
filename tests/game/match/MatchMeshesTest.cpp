// Every mesh a match uses is checked when the arena loads: a damaged tank, shell or arena
// stops the entry with "Unable to load " and its key (the shell no longer at the first
// shot), and a damaged arena mesh that the match does not use is named once and stops
// nothing. Each test plays in a copy of the game's data.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/ArenaFixture.h"
#include "tests/support/Watchdog.h"

namespace fs = std::filesystem;

namespace {

// The message of what entering the arena raised; empty when it raised nothing.
std::string EntryError()
{
    try {
        TGame::SetGameState("Arena");
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

}  // namespace

class MatchMeshes : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        checkout = fs::current_path();
        char pattern[] = "/tmp/vexmoor-match-meshes-XXXXXX";
        copy = mkdtemp(pattern);
        fs::copy(checkout / "media", copy / "media", fs::copy_options::recursive);
        fs::copy(checkout / "fonts", copy / "fonts", fs::copy_options::recursive);
        fs::current_path(copy);
    }
    void TearDown() override
    {
        fs::current_path(checkout);
        fs::remove_all(copy);
        ArenaTest::TearDown();
    }
    // Cuts a media file to half its size.
    static void Cut(const std::string& file) { fs::resize_file(file, fs::file_size(file) / 2); }

    fs::path checkout, copy;
};

struct UsedMesh {
    const char* file;
    const char* key;
};
void PrintTo(const UsedMesh& mesh, std::ostream* out) { *out << mesh.file; }

class MatchMeshUsed : public MatchMeshes, public ::testing::WithParamInterface<UsedMesh> {};

TEST_P(MatchMeshUsed, DamagedStopsTheEntryWithItsKey)
{
    const std::string file = GetParam().file;
    Cut(file);
    testing::internal::CaptureStderr();
    EXPECT_EQ(EntryError(), std::string("Unable to load ") + GetParam().key);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(LinesContaining(err, "mesh: cannot load \"" + file + "\": the file is damaged"), 1) << err;
    EXPECT_EQ(Current(), "");
}

INSTANTIATE_TEST_SUITE_P(Meshes, MatchMeshUsed,
                         ::testing::Values(UsedMesh{"media/tank.3ds", "boxy_tank_model"},
                                           UsedMesh{"media/sleek_tank.3ds", "sleek_tank_model"},
                                           UsedMesh{"media/tank_shell.3ds", "tank_shell_model"},
                                           UsedMesh{"media/arena2.3ds", "arena2_model"}),
                         [](const ::testing::TestParamInfo<UsedMesh>& info) {
                             return std::string(info.param.key);
                         });

TEST_F(MatchMeshes, ATankWithoutTrianglesStopsTheEntryInsteadOfStartingInvisible)
{
    // A whole 3DS file whose editor holds nothing but its version.
    const unsigned char empty[] = {0x4D, 0x4D, 22, 0, 0, 0, 0x3D, 0x3D, 16, 0, 0, 0,
                                   0x3E, 0x3D, 10, 0, 0, 0, 3,    0, 0, 0};
    std::ofstream("media/tank.3ds", std::ios::binary).write(reinterpret_cast<const char*>(empty), sizeof empty);
    testing::internal::CaptureStderr();
    EXPECT_EQ(EntryError(), "Unable to load boxy_tank_model");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(LinesContaining(err, "mesh: cannot load \"media/tank.3ds\": the file holds no triangles"), 1) << err;
}

TEST_F(MatchMeshes, DamagedArenaMeshesTheMatchDoesNotUseAreNamedOnceAndStopNothing)
{
    Cut("media/arena1.3ds");
    fs::remove("media/arena_base.3ds");
    fs::create_directory("media/arena_base.3ds");
    testing::internal::CaptureStderr();
    EXPECT_EQ(EntryError(), "");
    Frames(3);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Current(), "Arena");
    EXPECT_NE(Tank("tank1"), nullptr);
    EXPECT_NE(Tank("tank2"), nullptr);
    EXPECT_NE(ArenaObject(), nullptr);
    EXPECT_EQ(LinesContaining(err, "mesh: cannot load \"media/arena1.3ds\": the file is damaged"), 1) << err;
    EXPECT_EQ(LinesContaining(err, "mesh: cannot load \"media/arena_base.3ds\": the file is a folder"), 1) << err;
    EXPECT_EQ(LinesContaining(err, "mesh:"), 2) << err;
}
