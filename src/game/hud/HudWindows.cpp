#include "game/hud/HudWindows.h"

#include "game/app/MySprite.h"
#include "core/Saturate.h"
#include "graphics/TextGraphic.h"

namespace
{

const char* const kInfoBubble = "hud:images/game_logic/hud/window_info/babl";
const char* const kInfoArrow = "hud:images/game_logic/hud/window_info/arrow_2";
const char* const kSmallBubble = "hud:images/game_logic/hud/window_info/babl_small_3";
const char* const kLittleArrow = "hud:images/game_logic/hud/window_info/arrow";
const char* const kTaskBubble = "hud:images/game_logic/hud/window_info/babl_task";
const char* const kTaskArrow = "hud:images/game_logic/hud/window_info/arrow_3";
const char* const kLuckyLine1 = "hud:images/game_logic/hud/lucky_bar/line1";
const char* const kLuckyLine2 = "hud:images/game_logic/hud/lucky_bar/line2";

constexpr int kFlagsTitle = 5;
constexpr int kFlagsLeft = 4;
constexpr int kFlagsRight = 6;

void DrawAt(TTextGraphic* text, const TRect& r)
{
    if (text == nullptr) return;
    text->Draw(TFloatPoint(static_cast<float>(r.left), static_cast<float>(r.top)), r.bottom - r.top, 1.0f);
}

}  // namespace

void HudDelayedShow::StartShowDelay()
{
    shown = false;
    pending = true;
    delayClock.Reset();
    delayClock.Start();
}

bool HudDelayedShow::Step()
{
    if (!pending || delayClock.GetTime() < delay) return false;
    pending = false;
    shown = true;
    delayClock.Stop();
    return true;
}

void HudDelayedShow::Hide()
{
    shown = false;
    pending = false;
}

HudInfoWindow::HudInfoWindow(int32_t windowKind)
    : kind(windowKind),
      bubble(std::make_unique<TMySprite>(kInfoBubble, true)),
      arrow(std::make_unique<TMySprite>(kInfoArrow, true))
{
}

HudInfoWindow::~HudInfoWindow() = default;

void HudInfoWindow::Clear()
{
    Hide();
    stallId = -1;
}

void HudInfoWindow::CreateTexts()
{
    title = TTextGraphic::Create(TString(), titleSize.x, titleSize.y, kFlagsTitle, font, fontBigSize,
                                 kind == 1 ? colors[0] : colors[1]);
    for (int i = 0; i < kLineCount; ++i)
    {
        const int pair = i / 2;
        const bool last = i == kLineCount - 1;
        const int flags = last ? kFlagsTitle : (i % 2 == 0 ? kFlagsLeft : kFlagsRight);
        const TFloatVector4& colour = pair % 2 == 0 ? colors[2] : colors[3];
        lines[i] = TTextGraphic::Create(TString(), lineSize.x, lineSize.y, flags, font, fontSize, colour);
    }
    lineRects.assign(static_cast<size_t>(kLineCount), TRect());
}

void HudInfoWindow::CopyLayout(const HudInfoWindow& from)
{
    delay = from.delay;
    bubbleOffset = from.bubbleOffset;
    arrowOffset = from.arrowOffset;
    kindOffset = from.kindOffset;
    lineSize = from.lineSize;
    titleSize = from.titleSize;
    fontSize = from.fontSize;
    fontBigSize = from.fontBigSize;
    font = from.font;
    lineOffsets = from.lineOffsets;
    // The colours too: a window laid out by another has no colours of its own.
    for (int i = 0; i < 5; ++i) colors[i] = from.colors[i];
}

void HudInfoWindow::SetPosition(int32_t x, int32_t y)
{
    constexpr int64_t kArrowMargin = 170;
    constexpr int64_t kBubbleMargin = 160;
    const TPoint d = kind != 0 ? kindOffset : TPoint();
    int32_t w = 0;
    int32_t h = 0;
    arrow->GetSize(&w, &h);
    int64_t c = int64_t{x} + arrowOffset.x;
    if (c - w / 2 <= kArrowMargin) c = w / 2 + kArrowMargin;
    arrow->SetPosition(static_cast<float>(int64_t{d.x} + arrowOffset.x + c), static_cast<float>(int64_t{y} + d.y + arrowOffset.y));
    arrow->UpdateTransform();
    bubble->GetSize(&w, &h);
    int64_t b = int64_t{x} + d.x + bubbleOffset.x;
    if (b - w / 2 <= kBubbleMargin) b = w / 2 + kBubbleMargin;
    bubble->SetPosition(static_cast<float>(b), static_cast<float>(int64_t{y} + d.y + bubbleOffset.y));
    bubble->UpdateTransform();
    auto rectAt = [&](const TPoint& offset, const TPoint& size) {
        const int64_t left = int64_t{offset.x} + d.x + b;
        const int64_t top = int64_t{offset.y} + d.y + y;
        return TRect(ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + size.x), ClampToInt32(top + size.y));
    };
    lineRects.assign(static_cast<size_t>(kLineCount), TRect());
    for (size_t i = 0; i < lineRects.size() && i < lineOffsets.size(); ++i) lineRects[i] = rectAt(lineOffsets[i], lineSize);
    if (lineOffsets.size() > 1) titleRect = rectAt(lineOffsets[1], titleSize);
}

void HudInfoWindow::Draw()
{
    if (!shown) return;
    bubble->Draw();
    arrow->Draw();
    for (size_t i = 0; i < lineRects.size() && i < static_cast<size_t>(kLineCount); ++i)
        DrawAt(lines[i].get(), lineRects[i]);
    DrawAt(title.get(), titleRect);
}

HudMiddleInfoWindow::HudMiddleInfoWindow() = default;
HudMiddleInfoWindow::~HudMiddleInfoWindow() = default;

void HudMiddleInfoWindow::Reset()
{
    Hide();
    kind = -1;
    id = -1;
}

void HudMiddleInfoWindow::CreateSprites()
{
    frame = std::make_unique<TMySprite>(kSmallBubble, true);
    arrow = std::make_unique<TMySprite>(kInfoArrow, true);
    text = TTextGraphic::Create(TString(), textSize.x, textSize.y, kFlagsTitle, font, fontSize, colors[0]);
}

void HudMiddleInfoWindow::Draw()
{
    if (!shown) return;
    if (frame) frame->Draw();
    if (arrow) arrow->Draw();
    DrawAt(text.get(), textRect);
}

HudLittleInfoWindow::HudLittleInfoWindow() = default;
HudLittleInfoWindow::~HudLittleInfoWindow() = default;

void HudLittleInfoWindow::CreateSprites()
{
    bubble = std::make_unique<TMySprite>(kSmallBubble, true);
    arrow = std::make_unique<TMySprite>(kLittleArrow, true);
    arrow->SetOriginEnabled(true);
    text = TTextGraphic::Create(TString(), textSize.x, textSize.y, kFlagsTitle, font, fontSize, color);
}

void HudLittleInfoWindow::Draw()
{
    if (!shown) return;
    if (bubble) bubble->Draw();
    if (arrow) arrow->Draw();
    DrawAt(text.get(), textRect);
}

HudTaskHint::HudTaskHint() = default;
HudTaskHint::~HudTaskHint() = default;

void HudTaskHint::CreateSprites()
{
    bubble = std::make_unique<TMySprite>(kTaskBubble, true);
    arrow = std::make_unique<TMySprite>(kTaskArrow, true);
    text = TTextGraphic::Create(TString(), textSize.x, textSize.y, kFlagsLeft, font, fontSize, color);
}

void HudTaskHint::Draw()
{
    if (!shown) return;
    if (bubble) bubble->Draw();
    if (arrow) arrow->Draw();
    DrawAt(text.get(), textRect);
}

LuckyBar::LuckyBar()
    : line1(std::make_unique<TMySprite>(kLuckyLine1, true)), line2(std::make_unique<TMySprite>(kLuckyLine2, true))
{
    for (TMySprite* line : {line1.get(), line2.get()})
    {
        line->SetOriginEnabled(true);
        line->SetOrigin(0, 0);
        line->SetSourceRectEnabled(true);
        line->SetSourceRect(0, 0, 10, 10);
    }
}

LuckyBar::~LuckyBar() = default;

void LuckyBar::SetLuckyBar(int32_t px1, int32_t py1, int32_t px2, int32_t py2)
{
    x1 = px1;
    y1 = py1;
    x2 = px2;
    y2 = py2;
    line1->SetPosition(static_cast<float>(x1), static_cast<float>(y1));
    line1->UpdateTransform();
    line2->SetPosition(static_cast<float>(x2), static_cast<float>(y2));
    line2->UpdateTransform();
}
