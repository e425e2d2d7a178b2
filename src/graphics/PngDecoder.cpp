// PNG loader: libpng fed from a framework file handle, every colour type
// turned into the S x S blue-green-red-alpha block.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "graphics/ImageDecoder.h"

namespace
{

// Everything a load owns, kept in the caller's frame so that the clean-up
// after a library error sees the latest values.
struct PngJob
{
    TFileHandle* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* block = nullptr;
    png_bytep* rows = nullptr;
    uint8_t** callerPixels = nullptr;
    int width = 0, height = 0, side = 0, hasAlpha = 0;
};

void PngRead(png_structp png, png_bytep out, png_size_t count)
{
    auto* file = static_cast<TFileHandle*>(png_get_io_ptr(png));
    if (count > 0x7FFFFFFF || ReadFileHandle(file, out, int(count)) != int(count))
        png_error(png, "Read Error");
}

void PngError(png_structp png, png_const_charp message)
{
    const char* name = static_cast<const char*>(png_get_error_ptr(png));
    LogPrintf("PNG error in %s: %s", name ? name : "?", message ? message : "");
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// The library part of a load. A library error jumps back here; no object
// with a destructor lives in this frame or in the callbacks it runs.
bool PngDecode(PngJob* job)
{
    png_structp png = job->png;
    png_infop info = job->info;
    if (setjmp(png_jmpbuf(png))) return false;

    png_set_read_fn(png, job->file, PngRead);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, png_uint_32(GetMaxImageSide()), png_uint_32(GetMaxImageSide()));
    png_set_chunk_malloc_max(png, 8u << 20);
    png_read_info(png, info);

    png_uint_32 w = 0, h = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &colourType, &interlace, nullptr, nullptr);

    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (depth < 8 && colourType != PNG_COLOR_TYPE_PALETTE) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA)) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    double fileGamma = 0.0;
    if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, 2.2, fileGamma);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    if (colourType == PNG_COLOR_TYPE_PALETTE)
        job->hasAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) ? 1 : 0;
    else
        job->hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) ? 1 : 0;

    job->side = ImageSquareSide(int(w), int(h));
    if (job->side == 0) png_error(png, "image too large");
    // Every transformation above ends in 4 bytes per pixel; anything else
    // would overrun the rows.
    if (png_get_rowbytes(png, info) != png_size_t(w) * 4u) png_error(png, "unexpected row layout");
    job->width = int(w);
    job->height = int(h);

    if (*job->callerPixels)
    {
        ReleaseImageBlock(*job->callerPixels);
        *job->callerPixels = nullptr;
    }
    job->block = AllocateImageBlock(ImageBlockBytes(job->side));
    job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * size_t(job->height)));
    if (!job->block || !job->rows) png_error(png, "Visual PNG: out of memory");
    ClearImagePadding(job->block, job->side, job->width, job->height);
    const size_t stride = size_t(job->side) * 4u;
    for (int r = 0; r < job->height; ++r) job->rows[r] = job->block + stride * size_t(r);
    png_read_image(png, job->rows);
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool LoadPngImage(TTextureData* data, int option, const TString& name, uint8_t** pixels, int* width,
                  int* height, int* side, uint32_t* colorKey, int* hasAlpha)
{
    (void)data;
    (void)option;
    if (colorKey) *colorKey = 0;
    uint8_t* none = nullptr;
    PngJob job;
    job.callerPixels = pixels ? pixels : &none;

    // The buffer handed in belongs to this call from here on, so a failure
    // releases it instead of dropping the only pointer to it.
    auto fail = [&]()
    {
        ReleaseImageBlock(*job.callerPixels);
        *job.callerPixels = nullptr;
        return false;
    };
    job.file = OpenFileByName(name, 0);
    if (!job.file) return fail();
    png_byte signature[8];
    if (ReadFileHandle(job.file, signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0)
    {
        CloseFileHandle(job.file);
        return fail();
    }
    // The file's name travels as the error handler's pointer, so that the
    // library's message says which file failed.
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, const_cast<char*>(name.CStr()),
                                     PngError, PngWarning);
    if (job.png) job.info = png_create_info_struct(job.png);

    const bool ok = job.png && job.info && PngDecode(&job);

    std::free(job.rows);
    if (job.png) png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
    CloseFileHandle(job.file);
    if (!ok)
    {
        ReleaseImageBlock(job.block);
        return fail();
    }
    *job.callerPixels = job.block;
    if (width) *width = job.width;
    if (height) *height = job.height;
    if (side) *side = job.side;
    if (hasAlpha) *hasAlpha = job.hasAlpha;
    return true;
}

void FreePngImage(uint8_t* pixels)
{
    ReleaseImageBlock(pixels);
}
