// Ogg Vorbis encoding: headers on pages of their own, then the audio in
// blocks of up to 1024 frames.
#include "synth/OggEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace
{

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// The library's encoder state, released in reverse order of set-up.
class TVorbisEncoder
{
public:
    TVorbisEncoder() { vorbis_info_init(&info_); }
    ~TVorbisEncoder()
    {
        if (started_)
        {
            ogg_stream_clear(&stream_);
            vorbis_block_clear(&block_);
            vorbis_dsp_clear(&dsp_);
            vorbis_comment_clear(&comment_);
        }
        vorbis_info_clear(&info_);
    }
    TVorbisEncoder(const TVorbisEncoder&) = delete;
    TVorbisEncoder& operator=(const TVorbisEncoder&) = delete;

    bool Start(int channels, int rate, const TOggEncoding& encoding, std::vector<uint8_t>& out)
    {
        if (vorbis_encode_init_vbr(&info_, channels, rate, encoding.quality) != 0) return false;
        vorbis_comment_init(&comment_);
        vorbis_analysis_init(&dsp_, &info_);
        vorbis_block_init(&dsp_, &block_);
        ogg_stream_init(&stream_, encoding.serial);
        started_ = true;

        ogg_packet header;
        ogg_packet headerComment;
        ogg_packet headerCode;
        vorbis_analysis_headerout(&dsp_, &comment_, &header, &headerComment, &headerCode);
        ogg_stream_packetin(&stream_, &header);
        ogg_stream_packetin(&stream_, &headerComment);
        ogg_stream_packetin(&stream_, &headerCode);
        // Decoders expect the audio to begin on a fresh page.
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) AppendPage(out, page);
        return true;
    }

    void Write(const float* interleaved, int channels, int frames, std::vector<uint8_t>& out)
    {
        float** buffer = vorbis_analysis_buffer(&dsp_, frames);
        for (int i = 0; i < frames; ++i)
        {
            for (int c = 0; c < channels; ++c) buffer[c][i] = interleaved[i * channels + c];
        }
        vorbis_analysis_wrote(&dsp_, frames);
        Drain(out);
    }

    void Finish(std::vector<uint8_t>& out)
    {
        vorbis_analysis_wrote(&dsp_, 0);
        Drain(out);
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) AppendPage(out, page);
    }

private:
    void Drain(std::vector<uint8_t>& out)
    {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp_, &block_) == 1)
        {
            vorbis_analysis(&block_, nullptr);
            vorbis_bitrate_addblock(&block_);
            while (vorbis_bitrate_flushpacket(&dsp_, &packet) != 0)
            {
                ogg_stream_packetin(&stream_, &packet);
                while (ogg_stream_pageout(&stream_, &page) != 0) AppendPage(out, page);
            }
        }
    }

    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    ogg_stream_state stream_;
    bool started_ = false;
};

}  // namespace

bool EncodeOggVorbis(const std::vector<float>& interleaved, int channels, int rate,
                     const TOggEncoding& encoding, std::vector<uint8_t>& out)
{
    out.clear();
    if (channels < 1 || rate < 1 || interleaved.size() % static_cast<size_t>(channels) != 0)
        return false;
    TVorbisEncoder encoder;
    if (!encoder.Start(channels, rate, encoding, out))
    {
        out.clear();
        return false;
    }
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    constexpr size_t kBlockFrames = 1024;
    for (size_t done = 0; done < frames; done += kBlockFrames)
    {
        const size_t chunk = std::min(kBlockFrames, frames - done);
        encoder.Write(interleaved.data() + done * static_cast<size_t>(channels), channels,
                      static_cast<int>(chunk), out);
    }
    encoder.Finish(out);
    return true;
}
