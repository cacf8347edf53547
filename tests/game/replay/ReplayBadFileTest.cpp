// Files that are not good replays are refused with their reason, and nothing else happens:
// no crash, no allocation beyond the format's limits.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "ReplaySamples.h"
#include "game/replay/ReplayReader.h"

using namespace replay_test;

namespace {

std::vector<uint8_t> Sample()
{
    return Record(VariedHeader(2), VariedScript(600, 5), {TReplayEnding::ScoreReached, {10, 4}});
}

size_t HeaderBytes(const std::vector<uint8_t>& bytes)
{
    return 10 + (bytes[6] | bytes[7] << 8 | bytes[8] << 16 | static_cast<size_t>(bytes[9]) << 24) + 4;
}

void SetU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string ProblemOf(const std::vector<uint8_t>& bytes)
{
    TReplayReader reader;
    EXPECT_FALSE(reader.Read(bytes.data(), bytes.size()));
    EXPECT_TRUE(reader.Frames().empty());
    return reader.Problem();
}

std::string ProblemOfFile(const std::string& path)
{
    TReplayReader reader;
    EXPECT_FALSE(reader.Open(path));
    return reader.Problem();
}

}  // namespace

TEST(ReplayBadFile, CutAnywhereIsRefusedAsCutOff)
{
    const std::vector<uint8_t> good = Sample();
    const size_t header = HeaderBytes(good);
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const std::vector<uint8_t> bytes(good.begin(), good.begin() + cut);
        TReplayReader reader;
        const bool read = reader.Read(bytes.data(), bytes.size());
        if (cut < 4) {
            EXPECT_EQ("is not a replay file", reader.Problem()) << cut;
        } else if (cut < header) {
            EXPECT_EQ("is cut off in its header", reader.Problem()) << cut;
        } else if (read) {
            // Cut exactly between blocks: the whole blocks before it, no result.
            EXPECT_FALSE(reader.Result().has_value()) << cut;
            const size_t frames = reader.Frames().size();
            EXPECT_TRUE(frames % TReplayWriter::kFramesPerBlock == 0 || frames == 600) << cut;
        } else {
            EXPECT_EQ(0u, reader.Problem().find("is cut off after ")) << cut << ": " << reader.Problem();
        }
    }
}

TEST(ReplayBadFile, EachKindOfDamageHasItsReason)
{
    const std::vector<uint8_t> good = Sample();
    const size_t header = HeaderBytes(good);

    std::vector<uint8_t> version = good;
    version[4] = 2;
    EXPECT_EQ("was recorded in replay format 2 (this game plays format 1)", ProblemOf(version));

    std::mt19937 dice(3);
    std::vector<uint8_t> noise(5000);
    for (uint8_t& byte : noise) byte = static_cast<uint8_t>(dice());
    EXPECT_EQ("is not a replay file", ProblemOf(noise));
    EXPECT_EQ("is not a replay file", ProblemOf({}));

    std::vector<uint8_t> hugeHeader = good;
    SetU32(hugeHeader, 6, 0xFFFFFFF0u);
    EXPECT_EQ("claims a header of 4294967280 bytes", ProblemOf(hugeHeader));

    std::vector<uint8_t> flipped = good;
    flipped[20] ^= 0x10;
    EXPECT_EQ("has a damaged header (its checksum does not match)", ProblemOf(flipped));

    std::vector<uint8_t> hugeBlock = good;
    hugeBlock[header + 1] = 0xFF;  // frame count 65535 and more
    hugeBlock[header + 2] = 0xFF;
    EXPECT_EQ("claims a block of 65535 frames after 0 frames", ProblemOf(hugeBlock));
    std::vector<uint8_t> hugePayload = good;
    SetU32(hugePayload, header + 11, 0x7FFFFFFF);
    EXPECT_EQ("claims a block of 2147483647 bytes after 0 frames", ProblemOf(hugePayload));

    std::vector<uint8_t> damagedFrames = good;
    damagedFrames[header + 20] ^= 1;
    EXPECT_EQ("is damaged after 0 frames", ProblemOf(damagedFrames));

    std::vector<uint8_t> unknownBlock = good;
    unknownBlock[header] = 'Q';
    EXPECT_EQ("holds an unknown block after 0 frames", ProblemOf(unknownBlock));

    std::vector<uint8_t> tail = good;
    tail.push_back(0);
    EXPECT_EQ("goes on after its end", ProblemOf(tail));

    // A header whose checksum is right but whose tank count is not possible.
    TReplayHeader fiveTanks = VariedHeader(4);
    std::vector<uint8_t> bytes = EncodeHeader(fiveTanks);
    const size_t tankCount = 10 + 1 + fiveTanks.gameVersion.size() + 8 + 1 + 1 + 4 + 4 +
                             fiveTanks.arena.customText.size() + 1 + 1 + 2 + 2 + 1 + 1;
    ASSERT_EQ(4, bytes[tankCount]);
    bytes[tankCount] = 5;
    SetU32(bytes, bytes.size() - 4, Crc32(bytes.data() + 10, bytes.size() - 14));
    EXPECT_EQ("has 5 tanks (1 to 4 are possible)", ProblemOf(bytes));
}

TEST(ReplayBadFile, FoldersFifosMissingAndOversizedFilesAreRefusedWithoutReading)
{
    char pattern[] = "/tmp/replay_bad_XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    EXPECT_EQ("is a folder", ProblemOfFile(folder));
    const std::string fifo = folder + "/pipe.vxr";
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
    EXPECT_EQ("is a FIFO", ProblemOfFile(fifo));  // would block for good if opened
    EXPECT_EQ("does not exist", ProblemOfFile(folder + "/none.vxr"));
    const std::string big = folder + "/big.vxr";
    { std::ofstream(big) << "VXRP"; }
    ASSERT_EQ(0, ::truncate(big.c_str(), static_cast<off_t>(kMaxFileBytes) + 1));
    EXPECT_EQ("is larger than any replay (16777217 bytes)", ProblemOfFile(big));
    std::system(("rm -rf " + folder).c_str());
}
