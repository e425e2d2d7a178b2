// The PNG, JPEG and JPEG-2000 loaders: every colour layout they meet, the
// S x S block with its padding, size limits and damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "graphics/ImageDecoder.h"
#include "support/ImageAssets.h"

namespace
{

using imagefx::EncodeJp2;
using imagefx::EncodeJpeg;
using imagefx::EncodePng;
using imagefx::Jp2Spec;
using imagefx::PngSpec;

struct Decoded
{
    bool ok = false;
    uint8_t* px = nullptr;
    int w = -1, h = -1, s = -1, alpha = -1;
    ~Decoded() { std::free(px); }
    uint32_t At(int x, int y) const
    {
        uint32_t v;
        std::memcpy(&v, px + (size_t(y) * s + x) * 4, 4);
        return v;
    }
};

class ImageDecoder : public ::testing::Test
{
protected:
    void TearDown() override { SetMaxImageSide(8192); }

    void Png(Decoded& d, const std::string& name)
    {
        uint32_t key = 1;
        d.ok = LoadPngImage(nullptr, 0, name.c_str(), &d.px, &d.w, &d.h, &d.s, &key, &d.alpha);
        if (d.ok)
        {
            EXPECT_EQ(key, 0u);
        }
    }
    void Jpeg(Decoded& d, const std::string& name)
    {
        d.ok = LoadJpegImage(name.c_str(), &d.px, &d.w, &d.h, &d.s);
    }
    void Jp2(Decoded& d, const std::string& name, int alphaIn = -1)
    {
        d.alpha = alphaIn;
        d.ok = LoadJp2Image(name.c_str(), &d.px, &d.w, &d.h, &d.s, &d.alpha);
    }

    ImageAssets assets_;
};

PngSpec Rows(int w, int h, int type, int depth, std::vector<std::vector<uint8_t>> rows)
{
    PngSpec s;
    s.width = w;
    s.height = h;
    s.colorType = type;
    s.bitDepth = depth;
    s.rows = std::move(rows);
    return s;
}

TEST_F(ImageDecoder, SquareSideIsTheNextPowerOfTwoOfTheLargerSide)
{
    struct Case
    {
        int w, h, side;
    } const cases[] = {{300, 200, 512}, {1, 1, 1}, {512, 512, 512}, {2, 3, 4},
                       {1024, 1, 1024}, {0, 5, 0}, {8193, 1, 0}};
    for (const Case& c : cases) EXPECT_EQ(ImageSquareSide(c.w, c.h), c.side) << c.w << "x" << c.h;
}

TEST_F(ImageDecoder, PngColourTypesBecomeBlueGreenRedAlpha)
{
    PngSpec palette = Rows(2, 1, 3, 8, {{0, 1}});
    palette.paletteRgb = {255, 0, 0, 0, 0, 255};
    PngSpec paletteTrns = palette;
    paletteTrns.trns = {128, 255};
    PngSpec rgbKey = Rows(2, 1, 2, 8, {{10, 20, 30, 1, 2, 3}});
    rgbKey.trns = {10, 20, 30};
    PngSpec interlaced = Rows(2, 1, 6, 8, {{1, 2, 3, 4, 5, 6, 7, 8}});
    interlaced.interlace = true;
    struct Case
    {
        const char* what;
        PngSpec spec;
        uint32_t first, second;
        int hasAlpha;
    } const cases[] = {
        {"rgba", Rows(2, 1, 6, 8, {{1, 2, 3, 4, 5, 6, 7, 8}}), 0x04010203u, 0x08050607u, 1},
        {"rgb", Rows(2, 1, 2, 8, {{1, 2, 3, 4, 5, 6}}), 0xFF010203u, 0xFF040506u, 0},
        {"palette", palette, 0xFFFF0000u, 0xFF0000FFu, 0},
        {"palette with tRNS", paletteTrns, 0x80FF0000u, 0xFF0000FFu, 1},
        {"grey", Rows(2, 1, 0, 8, {{7, 200}}), 0xFF070707u, 0xFFC8C8C8u, 0},
        {"grey with alpha", Rows(2, 1, 4, 8, {{7, 9, 200, 255}}), 0x09070707u, 0xFFC8C8C8u, 1},
        {"grey 1-bit", Rows(2, 1, 0, 1, {{0x40}}), 0xFF000000u, 0xFFFFFFFFu, 0},
        {"rgb 16-bit",
         Rows(2, 1, 2, 16, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0, 0, 0xFF, 0xFF, 0x80, 0}}),
         0xFF12569Au, 0xFF00FF80u, 0},
        {"rgb with tRNS key", rgbKey, 0x000A141Eu, 0xFF010203u, 0},
        {"interlaced", interlaced, 0x04010203u, 0x08050607u, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        assets_.Put("t.png", EncodePng(c.spec));
        Decoded d;
        Png(d, "t.png");
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.w, 2);
        EXPECT_EQ(d.h, 1);
        EXPECT_EQ(d.s, 2);
        EXPECT_EQ(d.At(0, 0), c.first);
        EXPECT_EQ(d.At(1, 0), c.second);
        EXPECT_EQ(d.At(0, 1), 0u);  // padding row
        EXPECT_EQ(d.alpha, c.hasAlpha);
    }
}

TEST_F(ImageDecoder, PngGammaIsCorrectedForAScreenOf22)
{
    PngSpec linear = Rows(1, 1, 0, 8, {{128}});
    linear.gamma = 1.0;
    PngSpec display = linear;
    display.gamma = 1.0 / 2.2;
    assets_.Put("lin.png", EncodePng(linear));
    assets_.Put("disp.png", EncodePng(display));
    Decoded a, b;
    Png(a, "lin.png");
    Png(b, "disp.png");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_NEAR(int(a.At(0, 0) & 0xFF), 186, 1);  // 255 * (128/255)^(1/2.2)
    EXPECT_NEAR(int(b.At(0, 0) & 0xFF), 128, 1);
}

TEST_F(ImageDecoder, PngBlockIsSquareWithZeroPadding)
{
    std::vector<uint32_t> px(300 * 200, 0xFF336699u);
    assets_.Put("big.png", imagefx::PngFromArgb(300, 200, px, false));
    Decoded d;
    Png(d, "big.png");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.s, 512);
    EXPECT_EQ(d.At(299, 199), 0xFF336699u);
    EXPECT_EQ(d.At(300, 0), 0u);
    EXPECT_EQ(d.At(0, 200), 0u);
    EXPECT_EQ(d.At(511, 511), 0u);
}

TEST_F(ImageDecoder, PngFailuresReleaseEverythingAndNullThePointer)
{
    std::vector<uint32_t> px(16 * 16, 0xFF00FF00u);
    const std::string good = imagefx::PngFromArgb(16, 16, px);
    assets_.Put("trunc.png", imagefx::Truncated(good, good.size() / 2));
    assets_.Put("sig.png", imagefx::Truncated(good, 6));
    assets_.Put("corrupt.png", imagefx::Corrupted(good, 40, 7));
    assets_.Put("notpng.png", "GIF89a not a png at all");
    for (const char* name : {"trunc.png", "sig.png", "corrupt.png", "notpng.png", "missing.png"})
    {
        SCOPED_TRACE(name);
        Decoded d;
        d.px = static_cast<uint8_t*>(std::malloc(64));  // a buffer the loader takes over
        Png(d, name);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.px, nullptr);
    }
}

TEST_F(ImageDecoder, HeadersAboveTheSizeLimitAreRefusedBeforeAllocating)
{
    SetMaxImageSide(16);
    std::vector<uint32_t> px(17, 0xFFFFFFFFu);
    assets_.Put("wide.png", imagefx::PngFromArgb(17, 1, px));
    assets_.Put("wide.jpg", imagefx::JpegFromArgb(17, 1, px));
    Jp2Spec j;
    j.width = 17;
    j.grey = true;
    j.components = {std::vector<int32_t>(17, 3)};
    assets_.Put("wide.jp2", EncodeJp2(j));
    Decoded a, b, c;
    Png(a, "wide.png");
    Jpeg(b, "wide.jpg");
    Jp2(c, "wide.jp2");
    EXPECT_FALSE(a.ok);
    EXPECT_FALSE(b.ok);
    EXPECT_FALSE(c.ok);
    SetMaxImageSide(8192);
    Decoded again;
    Png(again, "wide.png");
    EXPECT_TRUE(again.ok);
}

// --- JPEG ---

TEST_F(ImageDecoder, JpegColourAndGreyLoadOpaqueWithZeroedPadding)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 3 * 2; ++i)
    {
        rgb.push_back(200);
        rgb.push_back(100);
        rgb.push_back(50);
    }
    assets_.Put("c.jpg", EncodeJpeg(3, 2, 3, rgb));
    assets_.Put("g.jpg", EncodeJpeg(3, 2, 1, std::vector<uint8_t>(6, 90)));
    assets_.Put("p.jpg", EncodeJpeg(3, 2, 3, rgb, 90, true));
    for (const char* name : {"c.jpg", "p.jpg"})
    {
        SCOPED_TRACE(name);
        Decoded d;
        Jpeg(d, name);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.w, 3);
        EXPECT_EQ(d.h, 2);
        EXPECT_EQ(d.s, 4);
        const uint32_t p = d.At(1, 1);
        EXPECT_EQ(p >> 24, 0xFFu);
        EXPECT_NEAR(int((p >> 16) & 0xFF), 200, 4);
        EXPECT_NEAR(int((p >> 8) & 0xFF), 100, 4);
        EXPECT_NEAR(int(p & 0xFF), 50, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                if (x >= 3 || y >= 2)
                {
                    EXPECT_EQ(d.At(x, y), 0u) << x << "," << y;
                }
    }
    Decoded g;
    Jpeg(g, "g.jpg");
    ASSERT_TRUE(g.ok);
    const uint32_t p = g.At(2, 1);
    EXPECT_EQ(p, 0xFF000000u | (p & 0xFF) * 0x010101u);
    EXPECT_NEAR(int(p & 0xFF), 90, 2);
}

// A released block is handed to the next load of that size: its padding
// must be cleared again, not left as the previous picture.
TEST_F(ImageDecoder, ReusedBlocksStartWithZeroPaddingAgain)
{
    const std::vector<uint32_t> full(4 * 4, 0xFFFFFFFFu), small(3 * 3, 0xFF808080u);
    assets_.Put("full.png", imagefx::PngFromArgb(4, 4, full));
    assets_.Put("small.png", imagefx::PngFromArgb(3, 3, small));
    assets_.Put("full.jpg", imagefx::JpegFromArgb(4, 4, full));
    assets_.Put("small.jpg", imagefx::JpegFromArgb(3, 3, small));
    struct Case
    {
        const char* what;
        const char* full;
        const char* small;
        bool png;
    } const cases[] = {{"png", "full.png", "small.png", true},
                       {"jpeg", "full.jpg", "small.jpg", false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Decoded first;
        c.png ? Png(first, c.full) : Jpeg(first, c.full);
        ASSERT_TRUE(first.ok);
        ASSERT_EQ(first.s, 4);
        uint8_t* const recycled = first.px;
        c.png ? FreePngImage(first.px) : FreeJpegImage(first.px);
        first.px = nullptr;
        Decoded second;
        c.png ? Png(second, c.small) : Jpeg(second, c.small);
        ASSERT_TRUE(second.ok);
        ASSERT_EQ(second.s, 4);
        EXPECT_EQ(second.px, recycled);  // the block really was reused
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                if (x >= 3 || y >= 3)
                {
                    EXPECT_EQ(second.At(x, y), 0u) << x << "," << y;
                }
    }
}

TEST_F(ImageDecoder, JpegCutAfterItsHeaderStillLoads)
{
    std::vector<uint8_t> rgb(64 * 64 * 3, 77);
    const std::string full = EncodeJpeg(64, 64, 3, rgb, 90);
    // Keep the headers and a little scan data: the rest reads as end of image.
    size_t sos = full.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    assets_.Put("cut.jpg", imagefx::Truncated(full, sos + 40));
    Decoded d;
    Jpeg(d, "cut.jpg");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.w, 64);
}

TEST_F(ImageDecoder, CorruptJpegFailsCleanlyInsteadOfEndingTheProgram)
{
    std::vector<uint8_t> rgb(32 * 32 * 3, 77);
    const std::string full = EncodeJpeg(32, 32, 3, rgb, 90);
    std::string badMarker = full;
    // A frame type the decoder does not support.
    const size_t sof = badMarker.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    badMarker[sof + 1] = char(0xC3);
    struct Case
    {
        const char* name;
        std::string bytes;
    } const cases[] = {
        {"empty.jpg", ""},
        {"soi.jpg", "\xFF\xD8"},
        {"marker.jpg", badMarker},
        {"header-only.jpg", imagefx::Truncated(full, 20)},
        {"text.jpg", "this is not a jpeg"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        assets_.Put(c.name, c.bytes);
        Decoded d;
        Jpeg(d, c.name);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.px, nullptr);
    }
    EXPECT_TRUE(assets_.LogHas("LoadJpegImage: cannot decode"));
    Decoded missing;
    Jpeg(missing, "nothing.jpg");
    EXPECT_FALSE(missing.ok);
}

// --- JPEG-2000 ---

TEST_F(ImageDecoder, Jp2ColourImagePadsByRepeatingTheLastColumnAndRow)
{
    Jp2Spec s;
    s.width = 3;
    s.height = 2;
    s.components = {{10, 20, 30, 40, 50, 60}, {1, 2, 3, 4, 5, 6}, {100, 110, 120, 130, 140, 150}};
    assets_.Put("rgb.jp2", EncodeJp2(s));
    Decoded d;
    Jp2(d, "rgb.jp2", 1);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.w, 3);
    EXPECT_EQ(d.h, 2);
    EXPECT_EQ(d.s, 4);
    EXPECT_EQ(d.alpha, 0);  // no opacity component
    EXPECT_EQ(d.At(0, 0), 0xFF0A0164u);
    EXPECT_EQ(d.At(2, 1), 0xFF3C0696u);
    EXPECT_EQ(d.At(3, 0), d.At(2, 0));
    EXPECT_EQ(d.At(3, 1), d.At(2, 1));
    for (int x = 0; x < 4; ++x)
    {
        EXPECT_EQ(d.At(x, 2), d.At(x, 1));
        EXPECT_EQ(d.At(x, 3), d.At(x, 1));
    }
}

TEST_F(ImageDecoder, Jp2SamplesAreScaledToEightBits)
{
    struct Case
    {
        const char* what;
        int precision;
        bool isSigned;
        int32_t sample;
        uint32_t grey;
    } const cases[] = {
        {"4-bit 15", 4, false, 15, 0xF0},          {"4-bit 1", 4, false, 1, 0x10},
        {"12-bit max", 12, false, 4095, 0xFF},     {"12-bit half", 12, false, 2048, 0x80},
        {"16-bit", 16, false, 0x1234, 0x12},       {"signed 8-bit zero", 8, true, 0, 0x80},
        {"signed 8-bit min", 8, true, -128, 0x00},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Jp2Spec s;
        s.grey = true;
        s.precision = c.precision;
        s.isSigned = c.isSigned;
        s.components = {{c.sample}};
        assets_.Put("g.jp2", EncodeJp2(s));
        Decoded d;
        Jp2(d, "g.jp2", 7);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.At(0, 0), 0xFF000000u | c.grey * 0x010101u);
        EXPECT_EQ(d.alpha, 7);  // grey without opacity leaves the caller's value
    }
}

TEST_F(ImageDecoder, Jp2OpacityComponentsGiveAlpha)
{
    Jp2Spec rgba;
    rgba.width = 2;
    rgba.components = {{255, 0}, {0, 255}, {0, 0}, {128, 64}};
    rgba.lastIsAlpha = true;
    Jp2Spec greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.grey = true;
    greyAlpha.components = {{50, 60}, {255, 0}};
    greyAlpha.lastIsAlpha = true;
    Jp2Spec subsampled;  // opacity at half resolution
    subsampled.width = 4;
    subsampled.height = 2;
    subsampled.grey = true;
    subsampled.components = {{1, 2, 3, 4, 5, 6, 7, 8}, {10, 200}};
    subsampled.lastIsAlpha = true;
    subsampled.subsampleLast = 2;
    Jp2Spec stream = rgba;
    stream.codestream = true;
    stream.lastIsAlpha =
        false;  // a bare codestream has no channel definitions: the fourth is opacity
    struct Case
    {
        const char* what;
        Jp2Spec spec;
        uint32_t first, second;
    } const cases[] = {
        {"rgba", rgba, 0x80FF0000u, 0x4000FF00u},
        {"grey+alpha", greyAlpha, 0xFF323232u, 0x003C3C3Cu},
        {"subsampled alpha", subsampled, 0x0A010101u, 0x0A020202u},
        {"codestream", stream, 0x80FF0000u, 0x4000FF00u},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        assets_.Put("a.jp2", EncodeJp2(c.spec));
        Decoded d;
        Jp2(d, "a.jp2", 0);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.alpha, 1);
        EXPECT_EQ(d.At(0, 0), c.first);
        EXPECT_EQ(d.At(1, 0), c.second);
    }
}

// A colour component stored at half resolution is spread over the pixels it
// covers, not read past its own smaller sample grid.
TEST_F(ImageDecoder, Jp2SubsampledColourIsUpsampled)
{
    Jp2Spec s;
    s.width = 4;
    s.height = 2;
    s.components = {{1, 2, 3, 4, 5, 6, 7, 8}, {10, 20, 30, 40, 50, 60, 70, 80}, {100, 200}};
    s.subsampleLast = 2;  // blue: one sample per 2 x 2 pixels
    assets_.Put("sub.jp2", EncodeJp2(s));
    Decoded d;
    Jp2(d, "sub.jp2", 1);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.alpha, 0);
    const uint32_t expected[2][4] = {{0xFF010A64u, 0xFF021464u, 0xFF031EC8u, 0xFF0428C8u},
                                     {0xFF053264u, 0xFF063C64u, 0xFF0746C8u, 0xFF0850C8u}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(d.At(x, y), expected[y][x]) << x << "," << y;
}

TEST_F(ImageDecoder, DamagedJp2FilesFail)
{
    Jp2Spec s;
    s.width = 32;
    s.height = 32;
    s.components = {std::vector<int32_t>(1024, 9), std::vector<int32_t>(1024, 99),
                    std::vector<int32_t>(1024, 199)};
    const std::string good = EncodeJp2(s);
    ASSERT_FALSE(good.empty());
    struct Case
    {
        const char* name;
        std::string bytes;
    } const cases[] = {
        {"trunc.jp2", imagefx::Truncated(good, good.size() / 3)},
        {"sig.jp2", imagefx::Truncated(good, 10)},
        {"corrupt.jp2", imagefx::Corrupted(good, 30, 5)},
        {"text.jp2", "plain text"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        assets_.Put(c.name, c.bytes);
        Decoded d;
        Jp2(d, c.name, 0);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.px, nullptr);
    }
}

}  // namespace
