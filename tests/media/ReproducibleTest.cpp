// The generators rebuild the committed media byte for byte, and refuse bad arguments
// with one line of explanation.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MediaFixture.h"

namespace fs = std::filesystem;

namespace {

// A fresh, empty folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    explicit TempDir(const std::string& name) : path_(fs::temp_directory_path() / ("vexmoor_" + name))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

struct RunResult {
    int status;
    std::string err;
};

// Runs a generator with `args`, capturing its standard error.
RunResult RunTool(const std::string& tool, const std::string& args, const fs::path& errFile)
{
    const std::string command = "'" + tool + "' " + args + " >/dev/null 2>'" + errFile.string() + "'";
    const int raw = std::system(command.c_str());
    std::ifstream in(errFile);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void ExpectSameAsCommitted(const fs::path& dir, const std::vector<std::string>& files)
{
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string fresh = Slurp(dir / file);
        ASSERT_FALSE(fresh.empty());
        EXPECT_TRUE(fresh == Slurp(mediatest::SourcePath("media/" + file))) << "differs from the committed file";
    }
}

}  // namespace

TEST(Generators, RebuildTheCommittedModelsByteForByte)
{
    TempDir dir("meshes");
    ASSERT_EQ(RunTool(MAKE_MESHES, "'" + dir.Path().string() + "'", dir.Path() / "err.txt").status, 0);
    ExpectSameAsCommitted(dir.Path(), {"tank.3ds", "sleek_tank.3ds", "tank_shell.3ds", "arena_base.3ds",
                                       "arena1.3ds", "arena2.3ds"});
}

TEST(Generators, RebuildTheCommittedSoundsByteForByte)
{
    TempDir dir("sounds");
    ASSERT_EQ(RunTool(MAKE_SOUNDS, "'" + dir.Path().string() + "'", dir.Path() / "err.txt").status, 0);
    ExpectSameAsCommitted(dir.Path(), {"slow_engine1.ogg", "fire1.ogg", "die_2.ogg", "menu_hover.ogg"});
}

TEST(Generators, RefuseBadArgumentsWithOneLine)
{
    TempDir dir("badargs");
    for (const char* tool : {MAKE_MESHES, MAKE_SOUNDS, MAKE_FONTS}) {
        SCOPED_TRACE(tool);
        const RunResult usage = RunTool(tool, "", dir.Path() / "err.txt");
        EXPECT_EQ(usage.status, 2);
        EXPECT_EQ(std::count(usage.err.begin(), usage.err.end(), '\n'), 1) << usage.err;
        const RunResult missing = RunTool(tool, "/nonexistent-vexmoor-dir", dir.Path() / "err.txt");
        EXPECT_EQ(missing.status, 1);
        EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
        EXPECT_NE(missing.err.find("/nonexistent-vexmoor-dir"), std::string::npos) << missing.err;
    }
}
