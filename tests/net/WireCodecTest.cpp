// The codec: every message survives a round trip, and the decoder drops anything short,
// long, unknown, padded or out of range, also under a million random and mutated packets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "net/WireCodec.h"

using namespace Wire;

namespace {

Snapshot FullSnapshot() {
    Snapshot s;
    s.sequence = 0x01020304;
    s.hostTimeMs = 0xFFFFFFF0;
    s.lastInputApplied = 77;
    s.flags = kMatchPaused | kMatchFinale;
    s.winner = 3;
    s.scheme = 12;
    s.finaleMs = 1234;
    s.clockMsLeft = 0x00012345;
    // Headings and speeds as the wire carries them: 65,536ths of a turn, 127ths of the limit.
    s.tanks.push_back(TankState{0, -150.5f, 1.25f, 240.0f, 1.0f * 360 * 1000 / 65536, 15.0f / 127, -90.0f,
                                kTankVisible | kTankStarting, 0, 9, 2});
    s.tanks.push_back(TankState{1, 10.0f, 0.0f, -10.0f, 90.0f, -1.0f, 90.0f * 3 / 127, kTankDying | kTankDisabled, 800, 3, 0});
    s.tanks.push_back(TankState{2, 0.5f, 0.0f, 7.0f, 180.0f, 0.0f, 0.0f, kTankVisible, 0, 99, 99});
    s.tanks.push_back(TankState{3, -0.5f, 0.0f, -7.0f, 270.0f, 1.0f, -90.0f / 127, kTankVisible, 0, 0, 4});
    for (int i = 0; i < kMaxShells; ++i) s.shells.push_back(ShellState{uint8_t(i % 4), 1.0f * i, 2.0f, -3.0f, 45.0f});
    return s;
}

// The largest arena a Welcome carries: 64 x 64 cells of every kind, six respawn points and
// the longest name.
Welcome GridWelcome(uint8_t columns = kMaxArenaSide, uint8_t rows = kMaxArenaSide) {
    Welcome welcome;
    welcome.setup.arena = kArenaGrid;
    ArenaGrid& g = welcome.setup.grid;
    g.name = std::string(kMaxArenaName, '~');
    g.cellSize = 5.0f;
    g.wallHeight = 0.5f;
    g.columns = columns;
    g.rows = rows;
    for (uint8_t i = 0; i < kMaxRespawns; ++i) g.respawns.push_back({uint8_t(i + 1), uint8_t(rows - 1 - i % rows)});
    for (size_t i = 0; i < size_t(columns) * rows; ++i) g.cells.push_back(uint8_t(i * 7 % 3));
    return welcome;
}

std::vector<Message> OneOfEach() {
    Welcome welcome;
    welcome.setup.arena = 1;
    welcome.setup.shells = 1;
    welcome.setup.bounces = 5;
    welcome.setup.scoreTo = 20;
    welcome.setup.timeLimitSeconds = 300;
    welcome.setup.guided = 1;
    welcome.setup.tankModels = {1, 0, 1, 1};
    welcome.setup.playing = 13 | 2;
    welcome.setup.mode = 1;
    welcome.setup.friendlyFire = 1;
    welcome.slot = 3;
    Input input;
    for (uint32_t i = 0; i < kInputsPerPacket; ++i) input.states.push_back({1000 - i, uint8_t(i * 3 % 16)});
    Welcome maze = welcome;
    maze.setup.arena = kArenaRandomMaze;
    maze.setup.maze = {0xDEADBEEF, 1, kMaxMazeRooms, 2};
    Recording part;
    for (size_t i = 0; i < kMaxRecordingPart; ++i) part.bytes.push_back(uint8_t(i * 31));
    return {Hello{}, welcome, maze, GridWelcome(), GridWelcome(7, 5), Refuse{RefuseReason::Version, 7}, input, FullSnapshot(),
            Event{EventKind::MatchEnd, 4, {10, 4, 0, 99}, {1, 2, 3, 99}}, Ping{42}, part, Recording{0, {0x56, 0, 0xFF}}};
}

Decoded DecodeBytes(const std::vector<uint8_t>& bytes) { return Decode(bytes.data(), bytes.size()); }


void PutFloat(std::vector<uint8_t>& bytes, size_t at, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(bits >> (24 - 8 * i));
}

}  // namespace

TEST(WireCodec, EveryMessageSurvivesARoundTripBitForBit) {
    for (const Message& m : OneOfEach()) {
        const std::vector<uint8_t> bytes = Encode(m);
        ASSERT_LE(bytes.size(), kMaxPacketBytes);
        Decoded d = DecodeBytes(bytes);
        ASSERT_TRUE(d.message) << "type " << int(bytes[0]) << ": " << DropName(d.drop);
        EXPECT_EQ(d.message->index(), m.index());
        EXPECT_EQ(Encode(*d.message), bytes);
    }
}

TEST(WireCodec, FieldsAreBigEndianInTheDocumentedOrder) {
    EXPECT_EQ(Encode(Hello{}), (std::vector<uint8_t>{1, 0x56, 0x58, 0x4D, 0x52, 0, kProtocolVersion}));
    const std::vector<uint8_t> input = Encode(Input{{{0x0A0B0C0D, kButtonFire | kButtonLeft}}});
    EXPECT_EQ(input, (std::vector<uint8_t>{4, 1, 0x0A, 0x0B, 0x0C, 0x0D, 10}));
    const std::vector<uint8_t> snap = Encode(FullSnapshot());
    // type, 3 x u32, 3 x u8, u16, u32, a count and four tanks of 22 bytes, a count and 8 shells
    // of 15 bytes: four tanks with every shell flying still fit a small packet.
    EXPECT_EQ(snap.size(), 1u + 12 + 3 + 2 + 4 + 1 + 4 * 22 + 1 + 8 * 15);
    EXPECT_EQ((std::vector<uint8_t>(snap.begin() + 18, snap.begin() + 22)), (std::vector<uint8_t>{0, 1, 0x23, 0x45}));
    EXPECT_EQ(snap[1], 0x01);
    EXPECT_EQ(snap[4], 0x04);
    EXPECT_EQ(snap[14], 3);  // the winner
    EXPECT_EQ(snap[22], 4);  // the tanks
    // The first tank: its slot, x, the heading's u16, speed and turn as signed bytes.
    EXPECT_EQ(snap[23], 0);
    EXPECT_EQ((std::vector<uint8_t>(snap.begin() + 36, snap.begin() + 40)), (std::vector<uint8_t>{0x03, 0xE8, 15, 0x81}));
    EXPECT_EQ((std::vector<uint8_t>(snap.begin() + 43, snap.begin() + 45)), (std::vector<uint8_t>{9, 2}));
    const Snapshot decoded = std::get<Snapshot>(*DecodeBytes(snap).message);
    EXPECT_FLOAT_EQ(decoded.tanks[0].x, -150.5f);
    EXPECT_EQ(decoded.tanks[1].deathMs, 800);
    EXPECT_FLOAT_EQ(decoded.tanks[1].speed, -1.0f);
    EXPECT_NEAR(decoded.tanks[2].rotationY, 180.0f, 1e-4f);
    EXPECT_EQ(decoded.tanks[3].slot, 3);
    EXPECT_EQ(decoded.tanks[2].score, 99);
    EXPECT_EQ(decoded.clockMsLeft, 0x00012345u);
    EXPECT_EQ(decoded.shells.size(), size_t(kMaxShells));
    EXPECT_EQ(decoded.shells[3].owner, 3);
}

TEST(WireCodec, ShortPaddedEmptyUnknownAndOversizedPacketsAreDropped) {
    for (const Message& m : OneOfEach()) {
        std::vector<uint8_t> bytes = Encode(m);
        for (size_t cut = 1; cut < bytes.size(); ++cut)
            EXPECT_EQ(Decode(bytes.data(), cut).drop, Drop::Short) << "type " << int(bytes[0]) << " cut " << cut;
        bytes.push_back(0);
        EXPECT_EQ(DecodeBytes(bytes).drop, Drop::Trailing) << "type " << int(bytes[0]);
    }
    EXPECT_EQ(Decode(nullptr, 0).drop, Drop::Empty);
    EXPECT_EQ(DecodeBytes({0}).drop, Drop::UnknownType);
    EXPECT_EQ(DecodeBytes({9, 0, 0, 0, 0}).drop, Drop::UnknownType);
    std::vector<uint8_t> big = Encode(Ping{1});
    big.resize(kMaxPacketBytes + 1);
    EXPECT_EQ(DecodeBytes(big).drop, Drop::Oversized);
}

TEST(WireCodec, ValuesOutsideTheirRangesAreDropped) {
    const std::vector<uint8_t> good = Encode(FullSnapshot());
    const size_t tank0 = 23;  // the first tank's slot
    const size_t shells = tank0 + 4 * 22;
    auto dropsWith = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = value;
        return DecodeBytes(bytes).drop;
    };
    EXPECT_EQ(dropsWith(13, 32), Drop::OutOfRange);  // unknown match flag
    EXPECT_EQ(dropsWith(14, 5), Drop::OutOfRange);   // a fifth winner
    EXPECT_EQ(dropsWith(18, 0x37), Drop::OutOfRange);  // a clock past an hour
    EXPECT_EQ(dropsWith(15, kSchemes), Drop::OutOfRange);
    EXPECT_EQ(dropsWith(22, 1), Drop::OutOfRange);   // one tank
    EXPECT_EQ(dropsWith(22, 5), Drop::OutOfRange);   // five
    EXPECT_EQ(dropsWith(tank0 + 22, 0), Drop::OutOfRange);  // the second tank is player 1 again
    EXPECT_EQ(dropsWith(tank0 + 66, 4), Drop::OutOfRange);  // a fifth player
    EXPECT_EQ(dropsWith(tank0 + 15, 0x80), Drop::OutOfRange);  // a speed of -128
    EXPECT_EQ(dropsWith(tank0 + 17, 32), Drop::OutOfRange);    // unknown tank flag
    EXPECT_EQ(dropsWith(tank0 + 20, kMaxScore + 1), Drop::OutOfRange);
    EXPECT_EQ(dropsWith(shells, kMaxShells + 1), Drop::OutOfRange);  // shell count
    EXPECT_EQ(dropsWith(shells + 1, 4), Drop::OutOfRange);            // shell owner
    // A shell of a player who has no tank in the snapshot.
    Snapshot three = FullSnapshot();
    three.tanks.pop_back();
    EXPECT_EQ(DecodeBytes(Encode(three)).drop, Drop::OutOfRange);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e6f}) {
        std::vector<uint8_t> bytes = good;
        PutFloat(bytes, tank0 + 1, bad);
        EXPECT_EQ(DecodeBytes(bytes).drop, Drop::OutOfRange) << bad;
    }
    EXPECT_EQ(DecodeBytes(Encode(Input{})).drop, Drop::OutOfRange);  // no states
    EXPECT_EQ(DecodeBytes(Encode(Input{{{1, 16}}})).drop, Drop::OutOfRange);
    EXPECT_EQ(DecodeBytes(Encode(Input{std::vector<InputState>(kInputsPerPacket + 1)})).drop, Drop::OutOfRange);
    EXPECT_EQ(DecodeBytes({3, 4, 0, 1}).drop, Drop::OutOfRange);  // refusal reason
    EXPECT_EQ(DecodeBytes({6, 5, 0, 0, 0}).drop, Drop::OutOfRange);  // event kind
    Welcome welcome;
    welcome.setup.scoreTo = 0;
    EXPECT_EQ(DecodeBytes(Encode(welcome)).drop, Drop::OutOfRange);
    // A joiner's slot is one the set-up plays, and players 1 and 2 always play.
    Welcome absent;
    absent.slot = 2;
    EXPECT_EQ(DecodeBytes(Encode(absent)).drop, Drop::OutOfRange);
    absent.setup.playing = 7;
    EXPECT_TRUE(DecodeBytes(Encode(absent)).message);
    absent.setup.playing = 5;
    EXPECT_EQ(DecodeBytes(Encode(absent)).drop, Drop::OutOfRange);
    EXPECT_EQ(DecodeBytes(Encode(Event{EventKind::Hit, 4})).drop, Drop::OutOfRange);
    // A part of a recording holds 1 to kMaxRecordingPart bytes and says whether it ends a piece.
    EXPECT_EQ(DecodeBytes({8, 1, 0, 0}).drop, Drop::OutOfRange);
    EXPECT_EQ(DecodeBytes({8, 2, 0, 1, 7}).drop, Drop::OutOfRange);
    EXPECT_EQ(DecodeBytes(Encode(Recording{1, std::vector<uint8_t>(kMaxRecordingPart + 1)})).drop, Drop::OutOfRange);
    EXPECT_TRUE(DecodeBytes({8, 1, 0, 1, 7}).message);
}

TEST(WireCodec, AnArenaGridOf64By64FitsOneWelcomeAndItsCellsAreChecked) {
    const Welcome big = GridWelcome();
    const std::vector<uint8_t> bytes = Encode(big);
    EXPECT_LE(bytes.size(), kMaxPacketBytes);
    const Welcome back = std::get<Welcome>(*DecodeBytes(bytes).message);
    EXPECT_EQ(back.setup.grid.name, big.setup.grid.name);
    EXPECT_EQ(back.setup.grid.cells, big.setup.grid.cells);
    EXPECT_EQ(back.setup.grid.respawns.size(), size_t(kMaxRespawns));
    EXPECT_EQ(back.setup.grid.respawns[5].row, big.setup.grid.respawns[5].row);

    auto drops = [](Welcome w) { return DecodeBytes(Encode(w)).drop; };
    Welcome three = GridWelcome(7, 5);
    three.setup.grid.cells[17] = 3;  // no such cell
    EXPECT_EQ(drops(three), Drop::OutOfRange);
    Welcome outside = GridWelcome(7, 5);
    outside.setup.grid.respawns[1].column = 7;  // past the last column
    EXPECT_EQ(drops(outside), Drop::OutOfRange);
    Welcome unnamed = GridWelcome(7, 5);
    unnamed.setup.grid.name = "bad\nname";
    EXPECT_EQ(drops(unnamed), Drop::OutOfRange);
    Welcome lone = GridWelcome(7, 5);
    lone.setup.grid.respawns.resize(1);
    EXPECT_EQ(drops(lone), Drop::OutOfRange);
    // 35 cells take 9 bytes: the last byte's unused bit pair must be 0.
    std::vector<uint8_t> padded = Encode(GridWelcome(7, 5));
    padded.back() |= 1;
    EXPECT_EQ(DecodeBytes(padded).drop, Drop::OutOfRange);
    Welcome maze;
    maze.setup.arena = kArenaRandomMaze;
    maze.setup.maze.roomsDown = 1;
    EXPECT_EQ(drops(maze), Drop::OutOfRange);
}

// A million packets, random or mutated from valid ones: nothing crashes or reads past the
// end (the sanitizer build runs this too), and whatever is accepted encodes back to itself.
TEST(DecoderFuzz, AMillionRandomAndMutatedPacketsAreDecodedSafely) {
    std::mt19937 rng(19);
    const std::vector<Message> seeds = OneOfEach();
    std::vector<std::vector<uint8_t>> valid;
    for (const Message& m : seeds) valid.push_back(Encode(m));
    std::vector<uint8_t> packet;
    packet.reserve(kMaxPacketBytes + 64);
    uint64_t accepted = 0;
    for (int i = 0; i < 1000000; ++i) {
        const uint32_t r = rng();
        if (r % 4 == 0) {
            // Random bytes, mostly short, now and then longer than any packet may be.
            const size_t size = (r >> 8) % 64 == 0 ? rng() % (kMaxPacketBytes + 40) : rng() % 48;
            packet.resize(size);
            for (uint8_t& b : packet) b = uint8_t(rng());
            if (size > 0 && (r >> 16) % 2) packet[0] = uint8_t(1 + rng() % 7);
        } else {
            packet = valid[(r >> 4) % valid.size()];
            const int edits = 1 + (r >> 12) % 4;
            for (int e = 0; e < edits; ++e) {
                const uint32_t op = rng();
                if (op % 5 == 0 && !packet.empty()) packet.resize(op / 5 % packet.size());
                else if (op % 5 == 1) packet.push_back(uint8_t(op >> 8));
                else if (!packet.empty()) packet[(op >> 8) % packet.size()] ^= uint8_t(1 << (op >> 4) % 8);
            }
        }
        // A copy of exactly the packet's size, so that the sanitizer sees any read past it.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[packet.size() + 1]);
        std::memcpy(exact.get(), packet.data(), packet.size());
        Decoded d = Decode(exact.get(), packet.size());
        if (d.message) {
            ++accepted;
            ASSERT_EQ(Encode(*d.message), packet) << "packet " << i;
        }
    }
    EXPECT_GT(accepted, 1000u);  // the mutations reach past the first checks
}

// What follows a match: the host's figures, a side's REMATCH and the host's next set-up
// survive a round trip; figures that cannot be (more hits than shots, a winner who did not play, a
// match of more than a day) and a REMATCH with anything in it are refused.
TEST(WireCodec, TheResultsRematchAndNextMatchAreCheckedLikeTheRest) {
    Results results;
    results.winner = 2;
    results.elapsedMs = 0x00ABCDEF;
    results.shots = {0xFFFF, 3, 0, 0};
    results.hits = {0xFFFF, 0, 0, 0};
    NextMatch next;
    next.setup.arena = kArenaRandomMaze;
    next.setup.maze = {0xCAFEF00D, 1, 9, 4};
    next.setup.scoreTo = 2;
    for (const Message& m : std::vector<Message>{results, Rematch{}, next}) {
        const std::vector<uint8_t> bytes = Encode(m);
        Decoded d = DecodeBytes(bytes);
        ASSERT_TRUE(d.message) << "type " << int(bytes[0]) << ": " << DropName(d.drop);
        EXPECT_EQ(Encode(*d.message), bytes);
        for (size_t cut = 1; cut < bytes.size(); ++cut) EXPECT_EQ(Decode(bytes.data(), cut).drop, Drop::Short);
        std::vector<uint8_t> padded = bytes;
        padded.push_back(0);
        EXPECT_EQ(DecodeBytes(padded).drop, Drop::Trailing) << "type " << int(bytes[0]);
    }
    EXPECT_EQ(Encode(results), (std::vector<uint8_t>{10, 2, 0, 3, 0, 0xAB, 0xCD, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 3, 0, 0,
                                                     0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::get<NextMatch>(*DecodeBytes(Encode(next)).message).setup.maze.seed, 0xCAFEF00Du);

    auto drops = [](const Results& r) { return DecodeBytes(Encode(r)).drop; };
    Results more = results;
    more.hits[1] = 4;
    EXPECT_EQ(drops(more), Drop::OutOfRange);
    // A winner must have played: player 3 only when it does, a third team never.
    Results third = results;
    third.winner = 3;
    EXPECT_EQ(drops(third), Drop::OutOfRange);
    third.playing = 7;
    EXPECT_TRUE(DecodeBytes(Encode(third)).message);
    third.mode = 1;
    EXPECT_EQ(drops(third), Drop::OutOfRange);
    Results long_ = results;
    long_.elapsedMs = kMaxMatchMs + 1;
    EXPECT_EQ(drops(long_), Drop::OutOfRange);
    NextMatch bad = next;
    bad.setup.maze.roomsDown = kMaxMazeRooms + 1;
    EXPECT_EQ(DecodeBytes(Encode(bad)).drop, Drop::OutOfRange);
}
