// The process-wide OpenAL device behind every TSound and TChannel.
//
// It opens when a sound first plays or a cue first starts (loading and cueing do not open
// it, so that a program holds no device until it sounds): the default output device
// first; where there is none (no sound card, CI) it says so in one line on stderr and
// falls back to OpenAL Soft's loopback device, which a thread of ours renders into nothing
// at real-time pace. The game then behaves exactly as with sound: sounds end on time,
// channels keep their meaning.
//
// The device owns every OpenAL handle: device, context, sources (one per voice) and
// buffers (one per loaded sound). Shutdown releases them all; sounds and channels that
// outlive it become inert (their operations fail) and work again on the next device,
// sounds uploading their samples anew.
//
// Voices: at most MAX_VOICES sources exist. A voice belongs to a channel from its first
// Play or Cue until Stop, until the channel is destroyed, or until its one-shot sound has
// ended and another channel needs a voice. A channel dropped while a one-shot sound
// plays does not cut it: the voice plays on and returns to the pool when it ends (a loop,
// which would never end, stops with its last channel handle). When every
// voice is sounding, cued or paused, a new Play or Cue returns null (one line on stderr
// the first time).
//
// Not thread-safe: every call comes from the game's main thread. OpenAL mixes on its own
// thread (or ours, for the loopback), and no call here waits for the output device.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>

class TChannel;
class TSound;

class SoundDevice {
public:
  enum Kind {
    CLOSED = 0,
    OUTPUT = 1,         // a real output device
    SILENT = 2,         // loopback rendered into nothing by our pacing thread
    TEST_LOOPBACK = 3,  // loopback rendered only by Render(), for tests
  };
  enum { MAX_VOICES = 32 };
  static constexpr int SILENT_SAMPLE_RATE = 44100;

  // Opens the device if it is not open yet. Returns 1 when a device is open afterwards.
  // A failure to open anything is reported once and not retried until Shutdown.
  static int Open();
  // Replaces any open device by a loopback device that only Render() advances
  // (stereo float samples at `sampleRate`). Returns 1 on success.
  static int OpenLoopbackForTest(int sampleRate);
  // Mixes the next `frames` frames of the test loopback into `out` (2 floats a frame,
  // left then right). Returns 0, or -1 when the test loopback is not open.
  static int Render(float* out, int frames);
  // Stops every voice, releases every handle, joins our thread.
  static void Shutdown();

  // The gain of the whole mix (OpenAL's listener gain), 0 to 1; kept across devices, so
  // a device opened later starts with it.
  static void SetMasterGain(float gain);
  static float GetMasterGain();

  static int GetKind();
  static int GetSampleRate();    // of the mix; 0 when closed
  static int GetVoicesInUse();   // voices owned by a channel or still sounding
  static unsigned GetGeneration();  // changes at every Shutdown

private:
  friend class TSound;
  friend class TChannel;

  struct BufferLease {
    unsigned generation = 0;
    unsigned buffer = 0;
  };
  // Uploads mono 16-bit samples; opens the device when needed. A lease of generation 0
  // means the upload failed.
  static BufferLease UploadBuffer(const int16_t* samples, size_t count, int sampleRate);
  static void ReleaseBuffer(const BufferLease& lease);

  // Gives `owner` a voice; returns its index, or -1 when none is free.
  static int AcquireVoice(TChannel* owner);
  // The voice's OpenAL source, 0 for a stale index.
  static unsigned SourceOf(int voice);
  // Stops the voice, unbinds its sound and returns it to the pool.
  static void ReleaseVoice(int voice);
  // The owning channel is going away: a sounding voice plays on, any other is released.
  static void DisownVoice(int voice);
  // Stops the voice and binds `sound` (its buffer `buffer`) to it.
  static void BindSound(int voice, std::shared_ptr<TSound> sound, unsigned buffer, bool loop);
};
