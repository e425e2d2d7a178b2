// AttrStall: the badge and the attraction's costs.
#include "game/level/AttrStall.h"

#include <string>

#include "game/app/MySprite.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "graphics/TextGraphic.h"

AttrStall::AttrStall(ILevelContext& level, const SAttrStallDesc& desc) : GameObject(level, desc), attr_(desc) {}

AttrStall::~AttrStall() = default;

void AttrStall::SetCountText()
{
    if (!valueText_) return;
    valueText_->SetText(TString(std::to_string(At(attr_.customerCount, level, "FunCustomer.cnt")).c_str()));
}

void AttrStall::Update()
{
    GameObject::Update();
    SetCountText();
}

void AttrStall::CreateSprites(int32_t stallId, int32_t px, int32_t py)
{
    GameObject::CreateSprites(stallId, px, py);
    CreateDescSprites();
    const SGameObjectCommon::SLuckyBubble& b = common_.luckyBubble;
    valueText_ = TTextGraphic::Create(TString(), b.textW, b.textH, 5, b.textFont, b.textFontSize, b.textColor);
    textRect_ = TRect(0, 0, b.textW, b.textH);
    SetCountText();
    bubble_ = std::make_unique<TMySprite>("game_logic_common:images/game_logic/lucky_bubble/green", true);
}

void AttrStall::SetPosition(int32_t px, int32_t py)
{
    GameObject::SetPosition(px, py);
    PlaceLayers();
    const SGameObjectCommon::SLuckyBubble& b = common_.luckyBubble;
    textRect_ = TRect(px + b.text.x, py + b.text.y, px + b.text.x + b.textW, py + b.text.y + b.textH);
    if (bubble_)
    {
        bubble_->SetPosition(static_cast<float>(px + b.bubble.x), static_cast<float>(py + b.bubble.y));
        bubble_->UpdateTransform();
    }
}

void AttrStall::UpdatePrice(bool randomise)
{
    price = DescPrice(randomise);
}

int32_t AttrStall::GetCost(int32_t costKind, int32_t type, int32_t atLevel) const
{
    return DescCost(costKind, type, atLevel);
}

void AttrStall::UpdateRefund()
{
    refund = ManaRefund();
}

void AttrStall::DrawBadge()
{
    if (!active || (state != kStateWorking && state != kStateUpgrading)) return;
    if (!level_.IsBadgeShown()) return;
    if (bubble_) bubble_->Draw();
    if (valueText_) DrawTextGraphicAt(valueText_, textRect_);
}
