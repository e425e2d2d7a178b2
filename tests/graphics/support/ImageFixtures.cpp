// Fixture writers over the real encoders, so every decoder test starts from
// files made the way other programs make them.
#include "graphics/support/ImageFixtures.h"

#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <stdexcept>

namespace imagefx
{

namespace
{

void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}
void PngFlush(png_structp) {}

struct MemStream
{
    std::string bytes;
    size_t pos = 0;
};

OPJ_SIZE_T MemWrite(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* m = static_cast<MemStream*>(user);
    if (m->pos + n > m->bytes.size()) m->bytes.resize(m->pos + n);
    std::memcpy(&m->bytes[m->pos], buffer, n);
    m->pos += n;
    return n;
}
OPJ_OFF_T MemSkip(OPJ_OFF_T n, void* user)
{
    auto* m = static_cast<MemStream*>(user);
    m->pos += size_t(n);
    if (m->pos > m->bytes.size()) m->bytes.resize(m->pos);
    return n;
}
OPJ_BOOL MemSeek(OPJ_OFF_T n, void* user)
{
    auto* m = static_cast<MemStream*>(user);
    m->pos = size_t(n);
    if (m->pos > m->bytes.size()) m->bytes.resize(m->pos);
    return OPJ_TRUE;
}

}  // namespace

std::string EncodePng(const PngSpec& spec)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(spec.width), png_uint_32(spec.height), spec.bitDepth,
                 spec.colorType, spec.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < spec.paletteRgb.size(); i += 3)
        palette.push_back({spec.paletteRgb[i], spec.paletteRgb[i + 1], spec.paletteRgb[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!spec.trns.empty())
    {
        if (spec.colorType == PNG_COLOR_TYPE_PALETTE)
        {
            png_set_tRNS(png, info, spec.trns.data(), int(spec.trns.size()), nullptr);
        }
        else
        {
            png_color_16 key{};
            key.gray = key.red = spec.trns[0];
            if (spec.trns.size() >= 3)
            {
                key.green = spec.trns[1];
                key.blue = spec.trns[2];
            }
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    if (spec.gamma > 0) png_set_gAMA(png, info, spec.gamma);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const auto& r : spec.rows) rows.push_back(const_cast<png_bytep>(r.data()));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string PngFromArgb(int width, int height, const std::vector<uint32_t>& argb, bool withAlpha)
{
    PngSpec s;
    s.width = width;
    s.height = height;
    s.colorType = withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    for (int y = 0; y < height; ++y)
    {
        std::vector<uint8_t> row;
        for (int x = 0; x < width; ++x)
        {
            const uint32_t p = argb[size_t(y) * width + x];
            row.push_back(uint8_t(p >> 16));
            row.push_back(uint8_t(p >> 8));
            row.push_back(uint8_t(p));
            if (withAlpha) row.push_back(uint8_t(p >> 24));
        }
        s.rows.push_back(row);
    }
    return EncodePng(s);
}

std::string EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                       int quality, bool progressive)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[size_t(c.next_scanline) * width * components]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    jpeg_destroy_compress(&c);
    free(mem);
    return out;
}

std::string JpegFromArgb(int width, int height, const std::vector<uint32_t>& argb)
{
    std::vector<uint8_t> s;
    for (uint32_t p : argb)
    {
        s.push_back(uint8_t(p >> 16));
        s.push_back(uint8_t(p >> 8));
        s.push_back(uint8_t(p));
    }
    return EncodeJpeg(width, height, 3, s);
}

std::string EncodeJp2(const Jp2Spec& spec)
{
    const int n = int(spec.components.size());
    std::vector<opj_image_cmptparm_t> parms(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
    {
        opj_image_cmptparm_t& p = parms[size_t(i)];
        std::memset(&p, 0, sizeof p);
        const int sub = i == n - 1 ? spec.subsampleLast : 1;
        p.dx = OPJ_UINT32(sub);
        p.dy = OPJ_UINT32(sub);
        p.w = OPJ_UINT32((spec.width + sub - 1) / sub);
        p.h = OPJ_UINT32((spec.height + sub - 1) / sub);
        p.prec = OPJ_UINT32(spec.precision);
        p.sgnd = spec.isSigned ? 1 : 0;
    }
    opj_image_t* image = opj_image_create(OPJ_UINT32(n), parms.data(),
                                          spec.grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    image->x0 = image->y0 = 0;
    image->x1 = OPJ_UINT32(spec.width);
    image->y1 = OPJ_UINT32(spec.height);
    for (int i = 0; i < n; ++i)
    {
        opj_image_comp_t& c = image->comps[i];
        const size_t count = size_t(c.w) * c.h;
        for (size_t k = 0; k < count && k < spec.components[size_t(i)].size(); ++k)
            c.data[k] = spec.components[size_t(i)][k];
        if (spec.lastIsAlpha && i == n - 1) c.alpha = 1;
    }
    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.tcp_rates[0] = 0;  // lossless
    params.cp_disto_alloc = 1;
    params.irreversible = 0;
    int levels = 0;
    for (int s = std::min(spec.width, spec.height); s > 1 && levels < 5; s >>= 1) ++levels;
    params.numresolution = levels + 1 > 6 ? 6 : levels + 1;
    if (params.numresolution < 1) params.numresolution = 1;
    opj_codec_t* codec = opj_create_compress(spec.codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    opj_setup_encoder(codec, &params, image);
    MemStream mem;
    opj_stream_t* stream = opj_stream_create(1 << 16, OPJ_FALSE);
    opj_stream_set_user_data(stream, &mem, nullptr);
    opj_stream_set_write_function(stream, MemWrite);
    opj_stream_set_skip_function(stream, MemSkip);
    opj_stream_set_seek_function(stream, MemSeek);
    bool ok = opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
              opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return ok ? mem.bytes : std::string();
}

std::string Truncated(const std::string& bytes, size_t keep)
{
    return bytes.substr(0, std::min(keep, bytes.size()));
}

std::string Corrupted(const std::string& bytes, size_t from, size_t step)
{
    std::string out = bytes;
    for (size_t i = from; i < out.size(); i += step) out[i] = char(out[i] ^ 0x5A);
    return out;
}

}  // namespace imagefx
