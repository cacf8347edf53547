#include "net/NetSession.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Why a side disconnects, sent as ENet's disconnect data.
constexpr uint32_t kByeQuit = 1;
constexpr uint32_t kByeRefused = 2;
constexpr uint32_t kByePlayerGone = 16;  // + the slot: the host ends the match as that player went

constexpr uint32_t kHelloWaitMs = 2000;  // a connected peer must say hello this soon
constexpr uint32_t kHalfOpenMs = 2000;   // a connection whose handshake is not done by then is dropped
constexpr size_t kMaxPeers = 32;          // the joiners and room to refuse the rest
// Handshakes one address may have under way: every joiner of a match, from behind one address.
constexpr size_t kHalfOpenPerAddress = Wire::kMaxTanks - 1;
constexpr size_t kFreeSlots = 4;          // slots kept free for the next real joiner
constexpr size_t kMaxRememberedAddresses = 256;

// ENet is initialised while any session lives.
int enetUsers = 0;
bool UseEnet() {
    if (enetUsers == 0 && enet_initialize() != 0) {
        std::fprintf(stderr, "network: ENet could not start\n");
        return false;
    }
    ++enetUsers;
    return true;
}
void ReleaseEnet() {
    if (--enetUsers == 0) enet_deinitialize();
}

// Numeric addresses first, so only names go to the resolver.
bool Resolve(const std::string& host, ENetAddress& address) {
    return enet_address_set_host_ip(&address, host.c_str()) == 0 || enet_address_set_host(&address, host.c_str()) == 0;
}

bool IsLoopback(const ENetAddress& address) {
    return (reinterpret_cast<const uint8_t*>(&address.host))[0] == 127;
}

// A peer ENet has taken in whose handshake is not complete.
bool IsHalfOpen(const ENetPeer& peer) {
    return peer.state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT || peer.state == ENET_PEER_STATE_CONNECTION_PENDING ||
           peer.state == ENET_PEER_STATE_CONNECTION_SUCCEEDED;
}

bool IsReliable(const Wire::Message& m) {
    return std::holds_alternative<Wire::Hello>(m) || std::holds_alternative<Wire::Welcome>(m) ||
           std::holds_alternative<Wire::Refuse>(m) || std::holds_alternative<Wire::Event>(m) ||
           std::holds_alternative<Wire::Recording>(m) || std::holds_alternative<Wire::Results>(m) ||
           std::holds_alternative<Wire::Rematch>(m) || std::holds_alternative<Wire::NextMatch>(m);
}

std::string PlayerText(int slot) { return "PLAYER " + std::to_string(slot + 1); }

}  // namespace

std::optional<TNetAddress> TNetAddress::Parse(const std::string& text, std::string* error) {
    // ENet here speaks IPv4 only: an IPv6 literal, bare or in brackets, is refused by name
    // rather than taken apart at its colons.
    const bool bracketed = !text.empty() && text[0] == '[';
    if (bracketed || std::count(text.begin(), text.end(), ':') > 1) {
        if (error) *error = "\"" + text + "\" is an IPv6 address; network play uses IPv4 (try 127.0.0.1)";
        return std::nullopt;
    }
    TNetAddress out;
    size_t colon = text.rfind(':');
    out.host = text.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string port = text.substr(colon + 1);
        char* end = nullptr;
        long value = port.empty() ? 0 : std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || value < 1 || value > 65535) {
            if (error) *error = "bad port in \"" + text + "\" (1 to 65535)";
            return std::nullopt;
        }
        out.port = static_cast<uint16_t>(value);
    }
    if (out.host.empty() || out.host.find_first_of(" \t") != std::string::npos) {
        if (error) *error = "bad host address \"" + text + "\"";
        return std::nullopt;
    }
    return out;
}

std::string TNetAddress::ToString() const { return host + ":" + std::to_string(port); }

TNetSession::TNetSession(Role role, Clock clock, const Options& options)
    : role_(role), clock_(std::move(clock)), options_(options),
      status_(role == Role::Host ? Status::Waiting : Status::Connecting) {
    if (role == Role::Host) SetJoinerSlots(options.joinerSlots);
}

void TNetSession::SetJoinerSlots(const std::vector<uint8_t>& slots) {
    if (JoinedCount() > 0) {
        if (slots != options_.joinerSlots)
            std::fprintf(stderr, "network: the joiners' slots stay as they were: players are in\n");
        return;
    }
    options_.joinerSlots.clear();
    for (uint8_t slot : slots)
        if (slot >= 1 && slot < Wire::kMaxTanks &&
            std::find(options_.joinerSlots.begin(), options_.joinerSlots.end(), slot) == options_.joinerSlots.end())
            options_.joinerSlots.push_back(slot);
    if (options_.joinerSlots.empty()) options_.joinerSlots.push_back(1);
    seats_.clear();
    for (uint8_t slot : options_.joinerSlots) seats_.push_back(Seat{slot});
}

int TNetSession::JoinedCount() const {
    if (role_ == Role::Joiner) return status_ == Status::Connected ? 1 : 0;
    return static_cast<int>(std::count_if(seats_.begin(), seats_.end(), [](const Seat& s) { return s.peer; }));
}

TNetSession::Seat* TNetSession::SeatOf(ENetPeer* peer) {
    if (!peer) return nullptr;
    for (Seat& seat : seats_)
        if (seat.peer == peer) return &seat;
    return nullptr;
}

TNetSession::Seat* TNetSession::FreeSeat() {
    for (Seat& seat : seats_)
        if (!seat.peer) return &seat;
    return nullptr;
}

std::unique_ptr<TNetSession> TNetSession::Host(const std::string& address, uint16_t port, Clock clock,
                                               const Options& options, std::string* error) {
    ENetAddress bind{};
    if (!Resolve(address, bind)) {
        if (error) *error = "cannot use the address \"" + address + "\"";
        return nullptr;
    }
    bind.port = port;
    if (!UseEnet()) {
        if (error) *error = "ENet could not start";
        return nullptr;
    }
    std::unique_ptr<TNetSession> session(new TNetSession(Role::Host, std::move(clock), options));
    session->address_ = address;
    session->SetTime();
    session->host_ = enet_host_create(&bind, kMaxPeers, Wire::kChannelCount, 0, 0);
    if (!session->host_) {
        if (error) *error = "cannot listen on " + address + ":" + std::to_string(port) + " (in use, or not this machine's)";
        return nullptr;
    }
    // Anything longer than a packet may be is dropped by ENet before it is put together.
    session->host_->maximumPacketSize = 4 * Wire::kMaxPacketBytes;
    session->startedMs_ = session->clock_();
    return session;
}

std::unique_ptr<TNetSession> TNetSession::Join(const TNetAddress& host, Clock clock, const Options& options,
                                               std::string* error) {
    ENetAddress target{};
    if (!Resolve(host.host, target)) {
        if (error) *error = "cannot find the host \"" + host.host + "\"";
        return nullptr;
    }
    target.port = host.port;
    if (!UseEnet()) {
        if (error) *error = "ENet could not start";
        return nullptr;
    }
    std::unique_ptr<TNetSession> session(new TNetSession(Role::Joiner, std::move(clock), options));
    session->address_ = host.ToString();
    session->SetTime();
    // A join to this machine stays on the loopback interface.
    ENetAddress local{};
    enet_address_set_host_ip(&local, "127.0.0.1");
    local.port = ENET_PORT_ANY;
    session->host_ = enet_host_create(IsLoopback(target) ? &local : nullptr, 1, Wire::kChannelCount, 0, 0);
    ENetPeer* peer = nullptr;
    if (session->host_) {
        session->host_->maximumPacketSize = 4 * Wire::kMaxPacketBytes;
        peer = enet_host_connect(session->host_, &target, Wire::kChannelCount, 0);
    }
    session->seats_.assign(1, Seat{0, peer});
    if (!peer) {
        if (error) *error = "cannot open a connection to " + host.ToString();
        return nullptr;
    }
    return session;
}

TNetSession::~TNetSession() {
    if (!host_) {
        ReleaseEnet();
        return;
    }
    Close();
    enet_host_destroy(host_);
    ReleaseEnet();
}

// ENet keeps its own millisecond time for resends and timeouts; it follows the game's
// clock so that a test driving time by hand drives ENet too.
void TNetSession::SetTime() { enet_time_set(clock_()); }

bool TNetSession::IsOver() const {
    return closed_ || status_ == Status::Lost || status_ == Status::Left || status_ == Status::Refused ||
           status_ == Status::Failed;
}

uint16_t TNetSession::GetPort() const { return host_ ? host_->address.port : 0; }
uint64_t TNetSession::GetBytesSent() const { return host_ ? host_->totalSentData : 0; }
uint64_t TNetSession::GetBytesReceived() const { return host_ ? host_->totalReceivedData : 0; }

void TNetSession::Service() {
    if (!host_) return;
    SetTime();
    // A join's time runs from its first packet, which this service sends: a slow start of
    // the game is not the host's silence.
    if (role_ == Role::Joiner && !serviced_) startedMs_ = seats_[0].lastReceivedMs = clock_();
    serviced_ = true;
    ENetEvent event;
    while (enet_host_service(host_, &event, 0) > 0) {
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT: OnConnect(event.peer); break;
            case ENET_EVENT_TYPE_DISCONNECT: OnDisconnect(event.peer, event.data); break;
            case ENET_EVENT_TYPE_RECEIVE:
                OnPacket(event.peer, event.packet->data, event.packet->dataLength);
                enet_packet_destroy(event.packet);
                break;
            case ENET_EVENT_TYPE_NONE: break;
        }
    }
    const uint32_t now = clock_();
    if (status_ == Status::Connecting && now - startedMs_ >= options_.connectTimeoutMs)
        End(Status::Failed, "NO ANSWER FROM " + address_);
    // Every player in is heard from within the timeout and hears from this side.
    for (Seat& seat : seats_) {
        if (IsOver() || !seat.peer || status_ == Status::Connecting) continue;
        if (now - seat.lastReceivedMs >= options_.timeoutMs) {
            if (role_ == Role::Host)
                SeatEnded(seat, false);
            else
                End(Status::Lost, "CONNECTION LOST");
        } else if (now - seat.lastSentMs >= options_.keepAliveMs) {
            SendTo(seat.peer, Wire::Ping{now});
        }
    }
    if (role_ == Role::Host) DropHalfOpen(now);
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (now - it->second >= kHelloWaitMs) {
            enet_peer_reset(it->first);
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    enet_host_flush(host_);
}

// ENet gives a slot to every CONNECT it gets and only tells of the peer once the handshake
// is done, so forged connects that never finish it could hold every slot until ENet's own
// timeout. Each is dropped 2 s after it came, an address gets a couple at a time, and the
// oldest go when fewer than a few slots are free: a real joiner finds room and finishes its
// handshake in a round trip, long before it would be the oldest.
void TNetSession::DropHalfOpen(uint32_t now) {
    std::map<uint32_t, size_t> perAddress;
    std::vector<ENetPeer*> open;
    size_t free = 0;
    for (ENetPeer* peer = host_->peers; peer < host_->peers + host_->peerCount; ++peer) {
        if (peer->state == ENET_PEER_STATE_DISCONNECTED) ++free;
        if (!IsHalfOpen(*peer)) {
            halfOpen_.erase(peer);
            continue;
        }
        auto [seen, fresh] = halfOpen_.try_emplace(peer, peer->connectID, now);
        if (!fresh && seen->second.first != peer->connectID) seen->second = {peer->connectID, now};
        if (now - seen->second.second >= kHalfOpenMs || ++perAddress[peer->address.host] > kHalfOpenPerAddress) {
            enet_peer_reset(peer);
            halfOpen_.erase(peer);
            ++free;
        } else {
            open.push_back(peer);
        }
    }
    if (free >= kFreeSlots) return;
    if (!fullSaid_) {
        fullSaid_ = true;
        std::fprintf(stderr, "network: every connection slot is taken by unfinished handshakes; the oldest are dropped\n");
    }
    std::sort(open.begin(), open.end(), [this](ENetPeer* a, ENetPeer* b) {
        return halfOpen_[a].second < halfOpen_[b].second;
    });
    for (size_t i = 0; i < open.size() && free < kFreeSlots; ++i, ++free) {
        halfOpen_.erase(open[i]);
        enet_peer_reset(open[i]);
    }
}

void TNetSession::Send(const Wire::Message& message) {
    if (status_ != Status::Connected || closed_) return;
    for (Seat& seat : seats_)
        if (seat.peer) SendTo(seat.peer, message);
}

void TNetSession::SendToSlot(int slot, const Wire::Message& message) {
    if (status_ != Status::Connected || closed_ || role_ != Role::Host) return;
    for (Seat& seat : seats_)
        if (seat.peer && seat.slot == slot) SendTo(seat.peer, message);
}

void TNetSession::Flush() {
    if (!host_) return;
    SetTime();
    enet_host_flush(host_);
}

std::optional<Wire::Message> TNetSession::Receive(int* slot) {
    if (received_.empty()) return std::nullopt;
    auto [from, m] = std::move(received_.front());
    received_.pop_front();
    if (slot) *slot = from;
    return std::move(m);
}

void TNetSession::Close() {
    if (closed_ || !host_) return;
    closed_ = true;
    SetTime();
    for (Seat& seat : seats_)
        if (seat.peer) enet_peer_disconnect(seat.peer, kByeQuit);
    for (auto& pending : pending_) enet_peer_disconnect(pending.first, kByeQuit);
    enet_host_flush(host_);
}

void TNetSession::SendTo(ENetPeer* peer, const Wire::Message& message) {
    const std::vector<uint8_t> bytes = Wire::Encode(message);
    const bool reliable = IsReliable(message);
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (!packet) return;
    if (enet_peer_send(peer, reliable ? Wire::kChannelReliable : Wire::kChannelUnreliable, packet) != 0)
        enet_packet_destroy(packet);
    if (Seat* seat = SeatOf(peer)) seat->lastSentMs = clock_();
}

void TNetSession::OnConnect(ENetPeer* peer) {
    // Our own timeout ends a silent match; ENet's only backs it up.
    enet_peer_timeout(peer, 0, options_.timeoutMs + 1000, options_.timeoutMs + 1000);
    if (role_ == Role::Joiner) {
        if (SeatOf(peer)) SendTo(peer, Wire::Hello{Wire::kMagic, options_.version});
        return;
    }
    if (!AllowAttempt(peer->address.host)) {
        ++rateLimited_;
        enet_peer_reset(peer);
        return;
    }
    if (!FreeSeat() || IsOver()) {
        Refuse(peer, Wire::RefuseReason::Full);
        return;
    }
    pending_.emplace_back(peer, clock_());
}

void TNetSession::OnDisconnect(ENetPeer* peer, uint32_t data) {
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [peer](auto& p) { return p.first == peer; }),
                   pending_.end());
    Seat* seat = SeatOf(peer);
    if (!seat) return;
    seat->peer = nullptr;
    if (role_ == Role::Host) {
        SeatEnded(*seat, data == kByeQuit);
        return;
    }
    // The host's match has players beyond the duel's: each is named.
    const bool many = __builtin_popcount(options_.setup.playing) > 2;
    if (status_ == Status::Connecting)
        End(Status::Failed, data == kByeRefused ? "THE HOST REFUSED THE CONNECTION" : "NO ANSWER FROM " + address_);
    else if (data == kByeQuit)
        End(Status::Left, many ? "PLAYER 1 LEFT" : "THE OTHER PLAYER LEFT");
    else if (data >= kByePlayerGone && data < kByePlayerGone + Wire::kMaxTanks)
        End(Status::Left, PlayerText(static_cast<int>(data - kByePlayerGone)) + " LEFT");
    else
        End(Status::Lost, "CONNECTION LOST");
}

// Before the match a player that goes frees its slot for another; once it plays, the match
// ends for everyone, and the other joiners are told who went.
void TNetSession::SeatEnded(Seat& seat, bool quit) {
    const int slot = seat.slot;
    if (seat.peer) enet_peer_disconnect_now(seat.peer, 0);
    seat.peer = nullptr;
    if (IsOver()) return;
    if (status_ == Status::Waiting) {
        std::fprintf(stderr, "network: %s %s before the match began; the slot is free again\n",
                     PlayerText(slot).c_str(), quit ? "left" : "was lost");
        return;
    }
    for (Seat& other : seats_)
        if (other.peer) {
            enet_peer_disconnect_now(other.peer, kByePlayerGone + static_cast<uint32_t>(slot));
            other.peer = nullptr;
        }
    // A duel says it as it always has.
    const bool duel = seats_.size() == 1;
    if (quit)
        End(Status::Left, duel ? "THE OTHER PLAYER LEFT" : PlayerText(slot) + " LEFT");
    else
        End(Status::Lost, duel ? "CONNECTION LOST" : "CONNECTION TO " + PlayerText(slot) + " LOST");
}

bool TNetSession::AllowAttempt(uint32_t addressHost) {
    const uint32_t now = clock_();
    if (attempts_.size() > kMaxRememberedAddresses) {
        for (auto it = attempts_.begin(); it != attempts_.end();)
            it = now - it->second.back() >= options_.attemptWindowMs ? attempts_.erase(it) : std::next(it);
    }
    std::deque<uint32_t>& times = attempts_[addressHost];
    while (!times.empty() && now - times.front() >= options_.attemptWindowMs) times.pop_front();
    if (times.size() >= static_cast<size_t>(options_.attemptsPerWindow)) return false;
    times.push_back(now);
    return true;
}

void TNetSession::OnPacket(ENetPeer* peer, const uint8_t* data, size_t size) {
    Wire::Decoded decoded = Wire::Decode(data, size);
    if (!decoded.message) {
        drops_.Add(decoded.drop);
        // The host's answer to the hello is the only one it sends; damaged, it is still an answer.
        const auto type = size > 0 ? static_cast<Wire::Type>(data[0]) : Wire::Type::Ping;
        if (role_ == Role::Joiner && SeatOf(peer) && status_ == Status::Connecting &&
            (type == Wire::Type::Welcome || type == Wire::Type::Refuse))
            End(Status::Failed, type == Wire::Type::Welcome ? "THE HOST SENT A DAMAGED WELCOME"
                                                           : "THE HOST SENT A DAMAGED REFUSAL");
        return;
    }
    Wire::Message& m = *decoded.message;
    Seat* seat = SeatOf(peer);
    const bool fromPeer = seat && !IsOver();
    if (role_ == Role::Host) {
        auto pending = std::find_if(pending_.begin(), pending_.end(), [peer](auto& p) { return p.first == peer; });
        if (pending != pending_.end() && std::holds_alternative<Wire::Hello>(m)) {
            pending_.erase(pending);
            OnHello(peer, std::get<Wire::Hello>(m));
        } else if (fromPeer && (std::holds_alternative<Wire::Input>(m) || std::holds_alternative<Wire::Rematch>(m))) {
            seat->lastReceivedMs = clock_();
            received_.emplace_back(seat->slot, std::move(m));
        } else if (fromPeer && std::holds_alternative<Wire::Ping>(m)) {
            seat->lastReceivedMs = clock_();
        } else {
            drops_.Add(Wire::Drop::Unexpected);
        }
        return;
    }
    if (fromPeer && status_ == Status::Connecting && std::holds_alternative<Wire::Welcome>(m)) {
        OnWelcome(std::get<Wire::Welcome>(m));
    } else if (fromPeer && status_ == Status::Connecting && std::holds_alternative<Wire::Refuse>(m)) {
        OnRefuse(std::get<Wire::Refuse>(m));
    } else if (fromPeer && status_ == Status::Connected &&
               (std::holds_alternative<Wire::Snapshot>(m) || std::holds_alternative<Wire::Event>(m) ||
                std::holds_alternative<Wire::Recording>(m) || std::holds_alternative<Wire::Results>(m) ||
                std::holds_alternative<Wire::Rematch>(m) || std::holds_alternative<Wire::NextMatch>(m))) {
        seat->lastReceivedMs = clock_();
        received_.emplace_back(0, std::move(m));
    } else if (fromPeer && status_ == Status::Connected && std::holds_alternative<Wire::Ping>(m)) {
        seat->lastReceivedMs = clock_();
    } else {
        drops_.Add(Wire::Drop::Unexpected);
    }
}

void TNetSession::OnHello(ENetPeer* peer, const Wire::Hello& hello) {
    if (hello.magic != Wire::kMagic) {
        std::fprintf(stderr, "network: refused a connection that is not this game's\n");
        Refuse(peer, Wire::RefuseReason::BadHello);
    } else if (hello.version != options_.version) {
        std::fprintf(stderr, "network: refused a joiner with protocol version %u; this game has version %u\n",
                     hello.version, options_.version);
        Refuse(peer, Wire::RefuseReason::Version);
    } else if (Seat* seat = IsOver() ? nullptr : FreeSeat()) {
        seat->peer = peer;
        seat->lastReceivedMs = clock_();
        SendTo(peer, Wire::Welcome{Wire::kMagic, options_.version, seat->slot, options_.setup});
        char address[64] = "?";
        enet_address_get_host_ip(&peer->address, address, sizeof address);
        std::fprintf(stderr, "network: %s joined from %s:%u\n", PlayerText(seat->slot).c_str(), address,
                     peer->address.port);
        // The match begins once every joiner's slot is taken.
        if (!FreeSeat()) status_ = Status::Connected;
    } else {
        Refuse(peer, Wire::RefuseReason::Full);
    }
}

void TNetSession::Refuse(ENetPeer* peer, Wire::RefuseReason reason) {
    if (reason == Wire::RefuseReason::Full) std::fprintf(stderr, "network: refused a player: every slot is taken\n");
    SendTo(peer, Wire::Refuse{reason, options_.version});
    enet_peer_disconnect_later(peer, kByeRefused);
}

void TNetSession::OnWelcome(const Wire::Welcome& welcome) {
    if (welcome.magic != Wire::kMagic || welcome.version != options_.version) {
        OnRefuse(Wire::Refuse{Wire::RefuseReason::Version, welcome.version});
        return;
    }
    options_.setup = welcome.setup;
    slot_ = welcome.slot;
    status_ = Status::Connected;
    seats_[0].lastReceivedMs = clock_();
    std::fprintf(stderr, "network: joined %s as %s\n", address_.c_str(), PlayerText(slot_).c_str());
}

void TNetSession::OnRefuse(const Wire::Refuse& refuse) {
    switch (refuse.reason) {
        case Wire::RefuseReason::Version:
            End(Status::Refused, "THE HOST HAS PROTOCOL VERSION " + std::to_string(refuse.hostVersion) +
                                     ", THIS GAME HAS VERSION " + std::to_string(options_.version));
            break;
        case Wire::RefuseReason::Full: End(Status::Refused, "THE MATCH IS FULL: THE HOST HAS ALL ITS PLAYERS"); break;
        case Wire::RefuseReason::BadHello: End(Status::Refused, "THE HOST DID NOT UNDERSTAND THIS GAME"); break;
    }
}

void TNetSession::End(Status status, const std::string& message) {
    if (IsOver()) return;
    status_ = status;
    message_ = message;
    std::fprintf(stderr, "network: %s\n", message.c_str());
    for (Seat& seat : seats_)
        if (seat.peer) {
            enet_peer_disconnect_now(seat.peer, 0);
            seat.peer = nullptr;
        }
}
