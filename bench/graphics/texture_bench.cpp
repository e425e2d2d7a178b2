// Loading a 1024 x 1024 PNG and JPEG as a texture (file through the
// framework's file layer, decode into the square block, surface creation
// and upload) against decoding the same bytes straight with libpng and
// libjpeg from memory into BGRA rows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "graphics/BenchDisplay.h"

namespace
{

constexpr int kSide = 1024;

// A picture with smooth areas and detail, so neither codec has it easy.
std::vector<uint8_t> Picture()
{
    std::vector<uint8_t> rgb(size_t(kSide) * kSide * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
        {
            noise = noise * 1103515245u + 12345u;
            uint8_t* p = &rgb[(size_t(y) * kSide + x) * 3];
            p[0] = uint8_t(x / 4 + ((noise >> 16) & 15));
            p[1] = uint8_t(y / 4);
            p[2] = uint8_t(128 + 100 * std::sin(x * 0.05) * std::cos(y * 0.03));
        }
    return rgb;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), n);
}

std::string EncodePng(const std::vector<uint8_t>& rgb)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngWrite, nullptr);
    png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kSide; ++y)
        png_write_row(png, const_cast<png_bytep>(&rgb[size_t(y) * kSide * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string EncodeJpeg(const std::vector<uint8_t>& rgb)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = kSide;
    c.image_height = kSide;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[size_t(c.next_scanline) * kSide * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    jpeg_destroy_compress(&c);
    free(mem);
    return out;
}

// The pictures, and the files in a temporary asset folder with a hidden
// display, made once.
struct Bench
{
    Bench()
        : rgb(Picture()),
          png(EncodePng(rgb)),
          jpeg(EncodeJpeg(rgb)),
          display(640, 480, {{"bench.png", png}, {"bench.jpg", jpeg}})
    {
    }
    std::vector<uint8_t> rgb;
    std::string png, jpeg;
    BenchDisplay display;
};

Bench& Setup()
{
    static Bench bench;
    return bench;
}

struct PngSource
{
    const std::string* bytes;
    size_t pos;
};

void PngReadMemory(png_structp png, png_bytep out, png_size_t n)
{
    auto* s = static_cast<PngSource*>(png_get_io_ptr(png));
    if (s->pos + n > s->bytes->size()) png_error(png, "short");
    memcpy(out, s->bytes->data() + s->pos, n);
    s->pos += n;
}

void BM_PngBareDecode(benchmark::State& state)
{
    Bench& b = Setup();
    std::vector<uint8_t> block(size_t(kSide) * kSide * 4);
    std::vector<png_bytep> rows(kSide);
    for (int y = 0; y < kSide; ++y) rows[size_t(y)] = &block[size_t(y) * kSide * 4];
    for (auto _ : state)
    {
        PngSource src{&b.png, 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png)))
        {
            state.SkipWithError("decode failed");
            break;
        }
        png_set_read_fn(png, &src, PngReadMemory);
        png_read_info(png, info);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        png_read_update_info(png, info);
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(block.data());
    }
}

void BM_JpegBareDecode(benchmark::State& state)
{
    Bench& b = Setup();
    std::vector<uint8_t> block(size_t(kSide) * kSide * 4);
    for (auto _ : state)
    {
        jpeg_decompress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_decompress(&c);
        jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(b.jpeg.data()), b.jpeg.size());
        jpeg_read_header(&c, TRUE);
        c.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&c);
        while (c.output_scanline < c.output_height)
        {
            JSAMPROW row = &block[size_t(c.output_scanline) * kSide * 4];
            jpeg_read_scanlines(&c, &row, 1);
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);
        benchmark::DoNotOptimize(block.data());
    }
}

void LoadTexture(benchmark::State& state, const char* name)
{
    Setup();
    for (auto _ : state)
    {
        TTextureRef t = TTexture::Get(name, 0);
        if (!t || t->GetWidth() != kSide)
        {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(t.get());
    }  // the reference dies each round, so every round loads the file again
}

void BM_PngTexture(benchmark::State& state)
{
    LoadTexture(state, "bench.png");
}
void BM_JpegTexture(benchmark::State& state)
{
    LoadTexture(state, "bench.jpg");
}

BENCHMARK(BM_PngBareDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegBareDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegTexture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
