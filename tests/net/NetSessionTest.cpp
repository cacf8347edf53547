// The ENet session over 127.0.0.1: handshake, refusals, timeouts, the rate limit, garbage
// from the peer, and a connection through a lossy relay. Time is driven by hand and
// followed by ENet, so every case is bounded in frames, not in waiting.
#include <gtest/gtest.h>

#include <map>

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "LossyRelay.h"
#include "net/NetSession.h"

namespace {

// A snapshot of a duel's two tanks.
Wire::Snapshot DuelSnapshot(uint32_t sequence) {
    Wire::Snapshot s;
    s.sequence = sequence;
    s.tanks = {Wire::TankState{0}, Wire::TankState{1}};
    return s;
}


constexpr uint32_t kFrameMs = 16;

struct Rig {
    uint32_t now = 100000;
    TNetSession::Clock clock = [this] { return now; };

    std::unique_ptr<TNetSession> Host(TNetSession::Options options = {}) {
        std::string error;
        auto host = TNetSession::Host("127.0.0.1", 0, clock, options, &error);
        EXPECT_TRUE(host) << error;
        return host;
    }
    std::unique_ptr<TNetSession> Join(uint16_t port, TNetSession::Options options = {}) {
        std::string error;
        auto joiner = TNetSession::Join(TNetAddress{"127.0.0.1", port}, clock, options, &error);
        EXPECT_TRUE(joiner) << error;
        return joiner;
    }
    // Runs frames until done() or the frame budget is spent; true when done.
    template <typename Done>
    bool RunUntil(std::initializer_list<TNetSession*> sessions, Done done, int frames = 200,
                  TLossyRelay* relay = nullptr) {
        for (int i = 0; i < frames; ++i) {
            if (done()) return true;
            now += kFrameMs;
            if (relay) relay->Pump();
            for (TNetSession* s : sessions) s->Service();
        }
        return done();
    }
};

bool Connected(TNetSession& s) { return s.GetStatus() == TNetSession::Status::Connected; }

}  // namespace

TEST(NetSession, TheJoinerGetsTheHostsSetupAndBothSidesExchangeMatchMessages) {
    Rig rig;
    TNetSession::Options offer;
    offer.setup.scoreTo = 3;
    offer.setup.arena = 1;
    auto host = rig.Host(offer);
    ASSERT_NE(host->GetPort(), 0);
    auto joiner = rig.Join(host->GetPort());
    EXPECT_EQ(host->GetStatus(), TNetSession::Status::Waiting);
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return Connected(*host) && Connected(*joiner); }));
    EXPECT_EQ(joiner->GetSetup().scoreTo, 3);
    EXPECT_EQ(joiner->GetSetup().arena, 1);

    joiner->Send(Wire::Input{{{5, Wire::kButtonFire}}});
    host->Send(Wire::Event{Wire::EventKind::Score, 1, {0, 1}});
    rig.RunUntil({host.get(), joiner.get()}, [] { return false; }, 3);
    auto input = host->Receive();
    ASSERT_TRUE(input && std::holds_alternative<Wire::Input>(*input));
    EXPECT_EQ(std::get<Wire::Input>(*input).states[0].sequence, 5u);
    auto event = joiner->Receive();
    ASSERT_TRUE(event && std::holds_alternative<Wire::Event>(*event));
    EXPECT_EQ(std::get<Wire::Event>(*event).scores[1], 1);
    EXPECT_EQ(host->GetDrops().Total() + joiner->GetDrops().Total(), 0u);
}

TEST(NetSession, AVersionMismatchIsRefusedNamingBothVersionsAndTheHostWaitsOn) {
    Rig rig;
    auto host = rig.Host();
    TNetSession::Options newer;
    newer.version = Wire::kProtocolVersion + 1;
    auto joiner = rig.Join(host->GetPort(), newer);
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return joiner->IsOver(); }));
    EXPECT_EQ(joiner->GetStatus(), TNetSession::Status::Refused);
    EXPECT_EQ(joiner->GetMessage(), "THE HOST HAS PROTOCOL VERSION " + std::to_string(Wire::kProtocolVersion) +
                                        ", THIS GAME HAS VERSION " + std::to_string(Wire::kProtocolVersion + 1));
    EXPECT_EQ(host->GetStatus(), TNetSession::Status::Waiting);

    auto matching = rig.Join(host->GetPort());
    EXPECT_TRUE(rig.RunUntil({host.get(), matching.get()}, [&] { return Connected(*host) && Connected(*matching); }));
}

TEST(NetSession, AThirdPlayerIsRefusedWithAMessageAndTheMatchGoesOn) {
    Rig rig;
    auto host = rig.Host();
    auto first = rig.Join(host->GetPort());
    ASSERT_TRUE(rig.RunUntil({host.get(), first.get()}, [&] { return Connected(*host) && Connected(*first); }));
    auto third = rig.Join(host->GetPort());
    ASSERT_TRUE(rig.RunUntil({host.get(), first.get(), third.get()}, [&] { return third->IsOver(); }));
    EXPECT_EQ(third->GetStatus(), TNetSession::Status::Refused);
    EXPECT_EQ(third->GetMessage(), "THE MATCH IS FULL: THE HOST HAS ALL ITS PLAYERS");
    rig.RunUntil({host.get(), first.get(), third.get()}, [] { return false; }, 100);
    EXPECT_TRUE(Connected(*host));
    EXPECT_TRUE(Connected(*first));
}

TEST(NetSession, FiveSecondsWithoutAPacketEndBothSidesWithConnectionLost) {
    Rig rig;
    auto host = rig.Host();
    auto joiner = rig.Join(host->GetPort());
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return Connected(*host) && Connected(*joiner); }));
    // Quiet but alive: keep-alives hold the connection over a long idle stretch.
    ASSERT_FALSE(rig.RunUntil({host.get(), joiner.get()}, [&] { return host->IsOver() || joiner->IsOver(); }, 700));

    // The joiner's machine stops answering.
    const uint32_t silentSince = rig.now;
    ASSERT_TRUE(rig.RunUntil({host.get()}, [&] { return host->IsOver(); }, 400));
    EXPECT_EQ(host->GetStatus(), TNetSession::Status::Lost);
    EXPECT_EQ(host->GetMessage(), "CONNECTION LOST");
    // Counted from the last keep-alive heard, which came up to 250 ms before.
    EXPECT_GE(rig.now - silentSince, 5000u - 250 - kFrameMs);
    EXPECT_LE(rig.now - silentSince, 5000u + 2 * kFrameMs);
    ASSERT_TRUE(rig.RunUntil({joiner.get()}, [&] { return joiner->IsOver(); }, 2));
    EXPECT_EQ(joiner->GetMessage(), "CONNECTION LOST");
}

TEST(NetSession, AJoinToAClosedPortFailsWithinFiveSecondsSayingWhere) {
    Rig rig;
    uint16_t closedPort;
    {
        auto gone = rig.Host();
        closedPort = gone->GetPort();
    }
    auto joiner = rig.Join(closedPort);
    const uint32_t start = rig.now;
    ASSERT_TRUE(rig.RunUntil({joiner.get()}, [&] { return joiner->IsOver(); }, 400));
    EXPECT_LT(rig.now - start, 5000u);
    EXPECT_EQ(joiner->GetStatus(), TNetSession::Status::Failed);
    EXPECT_EQ(joiner->GetMessage(), "NO ANSWER FROM 127.0.0.1:" + std::to_string(closedPort));
}

TEST(NetSession, APlayerWhoClosesTheGameEndsTheOtherSidesMatchAtOnce) {
    Rig rig;
    for (bool hostLeaves : {false, true}) {
        auto host = rig.Host();
        auto joiner = rig.Join(host->GetPort());
        ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return Connected(*host) && Connected(*joiner); }));
        std::unique_ptr<TNetSession>& leaving = hostLeaves ? host : joiner;
        std::unique_ptr<TNetSession>& staying = hostLeaves ? joiner : host;
        leaving.reset();
        ASSERT_TRUE(rig.RunUntil({staying.get()}, [&] { return staying->IsOver(); }, 10));
        EXPECT_EQ(staying->GetStatus(), TNetSession::Status::Left);
        EXPECT_EQ(staying->GetMessage(), "THE OTHER PLAYER LEFT");
    }
}

TEST(NetSession, RepeatedConnectionAttemptsFromOneAddressAreIgnoredBeyondTheLimit) {
    Rig rig;
    TNetSession::Options options;
    options.attemptsPerWindow = 3;
    auto host = rig.Host(options);
    std::vector<std::unique_ptr<TNetSession>> joiners;
    for (int i = 0; i < 5; ++i) {
        joiners.push_back(rig.Join(host->GetPort()));
        rig.RunUntil({host.get(), joiners.back().get()}, [] { return false; }, 2);
    }
    std::vector<TNetSession*> all{host.get()};
    auto allOver = [&] {
        for (size_t i = 1; i < joiners.size(); ++i)
            if (!joiners[i]->IsOver()) return false;
        return true;
    };
    for (int frame = 0; frame < 400 && !allOver(); ++frame) {
        rig.now += kFrameMs;
        host->Service();
        for (auto& j : joiners) j->Service();
    }
    ASSERT_TRUE(allOver());
    EXPECT_TRUE(Connected(*joiners[0]));
    EXPECT_EQ(joiners[1]->GetStatus(), TNetSession::Status::Refused);
    EXPECT_EQ(joiners[2]->GetStatus(), TNetSession::Status::Refused);
    EXPECT_EQ(joiners[3]->GetStatus(), TNetSession::Status::Failed);
    EXPECT_EQ(joiners[4]->GetStatus(), TNetSession::Status::Failed);
    EXPECT_EQ(host->GetRateLimited(), 2u);
    EXPECT_TRUE(Connected(*host));
}

// A raw ENet client that speaks the handshake and then sends whatever the test gives it.
TEST(NetSession, GarbageFromThePeerIsDroppedCountedAndNeverDelivered) {
    Rig rig;
    auto host = rig.Host();
    enet_time_set(rig.now);
    ENetHost* raw = enet_host_create(nullptr, 1, Wire::kChannelCount, 0, 0);
    ASSERT_TRUE(raw);
    ENetAddress to{};
    enet_address_set_host_ip(&to, "127.0.0.1");
    to.port = host->GetPort();
    ENetPeer* peer = enet_host_connect(raw, &to, Wire::kChannelCount, 0);
    auto pumpRaw = [&] {
        ENetEvent e;
        enet_time_set(rig.now);
        while (enet_host_service(raw, &e, 0) > 0)
            if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
    };
    auto send = [&](std::vector<uint8_t> bytes) {
        enet_peer_send(peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
    };
    for (int i = 0; i < 20; ++i) {
        pumpRaw();
        rig.now += kFrameMs;
        host->Service();
    }
    send(Wire::Encode(Wire::Input{{{1, 0}}}));  // before the hello: not yet a player
    send(Wire::Encode(Wire::Hello{}));
    send(std::vector<uint8_t>(Wire::kMaxPacketBytes + 100, 4));
    send({99, 1, 2, 3});
    send({5, 0});
    send({4, 1, 0, 0, 0, 1, 0x80});
    send(Wire::Encode(DuelSnapshot(1)));  // a snapshot is the host's to send
    send(Wire::Encode(Wire::Input{{{2, Wire::kButtonForward}}}));
    for (int i = 0; i < 20; ++i) {
        pumpRaw();
        rig.now += kFrameMs;
        host->Service();
    }
    const Wire::DropCounts& drops = host->GetDrops();
    EXPECT_EQ(drops.Of(Wire::Drop::Oversized), 1u);
    EXPECT_EQ(drops.Of(Wire::Drop::UnknownType), 1u);
    EXPECT_EQ(drops.Of(Wire::Drop::Short), 1u);
    EXPECT_EQ(drops.Of(Wire::Drop::OutOfRange), 1u);
    EXPECT_EQ(drops.Of(Wire::Drop::Unexpected), 2u);
    auto delivered = host->Receive();
    ASSERT_TRUE(delivered);
    EXPECT_EQ(std::get<Wire::Input>(*delivered).states[0].sequence, 2u);
    EXPECT_FALSE(host->Receive());
    EXPECT_TRUE(Connected(*host));
    enet_host_destroy(raw);
}

// Ten seconds of a match's traffic through 5% loss, 75 ms each way with jitter: every
// event arrives once and in order, inputs get through thanks to the repeats, and the
// connection holds.
TEST(NetSession, ThroughALossyRelayEventsArriveInOrderAndRepeatedInputsGetThrough) {
    Rig rig;
    auto host = rig.Host();
    TLossyRelay relay(host->GetPort(), rig.clock, TLossyRelay::Faults{});
    auto joiner = rig.Join(relay.Port());
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return Connected(*host) && Connected(*joiner); }, 200,
                             &relay));

    std::vector<uint32_t> inputsSeen, snapshotsSeen;
    std::vector<int> eventsSeen;
    Wire::Input input;
    const uint32_t frames = 625;
    for (uint32_t f = 1; f <= frames; ++f) {
        input.states.insert(input.states.begin(), Wire::InputState{f, uint8_t(f % 16)});
        if (input.states.size() > Wire::kInputsPerPacket) input.states.pop_back();
        joiner->Send(input);
        if (f % 2 == 0) host->Send(DuelSnapshot(f / 2));
        if (f % 10 == 0) host->Send(Wire::Event{Wire::EventKind::Score, 0, {uint8_t(f / 10), 0}});
        rig.now += kFrameMs;
        relay.Pump();
        host->Service();
        joiner->Service();
        while (auto m = host->Receive())
            for (auto& s : std::get<Wire::Input>(*m).states) inputsSeen.push_back(s.sequence);
        while (auto m = joiner->Receive()) {
            if (auto* s = std::get_if<Wire::Snapshot>(&*m)) snapshotsSeen.push_back(s->sequence);
            if (auto* e = std::get_if<Wire::Event>(&*m)) eventsSeen.push_back(e->scores[0]);
        }
    }
    rig.RunUntil({host.get(), joiner.get()}, [] { return false; }, 60, &relay);
    while (auto m = joiner->Receive())
        if (auto* e = std::get_if<Wire::Event>(&*m)) eventsSeen.push_back(e->scores[0]);
    while (auto m = host->Receive())
        for (auto& s : std::get<Wire::Input>(*m).states) inputsSeen.push_back(s.sequence);

    EXPECT_TRUE(Connected(*host));
    EXPECT_TRUE(Connected(*joiner));
    EXPECT_GT(relay.dropped, 0u);
    EXPECT_GT(relay.reordered, 0u);
    ASSERT_EQ(eventsSeen.size(), frames / 10);
    for (size_t i = 0; i < eventsSeen.size(); ++i) EXPECT_EQ(eventsSeen[i], int(i + 1));
    // Snapshots come newest-wins: never an older one after a newer.
    for (size_t i = 1; i < snapshotsSeen.size(); ++i) EXPECT_GT(snapshotsSeen[i], snapshotsSeen[i - 1]);
    EXPECT_GT(snapshotsSeen.size(), frames / 2 * 8 / 10);
    std::sort(inputsSeen.begin(), inputsSeen.end());
    inputsSeen.erase(std::unique(inputsSeen.begin(), inputsSeen.end()), inputsSeen.end());
    EXPECT_GT(inputsSeen.size(), size_t(frames * 99 / 100));
}

TEST(NetAddress, HostWithAnOptionalPortAndNothingElse) {
    std::string error;
    auto plain = TNetAddress::Parse("127.0.0.1", &error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->port, Wire::kDefaultPort);
    auto withPort = TNetAddress::Parse("localhost:5000", &error);
    ASSERT_TRUE(withPort);
    EXPECT_EQ(withPort->host, "localhost");
    EXPECT_EQ(withPort->port, 5000);
    for (const char* bad : {"", ":47400", "host:", "host:0", "host:65536", "host:12x", "a b:1"}) {
        error.clear();
        EXPECT_FALSE(TNetAddress::Parse(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    // ENet here is IPv4 only: an IPv6 literal is named as one, not cut at a colon.
    for (const char* six : {"::1", "[::1]:47400", "[::1]", "fe80::1"}) {
        error.clear();
        EXPECT_FALSE(TNetAddress::Parse(six, &error)) << six;
        EXPECT_NE(error.find("IPv6"), std::string::npos) << six << ": " << error;
    }
}

namespace {

// An ENet CONNECT whose handshake its sender never finishes.
std::vector<uint8_t> HalfOpenConnect(uint32_t connectId) {
    ENetProtocolHeader header{};
    header.peerID = ENET_HOST_TO_NET_16(ENET_PROTOCOL_MAXIMUM_PEER_ID | ENET_PROTOCOL_HEADER_FLAG_SENT_TIME);
    header.sentTime = ENET_HOST_TO_NET_16(1);
    ENetProtocolConnect connect{};
    connect.header.command = ENET_PROTOCOL_COMMAND_CONNECT | ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE;
    connect.header.channelID = 0xFF;
    connect.header.reliableSequenceNumber = ENET_HOST_TO_NET_16(1);
    connect.incomingSessionID = connect.outgoingSessionID = 0xFF;
    connect.mtu = ENET_HOST_TO_NET_32(1400);
    connect.windowSize = ENET_HOST_TO_NET_32(32768);
    connect.channelCount = ENET_HOST_TO_NET_32(Wire::kChannelCount);
    connect.packetThrottleInterval = ENET_HOST_TO_NET_32(5000);
    connect.packetThrottleAcceleration = connect.packetThrottleDeceleration = ENET_HOST_TO_NET_32(2);
    connect.connectID = connectId;
    std::vector<uint8_t> bytes(sizeof header + sizeof connect);
    std::memcpy(bytes.data(), &header, sizeof header);
    std::memcpy(bytes.data() + sizeof header, &connect, sizeof connect);
    return bytes;
}

}  // namespace

// A hostile sender on loopback: plain UDP sockets on 48 addresses of 127.0.0.0/8, two
// ports each, sending bursts of forged connects all through the join.
TEST(NetSession, AFloodOfHalfOpenConnectsFromManyAddressesLeavesRoomForARealJoiner) {
    Rig rig;
    auto host = rig.Host();
    std::vector<int> sockets;
    for (int address = 2; address < 50; ++address)
        for (int port = 0; port < 2; ++port) {
            const int fd = socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in from{};
            from.sin_family = AF_INET;
            from.sin_addr.s_addr = htonl(0x7F000000u | static_cast<uint32_t>(address));
            ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from), 0) << "127.0.0." << address;
            sockets.push_back(fd);
        }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(host->GetPort());
    uint32_t connectId = 1;
    auto burst = [&] {
        for (int fd : sockets) {
            const std::vector<uint8_t> bytes = HalfOpenConnect(connectId++);
            sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        }
    };

    ::testing::internal::CaptureStderr();
    burst();
    rig.RunUntil({host.get()}, [] { return false; }, 3);
    auto joiner = rig.Join(host->GetPort());
    const uint32_t start = rig.now;
    for (int frame = 0; rig.now - start < 3000 && !(Connected(*host) && Connected(*joiner)); ++frame) {
        if (frame % 6 == 0) burst();
        rig.now += kFrameMs;
        host->Service();
        joiner->Service();
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Connected(*host) && Connected(*joiner)) << said;
    EXPECT_LT(rig.now - start, 3000u);
    const std::string full = "unfinished handshakes";
    EXPECT_NE(said.find(full), std::string::npos) << said;
    EXPECT_EQ(said.find(full), said.rfind(full)) << "said once: " << said;
    for (int fd : sockets) close(fd);
}

TEST(NetSession, AJoinsTimeRunsFromItsFirstPacketNotFromWhenItWasMade) {
    Rig rig;
    auto host = rig.Host();
    auto joiner = rig.Join(host->GetPort());
    rig.now += 6000;  // the game took its time to open its window and load its arena
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return Connected(*host) && Connected(*joiner); }))
        << joiner->GetMessage();
}

// A raw ENet host that answers the hello with a message it has damaged.
TEST(NetSession, ADamagedAnswerFromTheHostIsReportedAsOneNotAsSilence) {
    for (bool welcome : {true, false}) {
        Rig rig;
        enet_time_set(rig.now);
        ENetAddress at{};
        enet_address_set_host_ip(&at, "127.0.0.1");
        ENetHost* raw = enet_host_create(&at, 2, Wire::kChannelCount, 0, 0);
        ASSERT_TRUE(raw);
        auto joiner = rig.Join(raw->address.port);
        std::vector<uint8_t> answer = Wire::Encode(Wire::Welcome{});
        answer[7] = 9;  // the arena, one byte after the type, magic and version
        if (!welcome) answer = {static_cast<uint8_t>(Wire::Type::Refuse), 9, 0, 1};  // a reason no game has
        for (int frame = 0; frame < 200 && !joiner->IsOver(); ++frame) {
            rig.now += kFrameMs;
            joiner->Service();
            enet_time_set(rig.now);
            ENetEvent e;
            while (enet_host_service(raw, &e, 0) > 0) {
                if (e.type != ENET_EVENT_TYPE_RECEIVE) continue;
                enet_packet_destroy(e.packet);
                enet_peer_send(e.peer, Wire::kChannelReliable,
                               enet_packet_create(answer.data(), answer.size(), ENET_PACKET_FLAG_RELIABLE));
            }
        }
        EXPECT_EQ(joiner->GetMessage(), welcome ? "THE HOST SENT A DAMAGED WELCOME" : "THE HOST SENT A DAMAGED REFUSAL");
        joiner.reset();
        enet_host_destroy(raw);
    }
}

// A game of the protocol before the rematch is refused by name. Between matches the host
// hears the joiner's REMATCH; the joiner hears the host's figures, REMATCH and next set-up;
// figures the joiner sends are dropped as unexpected, never delivered.
TEST(NetSession, AnOlderJoinerIsRefusedAndTheMessagesAfterAMatchGoOneWayEach) {
    Rig rig;
    auto host = rig.Host();
    TNetSession::Options older;
    older.version = 4;
    auto old = rig.Join(host->GetPort(), older);
    ASSERT_TRUE(rig.RunUntil({host.get(), old.get()}, [&] { return old->IsOver(); }));
    EXPECT_EQ(old->GetMessage(),
              "THE HOST HAS PROTOCOL VERSION " + std::to_string(Wire::kProtocolVersion) + ", THIS GAME HAS VERSION 4");

    auto joiner = rig.Join(host->GetPort());
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] { return Connected(*host) && Connected(*joiner); }));
    joiner->Send(Wire::Rematch{});
    joiner->Send(Wire::Results{});
    host->Send(Wire::Results{1, 0, 3, 5000, {4, 2, 0, 0}, {3, 1, 0, 0}});
    host->Send(Wire::Rematch{});
    Wire::NextMatch next;
    next.setup.scoreTo = 7;
    host->Send(next);
    std::vector<size_t> hostGot, joinerGot;
    ASSERT_TRUE(rig.RunUntil({host.get(), joiner.get()}, [&] {
        while (auto m = host->Receive()) hostGot.push_back(m->index());
        while (auto m = joiner->Receive()) joinerGot.push_back(m->index());
        return joinerGot.size() == 3 && host->GetDrops().Of(Wire::Drop::Unexpected) == 1;
    }));
    EXPECT_EQ(hostGot, (std::vector<size_t>{Wire::Message(Wire::Rematch{}).index()}));
    EXPECT_EQ(joinerGot, (std::vector<size_t>{Wire::Message(Wire::Results{}).index(), Wire::Message(Wire::Rematch{}).index(),
                                              Wire::Message(next).index()}));
}

// A host of three joiners: each gets the next of the host's slots in the order they come, the
// match waits until all are in (a joiner that goes before then frees its slot for another),
// messages carry their sender's slot, a fourth joiner is refused, and once the match is on a
// joiner that leaves ends it for everyone, named on every side.
TEST(NetSession, AHostOfThreeJoinersSeatsThemInTurnAndEndsForAllWhenOneLeaves) {
    Rig rig;
    TNetSession::Options offer;
    offer.joinerSlots = {2, 1, 3};
    offer.setup.playing = 15;
    auto host = rig.Host(offer);
    std::vector<std::unique_ptr<TNetSession>> joiners;
    auto joinOne = [&] {
        joiners.push_back(rig.Join(host->GetPort()));
        TNetSession* joiner = joiners.back().get();
        EXPECT_TRUE(rig.RunUntil({host.get(), joiner}, [&] { return Connected(*joiner); }));
    };
    joinOne();
    joinOne();
    EXPECT_EQ(joiners[0]->GetSlot(), 2);
    EXPECT_EQ(joiners[1]->GetSlot(), 1);
    EXPECT_EQ(host->GetStatus(), TNetSession::Status::Waiting) << "a slot is still free";
    joiners[0].reset();  // player 3 goes before the match
    ASSERT_TRUE(rig.RunUntil({host.get(), joiners[1].get()}, [&] { return host->JoinedCount() == 1; }));
    EXPECT_FALSE(host->IsOver());
    joinOne();
    joinOne();
    EXPECT_EQ(joiners[2]->GetSlot(), 2) << "the freed slot is the next one's";
    EXPECT_EQ(joiners[3]->GetSlot(), 3);
    ASSERT_TRUE(Connected(*host));
    auto fourth = rig.Join(host->GetPort());
    ASSERT_TRUE(rig.RunUntil({host.get(), fourth.get()}, [&] { return fourth->IsOver(); }));
    EXPECT_EQ(fourth->GetStatus(), TNetSession::Status::Refused);

    // Each joiner's input comes with its slot; a message for one slot reaches that joiner only.
    for (int j = 1; j <= 3; ++j) joiners[j]->Send(Wire::Input{{{uint32_t(10 + j), 0}}});
    host->SendToSlot(3, DuelSnapshot(77));
    std::map<int, uint32_t> inputs;
    rig.RunUntil({host.get(), joiners[1].get(), joiners[2].get(), joiners[3].get()}, [] { return false; }, 5);
    int slot = -1;
    while (auto m = host->Receive(&slot)) inputs[slot] = std::get<Wire::Input>(*m).states[0].sequence;
    EXPECT_EQ(inputs, (std::map<int, uint32_t>{{1, 11}, {2, 12}, {3, 13}}));
    EXPECT_TRUE(joiners[3]->Receive());
    EXPECT_FALSE(joiners[1]->Receive());
    EXPECT_FALSE(joiners[2]->Receive());

    joiners[2].reset();  // player 3 goes during the match
    ASSERT_TRUE(rig.RunUntil({host.get(), joiners[1].get(), joiners[3].get()},
                             [&] { return host->IsOver() && joiners[1]->IsOver() && joiners[3]->IsOver(); }, 20));
    EXPECT_EQ(host->GetMessage(), "PLAYER 3 LEFT");
    EXPECT_EQ(joiners[1]->GetMessage(), "PLAYER 3 LEFT");
    EXPECT_EQ(joiners[3]->GetStatus(), TNetSession::Status::Left);
}

// Three friends behind one address join at the same moment: none of their handshakes is
// taken for a flood.
TEST(NetSession, ThreeJoinersFromOneAddressAtOnceAreAllSeated) {
    Rig rig;
    TNetSession::Options offer;
    offer.joinerSlots = {1, 2, 3};
    offer.setup.playing = 15;
    auto host = rig.Host(offer);
    auto a = rig.Join(host->GetPort()), b = rig.Join(host->GetPort()), c = rig.Join(host->GetPort());
    ASSERT_TRUE(rig.RunUntil({host.get(), a.get(), b.get(), c.get()},
                             [&] { return Connected(*host) && Connected(*a) && Connected(*b) && Connected(*c); }));
    std::vector<int> slots{a->GetSlot(), b->GetSlot(), c->GetSlot()};
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(slots, (std::vector<int>{1, 2, 3}));
}
