// TChannel: one voice with its own volume, rate, pan and depth.
#include "sound/Sound.h"

#include <AL/al.h>

#include <algorithm>
#include <cmath>

#include "sound/SoundDevice.h"

namespace {
const float kMaxRate = 16.0f;
}

TChannel::~TChannel() {
  if (Source()) SoundDevice::DisownVoice(voice);
}

unsigned TChannel::Source() const {
  if (voice < 0 || generation != SoundDevice::GetGeneration()) return 0;
  return SoundDevice::SourceOf(voice);
}

int TChannel::HasVoice() const { return Source() != 0 ? 1 : 0; }

int TChannel::TakeVoice() {
  if (Source()) return 1;
  voice = SoundDevice::AcquireVoice(this);
  if (voice < 0) return 0;
  generation = SoundDevice::GetGeneration();
  ApplySettings();
  return 1;
}

void TChannel::ApplySettings() {
  ALuint source = Source();
  if (!source) return;
  alSourcef(source, AL_GAIN, volume);
  alSourcef(source, AL_PITCH, rate);
  ApplyPosition();
}

// The source stands on the front half circle at the pan's angle (pan -1 hard left,
// 0 straight ahead, 1 hard right), 1 + depth units away.
void TChannel::ApplyPosition() {
  ALuint source = Source();
  if (!source) return;
  float distance = 1.0f + depth;
  float x = pan;
  float z = -std::sqrt(std::max(0.0f, 1.0f - pan * pan));
  alSource3f(source, AL_POSITION, x * distance, 0.0f, z * distance);
}

int TChannel::Stop() {
  if (Source()) SoundDevice::ReleaseVoice(voice);
  voice = -1;
  held = false;
  waiting.reset();
  return 0;
}

int TChannel::SetPaused(int paused) {
  held = paused != 0;
  // A cue made before the device opened starts now, opening it.
  if (!held && waiting && !Source()) {
    const std::shared_ptr<TSound> sound = waiting;
    sound->Begin(*this, false);
    return 0;
  }
  ALuint source = Source();
  if (!source) return 0;  // remembered for the next Play
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  if (held && state == AL_PLAYING) alSourcePause(source);
  // A cued (initial) or paused source starts; one whose sound has ended stays ended.
  if (!held && (state == AL_PAUSED || state == AL_INITIAL)) alSourcePlay(source);
  return 0;
}

int TChannel::SetVolume(float v) {
  if (std::isnan(v)) return -1;
  v = std::min(1.0f, std::max(0.0f, v));
  if (v == volume) return 0;  // engines set theirs every frame
  volume = v;
  if (ALuint source = Source()) alSourcef(source, AL_GAIN, volume);
  return 0;
}

int TChannel::SetRate(float r) {
  if (!(r > 0.0f)) return -1;  // also refuses NaN
  r = std::min(kMaxRate, r);
  if (r == rate) return 0;
  rate = r;
  if (ALuint source = Source()) alSourcef(source, AL_PITCH, rate);
  return 0;
}

int TChannel::SetPan(float p) {
  if (std::isnan(p)) return -1;
  p = std::min(1.0f, std::max(-1.0f, p));
  if (p == pan) return 0;
  pan = p;
  ApplyPosition();
  return 0;
}

int TChannel::SetDepth(float d) {
  if (std::isnan(d)) return -1;
  d = std::max(0.0f, d);
  if (std::isinf(d)) d = 1e6f;  // far enough to be silent, still a finite position
  if (d == depth) return 0;
  depth = d;
  ApplyPosition();
  return 0;
}

int TChannel::Playing() {
  ALuint source = Source();
  if (!source) return 0;
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING ? 1 : 0;
}
