// A UDP forwarder on loopback that behaves like a poor home connection: it drops a share
// of the datagrams and delays each by a base time plus jitter, so that some overtake
// others. Time comes from the caller's clock; Pump moves whatever is due.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <vector>

class TLossyRelay {
public:
    struct Faults {
        double dropShare = 0.05;
        uint32_t delayMs = 75;   // each way
        uint32_t jitterMs = 20;  // added at random, 0..jitterMs
    };

    // Listens on 127.0.0.1 (a free port) and forwards to 127.0.0.1:targetPort.
    TLossyRelay(uint16_t targetPort, std::function<uint32_t()> clock, Faults faults, uint32_t seed = 75);
    ~TLossyRelay();

    uint16_t Port() const { return port_; }
    // Reads every waiting datagram and sends those whose time has come.
    void Pump();

    uint64_t forwarded = 0, dropped = 0, reordered = 0;

private:
    struct Datagram {
        uint32_t dueMs;
        uint64_t order;  // arrival order, to count overtaking
        int socket;
        sockaddr_in to;
        std::vector<uint8_t> bytes;
    };
    int OpenSocket(uint16_t port);
    void Read(int socket, bool fromClient);

    std::function<uint32_t()> clock_;
    Faults faults_;
    std::mt19937 rng_;
    int listen_ = -1;
    uint16_t port_ = 0;
    sockaddr_in target_{};
    // One socket toward the target per client, so the target sees each client apart.
    std::map<uint64_t, std::pair<int, sockaddr_in>> upstream_;
    std::vector<Datagram> inFlight_;
    uint64_t arrivals_ = 0, lastSentOrder_[2] = {0, 0};
};
