// JPEG-2000 loader: OpenJPEG fed from a framework file handle, grey and
// colour images (with an optional opacity component) turned into the S x S
// blue-green-red-alpha block with edge-repeating padding.
#include <openjpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "graphics/ImageDecoder.h"

namespace
{

constexpr OPJ_SIZE_T kStreamBuffer = 1u << 16;

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* file = static_cast<TFileHandle*>(user);
    const int want = count > 0x40000000u ? 0x40000000 : int(count);
    const int got = ReadFileHandle(file, buffer, want);
    return got > 0 ? OPJ_SIZE_T(got) : OPJ_SIZE_T(-1);
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user)
{
    auto* file = static_cast<TFileHandle*>(user);
    const int here = file->Tell(), length = file->GetLength();
    if (here < 0) return -1;
    // Skips are clamped to the file; the library treats a short skip as the end.
    const OPJ_OFF_T target = std::clamp<OPJ_OFF_T>(OPJ_OFF_T(here) + count, 0, OPJ_OFF_T(length));
    file->Seek(int(target), 1);
    return target - here;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* user)
{
    auto* file = static_cast<TFileHandle*>(user);
    if (offset < 0 || offset > OPJ_OFF_T(file->GetLength())) return OPJ_FALSE;
    file->Seek(int(offset), 1);
    return OPJ_TRUE;
}

void LogError(const char* message, void*)
{
    LogPrintf("JPEG-2000: %s", message ? message : "");
}
void Quiet(const char*, void*) {}

// Sample of component c at image pixel (x, y) scaled to 8 bits. Subsampled
// components are read at the covering sample (nearest upsampling).
struct Channel
{
    const opj_image_comp_t* comp = nullptr;
    int shiftLeft = 0, shiftRight = 0;
    // 64-bit: a signed 31-bit sample plus its offset does not fit an int.
    int64_t offset = 0, maxValue = 255;

    explicit Channel(const opj_image_comp_t* c) : comp(c)
    {
        if (!c) return;
        const int prec = int(std::clamp<OPJ_UINT32>(c->prec, 1, 31));
        if (prec <= 8)
            shiftLeft = 8 - prec;
        else
            shiftRight = prec - 8;
        offset = c->sgnd ? (int64_t(1) << (prec - 1)) : 0;
        maxValue = (int64_t(1) << prec) - 1;
    }

    uint8_t At(int x, int y) const
    {
        const int cx =
            std::min(int(OPJ_UINT32(x) / std::max<OPJ_UINT32>(comp->dx, 1)), int(comp->w) - 1);
        const int cy =
            std::min(int(OPJ_UINT32(y) / std::max<OPJ_UINT32>(comp->dy, 1)), int(comp->h) - 1);
        const int64_t v = std::clamp<int64_t>(
            int64_t(comp->data[size_t(cy) * comp->w + size_t(cx)]) + offset, 0, maxValue);
        return uint8_t(((v << shiftLeft) >> shiftRight) & 0xFF);
    }
};

bool Usable(const opj_image_comp_t* c)
{
    return c && c->data && c->w > 0 && c->h > 0;
}

// Fills byte position pos (0 blue .. 3 alpha) of every image pixel.
void FillByte(uint8_t* block, int side, int width, int height, int pos, const Channel& ch)
{
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = block + size_t(y) * size_t(side) * 4u + size_t(pos);
        for (int x = 0; x < width; ++x) row[size_t(x) * 4u] = ch.At(x, y);
    }
}

void FillConstant(uint8_t* block, int side, int pos, uint8_t value)
{
    for (size_t i = 0, n = size_t(side) * size_t(side); i < n; ++i)
        block[i * 4u + size_t(pos)] = value;
}

// Right of the image each row repeats its last pixel; below it every row
// repeats the last image row.
void PadByte(uint8_t* block, int side, int width, int height, int pos)
{
    const size_t stride = size_t(side) * 4u;
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = block + size_t(y) * stride + size_t(pos);
        const uint8_t last = row[size_t(width - 1) * 4u];
        for (int x = width; x < side; ++x) row[size_t(x) * 4u] = last;
    }
    const uint8_t* lastRow = block + size_t(height - 1) * stride + size_t(pos);
    for (int y = height; y < side; ++y)
    {
        uint8_t* row = block + size_t(y) * stride + size_t(pos);
        for (int x = 0; x < side; ++x) row[size_t(x) * 4u] = lastRow[size_t(x) * 4u];
    }
}

// Brings YCbCr samples (sYCC) to RGB in place, so the channel pass below can
// treat the image as RGB.
void SyccToRgb(opj_image_t* image)
{
    opj_image_comp_t* c = image->comps;
    if (!c[0].data || !c[1].data || !c[2].data || c[0].dx != 1 || c[0].dy != 1 ||
        c[1].w != c[0].w || c[2].w != c[0].w || c[1].h != c[0].h || c[2].h != c[0].h)
        return;  // subsampled chroma: left as is and read as colour channels
    const int prec = int(std::clamp<OPJ_UINT32>(c[0].prec, 1, 31));
    const double half = double(int64_t(1) << (prec - 1)), top = double((int64_t(1) << prec) - 1);
    const size_t n = size_t(c[0].w) * c[0].h;
    for (size_t i = 0; i < n; ++i)
    {
        const double y = c[0].data[i], cb = c[1].data[i] - half, cr = c[2].data[i] - half;
        // Clamped as doubles: a damaged file's samples can reach far past int.
        c[0].data[i] = int(std::clamp(y + 1.402 * cr, 0.0, top));
        c[1].data[i] = int(std::clamp(y - 0.344136 * cb - 0.714136 * cr, 0.0, top));
        c[2].data[i] = int(std::clamp(y + 1.772 * cb, 0.0, top));
    }
    c[1].prec = c[2].prec = c[0].prec;
    c[0].sgnd = c[1].sgnd = c[2].sgnd = 0;
    image->color_space = OPJ_CLRSPC_SRGB;
}

}  // namespace

bool LoadJp2Image(const TString& name, uint8_t** pixels, int* width, int* height, int* side,
                  int* hasAlpha)
{
    uint8_t* none = nullptr;
    uint8_t** out = pixels ? pixels : &none;
    *out = nullptr;
    TFileHandle* file = OpenFileByName(name, 0);
    if (!file) return false;

    unsigned char magic[12] = {};
    const int got = ReadFileHandle(file, magic, 12);
    file->Seek(0, 1);
    static const unsigned char kJp2Sig[12] = {0,   0,   0,    0x0C, 'j',  'P',
                                              ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    OPJ_CODEC_FORMAT format;
    if (got == 12 && std::memcmp(magic, kJp2Sig, 12) == 0)
        format = OPJ_CODEC_JP2;
    else if (got >= 4 && magic[0] == 0xFF && magic[1] == 0x4F && magic[2] == 0xFF &&
             magic[3] == 0x51)
        format = OPJ_CODEC_J2K;
    else
    {
        CloseFileHandle(file);
        return false;
    }

    opj_stream_t* stream = opj_stream_create(kStreamBuffer, OPJ_TRUE);
    if (!stream)
    {
        CloseFileHandle(file);
        return false;
    }
    // From here the stream owns the handle and closes it with itself.
    opj_stream_set_user_data(stream, file,
                             [](void* user) { CloseFileHandle(static_cast<TFileHandle*>(user)); });
    opj_stream_set_user_data_length(stream, OPJ_UINT64(std::max(file->GetLength(), 0)));
    opj_stream_set_read_function(stream, StreamRead);
    opj_stream_set_skip_function(stream, StreamSkip);
    opj_stream_set_seek_function(stream, StreamSeek);

    opj_codec_t* codec = opj_create_decompress(format);
    opj_image_t* image = nullptr;
    uint8_t* block = nullptr;
    bool ok = false;
    int w = 0, h = 0, s = 0, alpha = hasAlpha ? *hasAlpha : 0;
    do
    {
        if (!codec) break;
        opj_set_error_handler(codec, LogError, nullptr);
        opj_set_warning_handler(codec, Quiet, nullptr);
        opj_set_info_handler(codec, Quiet, nullptr);
        opj_dparameters_t params;
        opj_set_default_decoder_parameters(&params);
        if (!opj_setup_decoder(codec, &params)) break;
        if (!opj_read_header(stream, codec, &image) || !image) break;
        // The size is checked on the header, before the library allocates the
        // decoded components.
        if (image->x1 <= image->x0 || image->y1 <= image->y0) break;
        w = int(std::min<OPJ_UINT32>(image->x1 - image->x0, 1u << 30));
        h = int(std::min<OPJ_UINT32>(image->y1 - image->y0, 1u << 30));
        s = ImageSquareSide(w, h);
        if (s == 0 || image->numcomps == 0 || image->numcomps > 4)
        {
            LogPrintf("LoadJp2Image: image of %dx%d refused", w, h);
            break;
        }
        if (!opj_decode(codec, stream, image) || !opj_end_decompress(codec, stream)) break;
        // Every byte of the square is written below (image, padding or constant).
        block = AllocateImageBlock(ImageBlockBytes(s));
        if (!block) break;

        // Colour components first in file order; the opacity component is the
        // one marked as alpha, else a fourth (or, for grey, a second) component.
        const opj_image_comp_t* colour[3] = {nullptr, nullptr, nullptr};
        const opj_image_comp_t* opacity = nullptr;
        int colourCount = 0;
        if (image->color_space == OPJ_CLRSPC_SYCC && image->numcomps >= 3) SyccToRgb(image);
        for (OPJ_UINT32 i = 0; i < image->numcomps; ++i)
        {
            const opj_image_comp_t* c = &image->comps[i];
            if (c->alpha && !opacity)
                opacity = c;
            else if (colourCount < 3)
                colour[colourCount++] = c;
            else if (!opacity)
                opacity = c;
        }
        const bool grey = image->color_space == OPJ_CLRSPC_GRAY || colourCount < 3;
        if (grey && !opacity && colourCount == 2) opacity = colour[1];

        if (grey)
        {
            if (Usable(colour[0]))
            {
                const Channel g(colour[0]);
                for (int y = 0; y < h; ++y)
                {
                    uint32_t* row = reinterpret_cast<uint32_t*>(block + size_t(y) * size_t(s) * 4u);
                    for (int x = 0; x < w; ++x)
                        row[x] = 0xFF000000u + uint32_t(g.At(x, y)) * 0x010101u;
                }
                for (int pos = 0; pos < 4; ++pos) PadByte(block, s, w, h, pos);
            }
            else
            {
                std::memset(block, 0, ImageBlockBytes(s));
            }
            if (Usable(opacity))
            {
                alpha = 1;
                FillByte(block, s, w, h, 3, Channel(opacity));
                PadByte(block, s, w, h, 3);
            }
        }
        else
        {
            for (int pos = 0; pos < 3; ++pos)
            {
                const opj_image_comp_t* c = colour[2 - pos];
                if (Usable(c))
                {
                    FillByte(block, s, w, h, pos, Channel(c));
                    PadByte(block, s, w, h, pos);
                }
                else
                {
                    FillConstant(block, s, pos, 0);
                }
            }
            if (Usable(opacity))
            {
                alpha = 1;
                FillByte(block, s, w, h, 3, Channel(opacity));
                PadByte(block, s, w, h, 3);
            }
            else
            {
                alpha = 0;
                FillConstant(block, s, 3, 0xFF);
            }
        }
        ok = true;
    } while (false);

    if (image) opj_image_destroy(image);
    if (codec) opj_destroy_codec(codec);
    opj_stream_destroy(stream);  // closes the file
    if (!ok)
    {
        if (w > 0 && s != 0) LogPrintf("LoadJp2Image: cannot decode %s", name.CStr());
        ReleaseImageBlock(block);
        return false;
    }
    *out = block;
    if (width) *width = w;
    if (height) *height = h;
    if (side) *side = s;
    if (hasAlpha) *hasAlpha = alpha;
    return true;
}

void FreeJp2Image(uint8_t* pixels)
{
    ReleaseImageBlock(pixels);
}
