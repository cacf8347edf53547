#include <gtest/gtest.h>

#include <cstring>

#include "framework/Clock.h"
#include "framework/Framerate.h"

class FramerateTest : public ::testing::Test {
protected:
    void SetUp() override { clock.Install(); }
    void TearDown() override { GameClock::SetSource(nullptr); }

    // A limiter whose previous iteration started now, then one iteration of `ms`.
    void Measure(TFramerate& rate, uint32_t ms)
    {
        rate.framedelay = clock.Now();
        clock.Advance(ms);
        rate.SetSpeedFactor();
    }

    GameClock::ManualClock clock{5000};
};

TEST_F(FramerateTest, SpeedFactorCountsTargetFrames)
{
    TFramerate rate;
    Measure(rate, 33);
    EXPECT_NEAR(rate.speedfactor, 1.98f, 1e-5f);
    EXPECT_NEAR(rate.fps, 30.3f, 0.01f);
}

TEST_F(FramerateTest, SpeedFactorIsWorkedOutInDoubleAndRoundedToFloatOnce)
{
    // 16 / (1000 / 60) is 0.96 and 35 / (1000 / 60) is 2.1: the nearest floats. Worked out
    // in single precision they come out one step above (0.96000004, 2.1000001).
    TFramerate rate;
    Measure(rate, 16);
    EXPECT_EQ(rate.speedfactor, 0.96f);
    EXPECT_EQ(rate.fps, 60.0f / 0.96f);
    Measure(rate, 35);
    EXPECT_EQ(rate.speedfactor, 2.1f);
}

TEST_F(FramerateTest, ZeroMillisecondsGivesTheFloorNeverZero)
{
    TFramerate rate;
    Measure(rate, 0);
    uint32_t bits = 0;
    std::memcpy(&bits, &rate.speedfactor, sizeof bits);
    EXPECT_EQ(bits, 0x2EDBE6FFu);
    EXPECT_NEAR(rate.fps, 6e11f, 1e10f);
}

TEST_F(FramerateTest, TargetZeroFreezesMotion)
{
    TFramerate rate;
    rate.SetTargetFPS(0);
    Measure(rate, 16);
    EXPECT_FLOAT_EQ(rate.speedfactor, 1e-10f);
    EXPECT_EQ(rate.fps, 0.0f);
}

TEST_F(FramerateTest, ClockWrapStillYieldsTheTrueElapsedTime)
{
    TFramerate rate;
    clock.Set(0xFFFFFFF0u);
    rate.framedelay = clock.Now();
    clock.Advance(0x20);  // wraps past 2^32
    rate.SetSpeedFactor();
    EXPECT_NEAR(rate.speedfactor, 32.0f / (1000.0f / 60.0f), 1e-5f);
    EXPECT_EQ(rate.framedelay, 0x10u);
}

TEST_F(FramerateTest, FirstFactorCoversTheTimeSinceConstruction)
{
    TFramerate rate;  // framedelay = now
    clock.Advance(50);
    rate.SetSpeedFactor();
    EXPECT_NEAR(rate.speedfactor, 3.0f, 1e-5f);
}

TEST_F(FramerateTest, PauseTwiceRestoresTheTargetExactly)
{
    TFramerate rate;
    rate.SetTargetFPS(63.7f);
    rate.Pause();
    EXPECT_EQ(rate.IsPaused(), 1);
    EXPECT_EQ(rate.GetTargetFPS(), 0.0f);
    Measure(rate, 20);
    EXPECT_FLOAT_EQ(rate.speedfactor, 1e-10f);
    rate.Pause();
    EXPECT_EQ(rate.IsPaused(), 0);
    EXPECT_EQ(rate.GetTargetFPS(), 63.7f);
}

TEST_F(FramerateTest, FpsLineUsesNineSignificantDigits)
{
    TFramerate rate;
    rate.fps = 59.5f;
    rate.targetfps = 60.0f;
    EXPECT_EQ(rate.FpsLine(), "FPS : 59.5000000 TargetFPS : 60.0000000");
    testing::internal::CaptureStdout();
    rate.printfps();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FPS : 59.5000000 TargetFPS : 60.0000000\n");
}

TEST_F(FramerateTest, AZeroStepFreezesTheFrameUnderWayAndTheNextCountsFromIt)
{
    TFramerate rate;
    clock.Advance(400);  // a long frame: the loading of a match, say
    GameClock::BeginFrame();
    rate.SetSpeedFactor();
    EXPECT_GT(rate.speedfactor, 20.0f);
    rate.ZeroStep();
    EXPECT_FLOAT_EQ(rate.speedfactor, 1e-10f);
    GameClock::EndFrame();
    clock.Advance(33);
    rate.SetSpeedFactor();
    EXPECT_NEAR(rate.speedfactor, 1.98f, 1e-4f);
}
