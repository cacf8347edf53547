// Every mesh a match uses is checked when the arena loads: a damaged tank, shell or arena
// stops the entry with "Unable to load " and its key (the shell no longer at the first
// shot), and a damaged arena mesh that the match does not use is named once and stops
// nothing. Each test plays in a copy of the game's data.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

TEST_F(MatchMeshes, AnArenaWithAVertexFarOutStopsTheEntryWithItsKey)
{
    // The first vertex list of the arena the match uses, its first X at 1e30: the file's
    // structure stays whole.
    std::fstream file("media/arena2.3ds", std::ios::in | std::ios::out | std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
                                       static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8; };
    size_t at = 6;  // inside the main chunk: walk into the editor, an object, its mesh
    size_t list = 0;
    while (at + 6 <= bytes.size() && !list) {
        const unsigned id = u16(at);
        const size_t length = u16(at + 2) | static_cast<size_t>(u16(at + 4)) << 16;
        if (id == 0x3D3D || id == 0x4100) at += 6;
        else if (id == 0x4000) at = std::find(bytes.begin() + static_cast<long>(at) + 6, bytes.end(), '\0') - bytes.begin() + 1;
        else if (id == 0x4110) list = at;
        else at += length;
    }
    ASSERT_NE(list, 0u);
    const float far = 1e30f;
    file.seekp(static_cast<long>(list) + 8);
    file.write(reinterpret_cast<const char*>(&far), 4);
    file.close();
    testing::internal::CaptureStderr();
    EXPECT_EQ(EntryError(), "Unable to load arena2_model");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(LinesContaining(err, "mesh: cannot load \"media/arena2.3ds\": the file has a vertex at"), 1) << err;
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
