// Image fixtures the graphics tests write themselves with the encoders of
// libpng, libjpeg and OpenJPEG, and a temporary asset folder to put them in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imagefx
{

// --- PNG ---
struct PngSpec
{
    int width = 1, height = 1;
    int colorType = 6;  // libpng colour type (0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA)
    int bitDepth = 8;
    bool interlace = false;
    double gamma = 0.0;  // written as gAMA when > 0
    // Rows as libpng takes them (packed samples, big-endian 16-bit), height rows.
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint8_t> paletteRgb;  // 3 bytes per entry
    std::vector<uint8_t> trns;        // palette alphas, or a grey/RGB key in its raw form
};
std::string EncodePng(const PngSpec& spec);
// An 8-bit RGBA (or RGB when withAlpha is false) PNG from 0xAARRGGBB pixels.
std::string PngFromArgb(int width, int height, const std::vector<uint32_t>& argb,
                        bool withAlpha = true);

// --- JPEG ---
// samples: width x height x components (1 grey or 3 RGB) bytes.
std::string EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                       int quality = 100, bool progressive = false);
std::string JpegFromArgb(int width, int height, const std::vector<uint32_t>& argb);

// --- JPEG-2000 ---
struct Jp2Spec
{
    int width = 1, height = 1;
    int precision = 8;
    bool isSigned = false;
    bool grey = false;         // colour space grey (else sRGB)
    bool lastIsAlpha = false;  // the last component is opacity
    bool codestream = false;   // bare J2K instead of a JP2 file
    int subsampleLast = 1;     // dx = dy of the last component
    std::vector<std::vector<int32_t>>
        components;  // each width x height samples (subsampled sizes for the last)
};
std::string EncodeJp2(const Jp2Spec& spec);

// --- damaged copies ---
// Copies of a file's bytes: cut to keep bytes, and with bytes flipped from
// offset on every step bytes.
std::string Truncated(const std::string& bytes, size_t keep);
std::string Corrupted(const std::string& bytes, size_t from, size_t step);

}  // namespace imagefx
