// The text object: layout on change, drawing through the vector drawer, and
// the measuring and hit tests that agree with the drawing.
#include "graphics/TextGraphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/FontRegistry.h"
#include "graphics/VecDraw.h"

TTextGraphic::TTextGraphic()
{
    spriteRender_ = GetSetting(kSettingTextSpriteRender).ToFloat() > 0.0f;
}

TTextGraphic::~TTextGraphic() = default;

std::unique_ptr<TTextGraphic> TTextGraphic::Create(const TString& text, int width, int height,
                                                   int flags, const TString& fontName, int fontSize,
                                                   const TFloatVector4& color)
{
    auto t = std::make_unique<TTextGraphic>();
    t->flags_ = flags;
    t->SetFont(fontName);
    t->fontSize_ = fontSize;
    t->color_ = color;
    t->boxWidth_ = width;
    t->boxHeight_ = height;
    t->text_ = text;
    t->Layout();
    return t;
}

void TTextGraphic::SetText(const TString& text)
{
    if (std::strcmp(text.CStr(), text_.CStr()) == 0) return;
    text_ = text;
    Layout();
}

void TTextGraphic::SetFont(const TString& name)
{
    const TString use = name.IsEmpty() ? TString("__DEFAULT") : name;
    if (std::strcmp(use.CStr(), fontName_.CStr()) == 0) return;
    fontName_ = use;
    Layout();
}

void TTextGraphic::SetFontSize(int size)
{
    if (size == fontSize_) return;
    fontSize_ = size;
    Layout();
}

bool TTextGraphic::ShrinkToOneLine(int minSize)
{
    auto fits = [this]
    {
        const TRect bounds = GetTextBounds(1.0f);
        return GetLineCount() <= 1 && bounds.right - bounds.left <= boxWidth_;
    };
    while (!fits() && fontSize_ > minSize) SetFontSize(fontSize_ - 1);
    return fits();
}

void TTextGraphic::SetFlags(int flags)
{
    if (flags == flags_) return;
    flags_ = flags;
    Layout();
}

void TTextGraphic::SetSize(int width, int height)
{
    if (width == boxWidth_ && height == boxHeight_) return;
    boxWidth_ = width;
    boxHeight_ = height;
    Layout();
}

void TTextGraphic::SetColor(const TFloatVector4& color)
{
    if (!ColorsDiffer(color, color_)) return;
    color_ = color;
    Layout();
}

void TTextGraphic::SetRotation(float degrees, int originX, int originY)
{
    const double radians = double(degrees) * 3.14159265358979323846 / 180.0;
    rotCos_ = float(std::cos(radians));
    rotSin_ = float(std::sin(radians));
    if (NearlyEqual(1.0f, rotCos_) && NearlyEqual(0.0f, rotSin_))
    {
        rotCos_ = 1.0f;
        rotSin_ = 0.0f;
    }
    rotOriginX_ = originX;
    rotOriginY_ = originY;
    Layout();
}

void TTextGraphic::Layout()
{
    ++layouts_;
    TextAttributes base;
    base.face = fontName_;
    base.size = fontSize_;
    base.color = color_;
    TTextLayoutResult r;
    LayoutText(text_, boxWidth_, boxHeight_, base, flags_, GetFontRegistry(), tagState_, &r);
    lines_ = std::move(r.lines);
    top_ = r.blockTop;
    blockOffset_ = r.blockOffset;
    height_ = r.totalHeight;
    left_ = lines_.empty() ? 0 : lines_.front()->xOffset;
    right_ = 0;
    for (const TTextLineRef& l : lines_)
    {
        left_ = std::min(left_, l->xOffset);
        right_ = std::max(right_, l->xOffset + int(l->startOffset) + l->width);
    }
}

int TTextGraphic::FirstLineIndex() const
{
    return int(std::min(firstLine_, float(lines_.size())));
}

float TTextGraphic::FirstLineTop(float scale) const
{
    const int first = FirstLineIndex();
    float y = float(top_) + scale * blockOffset_;
    if (first < int(lines_.size()))
        y -= scale * (firstLine_ - float(first)) * float(lines_[size_t(first)]->height);
    return y;
}

int TTextGraphic::CountLinesFitting(float scale, float spacing) const
{
    float sum = 0.0f;
    for (int i = int(lines_.size()) - 1; i >= 0; --i)
    {
        sum += scale * (spacing + float(lines_[size_t(i)]->height));
        if (sum > float(boxHeight_)) return i + 1;
    }
    return 0;
}

TString TTextGraphic::GetLinkAt(const TFloatPoint& point, float spacing, float scale) const
{
    const int first = FirstLineIndex();
    float y = FirstLineTop(scale);
    for (size_t i = size_t(first); i < lines_.size(); ++i)
    {
        const TTextLine& line = *lines_[i];
        const float bottom = y + scale * float(line.height);
        if (point.y >= y && point.y < bottom)
        {
            for (const TTextRun& run : line.runs)
            {
                const float x0 = float(line.xOffset) + scale * (line.startOffset + run.x / 4.0f);
                const float x1 = float(line.xOffset) + scale * (line.startOffset + run.xEnd / 4.0f);
                if (point.x >= x0 && point.x < x1) return run.linkId;
            }
            return TString();
        }
        y = bottom + scale * spacing;
    }
    return TString();
}

bool TTextGraphic::UpdateHoverLink(const TFloatPoint& point, float spacing, float scale)
{
    const TString link = GetLinkAt(point, spacing, scale);
    if (std::strcmp(link.CStr(), hoverLink_.CStr()) == 0) return false;
    hoverLink_ = link;
    return true;
}

TRect TTextGraphic::GetTextBounds(float scale) const
{
    bool any = false;
    float left = 0, right = 0;
    for (size_t i = size_t(FirstLineIndex()); i < lines_.size(); ++i)
    {
        const TTextLine& line = *lines_[i];
        if (line.runs.empty()) continue;
        const float l = float(line.xOffset) + scale * (line.startOffset + line.runs.front().x / 4.0f);
        const float r = float(line.xOffset) + scale * (line.startOffset + line.runs.back().xEnd / 4.0f);
        left = any ? std::min(left, l) : l;
        right = any ? std::max(right, r) : r;
        any = true;
    }
    const int top = int(float(top_) + scale * blockOffset_);
    return TRect(any ? int(left) : 0, top, int(right), int(float(top) + scale * float(height_)));
}

void TTextGraphic::Draw(const TFloatPoint& position, int height, float scale, float lineSpacing,
                        float alpha, bool raw)
{
    if (scale < 0.0f || !(scale == scale)) return;
    TQvMiniVecDraw* d = GetVecDraw();
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (!d || !dc) return;
    TFloatPoint pos = position;
    if (!raw)
    {
        const TRect v = dc->GetViewport();
        pos.x += float(v.left);
        pos.y += float(v.top);
        TDisplayHost* host = dc->GetDisplayHandler()->GetHost();
        if (host && host->IsEmbedded()) scale *= host->GetViewportScale();
    }
    const bool open = dc->IsDrawing() && !dc->Is2d() && !dc->Is3d();
    TScoped2d block(open && dc->Begin2d());
    d->targetMode = replaceMode_ ? kVecCopy : kVecBlendOver;
    d->BeginTarget(pos.x, pos.y, TTextureRef());
    const bool rotated = rotSin_ != 0.0f || rotCos_ != 1.0f;
    // Quarter pixels from the position of a point in box pixels at this scale.
    auto place = [&](float bx, float by, float* qx, float* qy)
    {
        float x = bx, y = by;
        if (rotated)
        {
            const float ox = float(rotOriginX_), oy = float(rotOriginY_);
            x = ox + (bx - ox) * rotCos_ - (by - oy) * rotSin_;
            y = oy + (bx - ox) * rotSin_ + (by - oy) * rotCos_;
        }
        *qx = x * 4.0f;
        *qy = y * 4.0f;
    };

    const int first = FirstLineIndex();
    float y = FirstLineTop(scale);
    for (size_t li = size_t(first); li < lines_.size(); ++li)
    {
        const TTextLine& line = *lines_[li];
        if (height > 0 && y >= float(height)) break;
        const float lineX = float(line.xOffset) + scale * line.startOffset;
        for (const TTextRun& run : line.runs)
        {
            TVecFont* font = run.font;
            if (!font) continue;
            const bool hover = !hoverLink_.IsEmpty() && run.linkId == hoverLink_;
            const TFloatVector4& fill = hover ? run.linkColor : run.color;
            const float bold = (run.bold || font->IsFlagSet())
                                   ? float(run.size) * scale * 0.0125f * font->GetScale()
                                   : 0.0f;
            d->SetColor(1, fill, alpha);
            d->transform = TVecTransform();
            d->transform.italic = run.italic;
            d->transform.cos = rotCos_;
            d->transform.sin = rotSin_;
            if (run.outlineSize > 0.0f)
            {
                d->SetColor(255, run.outlineColor, alpha);
                d->SetColor(254, fill, alpha);
                d->transform.outline[0] = run.outlineSize * scale + bold;
                d->transform.outline[1] = bold;
            }
            else if (bold > 0.0f)
            {
                d->SetColor(255, fill, alpha);
                d->transform.outline[0] = bold;
            }
            const float baseY = y + scale * run.baseline;
            for (const TTextGlyph& g : run.glyphs)
            {
                const float s = scale * run.scale * font->GetGlyphScale(g.index);
                d->transform.scaleX = d->transform.scaleY = s;
                float qx, qy;
                place(lineX + scale * g.x / 4.0f, baseY, &qx, &qy);
                d->Render(font->GetGlyphShape(g.index), font->GetImageEnd(), qx, qy);
            }
            const float ascent = std::ceil(font->GetAscent() * run.scale / 4.0f + 0.5f);
            const float descent = std::ceil(font->GetDescent() * run.scale / 4.0f + 0.5f);
            if (run.cursor)
            {
                float qx, qy;
                place(lineX + scale * run.x / 4.0f, baseY - scale * ascent, &qx, &qy);
                d->RenderRect(qx, qy, 12.0f, 4.0f * scale * (ascent + descent));
            }
            if (run.underline && !run.glyphs.empty())
            {
                // A bar a little under the baseline, thicker with the size.
                const float thick = std::max(1.0f, std::round(float(run.size) / 16.0f));
                float qx, qy;
                place(lineX + scale * run.x / 4.0f, baseY + scale * thick, &qx, &qy);
                d->RenderRect(qx, qy, scale * (run.xEnd - run.x), 4.0f * scale * thick);
            }
        }
        y += scale * (float(line.height) + lineSpacing);
    }
    d->FlushVertices();
}

void DrawTextGraphicAt(const std::shared_ptr<TTextGraphic>& text, const TRect& rect, float scale,
                       float alpha, float lineSpacing, const TFloatPoint& offset)
{
    std::shared_ptr<TTextGraphic> hold = text;
    if (!hold) return;
    hold->Draw(TFloatPoint(float(rect.left) + offset.x, float(rect.top) + offset.y),
               rect.bottom - rect.top, scale, lineSpacing, alpha, false);
}
