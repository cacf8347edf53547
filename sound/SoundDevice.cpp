// The process-wide OpenAL device behind every TSound and TChannel.
#include "sound/SoundDevice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sound/Sound.h"
#include "sound/StderrCapture.h"

namespace {

// Frames our pacing thread mixes at a time: about 12 ms at 44100 Hz, so a sound's end
// is seen within a frame or so of the game, and a Play waits at most for one such mix.
const int kPaceBlock = 512;

struct Voice {
  ALuint source = 0;
  TChannel* owner = nullptr;
  std::shared_ptr<TSound> sound;  // keeps the bound buffer alive while the voice holds it
};

// Renders the loopback device into nothing at real-time pace until told to stop.
class Pacer {
public:
  void Start(ALCdevice* device, LPALCRENDERSAMPLESSOFT render, int sampleRate) {
    stopping = false;
    thread = std::thread([this, device, render, sampleRate] { Run(device, render, sampleRate); });
  }
  void Stop() {
    if (!thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    wake.notify_all();
    thread.join();
  }

private:
  void Run(ALCdevice* device, LPALCRENDERSAMPLESSOFT render, int sampleRate) {
    using Clock = std::chrono::steady_clock;
    std::vector<float> scratch(kPaceBlock * 2);
    Clock::time_point start = Clock::now();
    long long frames = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
      lock.unlock();
      render(device, scratch.data(), kPaceBlock);
      lock.lock();
      frames += kPaceBlock;
      Clock::time_point due = start + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(double(frames) / sampleRate));
      // After a stall (a suspended process, a debugger) carry on from now instead of
      // racing through the backlog.
      if (Clock::now() - due > std::chrono::milliseconds(200)) {
        start = Clock::now();
        frames = 0;
        continue;
      }
      wake.wait_until(lock, due, [this] { return stopping; });
    }
  }

  std::thread thread;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
};

struct DeviceState {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  int kind = SoundDevice::CLOSED;
  int sampleRate = 0;
  float masterGain = 1.0f;
  unsigned generation = 1;
  bool openFailed = false;     // reported once; not retried until Shutdown
  bool reportedBusy = false;   // "all voices busy" is said once per device
  LPALCRENDERSAMPLESSOFT render = nullptr;
  std::vector<Voice> voices;
  std::set<ALuint> buffers;
  Pacer pacer;
};

DeviceState& State() {
  // Never destroyed: sounds held in other statics may release their buffers during exit,
  // after our exit handler has shut the device down.
  static DeviceState* state = new DeviceState;
  return *state;
}

void ShutdownAtExit() { SoundDevice::Shutdown(); }

void RegisterExitHandler() {
  static bool registered = false;
  if (!registered) {
    registered = true;
    std::atexit(ShutdownAtExit);
  }
}

ALint SourceState(ALuint source) {
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

void ResetVoice(Voice& v) {
  alSourceStop(v.source);
  alSourcei(v.source, AL_BUFFER, 0);
  v.owner = nullptr;
  v.sound.reset();
}

// Makes `context` current on `device` and records both. Takes ownership of the device.
bool Adopt(ALCdevice* device, const ALCint* attributes, int kind) {
  DeviceState& s = State();
  ALCcontext* context = alcCreateContext(device, attributes);
  if (!context) {
    alcCloseDevice(device);
    return false;
  }
  if (!alcMakeContextCurrent(context)) {
    alcDestroyContext(context);
    alcCloseDevice(device);
    return false;
  }
  ALCint rate = 0;
  alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
  s.device = device;
  s.context = context;
  s.kind = kind;
  s.sampleRate = rate;
  s.reportedBusy = false;
  // Sources stand relative to the listener and fall off as 1 / distance past 1 unit;
  // TChannel places them by pan and depth.
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  alListenerf(AL_GAIN, s.masterGain);
  RegisterExitHandler();
  return true;
}

// Opens a stereo float loopback device; with `paced`, our thread renders it in real time.
bool OpenLoopback(int sampleRate, bool paced) {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
  auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto isSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
      alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
  auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (!openLoopback || !isSupported || !render) return false;

  ALCdevice* device = openLoopback(nullptr);
  if (!device) return false;
  if (!isSupported(device, sampleRate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
    alcCloseDevice(device);
    return false;
  }
  // Plain stereo with nothing between the mix and the samples: no HRTF, no limiter.
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                               ALC_FORMAT_TYPE_SOFT,     ALC_FLOAT_SOFT,
                               ALC_FREQUENCY,            sampleRate,
                               ALC_MONO_SOURCES,         SoundDevice::MAX_VOICES,
                               ALC_STEREO_SOURCES,       0,
                               ALC_MAX_AUXILIARY_SENDS,  0,
                               ALC_HRTF_SOFT,            ALC_FALSE,
                               ALC_OUTPUT_LIMITER_SOFT,  ALC_FALSE,
                               0};
  if (!Adopt(device, attributes, paced ? SoundDevice::SILENT : SoundDevice::TEST_LOOPBACK)) return false;
  DeviceState& s = State();
  s.render = render;
  if (paced) s.pacer.Start(device, render, sampleRate);
  return true;
}

bool OpenOutput() {
  StderrCapture quiet;  // ALSA and friends are loud about a missing card
  ALCdevice* device = alcOpenDevice(nullptr);
  std::string noise = quiet.Release();
  if (!device) return false;
  if (!noise.empty()) std::fputs(noise.c_str(), stderr);  // a real device: their words may matter
  const ALCint attributes[] = {ALC_MONO_SOURCES, SoundDevice::MAX_VOICES, ALC_STEREO_SOURCES, 0,
                               ALC_MAX_AUXILIARY_SENDS, 0, 0};
  return Adopt(device, attributes, SoundDevice::OUTPUT);
}

}  // namespace

int SoundDevice::Open() {
  DeviceState& s = State();
  if (s.kind != CLOSED) return 1;
  if (s.openFailed) return 0;
  if (OpenOutput()) return 1;
  if (OpenLoopback(SILENT_SAMPLE_RATE, true)) {
    std::fputs("sound: no output device; sound runs silently\n", stderr);
    return 1;
  }
  std::fputs("sound: no output device and no OpenAL Soft loopback; sound is off\n", stderr);
  s.openFailed = true;
  return 0;
}

int SoundDevice::OpenLoopbackForTest(int sampleRate) {
  Shutdown();
  return OpenLoopback(sampleRate, false) ? 1 : 0;
}

int SoundDevice::Render(float* out, int frames) {
  DeviceState& s = State();
  if (s.kind != TEST_LOOPBACK || frames < 0 || (frames > 0 && !out)) return -1;
  if (frames > 0) s.render(s.device, out, frames);
  return 0;
}

void SoundDevice::Shutdown() {
  DeviceState& s = State();
  s.pacer.Stop();
  if (s.context) {
    std::vector<std::shared_ptr<TSound>> bound;
    for (Voice& v : s.voices) {
      alSourceStop(v.source);
      alSourcei(v.source, AL_BUFFER, 0);
      alDeleteSources(1, &v.source);
      bound.push_back(std::move(v.sound));
    }
    s.voices.clear();
    bound.clear();  // sounds held only by voices free their own buffers here
    for (ALuint b : s.buffers) alDeleteBuffers(1, &b);
    s.buffers.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(s.context);
  }
  if (s.device) alcCloseDevice(s.device);
  s.device = nullptr;
  s.context = nullptr;
  s.render = nullptr;
  s.kind = CLOSED;
  s.sampleRate = 0;
  s.openFailed = false;
  ++s.generation;  // every lease and voice index handed out so far is now stale
}

void SoundDevice::SetMasterGain(float gain) {
  DeviceState& s = State();
  s.masterGain = gain > 1.0f ? 1.0f : (gain >= 0.0f ? gain : 0.0f);  // NaN is silence
  if (s.context) alListenerf(AL_GAIN, s.masterGain);
}

float SoundDevice::GetMasterGain() { return State().masterGain; }

int SoundDevice::GetKind() { return State().kind; }
int SoundDevice::GetSampleRate() { return State().sampleRate; }
unsigned SoundDevice::GetGeneration() { return State().generation; }

int SoundDevice::GetVoicesInUse() {
  int used = 0;
  for (const Voice& v : State().voices)
    if (v.owner || SourceState(v.source) == AL_PLAYING) ++used;
  return used;
}

SoundDevice::BufferLease SoundDevice::UploadBuffer(const int16_t* samples, size_t count, int sampleRate) {
  BufferLease lease;
  if (!Open()) return lease;
  DeviceState& s = State();
  alGetError();
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  if (alGetError() != AL_NO_ERROR) return lease;
  alBufferData(buffer, AL_FORMAT_MONO16, samples, static_cast<ALsizei>(count * sizeof(int16_t)), sampleRate);
  if (alGetError() != AL_NO_ERROR) {
    alDeleteBuffers(1, &buffer);
    return lease;
  }
  s.buffers.insert(buffer);
  lease.generation = s.generation;
  lease.buffer = buffer;
  return lease;
}

void SoundDevice::ReleaseBuffer(const BufferLease& lease) {
  DeviceState& s = State();
  if (lease.generation != s.generation || !s.buffers.erase(lease.buffer)) return;
  alDeleteBuffers(1, &lease.buffer);
}

int SoundDevice::AcquireVoice(TChannel* owner) {
  if (!Open()) return -1;
  DeviceState& s = State();
  // A voice nobody owns is free once it is silent.
  for (size_t i = 0; i < s.voices.size(); ++i) {
    Voice& v = s.voices[i];
    if (!v.owner && SourceState(v.source) != AL_PLAYING) {
      ResetVoice(v);
      v.owner = owner;
      return static_cast<int>(i);
    }
  }
  if (s.voices.size() < MAX_VOICES) {
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() == AL_NO_ERROR) {
      alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
      alSourcef(source, AL_REFERENCE_DISTANCE, 1.0f);
      alSourcef(source, AL_ROLLOFF_FACTOR, 1.0f);
      Voice v;
      v.source = source;
      v.owner = owner;
      s.voices.push_back(v);
      return static_cast<int>(s.voices.size() - 1);
    }
  }
  // Last, a voice whose one-shot sound has ended; its channel takes a new one when played.
  for (size_t i = 0; i < s.voices.size(); ++i) {
    Voice& v = s.voices[i];
    if (v.owner && SourceState(v.source) == AL_STOPPED) {
      v.owner->voice = -1;
      ResetVoice(v);
      v.owner = owner;
      return static_cast<int>(i);
    }
  }
  if (!s.reportedBusy) {
    s.reportedBusy = true;
    std::fprintf(stderr, "sound: all %d voices are busy; a sound was not played (further ones are not reported)\n",
                 static_cast<int>(s.voices.size()));
  }
  return -1;
}

unsigned SoundDevice::SourceOf(int voice) {
  DeviceState& s = State();
  if (voice < 0 || voice >= static_cast<int>(s.voices.size())) return 0;
  return s.voices[voice].source;
}

void SoundDevice::ReleaseVoice(int voice) {
  DeviceState& s = State();
  if (voice < 0 || voice >= static_cast<int>(s.voices.size())) return;
  ResetVoice(s.voices[voice]);
}

void SoundDevice::DisownVoice(int voice) {
  DeviceState& s = State();
  if (voice < 0 || voice >= static_cast<int>(s.voices.size())) return;
  Voice& v = s.voices[voice];
  v.owner = nullptr;
  // A one-shot plays to its end. A loop would never end, and a paused or cued sound
  // could never be resumed: those stop now.
  ALint looping = AL_FALSE;
  alGetSourcei(v.source, AL_LOOPING, &looping);
  if (looping || SourceState(v.source) != AL_PLAYING) ResetVoice(v);
}

void SoundDevice::BindSound(int voice, std::shared_ptr<TSound> sound, unsigned buffer, bool loop) {
  DeviceState& s = State();
  if (voice < 0 || voice >= static_cast<int>(s.voices.size())) return;
  Voice& v = s.voices[voice];
  alSourceStop(v.source);
  if (v.sound != sound) {
    alSourcei(v.source, AL_BUFFER, static_cast<ALint>(buffer));
    v.sound = std::move(sound);
  }
  alSourcei(v.source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
}
