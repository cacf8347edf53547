#include "LossyRelay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

uint64_t KeyOf(const sockaddr_in& a) { return uint64_t(a.sin_addr.s_addr) << 16 | a.sin_port; }

}  // namespace

TLossyRelay::TLossyRelay(uint16_t targetPort, std::function<uint32_t()> clock, Faults faults, uint32_t seed)
    : clock_(std::move(clock)), faults_(faults), rng_(seed), target_(Loopback(targetPort)) {
    listen_ = OpenSocket(0);
    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&bound), &len);
    port_ = ntohs(bound.sin_port);
}

TLossyRelay::~TLossyRelay() {
    for (auto& up : upstream_) close(up.second.first);
    if (listen_ >= 0) close(listen_);
}

int TLossyRelay::OpenSocket(uint16_t port) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Loopback(port);
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("relay: no socket");
    fcntl(s, F_SETFL, O_NONBLOCK);
    return s;
}

void TLossyRelay::Read(int socket, bool fromClient) {
    uint8_t buffer[4096];
    for (;;) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n = recvfrom(socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) return;
        Datagram d;
        d.order = ++arrivals_;
        d.bytes.assign(buffer, buffer + n);
        if (fromClient) {
            auto it = upstream_.find(KeyOf(from));
            if (it == upstream_.end()) it = upstream_.emplace(KeyOf(from), std::make_pair(OpenSocket(0), from)).first;
            d.socket = it->second.first;
            d.to = target_;
        } else {
            auto it = std::find_if(upstream_.begin(), upstream_.end(),
                                   [socket](auto& up) { return up.second.first == socket; });
            d.socket = listen_;
            d.to = it->second.second;
        }
        if (std::uniform_real_distribution<double>(0, 1)(rng_) < faults_.dropShare) {
            ++dropped;
            continue;
        }
        d.dueMs = clock_() + faults_.delayMs + rng_() % (faults_.jitterMs + 1);
        inFlight_.push_back(std::move(d));
    }
}

void TLossyRelay::Pump() {
    Read(listen_, true);
    for (auto& up : upstream_) Read(up.second.first, false);
    const uint32_t now = clock_();
    std::stable_sort(inFlight_.begin(), inFlight_.end(),
                     [](const Datagram& a, const Datagram& b) { return int32_t(a.dueMs - b.dueMs) < 0; });
    size_t sent = 0;
    for (; sent < inFlight_.size() && int32_t(now - inFlight_[sent].dueMs) >= 0; ++sent) {
        Datagram& d = inFlight_[sent];
        const int way = d.socket == listen_;
        if (d.order < lastSentOrder_[way]) ++reordered;
        lastSentOrder_[way] = std::max(lastSentOrder_[way], d.order);
        sendto(d.socket, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<sockaddr*>(&d.to), sizeof d.to);
        ++forwarded;
    }
    inFlight_.erase(inFlight_.begin(), inFlight_.begin() + sent);
}
