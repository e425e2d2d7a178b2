#include "game/hud/HudText.h"

#include "game/hud/HudMath.h"
#include "graphics/TextGraphic.h"

HudText::HudText() = default;
HudText::~HudText() = default;

void HudText::Create()
{
    const int32_t left = SatInt(int64_t{centreX} - width / 2);
    const int32_t top = SatInt(int64_t{centreY} - height / 2);
    rect = TRect(left, top, SatInt(int64_t{left} + width), SatInt(int64_t{top} + height));
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
    centreY = SatInt(centreY + dy);
    rect.top = SatInt(rect.top + dy);
    rect.bottom = SatInt(rect.bottom + dy);
}

void HudText::MoveLeftTo(int64_t x)
{
    const int64_t w = int64_t{rect.right} - rect.left;
    rect.left = SatInt(x);
    rect.right = SatInt(x + w);
    centreX = SatInt(x + w / 2);
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
