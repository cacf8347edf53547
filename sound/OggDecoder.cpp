// Decodes a whole Ogg Vorbis file into 16-bit mono samples.
//
// The file is read into memory first, then checked page by page with libogg: vorbisfile
// happily decodes a file cut short up to its last whole page, and a sound that ends
// early is a broken file, not a shorter sound. Only then does vorbisfile decode it.
#include "sound/OggDecoder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/RegularFile.h"

#include <ogg/ogg.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

namespace {

// Large enough for any effect or music loop; a bigger file is surely a mistake.
const long kMaxFileBytes = 64L << 20;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data, std::string& reason) {
  // A folder would read as "too large", a FIFO would block: refuse both before opening.
  reason = RegularFileProblem(path);
  if (!reason.empty()) return false;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    reason = std::string("cannot be opened (") + std::strerror(errno) + ")";
    return false;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) {
    reason = "cannot be read";
    return false;
  }
  long size = std::ftell(file.get());
  if (size < 0) {
    reason = "cannot be read";
    return false;
  }
  if (size == 0) {
    reason = "is empty";
    return false;
  }
  if (size > kMaxFileBytes) {
    reason = "is too large";
    return false;
  }
  std::rewind(file.get());
  data.resize(static_cast<size_t>(size));
  if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
    reason = "cannot be read";
    return false;
  }
  return true;
}

// Owns an ogg_sync_state for the page check.
class OggSync {
public:
  OggSync() { ogg_sync_init(&state); }
  ~OggSync() { ogg_sync_clear(&state); }
  OggSync(const OggSync&) = delete;
  OggSync& operator=(const OggSync&) = delete;
  ogg_sync_state state;
};

// Every byte must belong to a whole page with a good checksum, and the last page must
// close its stream.
bool CheckPages(const std::vector<unsigned char>& data, std::string& reason) {
  OggSync sync;
  char* buffer = ogg_sync_buffer(&sync.state, static_cast<long>(data.size()));
  if (!buffer) {
    reason = "cannot be read";
    return false;
  }
  std::memcpy(buffer, data.data(), data.size());
  ogg_sync_wrote(&sync.state, static_cast<long>(data.size()));

  long consumed = 0;
  int pages = 0;
  bool lastEndsStream = false;
  ogg_page page;
  for (;;) {
    long n = ogg_sync_pageseek(&sync.state, &page);
    if (n == 0) break;  // no further whole page
    if (n < 0) {
      reason = pages == 0 ? "is not an Ogg Vorbis file" : "is damaged";
      return false;
    }
    consumed += n;
    ++pages;
    lastEndsStream = ogg_page_eos(&page) != 0;
  }
  if (pages == 0) {
    reason = "is not an Ogg Vorbis file";
    return false;
  }
  if (consumed != static_cast<long>(data.size()) || !lastEndsStream) {
    reason = "is truncated";
    return false;
  }
  return true;
}

// vorbisfile reads through these from memory.
struct MemoryReader {
  const std::vector<unsigned char>* data;
  size_t pos;
};

size_t MemRead(void* ptr, size_t size, size_t nmemb, void* source) {
  MemoryReader* r = static_cast<MemoryReader*>(source);
  if (size == 0) return 0;
  size_t left = r->data->size() - r->pos;
  size_t items = std::min(nmemb, left / size);
  std::memcpy(ptr, r->data->data() + r->pos, items * size);
  r->pos += items * size;
  return items;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
  MemoryReader* r = static_cast<MemoryReader*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(r->pos)
                                                                 : static_cast<ogg_int64_t>(r->data->size());
  ogg_int64_t to = base + offset;
  if (to < 0 || to > static_cast<ogg_int64_t>(r->data->size())) return -1;
  r->pos = static_cast<size_t>(to);
  return 0;
}

long MemTell(void* source) { return static_cast<long>(static_cast<MemoryReader*>(source)->pos); }

// Owns an opened OggVorbis_File.
class VorbisFile {
public:
  VorbisFile() { std::memset(&vf, 0, sizeof vf); }
  ~VorbisFile() {
    if (open) ov_clear(&vf);
  }
  VorbisFile(const VorbisFile&) = delete;
  VorbisFile& operator=(const VorbisFile&) = delete;

  bool Open(MemoryReader* reader) {
    ov_callbacks callbacks = {MemRead, MemSeek, nullptr, MemTell};  // no close: we own the memory
    open = ov_open_callbacks(reader, &vf, nullptr, 0, callbacks) == 0;
    return open;
  }
  OggVorbis_File vf;

private:
  bool open = false;
};

int16_t ToSample(float v) {
  float s = std::round(v * 32767.0f);
  return static_cast<int16_t>(std::max(-32768.0f, std::min(32767.0f, s)));
}

}  // namespace

bool DecodeOggVorbis(const std::string& path, TDecodedSound& out, std::string& reason) {
  std::vector<unsigned char> data;
  if (!ReadWholeFile(path, data, reason)) return false;
  if (!CheckPages(data, reason)) return false;

  MemoryReader reader = {&data, 0};
  VorbisFile file;
  if (!file.Open(&reader)) {
    reason = "is not an Ogg Vorbis file";
    return false;
  }
  vorbis_info* info = ov_info(&file.vf, -1);
  if (!info || info->channels < 1 || info->rate < 1) {
    reason = "is not an Ogg Vorbis file";
    return false;
  }
  const int channels = info->channels;
  const long rate = info->rate;

  TDecodedSound sound;
  sound.sampleRate = static_cast<int>(rate);
  sound.fileChannels = channels;
  ogg_int64_t total = ov_pcm_total(&file.vf, -1);
  if (total > 0) sound.samples.reserve(static_cast<size_t>(total));

  for (;;) {
    float** pcm = nullptr;
    int link = 0;
    long frames = ov_read_float(&file.vf, &pcm, 4096, &link);
    if (frames == 0) break;
    if (frames < 0) {
      reason = "is damaged";
      return false;
    }
    vorbis_info* linkInfo = ov_info(&file.vf, link);
    if (!linkInfo || linkInfo->channels != channels || linkInfo->rate != rate) {
      reason = "changes its format midway";
      return false;
    }
    for (long i = 0; i < frames; ++i) {
      float sum = 0.0f;
      for (int c = 0; c < channels; ++c) sum += pcm[c][i];
      sound.samples.push_back(ToSample(sum / static_cast<float>(channels)));
    }
  }
  if (sound.samples.empty()) {
    reason = "holds no sound";
    return false;
  }
  out = std::move(sound);
  return true;
}
