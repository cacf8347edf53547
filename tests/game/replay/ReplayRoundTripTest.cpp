// A recording reads back as it was played, field by field, and its bytes are the ones
// docs/replays.md describes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "ReplaySamples.h"
#include "game/replay/ReplayReader.h"

using namespace replay_test;

namespace {

void ExpectHeaderEqual(const TReplayHeader& want, const TReplayHeader& got)
{
    EXPECT_EQ(want.gameVersion, got.gameVersion);
    EXPECT_EQ(want.dateUnixSeconds, got.dateUnixSeconds);
    EXPECT_EQ(want.arena.kind, got.arena.kind);
    EXPECT_EQ(want.arena.builtInId, got.arena.builtInId);
    EXPECT_EQ(want.arena.mazeSeed, got.arena.mazeSeed);
    EXPECT_EQ(want.arena.customText, got.arena.customText);
    EXPECT_EQ(want.variations.shells, got.variations.shells);
    EXPECT_EQ(want.variations.bounces, got.variations.bounces);
    EXPECT_EQ(want.variations.scoreTo, got.variations.scoreTo);
    EXPECT_EQ(want.variations.timeLimitSeconds, got.variations.timeLimitSeconds);
    EXPECT_EQ(want.variations.guided, got.variations.guided);
    EXPECT_EQ(want.variations.invisible, got.variations.invisible);
    EXPECT_EQ(want.variations.respawn, got.variations.respawn);
    ASSERT_EQ(want.tanks.size(), got.tanks.size());
    for (size_t t = 0; t < want.tanks.size(); ++t) {
        EXPECT_EQ(want.tanks[t].driver, got.tanks[t].driver) << t;
        EXPECT_EQ(want.tanks[t].detail, got.tanks[t].detail) << t;
        EXPECT_EQ(want.tanks[t].model, got.tanks[t].model) << t;
        EXPECT_EQ(want.tanks[t].seed, got.tanks[t].seed) << t;
    }
    EXPECT_EQ(want.colorScheme, got.colorScheme);
    EXPECT_EQ(want.targetFps, got.targetFps);
    EXPECT_EQ(want.gameSeed, got.gameSeed);
    EXPECT_EQ(want.extraSeeds, got.extraSeeds);
}

// Frames and keys against the script, for the first `tanks` tanks.
void ExpectFramesMatch(const std::vector<TScriptFrame>& script, const TReplayReader& reader, size_t tanks)
{
    ASSERT_EQ(script.size(), reader.Frames().size());
    size_t key = 0;
    for (size_t f = 0; f < script.size(); ++f) {
        const TReplayFrame& frame = reader.Frames()[f];
        ASSERT_EQ(script[f].timeMs, frame.timeMs) << "frame " << f;
        for (size_t t = 0; t < tanks; ++t) {
            const TDriveCommand& want = script[f].commands[t];
            const TDriveCommand& got = frame.commands[t];
            ASSERT_TRUE(want.drive == got.drive && want.turn == got.turn && want.fire == got.fire &&
                        want.reverse == got.reverse)
                << "frame " << f << " tank " << t;
        }
        for (TMatchKey k : script[f].keys) {
            ASSERT_LT(key, reader.Keys().size());
            EXPECT_EQ(f, reader.Keys()[key].frame);
            EXPECT_EQ(k, reader.Keys()[key].key);
            ++key;
        }
    }
    EXPECT_EQ(key, reader.Keys().size());
}

std::string TempFolder()
{
    char pattern[] = "/tmp/replay_test_XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return made ? made : "";
}

}  // namespace

TEST(ReplayRoundTrip, EveryFieldFrameAndKeyComesBackAsRecorded)
{
    for (size_t tanks = 1; tanks <= kMaxTanks; ++tanks) {
        const TReplayHeader header = VariedHeader(tanks);
        const std::vector<TScriptFrame> script = VariedScript(1500, static_cast<unsigned>(tanks));
        TReplayResult result{TReplayEnding::TimeUp, {7, 20, 0, 65535}};
        const std::vector<uint8_t> bytes = Record(header, script, result);

        TReplayReader reader;
        ASSERT_TRUE(reader.Read(bytes.data(), bytes.size())) << reader.Problem();
        ExpectHeaderEqual(header, reader.Header());
        ExpectFramesMatch(script, reader, tanks);
        ASSERT_TRUE(reader.Result().has_value());
        EXPECT_EQ(TReplayEnding::TimeUp, reader.Result()->ending);
        for (size_t t = 0; t < tanks; ++t) EXPECT_EQ(result.scores[t], reader.Result()->scores[t]);
        EXPECT_EQ(script.back().timeMs - script.front().timeMs, reader.LengthMs());
    }
}

// A tiny recording laid out by hand from docs/replays.md, bit by bit.
TEST(ReplayRoundTrip, BytesFollowTheDocumentedLayout)
{
    EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9));

    TReplayHeader header = VariedHeader(2);
    TReplayWriter writer(header);
    std::array<TDriveCommand, kMaxTanks> commands{};
    writer.AddFrame(1000, commands);
    commands[0].drive = true;
    commands[0].turn = -1;
    writer.AddKey(TMatchKey::Pause);
    writer.AddFrame(1016, commands);
    writer.AddFrame(1033, commands);
    writer.AddFrame(1049, commands);
    writer.Finish({TReplayEnding::ScoreReached, {3, 10}});
    const std::vector<uint8_t>& bytes = writer.Bytes();

    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(std::string("VXRP\x01\x00", 6), std::string(bytes.begin(), bytes.begin() + 6));
    const size_t body = bytes[6] | bytes[7] << 8 | bytes[8] << 16 | static_cast<size_t>(bytes[9]) << 24;
    const size_t blocks = 10 + body + 4;
    // Steps 0, 16 (eight bits), 17 (one more), 16 (one less); tank 1 drives left from the
    // second frame, which also carries F9.
    const std::vector<uint8_t> frameBlock = {'F',  4,    0,    0xE8, 0x03, 0,    0,    0x19, 0x04, 0,
                                             0,    5,    0,    0,    0,    0x38, 0x88, 0x87, 0x50, 0x0C};
    ASSERT_GE(bytes.size(), blocks + frameBlock.size() + 4);
    EXPECT_EQ(frameBlock, std::vector<uint8_t>(bytes.begin() + blocks, bytes.begin() + blocks + frameBlock.size()));
    const size_t end = blocks + frameBlock.size() + 4;
    const std::vector<uint8_t> endBlock = {'E', 0, 3, 0, 10, 0, 4, 0, 0, 0};
    ASSERT_EQ(end + endBlock.size() + 4, bytes.size());
    EXPECT_EQ(endBlock, std::vector<uint8_t>(bytes.begin() + end, bytes.begin() + end + endBlock.size()));
}

// The writer puts whole blocks on disk as it goes: a game that stops before the end of
// the match leaves the frames of every whole block, read as an unfinished recording.
TEST(ReplayRoundTrip, StoppedRecordingLeavesItsWholeBlocksReadable)
{
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    const std::string path = folder + "/stopped.vxr";
    const TReplayHeader header = VariedHeader(2);
    const std::vector<TScriptFrame> script = VariedScript(TReplayWriter::kFramesPerBlock * 2 + 100, 9);
    {
        TReplayWriter writer(header);
        ASSERT_TRUE(writer.Open(path)) << writer.Problem();
        TReplayWriter second(header);
        EXPECT_FALSE(second.Open(path)) << "an existing recording is never replaced";
        Play(writer, script);

        TReplayReader whileRecording;
        ASSERT_TRUE(whileRecording.Open(path)) << whileRecording.Problem();
        EXPECT_FALSE(whileRecording.Result().has_value());
        const std::vector<TScriptFrame> written(script.begin(), script.begin() + TReplayWriter::kFramesPerBlock * 2);
        ExpectFramesMatch(written, whileRecording, 2);
    }
    TReplayReader afterClose;  // closed without Finish: the last partial block is kept too
    ASSERT_TRUE(afterClose.Open(path)) << afterClose.Problem();
    ExpectFramesMatch(script, afterClose, 2);
    EXPECT_FALSE(afterClose.Result().has_value());
    std::system(("rm -rf " + folder).c_str());
}
