// Shared by the sound tests: generated tone files, a loopback device per test, and
// measurements of the rendered mix.
#include "SoundTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "OggToneWriter.h"

namespace {

TestTones* g_tones = nullptr;

void RemoveTones() {
  if (g_tones) RemoveDir(g_tones->dir);
  delete g_tones;
  g_tones = nullptr;
}

}  // namespace

const TestTones& TestTones::Get() {
  if (!g_tones) {
    g_tones = new TestTones;
    TestTones& t = *g_tones;
    t.dir = MakeTempDir("vexmoor_sound_test_");
    if (t.dir.empty()) {
      ADD_FAILURE() << "cannot make a temporary directory";
      return t;
    }
    t.tone441 = t.dir + "/tone441.ogg";
    t.tone882 = t.dir + "/tone882.ogg";
    t.shortTone = t.dir + "/short.ogg";
    t.stereoTone = t.dir + "/stereo.ogg";
    t.noise = t.dir + "/noise.ogg";
    bool ok = WriteOggTone(t.tone441, 441.0f, 2.0f, kRate) && WriteOggTone(t.tone882, 882.0f, 2.0f, kRate) &&
              WriteOggTone(t.shortTone, 441.0f, 0.25f, kRate) &&
              WriteOggTone(t.stereoTone, 441.0f, 0.5f, kRate, 0.25f, 2) && WriteOggNoise(t.noise, 2.0f, kRate);
    if (!ok) ADD_FAILURE() << "cannot write the test tones in " << t.dir;
    std::atexit(RemoveTones);
  }
  return *g_tones;
}

void LoopbackTest::SetUp() {
  TestTones::Get();  // written before the device opens
  ASSERT_EQ(1, SoundDevice::OpenLoopbackForTest(kRate));
  ASSERT_EQ(SoundDevice::TEST_LOOPBACK, SoundDevice::GetKind());
}

void LoopbackTest::TearDown() { SoundDevice::Shutdown(); }

std::shared_ptr<TSound> LoopbackTest::LoadOrFail(const std::string& path, int flags) {
  std::shared_ptr<TSound> sound = TSound::Load(path, flags);
  EXPECT_TRUE(sound) << path;
  return sound;
}

Mix Mix::Render(float seconds) {
  Mix mix;
  int count = static_cast<int>(seconds * TestTones::kRate);
  mix.frames.assign(static_cast<size_t>(count) * 2, 0.0f);
  // In small blocks, as a real device would ask.
  const int block = 512;
  for (int done = 0; done < count; done += block) {
    int n = std::min(block, count - done);
    EXPECT_EQ(0, SoundDevice::Render(mix.frames.data() + 2 * done, n));
  }
  return mix;
}

void Mix::Skip(float seconds) { Render(seconds); }

float Mix::Peak() const {
  float peak = 0.0f;
  for (float s : frames) peak = std::max(peak, std::fabs(s));
  return peak;
}

float Mix::Rms(int channel) const {
  double sum = 0.0;
  size_t n = frames.size() / 2;
  for (size_t i = 0; i < n; ++i) sum += double(frames[2 * i + channel]) * frames[2 * i + channel];
  return n ? static_cast<float>(std::sqrt(sum / n)) : 0.0f;
}

int Mix::ZeroCrossings() const {
  float threshold = 0.1f * Peak();
  int crossings = 0;
  int side = 0;  // -1 below -threshold, +1 above +threshold
  for (size_t i = 0; i < frames.size(); i += 2) {
    float s = frames[i];
    int now = s > threshold ? 1 : s < -threshold ? -1 : 0;
    if (now != 0 && side != 0 && now != side) ++crossings;
    if (now != 0) side = now;
  }
  return crossings;
}

Mix Mix::Slice(float from, float to) const {
  Mix part;
  size_t n = frames.size() / 2;
  size_t a = std::min(n, static_cast<size_t>(from * TestTones::kRate));
  size_t b = std::min(n, static_cast<size_t>(to * TestTones::kRate));
  if (b > a) part.frames.assign(frames.begin() + 2 * a, frames.begin() + 2 * b);
  return part;
}
