// Sounds and the channels that play them: the game's whole view of audio.
//
// A TSound is one Ogg Vorbis file decoded whole at load (mixed down to mono, so that pan
// and depth apply to every sound). A TChannel is one voice that plays a sound with its
// own volume, rate, pan and depth. Everything is called from the main thread; changes
// are heard from the next mixed block.
//
// Channel rules:
// - Play starts the sound from its beginning at once; Cue leaves it paused at the start,
//   so that settings can be made before it is heard. Play or Cue on a channel that holds
//   a sound replaces that sound, so a sound played again on its own channel restarts
//   instead of overlapping itself. With no channel given, a new one is made.
// - Paused is the channel's own state, kept across Play: a sound played on a channel
//   paused with SetPaused(1) waits at its start until SetPaused(0). A Cue's pause is not
//   such a state: the next Play is heard at once. Stop clears the pause.
// - Volume, rate, pan and depth belong to the channel and are kept across Stop and every
//   later Play or Cue on it; a new channel starts at volume 1, rate 1, pan 0, depth 0.
// - Stop ends the sound and gives the voice back; Play or Cue on the channel later takes
//   a voice again. Dropping the last handle of a channel lets a one-shot sound play to
//   its end (fire and forget) but stops a looping, paused or cued one.
// - Playing() is 1 only while the sound advances: not while cued or paused, not after
//   Stop, not once a one-shot sound has ended.
// - Voices are limited (SoundDevice::MAX_VOICES). When all are taken by sounding, cued or
//   paused channels, Play and Cue of a channel without a voice return null.
//
// Statuses: 0 for done, -1 for a refused value (NaN, a rate <= 0), which leaves the
// channel as it was. Settings made on a channel without a voice are kept for its next
// Play or Cue. Out-of-range values are clamped as noted below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TChannel;

// Decoded samples of one file plus its load flags; immutable once loaded.
class TSound : public std::enable_shared_from_this<TSound> {
public:
  enum { LOOP = 1, HARDWARE = 2 };  // HARDWARE is a hint the service ignores

  // Decodes the file; null when it is missing, not a regular file (a folder, a FIFO, ...),
  // empty, cut short or not Ogg Vorbis (one line on stderr names the file).
  static std::shared_ptr<TSound> Load(const std::string& path, int flags);
  std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel = nullptr);  // null on failure
  // Paused at start. Before any sound has played the device is not open yet: the channel
  // then waits with the sound, and the device opens when the channel first starts (by
  // SetPaused(0) or a Play on it), so that a program holds no device until it sounds.
  std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel = nullptr);

  ~TSound();
  TSound(const TSound&) = delete;
  TSound& operator=(const TSound&) = delete;

  int GetFlags() const { return flags; }
  int IsLooping() const { return (flags & LOOP) != 0; }
  int GetSampleRate() const { return sampleRate; }
  int GetFileChannels() const { return fileChannels; }
  int GetFrames() const { return static_cast<int>(samples.size()); }
  float GetDuration() const { return static_cast<float>(samples.size()) / static_cast<float>(sampleRate); }
  const std::string& GetPath() const { return path; }

private:
  friend class TChannel;
  TSound() = default;
  std::shared_ptr<TChannel> Start(std::shared_ptr<TChannel> channel, bool cue);
  bool Begin(TChannel& channel, bool cue);  // binds the sound to the channel's voice
  unsigned Buffer();  // this sound's buffer on the current device, uploaded on demand; 0 if none

  std::string path;
  int flags = 0;
  int sampleRate = 0;
  int fileChannels = 0;
  std::vector<int16_t> samples;
  unsigned leaseGeneration = 0;  // the device generation `leaseBuffer` belongs to
  unsigned leaseBuffer = 0;
};

// One voice. Shared: the game keeps a cued channel and plays on it again and again.
class TChannel {
public:
  TChannel() = default;
  ~TChannel();
  TChannel(const TChannel&) = delete;
  TChannel& operator=(const TChannel&) = delete;

  int Stop();
  int SetPaused(int paused);
  int SetVolume(float v);  // 0 silent .. 1 full; clamped to that range
  int SetPan(float p);     // -1 left .. 1 right; clamped
  // How far beyond the speakers the sound sits, >= 0 (clamped): the gain falls as
  // 1 / (1 + depth), so depth 1 is half as loud. Pan keeps its direction.
  int SetDepth(float d);
  int SetRate(float r);    // playback speed and pitch, 1 = unchanged; must be > 0, above 16 clamped
  int Playing();           // 1 while the sound advances, else 0

  float GetVolume() const { return volume; }
  float GetPan() const { return pan; }
  float GetDepth() const { return depth; }
  float GetRate() const { return rate; }
  int IsPaused() const { return held ? 1 : 0; }
  int HasVoice() const;

private:
  friend class TSound;
  friend class SoundDevice;

  unsigned Source() const;  // OpenAL source of the live voice, 0 if none
  int TakeVoice();          // 1 when the channel has a live voice afterwards
  void ApplySettings();
  void ApplyPosition();

  int voice = -1;
  unsigned generation = 0;  // device generation `voice` belongs to
  float volume = 1.0f;
  float pan = 0.0f;
  float depth = 0.0f;
  float rate = 1.0f;
  bool held = false;  // paused by SetPaused(1)
  std::shared_ptr<TSound> waiting;  // cued before the device opened; bound when it starts
};
