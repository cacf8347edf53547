// TSound: one decoded file, played or cued on channels.
#include "sound/Sound.h"

#include <AL/al.h>

#include <cstdio>

#include "sound/OggDecoder.h"
#include "sound/SoundDevice.h"

std::shared_ptr<TSound> TSound::Load(const std::string& path, int flags) {
  TDecodedSound decoded;
  std::string reason;
  if (!DecodeOggVorbis(path, decoded, reason)) {
    std::fprintf(stderr, "sound: cannot load \"%s\": the file %s\n", path.c_str(), reason.c_str());
    return nullptr;
  }
  std::shared_ptr<TSound> sound(new TSound);
  sound->path = path;
  sound->flags = flags;
  sound->sampleRate = decoded.sampleRate;
  sound->fileChannels = decoded.fileChannels;
  sound->samples = std::move(decoded.samples);
  // The samples go to the device at the first play, which opens it if none is open yet.
  return sound;
}

TSound::~TSound() {
  SoundDevice::BufferLease lease;
  lease.generation = leaseGeneration;
  lease.buffer = leaseBuffer;
  SoundDevice::ReleaseBuffer(lease);
}

unsigned TSound::Buffer() {
  if (leaseGeneration == SoundDevice::GetGeneration() && leaseBuffer) return leaseBuffer;
  SoundDevice::BufferLease lease = SoundDevice::UploadBuffer(samples.data(), samples.size(), sampleRate);
  leaseGeneration = lease.generation;
  leaseBuffer = lease.buffer;
  return leaseBuffer;
}

std::shared_ptr<TChannel> TSound::Play(std::shared_ptr<TChannel> channel) { return Start(std::move(channel), false); }

std::shared_ptr<TChannel> TSound::Cue(std::shared_ptr<TChannel> channel) { return Start(std::move(channel), true); }

std::shared_ptr<TChannel> TSound::Start(std::shared_ptr<TChannel> channel, bool cue) {
  if (!channel) channel = std::make_shared<TChannel>();
  if (cue && SoundDevice::GetKind() == SoundDevice::CLOSED) {
    channel->waiting = shared_from_this();
    return channel;
  }
  return Begin(*channel, cue) ? channel : nullptr;
}

bool TSound::Begin(TChannel& channel, bool cue) {
  unsigned buffer = Buffer();
  if (!buffer || !channel.TakeVoice()) return false;
  channel.waiting.reset();
  SoundDevice::BindSound(channel.voice, shared_from_this(), buffer, IsLooping() != 0);
  ALuint source = channel.Source();
  // Rewinding leaves the source at its start, not playing: SetPaused(0) or Play starts it.
  if (cue || channel.held)
    alSourceRewind(source);
  else
    alSourcePlay(source);
  return true;
}
