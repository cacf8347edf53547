// Games in one process play 20 s of a match over ENet on 127.0.0.1 (a duel, and a host
// with two and three joiners), directly and through the lossy relay (5% loss, 75 ms each
// way plus up to 20 ms of jitter), every tank driving and firing. Prints bytes per second each way, input-to-host-applied and
// host-state-to-joiner-drawn latencies, and the network layer's processor time per frame.
// Time is the hand-driven game clock (16 ms frames), which ENet follows too.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "LossyRelay.h"
#include "framework/Clock.h"
#include "game/net/NetworkMatch.h"
#include "sound/SoundDevice.h"
#include "tests/support/GameInstance.h"

namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kFrames = 1250;  // 20 s

struct Spread {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    double At(double share)
    {
        if (values.empty()) return 0;
        std::sort(values.begin(), values.end());
        return values[std::min(values.size() - 1, size_t(share * values.size()))];
    }
    double Mean() const
    {
        double sum = 0;
        for (double v : values) sum += v;
        return values.empty() ? 0 : sum / values.size();
    }
};

// players: 2 (a duel: the host's player 1 and one joiner) or 3 and 4 (the host's rows 2 to
// 4 NETWORK, a joiner each). Every tank drives and fires; the host's upload is given per joiner.
void Run(const char* name, bool lossy, int players = 2)
{
    GameClock::ManualClock clock(100000);
    clock.Install();
    {
        const int joinerCount = players - 1;
        TGameInstance host;
        std::vector<std::unique_ptr<TGameInstance>> joiners;
        if (players > 2)
            for (int slot = 1; slot < players; ++slot)
                host.game->settings.players[static_cast<size_t>(slot)].status = TPlayerStatus::Network;
        std::string error;
        auto hostSession = TNetSession::Host("127.0.0.1", 0, GameClock::Milliseconds, {}, &error);
        if (!hostSession) {
            std::fprintf(stderr, "bench_net: %s\n", error.c_str());
            std::exit(1);
        }
        const uint16_t hostPort = hostSession->GetPort();
        host.game->network = std::make_shared<TNetworkMatch>(std::move(hostSession));
        auto hostMatch = host.game->network;
        host.Within([] { TGame::SetGameState("Arena"); });
        std::vector<std::unique_ptr<TLossyRelay>> relays;
        std::vector<std::shared_ptr<TNetworkMatch>> joinMatches;
        for (int j = 0; j < joinerCount; ++j) {
            uint16_t port = hostPort;
            if (lossy) {
                relays.push_back(std::make_unique<TLossyRelay>(port, GameClock::Milliseconds, TLossyRelay::Faults{}, 75 + j));
                port = relays.back()->Port();
            }
            joiners.push_back(std::make_unique<TGameInstance>());
            auto joinSession = TNetSession::Join(TNetAddress{"127.0.0.1", port}, GameClock::Milliseconds, {}, &error);
            joiners.back()->game->network = std::make_shared<TNetworkMatch>(std::move(joinSession));
            joinMatches.push_back(joiners.back()->game->network);
            joiners.back()->Within([] { TGame::SetGameState("Arena"); });
        }
        auto joinMatch = joinMatches.front();

        auto frame = [&] {
            clock.Advance(kFrameMs);
            for (auto& relay : relays) relay->Pump();
            host.Frame();
            for (auto& joiner : joiners) joiner->Frame();
        };
        auto allPlaying = [&] {
            if (!hostMatch->IsPlaying()) return false;
            for (auto& m : joinMatches)
                if (!m->View().Newest()) return false;
            return true;
        };
        for (int i = 0; i < 600 && !allPlaying(); ++i) frame();
        if (!allPlaying()) {
            std::fprintf(stderr, "bench_net: %s: the match never began on every side\n", name);
            std::exit(1);
        }

        const uint64_t sent0 = hostMatch->Session().GetBytesSent(), got0 = joinMatch->Session().GetBytesSent();
        const uint64_t hostCpu0 = hostMatch->cpuNanoseconds, joinCpu0 = joinMatch->cpuNanoseconds;
        std::map<uint32_t, uint32_t> inputSent;       // sequence -> joiner time
        uint32_t inputApplied = 0;                    // newest sequence seen applied
        std::map<uint32_t, uint32_t> snapshotHostMs;  // sequence -> host time, not yet drawn
        uint32_t newestSnapshot = 0;
        Spread input, arrival, drawn;
        const irr::EKEY_CODE joinerKeys[] = {irr::KEY_UP, irr::KEY_LEFT, irr::KEY_RIGHT, irr::KEY_RETURN};
        const irr::EKEY_CODE hostKeys[] = {irr::KEY_KEY_X, irr::KEY_KEY_Z, irr::KEY_KEY_C, irr::KEY_TAB};
        for (int f = 0; f < kFrames; ++f) {
            // Drive, curve left and right, fire now and then.
            const int phase = f % 120;
            for (int k = 0; k < 4; ++k) {
                const bool down = k == 0 ? phase < 90 : k == 1 ? (phase >= 20 && phase < 40)
                                 : k == 2 ? (phase >= 60 && phase < 80) : phase == 50;
                for (auto& joiner : joiners) joiner->Key(joinerKeys[k], down);
                host.Key(hostKeys[k], down);
            }
            frame();
            const uint32_t now = clock.Now();
            inputSent[joinMatch->inputSequence] = now;
            for (; inputApplied < hostMatch->inputSequence; ++inputApplied) {
                auto it = inputSent.find(inputApplied + 1);
                if (it != inputSent.end()) input.Add(now - it->second);
            }
            if (const Wire::Snapshot* s = joinMatch->View().Newest(); s && s->sequence != newestSnapshot) {
                newestSnapshot = s->sequence;
                snapshotHostMs[s->sequence] = s->hostTimeMs;
                arrival.Add(now - s->hostTimeMs);
            }
            const uint32_t render = joinMatch->View().RenderTime(now);
            for (auto it = snapshotHostMs.begin(); it != snapshotHostMs.end();) {
                if (static_cast<int32_t>(render - it->second) < 0) break;
                drawn.Add(now - it->second);
                it = snapshotHostMs.erase(it);
            }
        }
        const double seconds = kFrames * kFrameMs / 1000.0;
        std::printf("%s\n", name);
        const double upload = (hostMatch->Session().GetBytesSent() - sent0) / seconds;
        if (upload <= 0) {
            std::fprintf(stderr, "bench_net: %s: the host sent nothing\n", name);
            std::exit(1);
        }
        std::printf("  host to each joiner %8.0f bytes/s (%d tanks, %d joiner%s)\n", upload / joinerCount, players,
                    joinerCount, joinerCount > 1 ? "s" : "");
        std::printf("  joiner to host      %8.0f bytes/s\n", (joinMatch->Session().GetBytesSent() - got0) / seconds);
        std::printf("  input to host-applied        mean %5.1f ms, 95%% %5.1f ms, max %5.1f ms (%zu states)\n",
                    input.Mean(), input.At(0.95), input.At(1.0), input.values.size());
        std::printf("  host state to joiner arrival mean %5.1f ms, 95%% %5.1f ms, max %5.1f ms (%zu snapshots)\n",
                    arrival.Mean(), arrival.At(0.95), arrival.At(1.0), arrival.values.size());
        std::printf("  host state to joiner drawn   mean %5.1f ms, 95%% %5.1f ms, max %5.1f ms (interpolation %u ms)\n",
                    drawn.Mean(), drawn.At(0.95), drawn.At(1.0), joinMatch->View().delayMs);
        std::printf("  network layer per frame      host %5.1f us, joiner %5.1f us\n",
                    (hostMatch->cpuNanoseconds - hostCpu0) / 1000.0 / kFrames,
                    (joinMatch->cpuNanoseconds - joinCpu0) / 1000.0 / kFrames);
        for (auto& relay : relays)
            std::printf("  relay: %llu forwarded, %llu dropped, %llu overtaken\n",
                        (unsigned long long)relay->forwarded, (unsigned long long)relay->dropped,
                        (unsigned long long)relay->reordered);
    }
    SoundDevice::Shutdown();
    GameClock::SetSource(nullptr);
}

}  // namespace

int main()
{
    Run("loopback", false);
    Run("lossy relay (5% loss, 75 ms + 0..20 ms each way)", true);
    Run("loopback, three tanks", false, 3);
    Run("loopback, four tanks", false, 4);
    Run("lossy relays, four tanks", true, 4);
    return 0;
}
