// Figures for the sound service: how long a load takes, and what the per-frame channel
// updates of the tanks' engines cost. Runs on whatever device the game would get (the
// silent loopback on a machine without sound).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "OggToneWriter.h"
#include "sound/Sound.h"
#include "sound/SoundDevice.h"

namespace {

std::string g_dir;
std::string g_twoSecondMono;   // a 220 Hz tone: few audio pages
std::string g_twoSecondNoise;  // noise: as many bits as a rich effect

void LoadOnce(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    std::shared_ptr<TSound> sound = TSound::Load(path, TSound::HARDWARE);
    if (!sound) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(sound);
  }
}
void BM_LoadTwoSecondMonoTone(benchmark::State& state) { LoadOnce(state, g_twoSecondMono); }
void BM_LoadTwoSecondMonoNoise(benchmark::State& state) { LoadOnce(state, g_twoSecondNoise); }
BENCHMARK(BM_LoadTwoSecondMonoTone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTwoSecondMonoNoise)->Unit(benchmark::kMillisecond);

// An engine's frame: a new rate and a new volume on a sounding loop.
void BM_SetRateAndVolumeChanging(benchmark::State& state) {
  auto sound = TSound::Load(g_twoSecondMono, TSound::LOOP | TSound::HARDWARE);
  auto engine = sound ? sound->Play() : nullptr;
  if (!engine) {
    state.SkipWithError("no channel");
    return;
  }
  float t = 0.0f;
  for (auto _ : state) {
    t += 0.001f;
    if (t > 1.0f) t = 0.0f;
    engine->SetRate(0.85f + 2.0f * t);
    engine->SetVolume(0.5f + 0.4f * t);
  }
  engine->Stop();
}
BENCHMARK(BM_SetRateAndVolumeChanging)->Unit(benchmark::kMicrosecond);

// The common frame: a standing tank sets the same rate and volume again.
void BM_SetRateAndVolumeUnchanged(benchmark::State& state) {
  auto sound = TSound::Load(g_twoSecondMono, TSound::LOOP | TSound::HARDWARE);
  auto engine = sound ? sound->Play() : nullptr;
  if (!engine) {
    state.SkipWithError("no channel");
    return;
  }
  for (auto _ : state) {
    engine->SetRate(0.85f);
    engine->SetVolume(0.9f);
  }
  engine->Stop();
}
BENCHMARK(BM_SetRateAndVolumeUnchanged)->Unit(benchmark::kMicrosecond);

// A shot: restart a one-shot on its own cued channel.
void BM_PlayOnCuedChannel(benchmark::State& state) {
  auto sound = TSound::Load(g_twoSecondMono, TSound::HARDWARE);
  auto channel = sound ? sound->Cue() : nullptr;
  if (!channel) {
    state.SkipWithError("no channel");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(sound->Play(channel));
  channel->Stop();
}
BENCHMARK(BM_PlayOnCuedChannel)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  g_dir = MakeTempDir("vexmoor_sound_bench_");
  g_twoSecondMono = g_dir + "/two_seconds_mono.ogg";
  g_twoSecondNoise = g_dir + "/two_seconds_noise.ogg";
  if (g_dir.empty() || !WriteOggTone(g_twoSecondMono, 220.0f, 2.0f, 44100) ||
      !WriteOggNoise(g_twoSecondNoise, 2.0f, 44100)) {
    std::fprintf(stderr, "bench_sound: cannot write the test sound\n");
    return 1;
  }
  SoundDevice::Open();
  std::printf("device: %s at %d Hz\n", SoundDevice::GetKind() == SoundDevice::OUTPUT ? "output" : "silent loopback",
              SoundDevice::GetSampleRate());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SoundDevice::Shutdown();
  RemoveDir(g_dir);
  return 0;
}
