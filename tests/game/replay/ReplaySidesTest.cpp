// The sides block of a replay header: who played and how the tanks fought. A duel of
// players 1 and 2 writes none; any other set-up reads back whole; a damaged block is refused.
#include <gtest/gtest.h>

#include "ReplaySamples.h"
#include "game/replay/ReplayBytes.h"
#include "game/replay/ReplayHeader.h"

using namespace replay_test;

namespace {

std::string Decode(const std::vector<uint8_t>& bytes, TReplayHeader& header)
{
    size_t used = 0;
    return DecodeHeader(bytes.data(), bytes.size(), header, used);
}

// The header's bytes with its body grown by `extra` at the end, length and checksum made good.
std::vector<uint8_t> WithBodyEnd(std::vector<uint8_t> bytes, const std::vector<uint8_t>& extra)
{
    bytes.resize(bytes.size() - 4);  // the checksum
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    const uint32_t body = static_cast<uint32_t>(bytes.size() - 10);
    for (int i = 0; i < 4; ++i) bytes[6 + i] = static_cast<uint8_t>(body >> (8 * i));
    const uint32_t crc = Crc32(bytes.data() + 10, body);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    return bytes;
}

}  // namespace

TEST(ReplaySides, OnlyASetUpOtherThanTheFirstSlotsInFreeForAllWritesThemAndTheyReadBack)
{
    TReplayHeader duel = VariedHeader(2);
    TReplayHeader listed = duel;
    listed.slots = {0, 1};
    EXPECT_EQ(EncodeHeader(duel), EncodeHeader(listed)) << "slots 0 and 1 in free for all: no block";

    TReplayHeader three = VariedHeader(3);
    three.slots = {0, 2, 3};
    three.mode = TSidesMode::Teams;
    three.friendlyFire = true;
    const std::vector<uint8_t> bytes = EncodeHeader(three);
    EXPECT_EQ(bytes.size(), EncodeHeader(VariedHeader(3)).size() + 6) << "tag, mode, friendly fire, three slots";
    TReplayHeader back;
    ASSERT_EQ(Decode(bytes, back), "");
    EXPECT_TRUE(back == three);
    EXPECT_EQ(back.SlotOfTank(1), 2);
    EXPECT_EQ(back.mode, TSidesMode::Teams);
    EXPECT_TRUE(back.friendlyFire);
}

TEST(ReplaySides, ADamagedBlockIsRefusedWithItsReason)
{
    const std::vector<uint8_t> duel = EncodeHeader(VariedHeader(2));
    TReplayHeader header;
    EXPECT_EQ(Decode(WithBodyEnd(duel, {'S', 1, 0, 1, 0}), header), "has tanks in impossible player slots");
    EXPECT_EQ(Decode(WithBodyEnd(duel, {'S', 1, 0, 0, 4}), header), "has tanks in impossible player slots");
    EXPECT_EQ(Decode(WithBodyEnd(duel, {'S', 2, 0, 0, 1}), header), "has an unknown match mode");
    EXPECT_EQ(Decode(WithBodyEnd(duel, {'X', 1, 0, 0, 1}), header), "has a header longer than its fields");
    EXPECT_EQ(Decode(WithBodyEnd(duel, {'S', 1, 0, 0}), header), "has a header shorter than its fields");
    EXPECT_EQ(Decode(WithBodyEnd(duel, {'S', 1, 0, 0, 1}), header), "");
    EXPECT_EQ(header.mode, TSidesMode::Teams);
}
