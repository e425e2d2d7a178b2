// Ogg Vorbis encoding with libvorbisenc and the other sound test helpers.
#include "OggFixtures.h"

#include <vorbis/vorbisenc.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Clock.h"
#include "core/Log.h"

namespace
{

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

std::atomic<uint32_t> gFakeNow{1000};
uint32_t FakeNow()
{
    return gFakeNow.load();
}

}  // namespace

std::vector<uint8_t> MakeOggTone(int channels, int rate, double seconds, double frequency,
                                 float amplitude)
{
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.3f) != 0)
    {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);

    ogg_packet header;
    ogg_packet headerComment;
    ogg_packet headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

    auto drain = [&]
    {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
            }
        }
    };

    const long frames = std::lround(seconds * rate);
    long done = 0;
    while (done < frames)
    {
        const int chunk = static_cast<int>(std::min<long>(1024, frames - done));
        float** buffer = vorbis_analysis_buffer(&dsp, chunk);
        for (int i = 0; i < chunk; ++i)
        {
            const float value =
                amplitude * static_cast<float>(std::sin(2.0 * M_PI * frequency *
                                                        static_cast<double>(done + i) / rate));
            for (int c = 0; c < channels; ++c) buffer[c][i] = value;
        }
        vorbis_analysis_wrote(&dsp, chunk);
        drain();
        done += chunk;
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

TTempFolder::TTempFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/sound-test-XXXXXX";
    std::vector<char> text(pattern.begin(), pattern.end());
    text.push_back('\0');
    if (mkdtemp(text.data()) != nullptr) path_ = text.data();
}

TTempFolder::~TTempFolder()
{
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TTempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const std::string full = path_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream file(full, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return "::" + full;
}

std::string TTempFolder::Name(const std::string& name) const
{
    return "::" + path_ + "/" + name;
}

TFakeTime::TFakeTime()
{
    gFakeNow = 1000;
    SetClockTimeSource(&FakeNow);
}

TFakeTime::~TFakeTime()
{
    SetClockTimeSource(nullptr);
}

void TFakeTime::Advance(uint32_t ms)
{
    gFakeNow += ms;
}

TLogCapture::TLogCapture()
{
    SetLogFolder(folder_.Path().c_str());
}

TLogCapture::~TLogCapture()
{
    SetLogFolder(nullptr);
}

std::string TLogCapture::Text() const
{
    const std::string path = GetLogPath().CStr();
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}
