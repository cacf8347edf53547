// Writes short test sounds as Ogg Vorbis files with libvorbisenc.
#include "OggToneWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

bool WritePage(FILE* f, const ogg_page& page) {
  return std::fwrite(page.header, 1, page.header_len, f) == static_cast<size_t>(page.header_len) &&
         std::fwrite(page.body, 1, page.body_len, f) == static_cast<size_t>(page.body_len);
}

// Owns the encoder's state from vorbis_info to the Ogg stream.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysis = false;
  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (analysis) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
};

bool Drain(Encoder& e, FILE* f, bool flushAll) {
  ogg_page page;
  while (flushAll ? ogg_stream_flush(&e.stream, &page) : ogg_stream_pageout(&e.stream, &page))
    if (!WritePage(f, page)) return false;
  return true;
}

bool Encode(Encoder& e, FILE* f, const std::vector<float>& tone, int channels) {
  ogg_packet header, commentPacket, codebooks;
  vorbis_analysis_headerout(&e.dsp, &e.comment, &header, &commentPacket, &codebooks);
  ogg_stream_packetin(&e.stream, &header);
  ogg_stream_packetin(&e.stream, &commentPacket);
  ogg_stream_packetin(&e.stream, &codebooks);
  if (!Drain(e, f, true)) return false;

  const size_t chunk = 1024;
  size_t done = 0;
  for (;;) {
    size_t n = std::min(chunk, tone.size() - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c) buffer[c][i] = tone[done + i];
      done += n;
    }
    vorbis_analysis_wrote(&e.dsp, static_cast<int>(n));  // 0 marks the end
    ogg_packet packet;
    while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
      vorbis_analysis(&e.block, nullptr);
      vorbis_bitrate_addblock(&e.block);
      while (vorbis_bitrate_flushpacket(&e.dsp, &packet)) {
        ogg_stream_packetin(&e.stream, &packet);
        if (!Drain(e, f, false)) return false;
      }
    }
    if (n == 0) break;
  }
  return Drain(e, f, true);
}

}  // namespace

namespace {

bool WriteOgg(const std::string& path, const std::vector<float>& signal, int sampleRate, int channels) {
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  Encoder e;
  if (vorbis_encode_init_vbr(&e.info, channels, sampleRate, 0.6f) != 0) return false;
  vorbis_analysis_init(&e.dsp, &e.info);
  vorbis_block_init(&e.dsp, &e.block);
  ogg_stream_init(&e.stream, 1234);
  e.analysis = true;
  return Encode(e, f.get(), signal, channels);
}

}  // namespace

bool WriteOggTone(const std::string& path, float hz, float seconds, int sampleRate, float amplitude, int channels) {
  const size_t frames = static_cast<size_t>(seconds * static_cast<float>(sampleRate));
  std::vector<float> tone(frames);
  for (size_t i = 0; i < frames; ++i)
    tone[i] = amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * static_cast<double>(i) / sampleRate));
  return WriteOgg(path, tone, sampleRate, channels);
}

bool WriteOggNoise(const std::string& path, float seconds, int sampleRate, float amplitude) {
  const size_t frames = static_cast<size_t>(seconds * static_cast<float>(sampleRate));
  std::vector<float> noise(frames);
  unsigned state = 12345u;
  for (size_t i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    noise[i] = amplitude * (static_cast<float>(state >> 8) / 8388608.0f - 1.0f);
  }
  return WriteOgg(path, noise, sampleRate, 1);
}

std::string MakeTempDir(const std::string& prefix) {
  std::string templ = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  std::vector<char> name(templ.begin(), templ.end());
  name.push_back('\0');
  return mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}

void RemoveDir(const std::string& dir) {
  std::error_code ignored;
  if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
}
