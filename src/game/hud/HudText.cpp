#include "game/hud/HudText.h"

#include "graphics/TextGraphic.h"

HudText::HudText() = default;
HudText::~HudText() = default;

void HudText::Create()
{
    const int32_t left = centreX - width / 2;
    const int32_t top = centreY - height / 2;
    rect = TRect(left, top, left + width, top + height);
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

void HudText::MoveY(int32_t dy)
{
    centreY += dy;
    rect.top += dy;
    rect.bottom += dy;
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
