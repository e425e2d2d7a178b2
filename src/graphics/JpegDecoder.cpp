// JPEG loader: libjpeg fed from a framework file handle through its own data
// source, with an error manager that hands control back to the loader.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "graphics/ImageDecoder.h"

namespace
{

constexpr size_t kSourceBufferSize = 4096;
constexpr long kJpegMemoryLimit = 0x1000000;

struct FileSource
{
    jpeg_source_mgr pub;
    TFileHandle* file;
    JOCTET* buffer;
    bool startOfFile;
};

struct ErrorManager
{
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void InitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<FileSource*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    int got = ReadFileHandle(src->file, src->buffer, int(kSourceBufferSize));
    if (got <= 0)
    {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A stream that stops early ends the image where it stops.
        src->buffer[0] = JOCTET(0xFF);
        src->buffer[1] = JOCTET(JPEG_EOI);
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = size_t(got);
    src->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    while (count > long(src->pub.bytes_in_buffer))
    {
        count -= long(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += size_t(count);
    src->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void UseFileSource(j_decompress_ptr cinfo, TFileHandle* file)
{
    if (!cinfo->src)
    {
        cinfo->src = static_cast<jpeg_source_mgr*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileSource)));
        auto* src = reinterpret_cast<FileSource*>(cinfo->src);
        src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kSourceBufferSize));
    }
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = file;
    src->startOfFile = true;
}

void ErrorExit(j_common_ptr cinfo)
{
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// The library's messages go to the debug log, not to the standard error.
void OutputMessage(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    LogPrintf("JPEG: %s", text);
}

struct JpegJob
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    TFileHandle* file = nullptr;
    uint8_t* block = nullptr;
    int width = 0, height = 0, side = 0;
};

// The library part of a load. An error jumps back here; nothing in this
// frame or the callbacks needs destruction.
bool JpegDecode(JpegJob* job)
{
    j_decompress_ptr cinfo = &job->cinfo;
    if (setjmp(job->err.jump)) return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kJpegMemoryLimit;
    UseFileSource(cinfo, job->file);
    jpeg_read_header(cinfo, TRUE);
#ifdef JCS_EXTENSIONS
    cinfo->out_color_space = JCS_EXT_BGRA;
#else
    cinfo->out_color_space = JCS_RGB;
#endif
    job->side = ImageSquareSide(int(cinfo->image_width), int(cinfo->image_height));
    if (job->side == 0)
    {
        LogPrintf("JPEG: image of %ux%u refused", unsigned(cinfo->image_width),
                  unsigned(cinfo->image_height));
        return false;
    }
    job->block = AllocateImageBlock(ImageBlockBytes(job->side));
    if (!job->block) return false;
    job->width = int(cinfo->image_width);
    job->height = int(cinfo->image_height);
    // Padding is uploaded with the image, so it must not carry stale memory;
    // every image byte is written by the decode.
    ClearImagePadding(job->block, job->side, job->width, job->height);

    jpeg_start_decompress(cinfo);
    const size_t stride = size_t(job->side) * 4u;
    const int components = cinfo->output_components;
    if (int(cinfo->output_width) != job->width || int(cinfo->output_height) != job->height ||
        (components != 4 && components != 3 && components != 1))
        return false;
    while (cinfo->output_scanline < cinfo->output_height)
    {
        uint8_t* row = job->block + stride * cinfo->output_scanline;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) return false;
        if (components != 4)
        {
            // Widen in place from the right so no source byte is overwritten early.
            for (int x = job->width - 1; x >= 0; --x)
            {
                const uint8_t* s = row + size_t(x) * size_t(components);
                const uint8_t r = s[0], g = components == 3 ? s[1] : s[0],
                              b = components == 3 ? s[2] : s[0];
                uint8_t* d = row + size_t(x) * 4u;
                d[0] = b;
                d[1] = g;
                d[2] = r;
                d[3] = 0xFF;
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

bool LoadJpegImage(const TString& name, uint8_t** pixels, int* width, int* height, int* side)
{
    uint8_t* none = nullptr;
    uint8_t** out = pixels ? pixels : &none;
    *out = nullptr;
    auto* job = new JpegJob;
    std::memset(&job->cinfo, 0, sizeof job->cinfo);
    job->file = OpenFileByName(name, 0);
    if (!job->file)
    {
        delete job;
        return false;
    }
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = ErrorExit;
    job->err.pub.output_message = OutputMessage;

    const bool ok = JpegDecode(job);
    if (!ok) LogPrintf("LoadJpegImage: cannot decode %s", name.CStr());
    jpeg_destroy_decompress(&job->cinfo);
    CloseFileHandle(job->file);
    if (ok)
    {
        *out = job->block;
        if (width) *width = job->width;
        if (height) *height = job->height;
        if (side) *side = job->side;
    }
    else
    {
        ReleaseImageBlock(job->block);
    }
    delete job;
    return ok;
}

void FreeJpegImage(uint8_t* pixels)
{
    ReleaseImageBlock(pixels);
}
