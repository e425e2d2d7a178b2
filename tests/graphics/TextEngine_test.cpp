// Fonts, tags, layout, the text object and the font registry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/FileNames.h"
#include "core/Settings.h"
#include "graphics/FontRegistry.h"
#include "graphics/TextGraphic.h"
#include "graphics/TextLayout.h"
#include "graphics/TextTags.h"
#include "graphics/VecFont.h"
#include "support/TestDisplayHost.h"

namespace
{

// The built-in image bytes (by loading the font through a memory file).
std::vector<uint8_t> DefaultImage()
{
    std::unique_ptr<TVecFont> f = TFontRegistry::MakeBuiltInFont();
    const uint8_t* end = f->GetImageEnd();
    const uint8_t* begin = f->GetGlyphShape(0) - (12 + 18 * f->GetGlyphCount());
    return std::vector<uint8_t>(begin, end);
}

void PutU16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v & 255);
    b[at + 1] = uint8_t(v >> 8);
}

TFloatVector4 Red()
{
    return TFloatVector4(1, 0, 0, 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Fonts

TEST(VecFont, LookupsAtTheEndsAndOutside)
{
    std::unique_ptr<TVecFont> f = TFontRegistry::MakeBuiltInFont();
    ASSERT_TRUE(f->IsUsable());
    EXPECT_EQ(f->GetGlyphCount(), 522);
    struct Case
    {
        uint32_t code;
        int index;
    } cases[] = {{32, 0}, {0x2183, 521}, {31, -1}, {0x2184, -1}, {127, -1}, {0xFFFFFFFFu, -1}};
    for (const Case& c : cases) EXPECT_EQ(f->FindGlyph(c.code), c.index) << c.code;
    for (int bad : {-1, 522})
    {
        EXPECT_EQ(f->GetAdvance(bad), 0.0f);
        EXPECT_EQ(f->GetGlyphScale(bad), 1.0f);
        EXPECT_EQ(f->GetGlyphShape(bad), nullptr);
    }
    EXPECT_EQ(f->GetGlyphScale(f->FindGlyph('A')), 1.0f);
    EXPECT_GT(f->GetAscent(), 0.0f);
    EXPECT_GT(f->GetDescent(), 0.0f);
}

TEST(VecFont, PaddingAndFitScales)
{
    // A font whose W has top -137.23 px and whose g reaches 40 below; a tall
    // glyph (code 0x100) overflows the padded box.
    std::vector<uint8_t> img = {'M', 'V', 'C', '4', 3, 0, 0, 0, 0, 0, 0, 0};
    auto record = [&](uint32_t code, int top, int bottom)
    {
        for (int i = 0; i < 4; ++i) img.push_back(uint8_t(code >> (8 * i)));
        for (int v : {0, 128, top, bottom, 256}) img.push_back(uint8_t(v & 255)), img.push_back(uint8_t((v >> 8) & 255));
        const uint32_t off = 12 + 18 * 3;
        for (int i = 0; i < 4; ++i) img.push_back(uint8_t(off >> (8 * i)));
    };
    record('W', -17565, 0);
    record('g', -1000, 5120);
    record(0x100, -30000, 0);
    img.push_back(8);
    TVecFont f(img);
    ASSERT_TRUE(f.IsUsable()) << f.Why();
    EXPECT_NEAR(f.GetAscent(), 137.23f, 0.01f);
    EXPECT_NEAR(f.GetDescent(), 40.0f, 0.01f);
    EXPECT_NEAR(f.GetPadding(true), 33.23f, 0.01f);
    EXPECT_NEAR(f.GetPadding(false), 11.08f, 0.01f);
    EXPECT_EQ(f.GetGlyphScale(0), 1.0f);
    EXPECT_LT(f.GetGlyphScale(2), 1.0f);
    EXPECT_NEAR(f.GetGlyphScale(2), (137.23f + 33.23f) / (30000.0f / 128.0f), 0.01f);
}

TEST(VecFont, CorruptImagesAreRefused)
{
    const std::vector<uint8_t> good = DefaultImage();
    ASSERT_TRUE(TVecFont(good).IsUsable());
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"wrong magic", good});
    cases.back().bytes[0] = 'X';
    cases.push_back({"no glyphs", good});
    PutU16(cases.back().bytes, 4, 0);
    cases.push_back({"records past the end", std::vector<uint8_t>(good.begin(), good.begin() + 200)});
    cases.push_back({"shape past the end", good});
    cases.back().bytes[12 + 18 * 5 + 17] = 0x7F;
    cases.push_back({"no W", good});
    const int w = TVecFont(good).FindGlyph('W');
    cases.back().bytes[12 + 18 * size_t(w)] = 'V' + 0;  // a second V, the table stays sorted
    cases.push_back({"flat font", good});
    for (size_t i = 0; i < 522; ++i)
    {
        PutU16(cases.back().bytes, 12 + 18 * i + 8, 0);
        PutU16(cases.back().bytes, 12 + 18 * i + 10, 0);
    }
    for (const Case& c : cases)
    {
        TVecFont f(c.bytes);
        EXPECT_FALSE(f.IsUsable()) << c.name;
        EXPECT_EQ(TVecFont::Load(c.bytes, "x.mvec"), nullptr) << c.name;
    }
    TVecFont notMvc(cases[0].bytes);
    EXPECT_EQ(notMvc.GetGlyphCount(), 0);
    EXPECT_EQ(notMvc.FindGlyph('A'), -1);
    EXPECT_EQ(notMvc.GetAdvance(0), 0.0f);
}

// ---------------------------------------------------------------------------
// Tags

TEST(TextTags, DecodeUtf8StopsAtTheEnd)
{
    struct Case
    {
        const char* text;
        int length;
        uint32_t code;
        int last;
    } cases[] = {
        {"A", 1, 'A', 0},
        {"\xC3\xA9", 2, 0xE9, 1},
        {"\xE2\x82\xAC", 3, 0x20AC, 2},
        {"\xF0\x9F\x98\x80", 4, 0x1F600, 3},
        {"\x80", 1, 0x80, 0},
        {"\xE2\x82", 2, 0, 1},  // cut by the end: skipped
        {"\xF0", 1, 0, 0},
    };
    for (const Case& c : cases)
    {
        int i = 0;
        EXPECT_EQ(DecodeUtf8(c.text, c.length, &i), c.code) << c.text;
        EXPECT_EQ(i, c.last) << c.text;
    }
}

TEST(TextTags, NormaliseAndMatch)
{
    char tag[129];
    EXPECT_EQ(NormalizeTag("<FONT Color='#FF00aa' face=\"My Font\">x", 38, tag), 37);
    EXPECT_STREQ(tag, "<fontcolor='#FF00aa'face=\"My Font\">");
    EXPECT_EQ(NormalizeTag("<b", 2, tag), 0);
    EXPECT_EQ(NormalizeTag("x<b>", 4, tag), 0);
    EXPECT_TRUE(TagIs("<bold>", "b"));
    EXPECT_FALSE(TagIs("<bold>", "br"));
    TString v;
    EXPECT_TRUE(GetTagAttribute("<fontcolor='#FF00aa'>", "color", &v));
    EXPECT_STREQ(v.CStr(), "#FF00aa");
    EXPECT_FALSE(GetTagAttribute("<font>", "size", &v));
}

TEST(TextTags, EachTagRow)
{
    TextAttributes base;
    base.color = TFloatVector4(0, 1, 0, 1);
    struct Case
    {
        const char* tag;
        void (*check)(const TTagState&, const TTagEffects&);
    } cases[] = {
        {"<br pad='10'>", [](const TTagState&, const TTagEffects& f) { EXPECT_TRUE(f.endsLine); EXPECT_EQ(f.pad, 10); }},
        {"</p>", [](const TTagState&, const TTagEffects& f) { EXPECT_TRUE(f.endsLine); }},
        {"<a id='Go' color='#0000FF'>", [](const TTagState& s, const TTagEffects&) { EXPECT_STREQ(s.linkId.CStr(), "Go"); EXPECT_EQ(s.linkColor.z, 1.0f); }},
        {"<bold>", [](const TTagState& s, const TTagEffects&) { EXPECT_TRUE(s.bold); }},
        {"<I>", [](const TTagState& s, const TTagEffects&) { EXPECT_TRUE(s.italic); }},
        {"<u>", [](const TTagState& s, const TTagEffects&) { EXPECT_TRUE(s.underline); }},
        {"<cursor>", [](const TTagState&, const TTagEffects& f) { EXPECT_TRUE(f.cursor); }},
        {"<center>", [](const TTagState& s, const TTagEffects& f) { EXPECT_TRUE(f.endsLine); EXPECT_EQ(s.Align(), 1); }},
        {"<right>", [](const TTagState& s, const TTagEffects&) { EXPECT_EQ(s.Align(), 2); }},
        {"</left>", [](const TTagState& s, const TTagEffects&) { EXPECT_EQ(s.alignTop, 0); }},
        {"<font size='20' color='#11223344'>", [](const TTagState& s, const TTagEffects&) { EXPECT_EQ(s.Font().size, 20); EXPECT_NEAR(s.Font().color.w, 0x44 / 255.0f, 1e-6f); EXPECT_NEAR(s.Font().color.x, 0x11 / 255.0f, 1e-6f); }},
        {"<font color='112233'>", [](const TTagState& s, const TTagEffects&) { EXPECT_EQ(s.Font().color.w, 1.0f); EXPECT_EQ(s.Font().size, 16); }},
        {"<font face='Big.mvec'>", [](const TTagState& s, const TTagEffects&) { EXPECT_STREQ(s.Font().face.CStr(), "Big.mvec"); }},
        {"<outline>", [](const TTagState& s, const TTagEffects&) { EXPECT_EQ(s.outlineSize, 2.0f); }},
        {"<outline size='3' color='#FFFFFF'>", [](const TTagState& s, const TTagEffects&) { EXPECT_EQ(s.outlineSize, 3.0f); EXPECT_EQ(s.outlineColor.y, 1.0f); }},
        {"<tab pos='150'>", [](const TTagState&, const TTagEffects& f) { EXPECT_TRUE(f.tab); EXPECT_EQ(f.tabPos, 150); }},
        {"<unknown>", [](const TTagState& s, const TTagEffects& f) { EXPECT_FALSE(f.endsLine); EXPECT_FALSE(s.bold); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.tag);
        TTagState s;
        s.Reset(base);
        TTagEffects fx;
        EXPECT_EQ(ParseTag(c.tag, int(std::strlen(c.tag)), s, &fx), int(std::strlen(c.tag)));
        c.check(s, fx);
    }
}

TEST(TextTags, ThirtyThirdFontLevelChangesNothing)
{
    TextAttributes base;
    TTagState s;
    s.Reset(base);
    TTagEffects fx;
    for (int i = 1; i <= 32; ++i)
    {
        const TString tag = TString::Format("<font size='%d'>", i + 10);
        ParseTag(tag.CStr(), tag.Length(), s, &fx);
    }
    EXPECT_EQ(s.fontTop, 32);
    EXPECT_EQ(s.Font().size, 41);  // level 31 holds the 31st tag's size
    ParseTag("</font>", 7, s, &fx);
    EXPECT_EQ(s.Font().size, 41);
    ParseTag("</font>", 7, s, &fx);
    EXPECT_EQ(s.Font().size, 40);
    for (int i = 0; i < 40; ++i) ParseTag("</font>", 7, s, &fx);
    EXPECT_EQ(s.fontTop, 0);
}

// ---------------------------------------------------------------------------
// Layout and the text object

class TextTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override
    {
        GetFontRegistry().Clear();
        ClearSettings();
    }
    static std::unique_ptr<TTextGraphic> Make(const char* text, int width = 400, int height = 300,
                                              int flags = 0)
    {
        return TTextGraphic::Create(text, width, height, flags, "__DEFAULT", 16, Red());
    }
    static std::string LineText(const TTextGraphic& t, int line)
    {
        std::string s;
        const TTextLine& l = *t.GetLines()[size_t(line)];
        for (const TTextRun& r : l.runs)
            for (const TTextGlyph& g : r.glyphs)
            {
                const uint32_t c = r.font->GetCode(g.index);
                s += c < 128 ? char(c) : '?';
            }
        return s;
    }
    TempLog log_;
};

TEST_F(TextTest, BreaksAtSpacesAndSoftHyphens)
{
    struct Case
    {
        const char* text;
        int width;
        bool legacy;
        std::vector<std::string> lines;
    } cases[] = {
        {"one two three", 40, false, {"one", "two", "three"}},
        {"one two", 400, false, {"one two"}},
        {"a<br>b\nc", 400, false, {"a", "b", "c"}},
        {"WWWWWWWWWW", 40, false, {"WW", "WW", "WW", "WW", "WW"}},
        {"WWWWWWWWWW", 40, true, {"WWW", "WWW", "WWW", "W"}},
        {"xx supercali\xC2\xAD" "fragilistic", 100, false, {"xx supercali?", "fragilistic"}},
        {"\\<b>x", 400, false, {"<b>x"}},
        {"<b", 400, false, {"<b"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        if (c.legacy) SetSetting("legacylinewrap", "0");
        auto t = Make(c.text, c.width);
        ASSERT_EQ(t->GetLineCount(), int(c.lines.size()));
        for (size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(LineText(*t, int(i)), c.lines[i]) << i;
        ClearSettings();
    }
}

TEST_F(TextTest, FallbackAndSkippedGlyphs)
{
    // A font file with only "W" and "A" makes every other glyph come from
    // fonts/default.mvec; a code neither has is skipped.
    std::vector<uint8_t> img = DefaultImage();
    std::unique_ptr<TVecFont> full = TFontRegistry::MakeBuiltInFont();
    std::vector<uint8_t> small = {'M', 'V', 'C', '4', 2, 0, 0, 0, 0, 0, 0, 0};
    for (uint32_t code : {uint32_t('A'), uint32_t('W')})
    {
        const size_t rec = 12 + 18 * size_t(full->FindGlyph(code));
        small.insert(small.end(), img.begin() + long(rec), img.begin() + long(rec) + 14);
        const uint32_t off = 12 + 18 * 2;
        for (int i = 0; i < 4; ++i) small.push_back(uint8_t(off >> (8 * i)));
    }
    small.push_back(8);
    RegisterMemoryFileByName("fonts/default.mvec", img.data(), img.size());
    RegisterMemoryFileByName("fonts/small.mvec", small.data(), small.size());
    auto t = TTextGraphic::Create("AB\xF0\x9F\x98\x80" "A", 400, 100, 0, "fonts/small.mvec", 16, Red());
    const TTextLine& line = *t->GetLines()[0];
    ASSERT_EQ(line.runs.size(), 3u);
    EXPECT_EQ(line.runs[1].fallback, line.runs[1].font);
    EXPECT_EQ(LineText(*t, 0), "ABA");
    RegisterMemoryFileByName("fonts/small.mvec", small.data(), 0);
    RegisterMemoryFileByName("fonts/default.mvec", img.data(), 0);
}

TEST_F(TextTest, AlignmentAndVerticalPlacement)
{
    auto left = Make("Hi", 200, 100, 0);
    auto centre = Make("Hi", 200, 100, 1 | 4);
    auto right = Make("Hi", 200, 100, 2 | 8);
    const TTextLine& l = *left->GetLines()[0];
    const TTextLine& c = *centre->GetLines()[0];
    const TTextLine& r = *right->GetLines()[0];
    EXPECT_EQ(l.xOffset, 0);
    EXPECT_EQ(c.xOffset, 100);
    EXPECT_NEAR(c.startOffset - l.startOffset, -float(c.width) / 2, 0.01f);
    EXPECT_EQ(r.xOffset, 199);
    EXPECT_EQ(l.height, 16);
    EXPECT_EQ(centre->GetTextBounds(1.0f).top, 50 - 8);
    EXPECT_EQ(right->GetTextBounds(1.0f).top, 100 - 16);
    auto tagged = Make("<right>x</right>y<br pad='10'>z", 200, 100, 0);
    ASSERT_EQ(tagged->GetLineCount(), 4);
    EXPECT_EQ(tagged->GetLines()[1]->xOffset, 199);
    EXPECT_EQ(tagged->GetLines()[2]->xOffset, 0);
    EXPECT_EQ(tagged->GetLines()[2]->height, 26);
}

TEST_F(TextTest, SettersLayOutOnlyOnChange)
{
    auto t = Make("hello");
    const int n = t->GetLayoutCount();
    t->SetText("hello");
    t->SetFont("__DEFAULT");
    t->SetFont("");
    t->SetFontSize(16);
    t->SetFlags(0);
    t->SetSize(400, 300);
    t->SetColor(Red());
    EXPECT_EQ(t->GetLayoutCount(), n);
    t->SetColor(TFloatVector4(0, 0, 1, 1));
    EXPECT_EQ(t->GetLayoutCount(), n + 1);
    EXPECT_STREQ(t->GetText().CStr(), "hello");
}

TEST_F(TextTest, RotationSnapsToIdentity)
{
    auto t = Make("x");
    for (float degrees : {0.0f, 360.0f})
    {
        t->SetRotation(degrees, 3, 4);
        EXPECT_EQ(t->GetRotCos(), 1.0f) << degrees;
        EXPECT_EQ(t->GetRotSin(), 0.0f) << degrees;
    }
    t->SetRotation(90.0f, 0, 0);
    EXPECT_NEAR(t->GetRotSin(), 1.0f, 1e-6f);
}

TEST_F(TextTest, CountLinesFittingAndAFractionalFirstLine)
{
    auto t = TTextGraphic::Create("a<br>b<br>c<br>d<br>e", 100, 25, 0, "", 10, Red());
    ASSERT_EQ(t->GetLineCount(), 5);
    ASSERT_EQ(t->GetLines()[0]->height, 10);
    EXPECT_EQ(t->CountLinesFitting(1.0f, 0.0f), 3);
    EXPECT_EQ(t->CountLinesFitting(0.5f, 0.0f), 0);
    EXPECT_EQ(t->CountLinesFitting(0.5f, 20.0f), 4);
    t->SetFirstLine(1.5f);
    const TRect b = t->GetTextBounds(1.0f);
    EXPECT_EQ(b.top, 0);
    // Half of line 1 is scrolled away: "c" is at 8..24.
    auto link = Make("<a id='one'>a</a><br><a id='two'>b</a><br><a id='three'>c</a>", 100, 80);
    link->SetFirstLine(1.5f);
    EXPECT_STREQ(link->GetLinkAt(TFloatPoint(4, 2)).CStr(), "two");
    EXPECT_STREQ(link->GetLinkAt(TFloatPoint(4, 12)).CStr(), "three");
}

TEST_F(TextTest, LinksAndHover)
{
    auto t = Make("go <a id='Next' color='#0000FF'>next</a> page", 400, 100);
    const TTextLine& line = *t->GetLines()[0];
    ASSERT_GE(line.runs.size(), 2u);
    const TTextRun& link = line.runs[1];
    const float mid = float(line.xOffset) + line.startOffset + (link.x + link.xEnd) / 8.0f;
    EXPECT_STREQ(t->GetLinkAt(TFloatPoint(mid, 8)).CStr(), "Next");
    EXPECT_STREQ(t->GetLinkAt(TFloatPoint(2, 8)).CStr(), "");
    EXPECT_STREQ(t->GetLinkAt(TFloatPoint(mid, 50)).CStr(), "");
    // With line spacing the second line moves down by it.
    auto two = Make("a<br><a id='B'>b</a>", 100, 100);
    EXPECT_STREQ(two->GetLinkAt(TFloatPoint(2, 20)).CStr(), "B");
    EXPECT_STREQ(two->GetLinkAt(TFloatPoint(2, 20), 10.0f).CStr(), "");
    EXPECT_STREQ(two->GetLinkAt(TFloatPoint(2, 30), 10.0f).CStr(), "B");
    EXPECT_TRUE(t->UpdateHoverLink(TFloatPoint(mid, 8)));
    EXPECT_FALSE(t->UpdateHoverLink(TFloatPoint(mid, 8)));
    EXPECT_STREQ(t->GetHoverLink().CStr(), "Next");
    EXPECT_TRUE(t->UpdateHoverLink(TFloatPoint(0, 90)));
}

TEST_F(TextTest, BoundsFollowScale)
{
    auto t = Make("Hello", 400, 100);
    const TRect one = t->GetTextBounds(1.0f), two = t->GetTextBounds(2.0f);
    EXPECT_GT(one.right, one.left);
    EXPECT_NEAR(float(two.right - two.left), 2.0f * float(one.right - one.left), 2.0f);
    EXPECT_EQ(one.bottom - one.top, 16);
    auto empty = Make("", 400, 100);
    EXPECT_EQ(empty->GetTextBounds(1.0f).left, 0);
}

TEST_F(TextTest, ShrinkingToOneLineStopsAtTheFirstSizeThatFitsOrAtTheFloor)
{
    // Box widths as shares of the text's own width at size 16 on one line.
    struct Case
    {
        const char* text;
        int percent, minSize;
        bool fits;
        bool shrunk;
    } cases[] = {
        {"Ann", 150, 10, true, false},
        {"WWWWWWWWWWWWWWWW", 75, 8, true, true},   // one word, broken between letters
        {"WWWWWWWWWWWWWWWW", 50, 15, false, true},  // the floor comes first
        {"Anna Maria Bell", 70, 8, true, true},     // a space breaks it too
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const TRect natural = Make(c.text, 2000, 40, 5)->GetTextBounds(1.0f);
        const int width = (natural.right - natural.left) * c.percent / 100;
        auto t = Make(c.text, width, 40, 5);
        EXPECT_EQ(t->ShrinkToOneLine(c.minSize), c.fits);
        EXPECT_EQ(t->GetFontSize() < 16, c.shrunk);
        EXPECT_GE(t->GetFontSize(), c.minSize);
        if (!c.fits) continue;
        EXPECT_EQ(t->GetLineCount(), 1);
        EXPECT_LE(t->GetTextBounds(1.0f).right - t->GetTextBounds(1.0f).left, width);
        // The largest size that fits: one step up no longer does.
        if (!c.shrunk) continue;
        auto bigger = Make(c.text, width, 40, 5);
        bigger->SetFontSize(t->GetFontSize() + 1);
        const TRect b = bigger->GetTextBounds(1.0f);
        EXPECT_TRUE(bigger->GetLineCount() > 1 || b.right - b.left > width);
    }
}

TEST_F(TextTest, RegistryFallsBackAndRemembers)
{
    TFontRegistry reg;
    TVecFont* def = reg.GetFont("__DEFAULT");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(reg.GetFont(""), def);
    // No such file and no fonts/default.mvec: the built-in font, remembered
    // under the missing name.
    TVecFont* missing = reg.GetFont("fonts/none.mvec");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(reg.GetFont("fonts/none.mvec"), missing);
    EXPECT_EQ(missing->GetGlyphCount(), 522);
    // A corrupt file is refused with its log line and served the same way.
    std::vector<uint8_t> bad = DefaultImage();
    PutU16(bad, 4, 0);
    RegisterMemoryFileByName("fonts/bad.mvec", bad.data(), bad.size());
    TVecFont* refused = reg.GetFont("fonts/bad.mvec");
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->GetGlyphCount(), 522);
    EXPECT_TRUE(log_.Has("ERROR: Font fonts/bad.mvec refused: no glyphs"));
    RegisterMemoryFileByName("fonts/bad.mvec", bad.data(), 0);
    EXPECT_EQ(reg.GetCount(), 3u);
    reg.Clear();
    EXPECT_EQ(reg.GetCount(), 0u);
}
