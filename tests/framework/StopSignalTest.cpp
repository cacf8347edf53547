// Stop signals: the first ends the main loop as a closed window does (the state's leave,
// then OnGameEnd), with exit status 0 for SIGINT and 128 + the signal for the others; a
// second one ends the process at once. Each case runs in a child, since a signal once
// received stays received.
#include <gtest/gtest.h>

#include <csignal>

#include "RecordingState.h"
#include "framework/StopSignals.h"
#include "tests/support/Watchdog.h"

TEST(StopSignals, EachEndsTheLoopAsAClosedWindowDoesWithItsStatus)
{
    for (const auto& [signal, expected] : {std::pair{SIGINT, 0}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        SCOPED_TRACE(signal);
        const WatchdogResult result = RunUnderWatchdog(5, [signal = signal] {
            StopSignals::Install();
            TGame::InitClassData();
            auto log = std::make_shared<Log>();
            CountingGame game;
            TGame::AddGameState("a", std::make_shared<RecordingState>("a", log));
            TGame::SetGameState("a");
            if (!game.RunFrame()) return 101;
            std::raise(signal);
            if (StopSignals::Received() != signal) return 102;
            if (game.RunFrame()) return 103;  // the next frame ends the loop
            if (log->back() != "a:leave(null)" || game.gameEnds != 1) return 104;
            TGame::ReleaseClassData();
            return StopSignals::ExitStatus(0);
        });
        EXPECT_FALSE(result.hung);
        EXPECT_EQ(result.status, expected) << result.stderrText;
    }
}

TEST(StopSignals, ASecondSignalWhileEndingEndsAtOnce)
{
    const WatchdogResult result = RunUnderWatchdog(5, [] {
        StopSignals::Install();
        std::raise(SIGTERM);
        if (StopSignals::Received() != SIGTERM) return 101;
        std::raise(SIGHUP);
        return 102;  // not reached: the second signal ends the process with its own status
    });
    EXPECT_EQ(result.status, 129);
}

TEST(StopSignals, WithoutASignalTheProgramsOwnStatusStands)
{
    EXPECT_EQ(StopSignals::Received(), 0);
    EXPECT_EQ(StopSignals::ExitStatus(255), 255);
    EXPECT_EQ(StopSignals::ExitStatus(0), 0);
}
