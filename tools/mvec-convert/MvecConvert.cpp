// mvec-convert: writes an MVC4 vector font from a TrueType font, or checks
// one against FreeType's rendering.
//
//   mvec-convert [--codes LIST] FONT.ttf OUT.mvec
//   mvec-convert --check [--size PX] [--codes LIST] FONT.ttf FONT.mvec
//
// LIST is a comma-separated list of codes and ranges ("32-126,0x400-0x45F");
// codes the font lacks are left out. Outlines are read unhinted, y turned to
// point down, quadratic segments kept as curve commands; every coordinate,
// extent and advance is multiplied by one power-of-two factor, the largest
// that keeps them all inside 16 bits. The sweep toggles fill at every edge
// of a style group and unions groups, so each outer contour goes into a
// group of its own with the holes it encloses. The output is the same bytes
// on every run.
//
// The check rasterises every glyph of the .mvec with the rasteriser core at
// PX pixels to the em (default 32), renders the same glyph with FreeType and
// lists the glyphs that differ. Exit code: 0 on success (check: no glyph
// differs), 1 otherwise.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/VecFont.h"
#include "graphics/VecRaster.h"

namespace
{

const char* kDefaultCodes = "32-126,160-383,0x400-0x45F,0x2010-0x2044,0x20AC,0x2122,0x2150-0x2183";

std::vector<uint32_t> ParseCodes(const std::string& list)
{
    std::vector<uint32_t> codes;
    size_t pos = 0;
    while (pos < list.size())
    {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        const std::string item = list.substr(pos, comma - pos);
        const size_t dash = item.find('-');
        const uint32_t a = uint32_t(std::strtoul(item.c_str(), nullptr, 0));
        const uint32_t b =
            dash == std::string::npos ? a : uint32_t(std::strtoul(item.c_str() + dash + 1, nullptr, 0));
        for (uint32_t c = a; c <= b; ++c) codes.push_back(c);
        pos = comma + 1;
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

struct Point
{
    long x, y;  // font units, y up
    bool on;
};
using Contour = std::vector<Point>;

struct Glyph
{
    uint32_t code;
    std::vector<Contour> contours;
    long minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;  // font units, y up
};

bool LoadGlyph(FT_Face face, uint32_t code, Glyph* out)
{
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING)) return false;
    const FT_Outline& o = face->glyph->outline;
    out->code = code;
    out->advance = face->glyph->metrics.horiAdvance;
    int first = 0;
    for (int c = 0; c < o.n_contours; ++c)
    {
        Contour contour;
        for (int i = first; i <= o.contours[c]; ++i)
        {
            const char tag = FT_CURVE_TAG(o.tags[i]);
            if (tag == FT_CURVE_TAG_CUBIC) return false;  // quadratic outlines only
            contour.push_back(Point{o.points[i].x, o.points[i].y, tag == FT_CURVE_TAG_ON});
        }
        first = o.contours[c] + 1;
        if (contour.size() >= 2) out->contours.push_back(contour);
    }
    if (o.n_points > 0)
    {
        FT_BBox box;
        FT_Outline_Get_BBox(const_cast<FT_Outline*>(&o), &box);
        out->minX = box.xMin;
        out->maxX = box.xMax;
        out->minY = box.yMin;
        out->maxY = box.yMax;
    }
    return true;
}

// The contour flattened (curves by their control polygon is enough for
// containment and orientation of non-crossing contours).
double SignedArea(const Contour& c)
{
    double a = 0;
    for (size_t i = 0; i < c.size(); ++i)
    {
        const Point& p = c[i];
        const Point& q = c[(i + 1) % c.size()];
        a += double(p.x) * double(q.y) - double(q.x) * double(p.y);
    }
    return a / 2;
}

bool Inside(const Contour& c, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++)
    {
        const double xi = double(c[i].x), yi = double(c[i].y), xj = double(c[j].x),
                     yj = double(c[j].y);
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}

// A point inside the contour's area: the midpoint of a short chord near its
// first on-curve point works for the glyph shapes we meet; the vertex itself
// is a fallback.
void SamplePoint(const Contour& c, double* x, double* y)
{
    const Point& a = c[0];
    const Point& b = c[1 % c.size()];
    const Point& z = c[c.size() - 1];
    *x = (double(a.x) * 2 + double(b.x) + double(z.x)) / 4;
    *y = (double(a.y) * 2 + double(b.y) + double(z.y)) / 4;
}

// Outer contours (the orientation of the largest one) each with the holes
// whose sample point lies inside them, smallest enclosing outer first.
std::vector<std::vector<int>> GroupContours(const std::vector<Contour>& contours)
{
    std::vector<double> area(contours.size());
    int largest = 0;
    for (size_t i = 0; i < contours.size(); ++i)
    {
        area[i] = SignedArea(contours[i]);
        if (std::fabs(area[i]) > std::fabs(area[size_t(largest)])) largest = int(i);
    }
    const bool outerPositive = contours.empty() || area[size_t(largest)] > 0;
    std::vector<std::vector<int>> groups;
    std::vector<int> outerOf(contours.size(), -1);
    for (size_t i = 0; i < contours.size(); ++i)
        if ((area[i] > 0) == outerPositive)
        {
            outerOf[i] = int(groups.size());
            groups.push_back({int(i)});
        }
    for (size_t i = 0; i < contours.size(); ++i)
    {
        if ((area[i] > 0) == outerPositive) continue;
        double x, y;
        SamplePoint(contours[i], &x, &y);
        int best = -1;
        for (size_t j = 0; j < contours.size(); ++j)
            if (outerOf[j] >= 0 && Inside(contours[j], x, y) &&
                (best < 0 || std::fabs(area[j]) < std::fabs(area[size_t(best)])))
                best = int(j);
        if (best < 0)
            groups.push_back({int(i)});  // a stray hole still toggles its own group
        else
            groups[size_t(outerOf[size_t(best)])].push_back(int(i));
    }
    return groups;
}

void PutS16(std::vector<uint8_t>& out, long v)
{
    const uint16_t u = uint16_t(int16_t(v));
    out.push_back(uint8_t(u & 255));
    out.push_back(uint8_t(u >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void EncodeContour(const Contour& c, long f, std::vector<uint8_t>& out)
{
    auto X = [&](double x) { return long(std::lround(x * double(f))); };
    auto Y = [&](double y) { return long(std::lround(-y * double(f))); };
    // Start on an on-curve point (or the midpoint of two off-curve ones).
    const size_t n = c.size();
    size_t start = 0;
    while (start < n && !c[start].on) ++start;
    double sx, sy;
    if (start < n)
    {
        sx = double(c[start].x);
        sy = double(c[start].y);
    }
    else
    {
        start = 0;
        sx = (double(c[0].x) + double(c[1].x)) / 2;
        sy = (double(c[0].y) + double(c[1].y)) / 2;
    }
    out.push_back(4);
    PutS16(out, X(sx));
    PutS16(out, Y(sy));
    bool haveControl = false;
    double cx = 0, cy = 0;
    for (size_t k = 1; k <= n; ++k)
    {
        const Point& p = c[(start + k) % n];
        const bool closing = k == n;
        const double px = closing ? sx : double(p.x), py = closing ? sy : double(p.y);
        const bool on = closing || p.on;
        if (on)
        {
            if (haveControl)
            {
                out.push_back(6);
                PutS16(out, X(cx));
                PutS16(out, Y(cy));
            }
            else
            {
                out.push_back(5);
            }
            PutS16(out, X(px));
            PutS16(out, Y(py));
            haveControl = false;
        }
        else
        {
            if (haveControl)
            {
                const double mx = (cx + px) / 2, my = (cy + py) / 2;
                out.push_back(6);
                PutS16(out, X(cx));
                PutS16(out, Y(cy));
                PutS16(out, X(mx));
                PutS16(out, Y(my));
            }
            cx = px;
            cy = py;
            haveControl = true;
        }
    }
}

long LargestValue(const std::vector<Glyph>& glyphs)
{
    long m = 0;
    for (const Glyph& g : glyphs)
    {
        m = std::max({m, std::labs(g.minX), std::labs(g.maxX), std::labs(g.minY),
                      std::labs(g.maxY), std::labs(g.advance)});
        for (const Contour& c : g.contours)
            for (const Point& p : c) m = std::max({m, std::labs(p.x), std::labs(p.y)});
    }
    return m;
}

bool OpenFace(FT_Library* lib, FT_Face* face, const char* path)
{
    if (FT_Init_FreeType(lib)) return false;
    if (FT_New_Face(*lib, path, 0, face))
    {
        std::fprintf(stderr, "mvec-convert: cannot open %s\n", path);
        return false;
    }
    return true;
}

int Convert(const char* ttf, const char* outPath, const std::vector<uint32_t>& codes)
{
    FT_Library lib;
    FT_Face face;
    if (!OpenFace(&lib, &face, ttf)) return 1;
    std::vector<Glyph> glyphs;
    for (uint32_t code : codes)
    {
        Glyph g;
        if (LoadGlyph(face, code, &g)) glyphs.push_back(std::move(g));
    }
    const long largest = LargestValue(glyphs);
    long f = 1;
    while (largest * f * 2 <= 32767) f *= 2;
    if (largest > 32767 || glyphs.empty() || glyphs.size() > 65535)
    {
        std::fprintf(stderr, "mvec-convert: %zu glyphs, largest value %ld: cannot fit 16 bits\n",
                     glyphs.size(), largest);
        return 1;
    }
    std::vector<uint8_t> shapes;
    std::vector<uint32_t> offsets;
    const size_t shapeBase = 12 + 18 * glyphs.size();
    for (const Glyph& g : glyphs)
    {
        offsets.push_back(uint32_t(shapeBase + shapes.size()));
        for (const std::vector<int>& group : GroupContours(g.contours))
        {
            shapes.push_back(1);
            shapes.push_back(2);
            shapes.push_back(1);
            for (int i : group) EncodeContour(g.contours[size_t(i)], f, shapes);
        }
        shapes.push_back(8);
    }
    std::vector<uint8_t> out = {'M', 'V', 'C', '4'};
    out.push_back(uint8_t(glyphs.size() & 255));
    out.push_back(uint8_t(glyphs.size() >> 8));
    out.insert(out.end(), 6, 0);
    for (size_t i = 0; i < glyphs.size(); ++i)
    {
        const Glyph& g = glyphs[i];
        PutU32(out, g.code);
        PutS16(out, g.minX * f);
        PutS16(out, g.maxX * f);
        PutS16(out, -g.maxY * f);
        PutS16(out, -g.minY * f);
        PutS16(out, g.advance * f);
        PutU32(out, offsets[i]);
    }
    out.insert(out.end(), shapes.begin(), shapes.end());
    std::ofstream file(outPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    if (!file)
    {
        std::fprintf(stderr, "mvec-convert: cannot write %s\n", outPath);
        return 1;
    }
    std::printf("%zu glyphs, %zu bytes, factor %ld (largest value %ld of %u units per em)\n",
                glyphs.size(), out.size(), f, largest, unsigned(face->units_per_EM));
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return 0;
}

int Check(const char* ttf, const char* mvecPath, int px)
{
    FT_Library lib;
    FT_Face face;
    if (!OpenFace(&lib, &face, ttf)) return 1;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(px));
    std::ifstream file(mvecPath, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
    auto font = TVecFont::Load(bytes, mvecPath);
    if (!font) return 1;
    // The conversion factor, from an advance in both files.
    double factor = 0;
    for (int i = 0; i < font->GetGlyphCount() && factor <= 0; ++i)
        if (!FT_Load_Char(face, font->GetCode(i), FT_LOAD_NO_SCALE) &&
            face->glyph->metrics.horiAdvance > 0)
            factor = double(font->GetAdvance(i)) * 128.0 / double(face->glyph->metrics.horiAdvance);
    if (factor <= 0) return 1;
    const double emUnits = double(face->units_per_EM) * factor;
    TVecRaster raster;
    raster.SetCacheEnabled(false);
    TVecTransform t;
    t.scaleX = t.scaleY = float(4.0 * px * 128.0 / emUnits);
    int differing = 0;
    double worstMean = 0;
    const int size = px * 4;
    std::vector<int> ours(size_t(size) * size), theirs(size_t(size) * size);
    for (int i = 0; i < font->GetGlyphCount(); ++i)
    {
        const uint32_t code = font->GetCode(i);
        std::fill(ours.begin(), ours.end(), 0);
        std::fill(theirs.begin(), theirs.end(), 0);
        const int ox = px, oy = px * 2;  // origin inside the grid
        int n = 0;
        const TVecSpan* spans = raster.Render(font->GetGlyphShape(i), font->GetImageEnd(), 0, 0, t, &n);
        for (int k = 0; k < n; ++k)
            for (int x = spans[k].x0; x < spans[k].x1; ++x)
            {
                const int gx = ox + x, gy = oy + spans[k].y;
                if (gx >= 0 && gy >= 0 && gx < size && gy < size)
                    ours[size_t(gy) * size + gx] = std::min(255, spans[k].level * 255 / 16);
            }
        if (FT_Load_Char(face, code, FT_LOAD_NO_HINTING | FT_LOAD_RENDER)) continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        for (unsigned y = 0; y < bm.rows; ++y)
            for (unsigned x = 0; x < bm.width; ++x)
            {
                const int gx = ox + face->glyph->bitmap_left + int(x),
                          gy = oy - face->glyph->bitmap_top + int(y);
                if (gx >= 0 && gy >= 0 && gx < size && gy < size)
                    theirs[size_t(gy) * size + gx] = bm.buffer[y * unsigned(bm.pitch) + x];
            }
        long total = 0, inked = 0;
        int worst = 0;
        for (size_t k = 0; k < ours.size(); ++k)
        {
            const int d = std::abs(ours[k] - theirs[k]);
            if (ours[k] || theirs[k]) ++inked;
            total += d;
            worst = std::max(worst, d);
        }
        const double mean = inked ? double(total) / double(inked) : 0.0;
        worstMean = std::max(worstMean, mean);
        // Quarter-pixel sampling leaves up to a level or two at edges; a lost
        // or doubled contour leaves whole pixels wrong.
        if (mean > 40.0 || worst > 160)
        {
            ++differing;
            std::printf("U+%04X differs: mean %.1f, largest %d (of 255)\n", code, mean, worst);
        }
    }
    std::printf("%d glyphs checked at %d px, %d differ, worst mean %.1f\n", font->GetGlyphCount(), px,
                differing, worstMean);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return differing ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    bool check = false;
    int px = 32;
    std::string codes = kDefaultCodes;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        if (a == "--check")
            check = true;
        else if (a == "--size" && i + 1 < argc)
            px = std::max(4, std::min(256, std::atoi(argv[++i])));
        else if (a == "--codes" && i + 1 < argc)
            codes = argv[++i];
        else
            files.push_back(argv[i]);
    }
    if (files.size() != 2)
    {
        std::fprintf(stderr,
                     "usage: mvec-convert [--codes LIST] FONT.ttf OUT.mvec\n"
                     "       mvec-convert --check [--size PX] FONT.ttf FONT.mvec\n");
        return 1;
    }
    return check ? Check(files[0], files[1], px) : Convert(files[0], files[1], ParseCodes(codes));
}
