// Shared by the sound tests: generated tone files, a loopback device per test, and
// measurements of the rendered mix.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/Sound.h"
#include "sound/SoundDevice.h"

// Tone files written once for the whole test program, removed at its end.
struct TestTones {
  static constexpr int kRate = 44100;
  std::string dir;
  std::string tone441;       // 441 Hz, 2 s, amplitude 0.25
  std::string tone882;       // 882 Hz, 2 s
  std::string shortTone;     // 441 Hz, 0.25 s
  std::string stereoTone;    // 441 Hz, 0.5 s, two channels
  std::string noise;         // 2 s of noise: many audio pages, for cutting and damaging
  static const TestTones& Get();
};

// Opens the test loopback before each test and shuts the device down after it.
class LoopbackTest : public ::testing::Test {
protected:
  static constexpr int kRate = TestTones::kRate;
  void SetUp() override;
  void TearDown() override;

  const TestTones& tones() const { return TestTones::Get(); }
  std::shared_ptr<TSound> LoadOrFail(const std::string& path, int flags);
};

// A stretch of rendered stereo mix.
class Mix {
public:
  // Renders the next `seconds` of the loopback device.
  static Mix Render(float seconds);
  // Renders and throws away.
  static void Skip(float seconds);

  float Peak() const;               // largest |sample| over both channels
  float Rms(int channel) const;     // 0 left, 1 right
  int ZeroCrossings() const;        // of the left channel, with hysteresis against noise
  // Part of the mix from `from` to `to` seconds into this stretch.
  Mix Slice(float from, float to) const;
  float Seconds() const { return static_cast<float>(frames.size() / 2) / TestTones::kRate; }

private:
  std::vector<float> frames;  // interleaved left, right
};

// Silence in the loopback mix: far below the quietest test tone.
const float kSilence = 1e-4f;
