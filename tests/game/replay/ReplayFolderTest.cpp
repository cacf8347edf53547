// The replay folder: where it is, fresh names, rotation to the newest twenty, and the list
// with readable and unreadable recordings, newest first.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "ReplaySamples.h"
#include "game/replay/ReplayCatalog.h"

using namespace replay_test;

namespace {

class ReplayFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/replay_folder_XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + root_).c_str()); }

    // A file whose modification time is `second` seconds after an arbitrary start.
    void Write(const std::string& path, const std::vector<uint8_t>& bytes, int second)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        Age(path, second);
    }
    void Age(const std::string& path, int second)
    {
        const timespec times[2] = {{1700000000 + second, 0}, {1700000000 + second, 0}};
        ASSERT_EQ(0, ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW));
    }

    std::string root_;
};

struct TEnvironment {
    TEnvironment(const char* data, const char* home)
    {
        Set("XDG_DATA_HOME", data);
        Set("HOME", home);
    }
    ~TEnvironment()
    {
        Set("XDG_DATA_HOME", oldData_.empty() ? nullptr : oldData_.c_str());
        Set("HOME", oldHome_.empty() ? nullptr : oldHome_.c_str());
    }
    static void Set(const char* name, const char* value)
    {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    std::string oldData_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    std::string oldHome_ = std::getenv("HOME") ? std::getenv("HOME") : "";
};

}  // namespace

TEST(ReplayFolderPlace, IsUnderAnAbsoluteDataHomeElseUnderHome)
{
    {
        TEnvironment env("/data", "/home/p");
        EXPECT_EQ("/data/vexmoor/replays", TReplayFolder::DefaultPath());
    }
    {
        TEnvironment env("relative/data", "/home/p");
        EXPECT_EQ("/home/p/.local/share/vexmoor/replays", TReplayFolder::DefaultPath());
    }
    {
        TEnvironment env(nullptr, nullptr);
        EXPECT_EQ("", TReplayFolder::DefaultPath());
        EXPECT_NE("", TReplayFolder("").Make());
    }
}

TEST_F(ReplayFolderTest, RotationKeepsTheNewestTwentyAndNamesAreNeverReused)
{
    const TReplayFolder folder(root_ + "/deep/vexmoor/replays");
    ASSERT_EQ("", folder.Make());
    const std::vector<uint8_t> bytes = Record(VariedHeader(2), VariedScript(50, 1), {});
    std::vector<std::string> made;
    for (int i = 0; i < 25; ++i) {
        const std::string path = folder.NewFilePath(1714567890);
        for (const std::string& earlier : made) ASSERT_NE(earlier, path);
        // The oldest files are written last, so the order comes from the times, not the names.
        Write(path, bytes, 100 - i);
        made.push_back(path);
    }
    { std::ofstream(folder.Path() + "/notes.txt") << "kept"; }
    EXPECT_EQ(5u, folder.Rotate());
    const std::vector<std::string> left = folder.Entries();
    ASSERT_EQ(TReplayFolder::kKept, left.size());
    for (size_t i = 0; i < left.size(); ++i) EXPECT_EQ(made[i], left[i]);
    EXPECT_EQ(0, ::access((folder.Path() + "/notes.txt").c_str(), F_OK)) << "only replays are removed";
    EXPECT_EQ(0u, folder.Rotate());
}

TEST_F(ReplayFolderTest, ListIsNewestFirstWithEachUnreadableOnesReason)
{
    const TReplayFolder folder(root_);
    const TReplayHeader header = VariedHeader(2);
    Write(root_ + "/a.vxr", Record(header, VariedScript(120, 1), {TReplayEnding::ScoreReached, {10, 7}}), 1);
    std::vector<uint8_t> cut = Record(header, VariedScript(600, 2), {});
    cut.resize(cut.size() - 30);
    Write(root_ + "/b.vxr", cut, 2);
    ASSERT_EQ(0, ::mkdir((root_ + "/c.vxr").c_str(), 0755));
    Age(root_ + "/c.vxr", 3);
    ASSERT_EQ(0, ::mkfifo((root_ + "/d.vxr").c_str(), 0600));
    Age(root_ + "/d.vxr", 4);

    const std::vector<TReplayEntry> list = TReplayCatalog::List(folder);
    ASSERT_EQ(4u, list.size());
    EXPECT_EQ("d.vxr  UNREADABLE: is a FIFO", TReplayCatalog::Line(list[0]));
    EXPECT_EQ("c.vxr  UNREADABLE: is a folder", TReplayCatalog::Line(list[1]));
    EXPECT_FALSE(list[2].readable);
    EXPECT_EQ(0u, list[2].problem.find("is cut off after 480 frames")) << list[2].problem;
    ASSERT_TRUE(list[3].readable) << list[3].problem;
    EXPECT_EQ(120u, list[3].frames);
    const std::string line = TReplayCatalog::Line(list[3]);
    EXPECT_NE(std::string::npos, line.find("  CUSTOM  KEYS vs HARD  10:7  ")) << line;
}
