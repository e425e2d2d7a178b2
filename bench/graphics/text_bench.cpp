// Text: a page of about 2,000 characters at 16 px (em) under a 48 px
// heading. (1) Rasterised by the rasteriser core into a 32-bit pixel block
// with the span cache off, against FreeType rendering the same glyphs of
// DejaVu Sans unhinted and blending them into an equal block. (2) The same
// page replayed from a warm cache that also holds 20,000 entries of other
// sizes and phases. (3) The page drawn per frame through the vector drawer
// and the drawing context, against the same spans handed straight to the
// device as line lists. (4) Laying the page out as a text object.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/FontRegistry.h"
#include "graphics/TextGraphic.h"
#include "graphics/VecDraw.h"
#include "platform/gfx/Device.h"

#ifdef ORVELLE_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace
{

constexpr int kW = 800, kH = 600;

struct PlacedGlyph
{
    uint32_t code;
    int index;
    float x, y;  // pen position, pixels
    int em;      // pixels
};

const TVecFont& Font()
{
    static std::unique_ptr<TVecFont> font = TFontRegistry::MakeBuiltInFont();
    return *font;
}

std::string PageText()
{
    static const char* words[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog",
                                  "stall", "customer", "courier", "mana", "level", "gold",
                                  "Market", "Harbour", "builds", "serves", "upgrade", "clock"};
    std::mt19937 rng(7);
    std::string s;
    while (s.size() < 2000)
    {
        s += words[rng() % 20];
        s += (rng() % 9 == 0) ? ". " : " ";
    }
    return s;
}

// A simple page: the heading, then the body wrapped at 760 pixels.
std::vector<PlacedGlyph> Page()
{
    std::vector<PlacedGlyph> out;
    const TVecFont& f = Font();
    auto line = [&](const std::string& text, int em, float y, size_t* from)
    {
        float x = 20;
        size_t i = *from;
        for (; i < text.size(); ++i)
        {
            const int g = f.FindGlyph(uint8_t(text[i]));
            const float adv = f.GetAdvance(g) * float(em) / 128.0f;
            if (x + adv > 780 && text[i] == ' ')
            {
                ++i;
                break;
            }
            out.push_back({uint32_t(uint8_t(text[i])), g, x, y, em});
            x += adv;
        }
        *from = i;
    };
    size_t at = 0;
    line("Harbour Market Chronicle", 48, 60, &at);
    const std::string body = PageText();
    at = 0;
    for (float y = 100; at < body.size() && y < kH; y += 19) line(body, 16, y, &at);
    return out;
}

TVecRamps WhiteRamps()
{
    TVecRamps r;
    BuildCoverageRamp(TFloatVector4(1, 1, 1, 1), 1.0f, r.ramp[3]);
    return r;
}

void RasterPage(TVecRaster& raster, const std::vector<PlacedGlyph>& page, std::vector<uint32_t>& px)
{
    static const TVecRamps ramps = WhiteRamps();
    const TVecFont& f = Font();
    TVecTransform t;
    for (const PlacedGlyph& g : page)
    {
        t.scaleX = t.scaleY = 4.0f * float(g.em) / 128.0f;
        const int q = int(std::floor(g.x * 4.0f));
        int n = 0;
        const TVecSpan* spans = raster.Render(f.GetGlyphShape(g.index), f.GetImageEnd(), q & 3, 0, t, &n);
        WriteVecSpans(spans, n, q >> 2, int(g.y), ramps, px.data(), kW, kH, kW, kVecBlendOver);
    }
}

void BM_TextPageRasterNoCache(benchmark::State& state)
{
    const std::vector<PlacedGlyph> page = Page();
    std::vector<uint32_t> px(size_t(kW * kH));
    TVecRaster raster;
    raster.SetCacheEnabled(false);
    for (auto _ : state)
    {
        std::fill(px.begin(), px.end(), 0xFF000000u);
        RasterPage(raster, page, px);
        benchmark::DoNotOptimize(px.data());
    }
    state.counters["glyphs"] = double(page.size());
}
BENCHMARK(BM_TextPageRasterNoCache)->Unit(benchmark::kMicrosecond);

void BM_TextPageWarmCache(benchmark::State& state)
{
    const std::vector<PlacedGlyph> page = Page();
    std::vector<uint32_t> px(size_t(kW * kH));
    TVecRaster raster;
    const TVecFont& f = Font();
    // 20,000 entries of other sizes and phases around the page's own.
    TVecTransform t;
    int n = 0;
    for (int size = 8; size < 48 && raster.GetCacheEntries() < 20000; ++size)
    {
        if (size == 16) continue;
        t.scaleX = t.scaleY = 4.0f * float(size) / 128.0f;
        for (int g = 0; g < f.GetGlyphCount() && raster.GetCacheEntries() < 20000; ++g)
            raster.Render(f.GetGlyphShape(g), f.GetImageEnd(), (g + size) & 3, ((g + size) >> 2) & 3,
                          t, &n);
    }
    RasterPage(raster, page, px);
    for (auto _ : state)
    {
        std::fill(px.begin(), px.end(), 0xFF000000u);
        RasterPage(raster, page, px);
        benchmark::DoNotOptimize(px.data());
    }
    state.counters["entries"] = double(raster.GetCacheEntries());
    state.counters["clears"] = double(raster.GetCacheClears());
}
BENCHMARK(BM_TextPageWarmCache)->Unit(benchmark::kMicrosecond);

#ifdef ORVELLE_HAVE_FREETYPE
void BM_TextPageFreeType(benchmark::State& state)
{
    const std::vector<PlacedGlyph> page = Page();
    std::vector<uint32_t> px(size_t(kW * kH));
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) ||
        FT_New_Face(lib, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face))
    {
        state.SkipWithError("no DejaVu Sans");
        return;
    }
    for (auto _ : state)
    {
        std::fill(px.begin(), px.end(), 0xFF000000u);
        int em = 0;
        for (const PlacedGlyph& g : page)
        {
            if (g.em != em)
            {
                em = g.em;
                FT_Set_Pixel_Sizes(face, 0, FT_UInt(em));
            }
            const float q = std::floor(g.x * 4.0f) / 4.0f;
            FT_Vector delta{FT_Pos((q - std::floor(q)) * 64.0f), 0};
            FT_Set_Transform(face, nullptr, &delta);
            if (FT_Load_Char(face, g.code, FT_LOAD_NO_HINTING | FT_LOAD_RENDER)) continue;
            const FT_Bitmap& bm = face->glyph->bitmap;
            const int ox = int(std::floor(q)) + face->glyph->bitmap_left;
            const int oy = int(g.y) - face->glyph->bitmap_top;
            for (unsigned y = 0; y < bm.rows; ++y)
            {
                const int py = oy + int(y);
                if (py < 0 || py >= kH) continue;
                uint32_t* row = px.data() + size_t(py) * kW;
                const uint8_t* src = bm.buffer + y * unsigned(bm.pitch);
                for (unsigned x = 0; x < bm.width; ++x)
                {
                    const int pxX = ox + int(x);
                    const uint32_t a = src[x];
                    if (pxX < 0 || pxX >= kW || a == 0) continue;
                    const uint32_t d = row[pxX], ia = 255 - a;
                    const uint32_t r = (255 * a + ((d >> 16) & 255) * ia + 127) / 255;
                    const uint32_t gg = (255 * a + ((d >> 8) & 255) * ia + 127) / 255;
                    const uint32_t b = (255 * a + (d & 255) * ia + 127) / 255;
                    row[pxX] = (d & 0xFF000000u) | r << 16 | gg << 8 | b;
                }
            }
        }
        benchmark::DoNotOptimize(px.data());
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
}
BENCHMARK(BM_TextPageFreeType)->Unit(benchmark::kMicrosecond);
#endif

// A hidden window with the drawing context over the SDL device.
struct Display
{
    Display()
    {
        window = GfxCreateHiddenWindow(kW, kH);
        host.SetMainWindow(window);
        TDrawContext::UseDevice(nullptr, &host);
        dc = TDrawContext::GetInstance();
        dc->GetDisplayHandler()->SetDisplay({.width = kW, .height = kH, .force = true, .quiet = true});
        draw.CalibrateRendering();
        SetVecDraw(&draw);
    }
    ~Display()
    {
        SetVecDraw(nullptr);
        draw.Flush();
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
        GfxDestroyWindow(window);
    }
    bool Ready() const { return window && dc->GetDisplayHandler()->IsReady(); }

    struct Host : TDrawContextHost
    {
        void Sleep(uint32_t) override {}
        void ShowMessage(const char*, const char*) override {}
        void ExitProcess(int) override {}
        void PostQuit(int) override {}
    } host;
    void* window = nullptr;
    TDrawContext* dc = nullptr;
    TQvMiniVecDraw draw;
};

void BM_TextPageThroughContext(benchmark::State& state)
{
    Display d;
    if (!d.Ready()) return state.SkipWithError("no display");
    const std::vector<PlacedGlyph> page = Page();
    const TVecFont& f = Font();
    d.draw.SetColor(1, TFloatVector4(1, 1, 1, 1), 1.0f);
    for (auto _ : state)
    {
        d.dc->BeginDraw(false);
        d.dc->Begin2d();
        d.draw.BeginTarget(0, 0, TTextureRef());
        for (const PlacedGlyph& g : page)
        {
            d.draw.transform.scaleX = d.draw.transform.scaleY = 4.0f * float(g.em) / 128.0f;
            d.draw.Render(f.GetGlyphShape(g.index), f.GetImageEnd(), std::floor(g.x * 4.0f),
                          g.y * 4.0f);
        }
        d.draw.FlushVertices();
        d.dc->End2d();
        d.dc->EndDraw(false);
    }
}
BENCHMARK(BM_TextPageThroughContext)->Unit(benchmark::kMicrosecond);

void BM_TextPageDeviceLines(benchmark::State& state)
{
    Display d;
    if (!d.Ready()) return state.SkipWithError("no display");
    const std::vector<PlacedGlyph> page = Page();
    const TVecFont& f = Font();
    // The same spans as line-list vertices, made once.
    const TVecRamps ramps = WhiteRamps();
    TVecRaster raster;
    TVecTransform t;
    std::vector<GfxVertex> v;
    for (const PlacedGlyph& g : page)
    {
        t.scaleX = t.scaleY = 4.0f * float(g.em) / 128.0f;
        const int q = int(std::floor(g.x * 4.0f));
        int n = 0;
        const TVecSpan* s = raster.Render(f.GetGlyphShape(g.index), f.GetImageEnd(), q & 3, 0, t, &n);
        for (int k = 0; k < n; ++k)
        {
            const uint32_t c = ramps.ramp[s[k].layer][s[k].level - 1];
            const float y = g.y + float(s[k].y) + d.draw.GetRowOffset();
            v.push_back({float((q >> 2) + s[k].x0) + d.draw.GetStartOffset(), y, 0.1f, 0.5f, c, 0, 0, 0});
            v.push_back({float((q >> 2) + s[k].x1) - 0.25f + d.draw.GetEndOffset(), y, 0.1f, 0.5f, c, 0, 0, 0});
        }
    }
    IGfxDevice* dev = d.dc->GetDisplayHandler()->GetDevice();
    dev->SetTexture(0, nullptr);
    dev->SetRenderState(GFX_RS_ALPHABLENDENABLE, 1);
    dev->SetRenderState(GFX_RS_SRCBLEND, GFX_BLEND_SRCALPHA);
    dev->SetRenderState(GFX_RS_DESTBLEND, GFX_BLEND_INVSRCALPHA);
    for (auto _ : state)
    {
        dev->BeginScene();
        for (size_t i = 0; i < v.size(); i += 256)
            dev->DrawPrimitive(GFX_PT_LINELIST, GFX_FVF_TLVERTEX, v.data() + i,
                               int(std::min<size_t>(256, v.size() - i)));
        dev->EndScene();
    }
    state.counters["vertices"] = double(v.size());
}
BENCHMARK(BM_TextPageDeviceLines)->Unit(benchmark::kMicrosecond);

void BM_TextPageLayout(benchmark::State& state)
{
    const std::string body = "<font size='48'>Harbour Market Chronicle</font><br>" + PageText();
    auto text = TTextGraphic::Create(TString(), 760, 560, 0, "__DEFAULT", 16, TFloatVector4(1, 1, 1, 1));
    int i = 0;
    for (auto _ : state)
    {
        // A different text each time, so every call lays out.
        text->SetText(TString((body + char('a' + (i++ & 7))).c_str()));
    }
    state.counters["lines"] = double(text->GetLineCount());
}
BENCHMARK(BM_TextPageLayout)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
