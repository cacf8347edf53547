// Stop signals: the first ends the main loop as a closed window does (the state's leave,
// then OnGameEnd), with exit status 0 for SIGINT and 128 + the signal for the others; a
// second one ends the process at once. Each case runs in a child, since a signal once
// received stays received.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

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

// The signal lands while the main thread is blocked reading (as in the X display's
// opening during a mode switch): the read goes on and gets its data, it does not fail.
TEST(StopSignals, ABlockedCallGoesOnThroughASignal)
{
    const WatchdogResult result = RunUnderWatchdog(20, [] {
        StopSignals::Install();
        int fds[2];
        if (pipe(fds) != 0) return 101;
        const pthread_t reader = pthread_self();
        const std::string syscallFile = "/proc/self/task/" + std::to_string(syscall(SYS_gettid)) + "/syscall";
        std::thread sender([&] {
            // Waits until the reader sleeps inside read(2), then signals it and writes.
            for (;;) {
                std::ifstream in(syscallFile);
                long number = -1;
                if (in >> number && number == SYS_read) break;
                std::this_thread::yield();
            }
            pthread_kill(reader, SIGTERM);
            while (!StopSignals::Received()) std::this_thread::yield();
            const char byte = 'x';
            if (write(fds[1], &byte, 1) != 1) std::abort();
        });
        char got = 0;
        const ssize_t n = read(fds[0], &got, 1);
        const int error = errno;
        sender.join();
        if (n != 1) return error == EINTR ? 102 : 103;
        return StopSignals::Received() == SIGTERM && got == 'x' ? 0 : 104;
    });
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, 0) << "102: the read failed with EINTR\n" << result.stderrText;
}
