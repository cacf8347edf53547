// What the mix sounds like as channels are cued, played, paused, stopped and adjusted.
#include "SoundTestSupport.h"

#include <cmath>

namespace {

class CuedChannel : public LoopbackTest {};

TEST_F(CuedChannel, IsSilentUntilPlayed) {
  auto sound = LoadOrFail(tones().tone441, 2);
  auto channel = sound->Cue();
  ASSERT_TRUE(channel);
  EXPECT_EQ(0, channel->Playing());
  EXPECT_LT(Mix::Render(0.5f).Peak(), kSilence);

  EXPECT_EQ(channel, sound->Play(channel));
  EXPECT_EQ(1, channel->Playing());
  EXPECT_GT(Mix::Render(0.2f).Peak(), 0.1f);
}

TEST_F(CuedChannel, SettingsMadeAfterCueAreHeardFromTheFirstSample) {
  auto sound = LoadOrFail(tones().tone441, 2);
  auto loud = sound->Play();
  float full = Mix::Render(0.3f).Slice(0.0f, 0.1f).Peak();
  loud->Stop();

  auto channel = sound->Cue();
  channel->SetVolume(0.5f);
  sound->Play(channel);
  float half = Mix::Render(0.3f).Slice(0.0f, 0.1f).Peak();
  EXPECT_NEAR(0.5f, half / full, 0.05f);
}

TEST_F(CuedChannel, ResumingACueStartsTheSound) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP | TSound::HARDWARE);
  auto engine = sound->Cue();
  EXPECT_EQ(0, engine->SetPaused(0));
  EXPECT_EQ(1, engine->Playing());
  EXPECT_GT(Mix::Render(0.2f).Peak(), 0.1f);
}

TEST_F(CuedChannel, PlayedTwiceInQuickSuccessionSoundsOnce) {
  auto sound = LoadOrFail(tones().tone441, 2);
  auto channel = sound->Cue();
  float single = [&] {
    auto alone = sound->Play();
    float peak = Mix::Render(0.2f).Peak();
    alone->Stop();
    return peak;
  }();

  sound->Play(channel);
  sound->Play(channel);
  float twice = Mix::Render(0.2f).Peak();
  EXPECT_NEAR(single, twice, 0.1f * single);
}

class NewChannels : public LoopbackTest {};

TEST_F(NewChannels, PlaysWithoutAChannelOverlap) {
  auto sound = LoadOrFail(tones().tone441, 2);
  auto first = sound->Play();
  float single = Mix::Render(0.2f).Peak();
  first->Stop();

  auto a = sound->Play();
  auto b = sound->Play();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  float both = Mix::Render(0.2f).Peak();
  EXPECT_NEAR(2.0f, both / single, 0.15f);
}

TEST_F(NewChannels, ADroppedChannelPlaysItsSoundToTheEnd) {
  auto sound = LoadOrFail(tones().shortTone, 2);
  sound->Play();  // the game fires and forgets
  EXPECT_GT(Mix::Render(0.2f).Peak(), 0.1f);
  EXPECT_EQ(1, SoundDevice::GetVoicesInUse());
  Mix::Skip(0.1f);  // past its 0.25 s
  EXPECT_LT(Mix::Render(0.2f).Peak(), kSilence);
  EXPECT_EQ(0, SoundDevice::GetVoicesInUse());
}

class LoopingAndOneShot : public LoopbackTest {};

TEST_F(LoopingAndOneShot, LoopKeepsSoundingPastItsLength) {
  auto sound = LoadOrFail(tones().shortTone, TSound::LOOP | TSound::HARDWARE);
  auto channel = sound->Play();
  Mix mix = Mix::Render(4.0f * sound->GetDuration());
  EXPECT_GT(mix.Slice(3.0f * sound->GetDuration(), 4.0f * sound->GetDuration()).Peak(), 0.1f);
  EXPECT_EQ(1, channel->Playing());
}

TEST_F(LoopingAndOneShot, OneShotStopsAtItsEnd) {
  auto sound = LoadOrFail(tones().shortTone, TSound::HARDWARE);
  EXPECT_NEAR(0.25f, sound->GetDuration(), 0.01f);
  auto channel = sound->Play();
  Mix mix = Mix::Render(2.0f * sound->GetDuration());
  EXPECT_GT(mix.Slice(0.0f, 0.2f).Peak(), 0.1f);
  EXPECT_LT(mix.Slice(0.3f, 0.5f).Peak(), kSilence);
  EXPECT_EQ(0, channel->Playing());
}

TEST_F(LoopingAndOneShot, FinishedChannelPlaysAgainWithItsSettings) {
  auto sound = LoadOrFail(tones().shortTone, 2);
  auto channel = sound->Play();
  float full = Mix::Render(0.1f).Peak();
  Mix::Skip(0.4f);
  ASSERT_EQ(0, channel->Playing());

  channel->SetVolume(0.5f);
  EXPECT_EQ(channel, sound->Play(channel));
  EXPECT_EQ(1, channel->Playing());
  EXPECT_NEAR(0.5f, Mix::Render(0.1f).Peak() / full, 0.05f);
}

class ChannelSettings : public LoopbackTest {};

TEST_F(ChannelSettings, RateTwoDoublesTheFrequency) {
  auto sound = LoadOrFail(tones().tone441, 2);
  auto normal = sound->Play();
  int base = Mix::Render(0.5f).ZeroCrossings();
  normal->Stop();

  auto fast = sound->Cue();
  EXPECT_EQ(0, fast->SetRate(2.0f));
  sound->Play(fast);
  int doubled = Mix::Render(0.5f).ZeroCrossings();
  EXPECT_NEAR(441, base, 5);  // 441 Hz has 441 crossings in half a second
  EXPECT_NEAR(2.0, double(doubled) / base, 0.05);
}

TEST_F(ChannelSettings, RateChangesWhilePlaying) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto engine = sound->Play();
  int base = Mix::Render(0.25f).ZeroCrossings();
  engine->SetRate(1.5f);
  Mix::Skip(0.02f);  // let the change settle
  int faster = Mix::Render(0.25f).ZeroCrossings();
  EXPECT_NEAR(1.5, double(faster) / base, 0.05);
}

TEST_F(ChannelSettings, VolumeHalfHalvesTheAmplitude) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto channel = sound->Play();
  float full = Mix::Render(0.2f).Rms(0);
  EXPECT_EQ(0, channel->SetVolume(0.5f));
  Mix::Skip(0.02f);
  float half = Mix::Render(0.2f).Rms(0);
  EXPECT_NEAR(0.5f, half / full, 0.03f);
}

TEST_F(ChannelSettings, VolumeZeroSilences) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto channel = sound->Cue();
  channel->SetVolume(0.0f);
  channel->SetPaused(0);
  EXPECT_LT(Mix::Render(0.2f).Peak(), kSilence);
  EXPECT_EQ(1, channel->Playing());
}

TEST_F(ChannelSettings, PanMovesTheSoundBetweenSpeakers) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto channel = sound->Cue();
  channel->SetPan(-1.0f);
  channel->SetPaused(0);
  Mix left = Mix::Render(0.2f);
  EXPECT_GT(left.Rms(0), 4.0f * left.Rms(1));

  channel->SetPan(1.0f);
  Mix::Skip(0.02f);
  Mix right = Mix::Render(0.2f);
  EXPECT_GT(right.Rms(1), 4.0f * right.Rms(0));

  channel->SetPan(0.0f);
  Mix::Skip(0.02f);
  Mix centre = Mix::Render(0.2f);
  EXPECT_NEAR(1.0f, centre.Rms(0) / centre.Rms(1), 0.02f);
}

TEST_F(ChannelSettings, DepthOneHalvesTheAmplitude) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto channel = sound->Play();
  float near = Mix::Render(0.2f).Rms(0);
  EXPECT_EQ(0, channel->SetDepth(1.0f));
  Mix::Skip(0.02f);
  float far = Mix::Render(0.2f).Rms(0);
  EXPECT_NEAR(0.5f, far / near, 0.03f);
}

TEST_F(ChannelSettings, OutOfRangeValuesAreClampedAndNonsenseRefused) {
  auto sound = LoadOrFail(tones().tone441, 2);
  auto channel = sound->Cue();
  EXPECT_EQ(0, channel->SetVolume(3.0f));
  EXPECT_EQ(1.0f, channel->GetVolume());
  EXPECT_EQ(0, channel->SetPan(-7.0f));
  EXPECT_EQ(-1.0f, channel->GetPan());
  EXPECT_EQ(0, channel->SetDepth(-1.0f));
  EXPECT_EQ(0.0f, channel->GetDepth());
  EXPECT_EQ(0, channel->SetRate(100.0f));
  EXPECT_EQ(16.0f, channel->GetRate());

  EXPECT_EQ(-1, channel->SetRate(0.0f));
  EXPECT_EQ(-1, channel->SetRate(-1.0f));
  EXPECT_EQ(-1, channel->SetRate(std::nanf("")));
  EXPECT_EQ(-1, channel->SetVolume(std::nanf("")));
  EXPECT_EQ(16.0f, channel->GetRate());
  EXPECT_EQ(1.0f, channel->GetVolume());
}

class Pausing : public LoopbackTest {};

TEST_F(Pausing, LoopPlayedOnAPausedChannelStaysSilentUntilResumed) {
  auto sound = LoadOrFail(tones().shortTone, TSound::LOOP | TSound::HARDWARE);
  auto channel = std::make_shared<TChannel>();
  EXPECT_EQ(0, channel->SetPaused(1));
  EXPECT_EQ(channel, sound->Play(channel));
  EXPECT_EQ(0, channel->Playing());
  EXPECT_LT(Mix::Render(3.0f * sound->GetDuration()).Peak(), kSilence);

  EXPECT_EQ(0, channel->SetPaused(0));
  EXPECT_EQ(1, channel->Playing());
  EXPECT_GT(Mix::Render(3.0f * sound->GetDuration()).Slice(0.5f, 0.75f).Peak(), 0.1f);
}

TEST_F(Pausing, PauseHoldsALoopAndResumeContinuesIt) {
  auto sound = LoadOrFail(tones().shortTone, TSound::LOOP);
  auto channel = sound->Play();
  Mix::Skip(0.1f);
  channel->SetPaused(1);
  EXPECT_EQ(1, channel->IsPaused());
  EXPECT_EQ(0, channel->Playing());
  Mix::Skip(0.02f);
  EXPECT_LT(Mix::Render(1.0f).Peak(), kSilence);

  sound->Play(channel);  // a replay keeps the pause
  EXPECT_LT(Mix::Render(0.2f).Peak(), kSilence);

  channel->SetPaused(0);
  EXPECT_GT(Mix::Render(0.2f).Peak(), 0.1f);
}

TEST_F(Pausing, ResumingAFinishedOneShotDoesNotRestartIt) {
  auto sound = LoadOrFail(tones().shortTone, 2);
  auto channel = sound->Play();
  Mix::Skip(0.4f);
  channel->SetPaused(0);
  EXPECT_EQ(0, channel->Playing());
  EXPECT_LT(Mix::Render(0.2f).Peak(), kSilence);
}

class StopAndReplace : public LoopbackTest {};

TEST_F(StopAndReplace, StopSilencesAndPlayOnTheSameChannelWorksAgain) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto channel = sound->Play();
  channel->SetVolume(0.5f);
  Mix::Skip(0.1f);
  EXPECT_EQ(0, channel->Stop());
  EXPECT_EQ(0, channel->Playing());
  EXPECT_EQ(0, channel->HasVoice());
  EXPECT_LT(Mix::Render(0.2f).Slice(0.01f, 0.2f).Peak(), kSilence);

  EXPECT_EQ(channel, sound->Play(channel));
  EXPECT_EQ(1, channel->Playing());
  EXPECT_EQ(0.5f, channel->GetVolume());  // kept across Stop
  EXPECT_GT(Mix::Render(0.2f).Peak(), 0.05f);
  EXPECT_EQ(0, channel->Stop());
  EXPECT_EQ(0, channel->Stop());  // stopping twice is harmless
}

TEST_F(StopAndReplace, AnotherSoundOnAChannelReplacesTheFirst) {
  auto low = LoadOrFail(tones().tone441, TSound::LOOP);
  auto high = LoadOrFail(tones().tone882, TSound::LOOP);
  auto channel = low->Play();
  float single = Mix::Render(0.2f).Peak();
  EXPECT_EQ(channel, high->Play(channel));
  Mix::Skip(0.02f);
  Mix mix = Mix::Render(0.5f);
  EXPECT_NEAR(882, mix.ZeroCrossings(), 9);
  EXPECT_NEAR(single, mix.Peak(), 0.1f * single);
}

TEST_F(StopAndReplace, StereoFilesPlayMixedDownToMono) {
  auto sound = LoadOrFail(tones().stereoTone, 2);
  EXPECT_EQ(2, sound->GetFileChannels());
  auto channel = sound->Cue();
  channel->SetPan(1.0f);
  sound->Play(channel);
  Mix mix = Mix::Render(0.3f);
  EXPECT_GT(mix.Rms(1), 4.0f * mix.Rms(0));  // pan applies as to any sound
}

}  // namespace

class MasterGain : public LoopbackTest {
protected:
  void TearDown() override {
    SoundDevice::SetMasterGain(1.0f);
    LoopbackTest::TearDown();
  }
};

TEST_F(MasterGain, ScalesTheWholeMixAndIsKeptForTheNextDevice) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto first = sound->Play();
  auto second = sound->Play();
  second->SetVolume(0.5f);
  const float full = Mix::Render(0.2f).Peak();
  SoundDevice::SetMasterGain(0.3f);
  Mix::Skip(0.05f);  // OpenAL glides to a new gain
  EXPECT_NEAR(0.3f, Mix::Render(0.2f).Peak() / full, 0.03f);
  SoundDevice::SetMasterGain(0.0f);
  Mix::Skip(0.05f);
  EXPECT_LT(Mix::Render(0.2f).Peak(), kSilence);
  SoundDevice::SetMasterGain(-2.0f);
  EXPECT_EQ(0.0f, SoundDevice::GetMasterGain());
  SoundDevice::SetMasterGain(7.0f);
  EXPECT_EQ(1.0f, SoundDevice::GetMasterGain());

  // A device opened after the gain was set starts with it.
  SoundDevice::SetMasterGain(0.5f);
  ASSERT_EQ(1, SoundDevice::OpenLoopbackForTest(kRate));
  auto again = LoadOrFail(tones().tone441, TSound::LOOP);
  auto playing = again->Play();
  const float alone = Mix::Render(0.2f).Slice(0.0f, 0.1f).Peak();
  SoundDevice::SetMasterGain(1.0f);
  Mix::Skip(0.05f);
  EXPECT_NEAR(0.5f, alone / Mix::Render(0.2f).Peak(), 0.05f);
}
