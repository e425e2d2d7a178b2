// The layout: runs and lines, breaking, fall-back glyphs, alignment and the
// vertical placement of the block.
#include "graphics/TextLayout.h"

#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "core/Settings.h"
#include "graphics/FontRegistry.h"

namespace
{

constexpr uint32_t kSoftHyphen = 173;

class TLayoutBuilder
{
public:
    TLayoutBuilder(const TString& text, int boxWidth, int flags, TFontRegistry& fonts,
                   TTagState& state, TTextLayoutResult* out)
        : text_(text), s_(text.CStr()), len_(text.Length()), boxWidth_(boxWidth), flags_(flags),
          fonts_(fonts), st_(state), out_(out)
    {
        fallback_ = fonts.GetFont("fonts/default.mvec");
        legacy_ = IsLegacyLineWrap();
    }

    void Run()
    {
        lineAlign_ = st_.Align();
        OpenRun(nullptr, 0);
        int i = 0;
        while (i < len_)
        {
            if (s_[i] == '<')
            {
                TTagEffects fx;
                const int used = ParseTag(s_ + i, len_ - i, st_, &fx);
                if (used > 0)
                {
                    CloseRun(i);
                    i += used;
                    pendingPad_ += fx.pad;
                    if (fx.cursor)
                    {
                        OpenRun(nullptr, i);
                        run_.cursor = true;
                        CloseRun(i);
                    }
                    if (fx.endsLine)
                    {
                        EndLine(i);
                        continue;
                    }
                    OpenRun(nullptr, i);
                    if (fx.tab)
                    {
                        x_ = 4.0f * float(fx.tabPos);
                        run_.x = run_.xEnd = x_;
                        run_.tabPos = int(x_);
                    }
                    continue;
                }
            }
            const int start = i;
            if (s_[i] == '\\' && i + 1 < len_) ++i;
            const uint32_t cp = DecodeUtf8(s_, len_, &i);
            ++i;
            if (cp == 0) continue;
            if (cp == '\n')
            {
                CloseRun(start);
                EndLine(i);
                continue;
            }
            if (cp == ' ')
            {
                Remember(space_, start, i);
                hyphen_.valid = false;
            }
            else if (cp == kSoftHyphen)
            {
                Remember(hyphen_, start, i);
                continue;  // no width unless the line breaks here
            }
            i = Place(cp, start, i);
        }
        CloseRun(len_);
        EndLine(len_);
        int total = 0;
        for (const TTextLineRef& l : out_->lines) total += l->height;
        out_->totalHeight = total;
    }

private:
    struct Opportunity
    {
        bool valid = false;
        int at = 0, resume = 0;
        float x = 0, extent = 0, firstShift = 0;
        bool hasGlyph = false;
        size_t runCount = 0, glyphCount = 0;
        float runXEnd = 0;
        TTagState state;
    };

    TVecFont* FontOfState() { return fonts_.GetFont(st_.Font().face); }

    void OpenRun(TVecFont* font, int start)
    {
        const TextAttributes& a = st_.Font();
        TTextRun r;
        r.font = font ? font : FontOfState();
        r.fallback = (font && font == fallback_) ? fallback_ : nullptr;
        r.size = a.size;
        r.color = a.color;
        r.linkColor = st_.linkId.IsEmpty() ? a.color : st_.linkColor;
        r.bold = st_.bold;
        r.italic = st_.italic;
        r.underline = st_.underline;
        r.align = st_.Align();
        r.start = start;
        r.linkId = st_.linkId;
        r.outlineSize = st_.outlineSize;
        r.outlineColor = st_.outlineColor;
        if (r.font)
        {
            const float ad = r.font->GetAscent() + r.font->GetDescent();
            r.scale = 4.0f * float(a.size) * TVecFont::GetBoxFraction() / ad;
            const float top = r.font->GetAscent() + r.font->GetPadding(true);
            const float box = top + r.font->GetDescent() + r.font->GetPadding(false);
            r.baseline = top * r.scale / 4.0f;
            r.height = int(box * r.scale / 4.0f + 0.5f);
            // Upright text after italic (or italic after upright) keeps clear of
            // the slanted glyphs' top (bottom).
            if (haveRun_ && prevItalic_ != r.italic)
                x_ += r.scale / 3.0f * (prevItalic_ ? r.font->GetAscent() : r.font->GetDescent());
        }
        haveRun_ = true;
        prevItalic_ = r.italic;
        r.x = r.xEnd = x_;
        run_ = std::move(r);
        runOpen_ = true;
    }

    void CloseRun(int end)
    {
        if (!runOpen_) return;
        run_.end = end;
        run_.width = int(std::lround((run_.xEnd - run_.x) / 4.0f));
        line_.runs.push_back(std::move(run_));
        runOpen_ = false;
    }

    void Remember(Opportunity& o, int at, int resume)
    {
        o.valid = true;
        o.at = at;
        o.resume = resume;
        o.x = x_;
        o.extent = extent_;
        o.firstShift = firstShift_;
        o.hasGlyph = hasGlyph_;
        o.runCount = line_.runs.size();
        o.glyphCount = run_.glyphs.size();
        o.runXEnd = run_.xEnd;
        o.state = st_;
    }

    // Takes back everything after the opportunity.
    void Restore(const Opportunity& o)
    {
        if (o.runCount < line_.runs.size())
        {
            run_ = std::move(line_.runs[o.runCount]);
            run_.end = -2;
            line_.runs.resize(o.runCount);
            runOpen_ = true;
        }
        run_.glyphs.resize(std::min(run_.glyphs.size(), o.glyphCount));
        run_.xEnd = o.runXEnd;
        x_ = o.x;
        extent_ = o.extent;
        firstShift_ = o.firstShift;
        hasGlyph_ = o.hasGlyph;
        st_ = o.state;
        prevItalic_ = run_.italic;
    }

    void AddGlyph(TVecFont* font, int g)
    {
        const float adv = font->GetAdvance(g) * run_.scale;
        const float ext = std::max(adv, font->GetMaxX(g) * run_.scale);
        if (!hasGlyph_) firstShift_ = 4.0f - font->GetMinX(g) * run_.scale;
        hasGlyph_ = true;
        run_.glyphs.push_back(TTextGlyph{g, x_});
        extent_ = std::max(extent_, x_ + ext);
        run_.xEnd = std::max(run_.xEnd, x_ + ext);
        x_ += adv;
    }

    // Places one character; returns where the text continues.
    int Place(uint32_t cp, int start, int next)
    {
        TVecFont* primary = FontOfState();
        if (!primary && !missingLogged_)
        {
            LogPrintf("ERROR: FONT missing in text when attempting to render string %s.",
                      text_.CStr());
            missingLogged_ = true;
        }
        TVecFont* font = primary;
        int g = primary ? primary->FindGlyph(cp) : -1;
        if (g < 0 && fallback_ && (g = fallback_->FindGlyph(cp)) >= 0) font = fallback_;
        if (g < 0) return next;  // neither font has it
        if (font != run_.font)
        {
            CloseRun(start);
            OpenRun(font, start);
        }
        const float ext = std::max(font->GetAdvance(g), font->GetMaxX(g)) * run_.scale;
        const float firstOutline = line_.runs.empty() ? run_.outlineSize : line_.runs[0].outlineSize;
        const float limit =
            std::round(x_ + ext + 4.0f * (firstOutline + 1.0f + run_.outlineSize));
        if (boxWidth_ <= 0 || limit <= 4.0f * float(boxWidth_))
        {
            AddGlyph(font, g);
            return next;
        }
        if (hyphen_.valid)
        {
            const Opportunity o = hyphen_;
            Restore(o);
            const int h = run_.font ? run_.font->FindGlyph(kSoftHyphen) : -1;
            if (h >= 0) AddGlyph(run_.font, h);
            CloseRun(o.resume);
            EndLine(o.resume);
            return o.resume;
        }
        if (space_.valid && space_.x != 0.0f)
        {
            const Opportunity o = space_;
            Restore(o);
            CloseRun(o.at);
            EndLine(o.resume);
            return o.resume;
        }
        if (!hasGlyph_ || legacy_)
        {
            AddGlyph(font, g);
            CloseRun(next);
            EndLine(next);
            return next;
        }
        CloseRun(start);
        EndLine(start);
        return start;
    }

    void EndLine(int next)
    {
        CloseRun(next);
        std::vector<TTextRun>& runs = line_.runs;
        runs.erase(std::remove_if(runs.begin(), runs.end(),
                                  [](const TTextRun& r) { return r.glyphs.empty() && !r.cursor; }),
                   runs.end());
        int height = 0;
        for (const TTextRun& r : runs) height = std::max(height, r.height);
        line_.height = (hasGlyph_ ? height : 0) + pendingPad_;
        pendingPad_ = 0;
        line_.width = int(std::lround(extent_ / 4.0f));
        out_->widest = std::max(out_->widest, line_.width);
        int align = lineAlign_;
        if (align < 0) align = (flags_ & kTextCentre) ? 1 : (flags_ & kTextRight) ? 2 : 0;
        const float firstOutline = runs.empty() ? 0.0f : runs.front().outlineSize;
        const float lastOutline = runs.empty() ? 0.0f : runs.back().outlineSize;
        if (align == 1)
        {
            line_.xOffset = boxWidth_ / 2;
            line_.startOffset = -float(line_.width) / 2.0f;
        }
        else if (align == 2)
        {
            line_.xOffset = boxWidth_ - int(std::lround(lastOutline)) - 1;
            line_.startOffset = -float(line_.width);
        }
        else
        {
            line_.xOffset = int(std::lround(firstOutline));
            line_.startOffset = 0.0f;
        }
        if (hasGlyph_) line_.startOffset += firstShift_ / 4.0f + 0.5f;
        out_->lines.push_back(std::make_shared<TTextLine>(std::move(line_)));
        line_ = TTextLine();
        x_ = extent_ = firstShift_ = 0.0f;
        hasGlyph_ = false;
        space_.valid = hyphen_.valid = false;
        lineAlign_ = st_.Align();
        OpenRun(nullptr, next);
    }

    const TString& text_;
    const char* s_;
    int len_;
    int boxWidth_, flags_;
    TFontRegistry& fonts_;
    TTagState& st_;
    TTextLayoutResult* out_;
    TVecFont* fallback_ = nullptr;
    bool legacy_ = false;
    TTextLine line_;
    TTextRun run_;
    bool runOpen_ = false;
    bool haveRun_ = false, prevItalic_ = false;
    float x_ = 0.0f, extent_ = 0.0f, firstShift_ = 0.0f;
    bool hasGlyph_ = false;
    int pendingPad_ = 0;
    int lineAlign_ = -1;
    bool missingLogged_ = false;
    Opportunity space_, hyphen_;
};

}  // namespace

void LayoutText(const TString& text, int boxWidth, int boxHeight, const TextAttributes& base,
                int flags, TFontRegistry& fonts, TTagState& state, TTextLayoutResult* out)
{
    *out = TTextLayoutResult();
    state.Reset(base);
    TLayoutBuilder(text, boxWidth, flags, fonts, state, out).Run();
    if (flags & kTextMiddle)
    {
        out->blockTop = boxHeight / 2;
        out->blockOffset = -float(out->totalHeight) / 2.0f;
    }
    else if (flags & kTextBottom)
    {
        out->blockTop = boxHeight;
        out->blockOffset = -float(out->totalHeight);
    }
}
