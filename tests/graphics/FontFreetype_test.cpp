// The default font against FreeType's own rendering of DejaVu Sans: a line
// of text written into a pixel block by the rasteriser core matches it
// within a mean and a largest difference per pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "graphics/FontRegistry.h"
#include "graphics/VecDraw.h"

#ifdef ORVELLE_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

TEST(FontFreetype, LineOfTextMatchesFreeType)
{
#ifndef ORVELLE_HAVE_FREETYPE
    GTEST_SKIP() << "built without FreeType";
#else
    const char* ttf = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    FT_Library lib;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&lib), 0);
    if (FT_New_Face(lib, ttf, 0, &face) != 0)
    {
        FT_Done_FreeType(lib);
        GTEST_SKIP() << "DejaVu Sans is not installed";
    }
    std::unique_ptr<TVecFont> font = TFontRegistry::MakeBuiltInFont();
    const char* text = "Sphinx of black quartz, judge my vow! 0123456789";
    const int W = 900, H = 60;
    for (int px : {12, 16, 32})
    {
        SCOPED_TRACE(px);
        std::vector<uint32_t> ours(size_t(W * H), 0xFF000000u);
        std::vector<int> theirs(size_t(W * H), 0);
        TQvMiniVecDraw d;
        d.SetColor(1, TFloatVector4(1, 1, 1, 1), 1.0f);
        // The em is 128 pixels at size 1 in the file.
        d.transform.scaleX = d.transform.scaleY = 4.0f * float(px) / 128.0f;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(px));
        const float baseline = 40.0f;
        float pen = 4.0f;
        for (const char* c = text; *c; ++c)
        {
            const int g = font->FindGlyph(uint8_t(*c));
            ASSERT_GE(g, 0);
            d.BeginPixelTarget(pen, baseline, ours.data(), W, H, W);
            d.Render(font->GetGlyphShape(g), font->GetImageEnd(), 0, 0);
            // FreeType at the same quarter-pixel pen position.
            const float q = std::floor(pen * 4.0f) / 4.0f;
            FT_Vector delta{FT_Pos((q - std::floor(q)) * 64.0f), 0};
            FT_Set_Transform(face, nullptr, &delta);
            ASSERT_EQ(FT_Load_Char(face, FT_ULong(uint8_t(*c)), FT_LOAD_NO_HINTING | FT_LOAD_RENDER), 0);
            const FT_Bitmap& bm = face->glyph->bitmap;
            for (unsigned y = 0; y < bm.rows; ++y)
                for (unsigned x = 0; x < bm.width; ++x)
                {
                    const int gx = int(std::floor(q)) + face->glyph->bitmap_left + int(x);
                    const int gy = int(baseline) - face->glyph->bitmap_top + int(y);
                    if (gx < 0 || gy < 0 || gx >= W || gy >= H) continue;
                    int& t = theirs[size_t(gy * W + gx)];
                    t = std::min(255, t + bm.buffer[y * unsigned(bm.pitch) + x]);
                }
            pen += font->GetAdvance(g) * float(px) / 128.0f;
        }
        d.EndPixelTarget();
        long total = 0, inked = 0;
        int worst = 0;
        for (size_t i = 0; i < ours.size(); ++i)
        {
            const int o = int(ours[i] & 255), t = theirs[i];
            if (!o && !t) continue;
            ++inked;
            total += std::abs(o - t);
            worst = std::max(worst, std::abs(o - t));
        }
        ASSERT_GT(inked, 100);
        const double mean = double(total) / double(inked);
        std::printf("%d px: mean difference %.1f, largest %d (of 255) over %ld pixels\n", px, mean,
                    worst, inked);
        EXPECT_LT(mean, 28.0);  // 16 coverage levels against exact areas
        EXPECT_LT(worst, 128);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
#endif
}
