// A recording handed on as it is written: the listener hears the file's bytes piece by
// piece, whole blocks each; a file written from them on a thread of its own (the game's
// recording, a network joiner's copy of the host's) is the same file; one that stops between
// pieces reads as an unfinished recording; one fed without end stops at the largest replay.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "ReplaySamples.h"
#include "game/replay/ReplayFile.h"
#include "game/replay/ReplayWriter.h"
#include "game/replay/ReplayReader.h"

using namespace replay_test;

namespace {

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class ReplayFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/replay_copy_XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + root_).c_str()); }
    std::string root_;
};

}  // namespace

TEST_F(ReplayFileTest, TheListenerHearsTheFileAsWrittenAndACopyOfItIsTheSameFile)
{
    std::vector<std::vector<uint8_t>> pieces;
    {
        TReplayWriter writer(VariedHeader(2));
        writer.SetListener([&](const std::vector<uint8_t>& piece) { pieces.push_back(piece); });
        ASSERT_TRUE(writer.Open(root_ + "/host.vxr")) << writer.Problem();
        ASSERT_EQ(pieces.size(), 1u) << "the header, as the file is made";
        Play(writer, VariedScript(1000, 9));
        ASSERT_TRUE(writer.Finish({TReplayEnding::TimeUp, {4, 4}}));
    }
    // The header, four whole blocks of 240 frames, the rest, the end.
    ASSERT_EQ(pieces.size(), 1u + 5u + 1u);
    // The same pieces for a listener alone, which keeps them where it likes.
    std::vector<std::vector<uint8_t>> alone;
    {
        TReplayWriter writer(VariedHeader(2));
        writer.RecordFor([&](const std::vector<uint8_t>& piece) { alone.push_back(piece); });
        Play(writer, VariedScript(1000, 9));
        writer.Finish({TReplayEnding::TimeUp, {4, 4}});
        EXPECT_TRUE(writer.Bytes().empty());
    }
    EXPECT_EQ(alone, pieces);
    TReplayFile copy;
    ASSERT_TRUE(copy.Open(root_ + "/joiner.vxr")) << copy.Problem();
    for (const auto& piece : pieces) copy.Add(piece);
    ASSERT_TRUE(copy.Close()) << copy.Problem();
    EXPECT_EQ(FileBytes(root_ + "/joiner.vxr"), FileBytes(root_ + "/host.vxr"));
    EXPECT_FALSE(copy.Open(root_ + "/joiner.vxr")) << "an existing file is never replaced";

    // Stopped after three pieces: two blocks and no end.
    TReplayFile cut;
    ASSERT_TRUE(cut.Open(root_ + "/cut.vxr"));
    for (size_t i = 0; i < 3; ++i) cut.Add(pieces[i]);
    cut.Close();
    TReplayReader reader;
    ASSERT_TRUE(reader.Open(root_ + "/cut.vxr")) << reader.Problem();
    EXPECT_EQ(reader.Frames().size(), 2 * TReplayWriter::kFramesPerBlock);
    EXPECT_FALSE(reader.Result());
}

TEST_F(ReplayFileTest, ACopyStopsAtTheSizeOfTheLargestReplay)
{
    TReplayFile copy;
    ASSERT_TRUE(copy.Open(root_ + "/flood.vxr"));
    const std::vector<uint8_t> piece(1u << 20, 0x46);
    for (int i = 0; i < 20; ++i) copy.Add(piece);
    EXPECT_EQ(copy.Bytes(), 16u << 20);
    EXPECT_FALSE(copy.Problem().empty());
    EXPECT_FALSE(copy.Close());
    EXPECT_EQ(FileBytes(root_ + "/flood.vxr").size(), kMaxFileBytes);
}
