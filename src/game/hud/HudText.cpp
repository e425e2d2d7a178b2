#include "game/hud/HudText.h"

#include "core/Saturate.h"
#include "graphics/TextGraphic.h"

HudText::HudText() = default;
HudText::~HudText() = default;

void HudText::Create()
{
    const int32_t left = ClampToInt32(int64_t{centreX} - width / 2);
    const int32_t top = ClampToInt32(int64_t{centreY} - height / 2);
    rect = TRect(left, top, ClampToInt32(int64_t{left} + width), ClampToInt32(int64_t{top} + height));
    graphic = TTextGraphic::Create(text, width, height, flags, font, fontSize, color);
    bounds = graphic->GetTextBounds(1.0f);
    visible = true;
}

void HudText::SetText(const TString& newText)
{
    if (!graphic) return;
    graphic->SetText(newText);
    bounds = graphic->GetTextBounds(1.0f);
}

void HudText::MoveY(int64_t dy)
{
    centreY = ClampToInt32(centreY + dy);
    rect.top = ClampToInt32(rect.top + dy);
    rect.bottom = ClampToInt32(rect.bottom + dy);
}

void HudText::MoveLeftTo(int64_t x)
{
    const int64_t w = int64_t{rect.right} - rect.left;
    rect.left = ClampToInt32(x);
    rect.right = ClampToInt32(x + w);
    centreX = ClampToInt32(x + w / 2);
}

void HudText::UseColour(bool alternative)
{
    if (graphic) graphic->SetColor(alternative ? color2 : color);
}

void HudText::SetFontSize(int32_t size)
{
    if (!graphic) return;
    graphic->SetFontSize(size);
    bounds = graphic->GetTextBounds(1.0f);
}

void HudText::Draw() const
{
    if (!graphic || !visible) return;
    graphic->Draw(TFloatPoint(static_cast<float>(rect.left), static_cast<float>(rect.top)), rect.bottom - rect.top,
                  1.0f);
}
