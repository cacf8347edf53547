#include <gtest/gtest.h>

#include <vector>

#include "framework/Clock.h"
#include "framework/FrameCap.h"
#include "framework/Framerate.h"

class FrameCapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Install();
        cap.SetWaiter([this](uint32_t ms) {
            waits.push_back(ms);
            clock.Advance(ms);
        });
    }
    void TearDown() override { GameClock::SetSource(nullptr); }

    // Runs frames of `workMs` each under the cap for `totalMs` of game time, measuring each
    // one as the main loop does; returns the frames run and the summed speed factor.
    std::pair<int, double> Run(uint32_t workMs, uint32_t totalMs)
    {
        TFramerate rate;
        rate.framedelay = clock.Now();
        const uint32_t start = clock.Now();
        int frames = 0;
        double speed = 0.0;
        while (clock.Now() - start < totalMs) {
            rate.SetSpeedFactor();
            speed += rate.speedfactor;
            clock.Advance(workMs);
            cap.Wait();
            ++frames;
        }
        return {frames, speed};
    }

    GameClock::ManualClock clock{0xFFFFF000u};  // wraps a few seconds in
    TFrameCap cap;
    std::vector<uint32_t> waits;
};

TEST_F(FrameCapTest, WaitsOutTheRestOfEachFrameAndKeepsTheAverageRate)
{
    cap.SetRate(60);
    const auto [frames, speed] = Run(4, 10000);
    // 4 ms of work leaves 12 or 13 ms of each 16.7 ms frame to wait.
    for (size_t i = 1; i < waits.size(); ++i) {
        EXPECT_GE(waits[i], 12u);
        EXPECT_LE(waits[i], 13u);
    }
    EXPECT_NEAR(frames, 600, 1);
    // The speed factor comes from the measured time: one per target frame of time.
    EXPECT_NEAR(speed, 600.0, 1.0);

    waits.clear();
    cap.SetRate(144);  // 6.94 ms: the millisecond waits alternate to keep the average
    const auto [frames144, speed144] = Run(2, 10000);
    EXPECT_NEAR(frames144, 1440, 2);
    EXPECT_NEAR(speed144, 600.0, 1.0);
}

TEST_F(FrameCapTest, AnOverrunFrameIsNotWaitedForAndTheCadenceRecovers)
{
    cap.SetRate(60);
    cap.Wait();  // the first frame starts the cadence
    clock.Advance(20);
    EXPECT_EQ(cap.Wait(), 0u);  // 20 ms into a 16.7 ms frame
    clock.Advance(5);           // the next frame ends on the cadence, at 33.3 ms
    EXPECT_EQ(cap.Wait(), 9u);
    clock.Advance(100);  // far behind: a fresh cadence from here
    EXPECT_EQ(cap.Wait(), 0u);
    clock.Advance(2);
    EXPECT_EQ(cap.Wait(), 15u);
}

TEST_F(FrameCapTest, NoCapNeverWaitsAndChangesNothing)
{
    cap.SetRate(0);
    const auto [frames, speed] = Run(4, 1000);
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(frames, 250);
    EXPECT_NEAR(speed, 249 * 4 / (1000.0 / 60), 0.001);  // up to the last frame's start
    cap.SetRate(-1);
    EXPECT_EQ(cap.Rate(), 0);
}

TEST(FrameCapSleep, TheDefaultWaiterWaitsAtLeastTheTimeAsked)
{
    GameClock::SetSource(nullptr);
    const uint32_t start = GameClock::Milliseconds();
    TFrameCap::SleepThenYield(5);
    EXPECT_GE(GameClock::Milliseconds() - start, 5u);
}
