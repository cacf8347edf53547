// The device's life: opening on first use, the silent fallback, shutting down under
// live sounds and channels.
#include "SoundTestSupport.h"

#include <chrono>
#include <thread>

namespace {

class DeviceLife : public ::testing::Test {
protected:
  void SetUp() override {
    TestTones::Get();
    SoundDevice::Shutdown();
  }
  void TearDown() override { SoundDevice::Shutdown(); }
  const TestTones& tones() const { return TestTones::Get(); }
};

// Waits, with a generous guard against hanging, until the channel has stopped.
bool EndsWithin(TChannel& channel, std::chrono::seconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (channel.Playing()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST_F(DeviceLife, OpensWhenASoundFirstStartsWithAtMostOneLineOfItsOwn) {
  EXPECT_EQ(SoundDevice::CLOSED, SoundDevice::GetKind());
  testing::internal::CaptureStderr();
  auto sound = TSound::Load(tones().shortTone, TSound::LOOP);
  ASSERT_TRUE(sound);
  // Loading and cueing hold no device yet: the cue waits with its sound.
  auto cued = sound->Cue();
  ASSERT_TRUE(cued);
  EXPECT_EQ(SoundDevice::CLOSED, SoundDevice::GetKind());
  EXPECT_FALSE(cued->Playing());
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  // Starting the cue opens the device, and it plays.
  testing::internal::CaptureStderr();
  cued->SetPaused(0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(cued->HasVoice());
  EXPECT_TRUE(cued->Playing());
  cued->Stop();
  int kind = SoundDevice::GetKind();
  ASSERT_TRUE(kind == SoundDevice::OUTPUT || kind == SoundDevice::SILENT) << kind;
  if (kind == SoundDevice::SILENT) {
    EXPECT_EQ("sound: no output device; sound runs silently\n", err);
    EXPECT_EQ(SoundDevice::SILENT_SAMPLE_RATE, SoundDevice::GetSampleRate());
  }
  // Opening again changes nothing and says nothing.
  testing::internal::CaptureStderr();
  EXPECT_EQ(1, SoundDevice::Open());
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
}

TEST_F(DeviceLife, OneShotEndsOnItsOwnWithoutAnyoneRendering) {
  testing::internal::CaptureStderr();
  auto sound = TSound::Load(tones().shortTone, 2);
  testing::internal::GetCapturedStderr();
  ASSERT_TRUE(sound);
  auto channel = sound->Play();
  ASSERT_TRUE(channel);
  EXPECT_TRUE(EndsWithin(*channel, std::chrono::seconds(10)));

  // and a loop does not end
  auto loop = TSound::Load(tones().shortTone, TSound::LOOP);
  auto engine = loop->Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(1, engine->Playing());
  EXPECT_EQ(0, engine->SetRate(2.0f));
  EXPECT_EQ(0, engine->SetVolume(0.3f));
}

TEST_F(DeviceLife, ShutdownWhileSoundsPlayLeavesInertHandlesThatWorkOnTheNextDevice) {
  ASSERT_EQ(1, SoundDevice::OpenLoopbackForTest(TestTones::kRate));
  auto sound = TSound::Load(tones().tone441, TSound::LOOP);
  ASSERT_TRUE(sound);
  auto channel = sound->Play();
  channel->SetVolume(0.5f);
  sound->Play();  // a dropped channel, still sounding
  unsigned before = SoundDevice::GetGeneration();

  SoundDevice::Shutdown();
  EXPECT_NE(before, SoundDevice::GetGeneration());
  EXPECT_EQ(SoundDevice::CLOSED, SoundDevice::GetKind());
  EXPECT_EQ(0, channel->Playing());
  EXPECT_EQ(0, channel->HasVoice());
  EXPECT_EQ(0, channel->SetRate(1.5f));
  EXPECT_EQ(0, channel->SetPaused(0));
  EXPECT_EQ(0, channel->Stop());
  float buffer[8];
  EXPECT_EQ(-1, SoundDevice::Render(buffer, 4));

  ASSERT_EQ(1, SoundDevice::OpenLoopbackForTest(TestTones::kRate));
  EXPECT_EQ(channel, sound->Play(channel));  // the sound uploads itself again
  EXPECT_EQ(1.5f, channel->GetRate());
  EXPECT_GT(Mix::Render(0.1f).Peak(), 0.05f);
}

TEST_F(DeviceLife, SoundsAndChannelsMayDieInAnyOrder) {
  ASSERT_EQ(1, SoundDevice::OpenLoopbackForTest(TestTones::kRate));
  {
    auto sound = TSound::Load(tones().tone441, TSound::LOOP);
    auto channel = sound->Play();
    sound.reset();  // the channel keeps it alive while bound
    EXPECT_GT(Mix::Render(0.1f).Peak(), 0.1f);
  }
  EXPECT_LT(Mix::Render(0.1f).Slice(0.02f, 0.1f).Peak(), kSilence);
  {
    auto sound = TSound::Load(tones().tone441, 2);
    auto channel = sound->Cue();
    channel.reset();  // a cue nobody holds gives its voice back
    EXPECT_EQ(0, SoundDevice::GetVoicesInUse());
  }
  auto survivor = TSound::Load(tones().tone441, 2);
  auto channel = survivor->Cue();
  SoundDevice::Shutdown();
  survivor.reset();
  channel.reset();
}

TEST_F(DeviceLife, RenderRefusesWithoutATestLoopback) {
  float buffer[8];
  EXPECT_EQ(-1, SoundDevice::Render(buffer, 4));
  ASSERT_EQ(1, SoundDevice::OpenLoopbackForTest(TestTones::kRate));
  EXPECT_EQ(TestTones::kRate, SoundDevice::GetSampleRate());
  EXPECT_EQ(0, SoundDevice::Render(buffer, 4));
  EXPECT_EQ(-1, SoundDevice::Render(nullptr, 4));
  EXPECT_EQ(0, SoundDevice::Render(nullptr, 0));
}

}  // namespace
