#include "sounds/OggWriter.h"

#include <vorbis/vorbisenc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>

namespace sounds {
namespace {

// Owns the encoder state and the output file for one encoding run.
class Encoder {
public:
    ~Encoder()
    {
        if (streamReady_)
            ogg_stream_clear(&os_);
        if (blockReady_)
            vorbis_block_clear(&vb_);
        if (dspReady_)
            vorbis_dsp_clear(&vd_);
        vorbis_comment_clear(&vc_);
        vorbis_info_clear(&vi_);
        if (file_)
            std::fclose(file_);
    }

    bool Run(const std::string& path, const std::vector<float>& samples, long rate, float quality,
             const std::string& title)
    {
        vorbis_info_init(&vi_);
        vorbis_comment_init(&vc_);
        if (vorbis_encode_init_vbr(&vi_, 1, rate, quality) != 0)
            return Fail(path, "the encoder refuses these settings");
        vorbis_comment_add_tag(&vc_, "TITLE", title.c_str());
        vorbis_analysis_init(&vd_, &vi_);
        dspReady_ = true;
        vorbis_block_init(&vd_, &vb_);
        blockReady_ = true;
        ogg_stream_init(&os_, kStreamSerial);
        streamReady_ = true;

        file_ = std::fopen(path.c_str(), "wb");
        if (!file_)
            return Fail(path, std::strerror(errno));

        ogg_packet header, comments, codebooks;
        vorbis_analysis_headerout(&vd_, &vc_, &header, &comments, &codebooks);
        ogg_stream_packetin(&os_, &header);
        ogg_stream_packetin(&os_, &comments);
        ogg_stream_packetin(&os_, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&os_, &page) != 0)  // audio starts on a page of its own
            if (!WritePage(page))
                return Fail(path, "write error");

        const size_t chunk = 1024;
        size_t at = 0;
        for (;;) {
            const size_t n = std::min(chunk, samples.size() - at);
            if (n > 0) {
                float** buffer = vorbis_analysis_buffer(&vd_, static_cast<int>(n));
                std::memcpy(buffer[0], samples.data() + at, n * sizeof(float));
            }
            vorbis_analysis_wrote(&vd_, static_cast<int>(n));  // 0 marks the end
            if (!Drain())
                return Fail(path, "write error");
            if (n == 0)
                break;
            at += n;
        }
        if (std::fclose(file_) != 0) {
            file_ = nullptr;
            return Fail(path, "write error");
        }
        file_ = nullptr;
        return true;
    }

private:
    bool Drain()
    {
        while (vorbis_analysis_blockout(&vd_, &vb_) == 1) {
            vorbis_analysis(&vb_, nullptr);
            vorbis_bitrate_addblock(&vb_);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd_, &packet) == 1) {
                ogg_stream_packetin(&os_, &packet);
                ogg_page page;
                // The last packet marks the end of the stream and forces out the last page.
                while (ogg_stream_pageout(&os_, &page) != 0) {
                    if (!WritePage(page))
                        return false;
                }
            }
        }
        return true;
    }

    bool WritePage(const ogg_page& page)
    {
        return std::fwrite(page.header, 1, page.header_len, file_) == static_cast<size_t>(page.header_len) &&
               std::fwrite(page.body, 1, page.body_len, file_) == static_cast<size_t>(page.body_len);
    }

    bool Fail(const std::string& path, const char* why)
    {
        std::fprintf(stderr, "make_sounds: cannot write %s: %s\n", path.c_str(), why);
        return false;
    }

    vorbis_info vi_{};
    vorbis_comment vc_{};
    vorbis_dsp_state vd_{};
    vorbis_block vb_{};
    ogg_stream_state os_{};
    bool dspReady_ = false, blockReady_ = false, streamReady_ = false;
    FILE* file_ = nullptr;
};

}  // namespace

bool WriteOggVorbis(const std::string& path, const std::vector<float>& samples, long rate, float quality,
                    const std::string& title)
{
    Encoder encoder;
    return encoder.Run(path, samples, rate, quality, title);
}

}  // namespace sounds
