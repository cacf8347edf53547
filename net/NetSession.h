// One end of a network match over ENet: the host listens and takes a joiner for each of its
// joiners' slots (one for a duel, up to three), a joiner connects to it. They exchange wire
// messages (WireFormat.h) after a handshake; a session polls without waiting and says in
// one line what went wrong when it ends.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/WireCodec.h"
#include "net/WireFormat.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

// A host name or address and a UDP port.
struct TNetAddress {
    std::string host;
    uint16_t port = Wire::kDefaultPort;

    // "HOST" or "HOST:PORT"; an empty host, a port outside 1..65535, anything after it or an
    // IPv6 literal is refused with a line in *error.
    static std::optional<TNetAddress> Parse(const std::string& text, std::string* error);
    std::string ToString() const;
};

class TNetSession {
public:
    using Clock = std::function<uint32_t()>;

    enum class Role { Host, Joiner };
    enum class Status {
        Waiting,     // host: not every joiner's slot is taken yet
        Connecting,  // joiner: no welcome yet
        Connected,
        Lost,     // no packet for the timeout, or the connection broke
        Left,     // the other side closed its game
        Refused,  // joiner: the host said no
        Failed,   // joiner: no answer in time
    };

    struct Options {
        uint32_t timeoutMs = 5000;         // silence that ends a connected match
        uint32_t connectTimeoutMs = 4500;  // a join gives up after this
        uint32_t keepAliveMs = 250;        // a quiet side pings this often
        int attemptsPerWindow = 5;         // connection attempts one address may make...
        uint32_t attemptWindowMs = 10000;  // ...in this time before it is ignored
        uint16_t version = Wire::kProtocolVersion;
        Wire::MatchSetup setup;  // host: the match it offers
        // Host: the player each joiner plays, in the order they come (1 is player 2).
        std::vector<uint8_t> joinerSlots{1};
    };

    // Listens on address:port (UDP). Null with a line in *error when it cannot bind.
    static std::unique_ptr<TNetSession> Host(const std::string& address, uint16_t port, Clock clock,
                                             const Options& options, std::string* error);
    // Starts connecting to a host. Null with a line in *error when the address is bad.
    static std::unique_ptr<TNetSession> Join(const TNetAddress& host, Clock clock, const Options& options,
                                             std::string* error);

    ~TNetSession();
    TNetSession(const TNetSession&) = delete;
    TNetSession& operator=(const TNetSession&) = delete;

    // Sends and receives what is waiting, without blocking, and checks the timeouts.
    void Service();
    // Queues a message for the host, or on the host for every joiner in (Input, Snapshot and
    // Ping unreliable, the rest reliable); does nothing after the session ended. It goes out
    // at the next Service.
    void Send(const Wire::Message& message);
    // Host: queues a message for the joiner playing `slot` only.
    void SendToSlot(int slot, const Wire::Message& message);
    // Sends what Send queued now, rather than at the next Service.
    void Flush();
    // The next match message received (Input and Rematch on the host; Snapshot, Event,
    // Recording, Results, Rematch and NextMatch on the joiner). On the host *slot is the
    // player of the joiner that sent it.
    std::optional<Wire::Message> Receive(int* slot = nullptr);
    // Says goodbye to the peer and flushes; the session is over afterwards.
    void Close();

    Role GetRole() const { return role_; }
    Status GetStatus() const { return status_; }
    bool IsOver() const;
    // The line for the player when the session is over or refused, e.g. "CONNECTION LOST".
    const std::string& GetMessage() const { return message_; }
    // Joiner: the host's match set-up, once connected. Host: the set-up its welcome offers,
    // to be set before a joiner comes.
    const Wire::MatchSetup& GetSetup() const { return options_.setup; }
    void SetSetup(const Wire::MatchSetup& setup) { options_.setup = setup; }
    // Host: the joiners' slots, to be set before they come (a duel's is player 2's).
    const std::vector<uint8_t>& JoinerSlots() const { return options_.joinerSlots; }
    void SetJoinerSlots(const std::vector<uint8_t>& slots);
    // Host: how many joiners are in. Joiner: the slot the host gave it (1 until welcomed).
    int JoinedCount() const;
    int GetSlot() const { return slot_; }
    const Wire::DropCounts& GetDrops() const { return drops_; }
    uint16_t GetPort() const;
    // Host: the address it listens on, as asked for. Joiner: the host's, "HOST:PORT".
    const std::string& GetAddress() const { return address_; }
    // Connection attempts ignored by the rate limit.
    uint64_t GetRateLimited() const { return rateLimited_; }
    // Bytes on the wire, ENet's headers included.
    uint64_t GetBytesSent() const;
    uint64_t GetBytesReceived() const;

private:
    TNetSession(Role role, Clock clock, const Options& options);

    // A joiner on the host (a seat for each of its joiners' slots); the joiner's only seat
    // is the host.
    struct Seat {
        uint8_t slot = 1;
        ENetPeer* peer = nullptr;
        uint32_t lastReceivedMs = 0;
        uint32_t lastSentMs = 0;
    };
    Seat* SeatOf(ENetPeer* peer);
    Seat* FreeSeat();
    // The seat's player left (quit) or was lost, as the host sees it.
    void SeatEnded(Seat& seat, bool quit);

    void SetTime();
    void OnConnect(ENetPeer* peer);
    void OnDisconnect(ENetPeer* peer, uint32_t data);
    void OnPacket(ENetPeer* peer, const uint8_t* data, size_t size);
    void OnHello(ENetPeer* peer, const Wire::Hello& hello);
    void OnWelcome(const Wire::Welcome& welcome);
    void OnRefuse(const Wire::Refuse& refuse);
    bool AllowAttempt(uint32_t addressHost);
    void DropHalfOpen(uint32_t now);
    void SendTo(ENetPeer* peer, const Wire::Message& message);
    void Refuse(ENetPeer* peer, Wire::RefuseReason reason);
    void End(Status status, const std::string& message);

    Role role_;
    Clock clock_;
    Options options_;
    Status status_;
    std::string message_;
    std::string address_;  // see GetAddress
    ENetHost* host_ = nullptr;
    std::vector<Seat> seats_;  // host: one per joiner's slot; joiner: the host
    int slot_ = 1;             // joiner: its player
    std::vector<std::pair<ENetPeer*, uint32_t>> pending_;  // host: connected, no hello yet, since
    uint32_t startedMs_ = 0;
    std::deque<std::pair<int, Wire::Message>> received_;  // with the sender's slot
    Wire::DropCounts drops_;
    std::map<uint32_t, std::deque<uint32_t>> attempts_;  // host: attempt times by address
    uint64_t rateLimited_ = 0;
    bool closed_ = false;
    bool serviced_ = false;
    std::map<ENetPeer*, std::pair<uint32_t, uint32_t>> halfOpen_;  // host: connect id and when first seen
    bool fullSaid_ = false;
};
