// 100,000 mutated recordings: every one is either read or refused with a reason, under the
// sanitizers too. Half the mutants get their checksums mended, so that the mutations reach
// the checks behind them.
#include <gtest/gtest.h>

#include <random>

#include "ReplaySamples.h"
#include "game/replay/ReplayReader.h"

using namespace replay_test;

namespace {

void SetU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

// Walks the layout as far as it makes sense and rewrites each checksum it finds.
void MendChecksums(std::vector<uint8_t>& bytes, size_t tanks)
{
    if (bytes.size() < 10) return;
    const size_t body = GetU32(bytes, 6);
    if (body > bytes.size() || bytes.size() - 10 - body < 4) return;
    SetU32(bytes, 10 + body, Crc32(bytes.data() + 10, body));
    size_t at = 10 + body + 4;
    while (at < bytes.size()) {
        if (bytes[at] == 'F' && bytes.size() - at >= 15) {
            const size_t payload = GetU32(bytes, at + 11);
            if (payload > bytes.size() || bytes.size() - at - 15 < payload + 4) return;
            SetU32(bytes, at + 15 + payload, Crc32(bytes.data() + at, 15 + payload));
            at += 15 + payload + 4;
        } else if (bytes[at] == 'E' && bytes.size() - at >= 6 + 2 * tanks + 4) {
            SetU32(bytes, at + 6 + 2 * tanks, Crc32(bytes.data() + at, 6 + 2 * tanks));
            return;
        } else {
            return;
        }
    }
}

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& good, std::mt19937& dice)
{
    std::vector<uint8_t> bytes = good;
    const int edits = 1 + static_cast<int>(dice() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const size_t at = dice() % bytes.size();
        switch (dice() % 6) {
        case 0: bytes[at] ^= static_cast<uint8_t>(1u << (dice() % 8)); break;
        case 1: bytes[at] = static_cast<uint8_t>(dice()); break;
        case 2: bytes[at] = (dice() % 2) ? 0xFF : 0x00; break;
        case 3: bytes.resize(at); break;
        case 4: bytes.insert(bytes.begin() + static_cast<long>(at), static_cast<uint8_t>(dice())); break;
        case 5: bytes.erase(bytes.begin() + static_cast<long>(at)); break;
        }
    }
    return bytes;
}

}  // namespace

TEST(ReplayFuzz, HundredThousandMutatedFilesAreReadOrRefusedWithAReason)
{
    const std::vector<std::vector<uint8_t>> seeds = {
        Record(VariedHeader(2), VariedScript(300, 1), {TReplayEnding::ScoreReached, {10, 3}}),
        Record(VariedHeader(4), VariedScript(520, 2), {TReplayEnding::Abandoned, {1, 2, 3, 4}}),
        Record(VariedHeader(1), VariedScript(40, 3), {TReplayEnding::TimeUp, {0}}),
    };
    const size_t seedTanks[] = {2, 4, 1};
    std::mt19937 dice(20240501);
    size_t refused = 0, read = 0;
    for (int n = 0; n < 100000; ++n) {
        const size_t which = dice() % seeds.size();
        std::vector<uint8_t> bytes = Mutate(seeds[which], dice);
        if (n % 2) MendChecksums(bytes, seedTanks[which]);
        TReplayReader reader;
        if (reader.Read(bytes.data(), bytes.size())) {
            ++read;
            ASSERT_LE(reader.Frames().size(), kMaxFrames);
            ASSERT_GE(reader.Header().tanks.size(), 1u);
            ASSERT_LE(reader.Header().tanks.size(), kMaxTanks);
            for (const TReplayKeyEvent& key : reader.Keys()) ASSERT_LT(key.frame, reader.Frames().size());
        } else {
            ++refused;
            ASSERT_FALSE(reader.Problem().empty());
            ASSERT_TRUE(reader.Frames().empty());
        }
    }
    // Both outcomes must occur, or the mutations never reach past the checksums.
    EXPECT_GT(refused, 50000u);
    EXPECT_GT(read, 100u);
}
