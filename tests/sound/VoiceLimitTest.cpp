// What happens when more voices are asked for than the service keeps.
#include "SoundTestSupport.h"

#include <vector>

namespace {

class Voices : public LoopbackTest {
protected:
  // Takes every voice with a sounding loop.
  std::vector<std::shared_ptr<TChannel>> FillAll(const std::shared_ptr<TSound>& sound) {
    std::vector<std::shared_ptr<TChannel>> all;
    for (int i = 0; i < SoundDevice::MAX_VOICES; ++i) {
      auto channel = sound->Play();
      EXPECT_TRUE(channel) << "voice " << i;
      channel->SetVolume(0.02f);
      all.push_back(channel);
    }
    return all;
  }
};

TEST_F(Voices, OneMoreThanTheLimitGivesNullAndOneLine) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto all = FillAll(sound);
  EXPECT_EQ(SoundDevice::MAX_VOICES, SoundDevice::GetVoicesInUse());

  testing::internal::CaptureStderr();
  EXPECT_FALSE(sound->Play());
  EXPECT_FALSE(sound->Cue());
  EXPECT_FALSE(sound->Play(std::make_shared<TChannel>()));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;

  // Those already playing go on, and restarting one on its own channel still works.
  EXPECT_EQ(all[3], sound->Play(all[3]));
  EXPECT_GT(Mix::Render(0.1f).Peak(), 0.01f);
  for (auto& channel : all) EXPECT_EQ(1, channel->Playing());
}

TEST_F(Voices, StopGivesAVoiceBack) {
  auto sound = LoadOrFail(tones().tone441, TSound::LOOP);
  auto all = FillAll(sound);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sound->Play());
  testing::internal::GetCapturedStderr();
  all[0]->Stop();
  auto next = sound->Play();
  EXPECT_TRUE(next);
  EXPECT_FALSE(all[0]->HasVoice());
}

TEST_F(Voices, ADroppedChannelGivesItsVoiceBackWhenItsSoundEnds) {
  auto loop = LoadOrFail(tones().tone441, TSound::LOOP);
  auto shot = LoadOrFail(tones().shortTone, 2);
  auto all = FillAll(loop);
  all.back()->Stop();
  all.pop_back();
  ASSERT_TRUE(shot->Play());  // dropped at once: the last voice sounds on for 0.25 s
  testing::internal::CaptureStderr();
  EXPECT_FALSE(loop->Play());
  testing::internal::GetCapturedStderr();
  Mix::Skip(0.4f);
  EXPECT_TRUE(loop->Play());
}

TEST_F(Voices, AChannelWhoseOneShotEndedLendsItsVoiceAndTakesOneWhenPlayed) {
  auto loop = LoadOrFail(tones().tone441, TSound::LOOP);
  auto shot = LoadOrFail(tones().shortTone, 2);
  auto kept = shot->Play();  // kept, like a tank's shot channel
  kept->SetVolume(0.25f);
  std::vector<std::shared_ptr<TChannel>> others;
  for (int i = 1; i < SoundDevice::MAX_VOICES; ++i) others.push_back(loop->Play());
  Mix::Skip(0.4f);  // the shot has ended
  ASSERT_EQ(0, kept->Playing());

  auto borrower = loop->Play();
  ASSERT_TRUE(borrower);
  EXPECT_FALSE(kept->HasVoice());
  EXPECT_EQ(0, kept->SetVolume(0.5f));  // still a channel: settings are kept

  borrower->Stop();
  EXPECT_EQ(kept, shot->Play(kept));
  EXPECT_EQ(1, kept->Playing());
  EXPECT_EQ(0.5f, kept->GetVolume());
}

TEST_F(Voices, CuedChannelsKeepTheirVoices) {
  auto sound = LoadOrFail(tones().shortTone, 2);
  std::vector<std::shared_ptr<TChannel>> cued;
  for (int i = 0; i < SoundDevice::MAX_VOICES; ++i) cued.push_back(sound->Cue());
  Mix::Skip(0.5f);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sound->Play());
  testing::internal::GetCapturedStderr();
  for (auto& channel : cued) EXPECT_TRUE(channel->HasVoice());
}

}  // namespace
