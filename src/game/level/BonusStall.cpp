// BonusStall: the area, the lucky amount and badge, breaking and the
// instant repair; a stall of the lightning type keeps its watch.
#include "game/level/BonusStall.h"

#include <string>

#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/Res.h"
#include "game/level/Economic.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "graphics/TextGraphic.h"

namespace
{

constexpr const char* kAreaPicture = "game_logic_common:images/game_logic/bonuses/bonus_area";
constexpr const char* kBubbleYellow = "game_logic_common:images/game_logic/lucky_bubble/yellow";
constexpr const char* kBubbleRed = "game_logic_common:images/game_logic/lucky_bubble/red";

// The candidate slot points of each ring, from the stall's position.
const std::vector<std::vector<TPoint>>& Rings()
{
    static const std::vector<std::vector<TPoint>> rings = {
        {{100, -50}, {100, 50}, {-100, 50}, {-100, -50}},
        {{200, 0}, {0, 100}, {-200, 0}, {0, -100}},
        {{200, -100}, {200, 100}, {-200, 100}, {-200, -100}},
        {{300, -50}, {300, 50}, {100, 150}, {-100, 150}, {-300, 50}, {-300, -50}, {-100, -150}, {100, -150}},
    };
    return rings;
}

}  // namespace

BonusStall::BonusStall(ILevelContext& level, const SBonusStallDesc& desc)
    : GameObject(level, desc), bonus_(const_cast<SBonusStallDesc&>(desc))
{
    bonusType_ = desc.bonusType;
    BonusStall::Reset();
}

BonusStall::~BonusStall() = default;

bool BonusStall::HasLucky() const
{
    return !bonus_.lucky.empty();
}

void BonusStall::Reset()
{
    GameObject::Reset();
    areaPoints_.clear();
    areaRects_.clear();
    bonusValue_ = 0;
}

void BonusStall::SetValueText()
{
    if (valueText_) valueText_->SetText(TString(std::to_string(bonusValue_).c_str()));
}

void BonusStall::SetBubble(const char* colour)
{
    if (bubble_) bubble_->Load(colour, true);
}

void BonusStall::CreateSprites(int32_t stallId, int32_t px, int32_t py)
{
    GameObject::CreateSprites(stallId, px, py);
    CreateDescSprites();
    showArea_ = bonus_.local;
    areaPicture_ = TRes::GetInstance()->GetAsset(kAreaPicture);
    watch_.Start(level_.GetMainClock().GetTime());
    bonusValues_ = bonus_.bonus;
    zeroValues_.assign(bonusValues_.size(), 0);
    if (HasLucky())
    {
        const SGameObjectCommon::SLuckyBubble& b = common_.luckyBubble;
        valueText_ = TTextGraphic::Create(TString(), b.textW, b.textH, 5, b.textFont, b.textFontSize, b.textColor);
        valueText_->SetText(TString(std::to_string(At(bonus_.lucky, 0, "Lucky.build")).c_str()));
        textRect_ = TRect(0, 0, b.textW, b.textH);
        bubble_ = std::make_unique<TMySprite>(kBubbleYellow, true);
    }
}

void BonusStall::SetPosition(int32_t px, int32_t py)
{
    GameObject::SetPosition(px, py);
    PlaceLayers();
    if (HasLucky())
    {
        const SGameObjectCommon::SLuckyBubble& b = common_.luckyBubble;
        textRect_ = TRect(px + b.text.x, py + b.text.y, px + b.text.x + b.textW, py + b.text.y + b.textH);
        if (bubble_)
        {
            bubble_->SetPosition(static_cast<float>(px + b.bubble.x), static_cast<float>(py + b.bubble.y));
            bubble_->UpdateTransform();
        }
    }
    RebuildArea();
}

// --- Area ---

bool BonusStall::IsSlotAt(int32_t px, int32_t py) const
{
    return level_.IsSlotAt(px, py);
}

void BonusStall::AddAreaRing(int32_t ring)
{
    if (!showArea_) return;
    if (ring < 0 || static_cast<size_t>(ring) >= Rings().size()) return;
    for (const TPoint& off : Rings()[static_cast<size_t>(ring)])
    {
        const int32_t px = x + off.x;
        const int32_t py = y + off.y;
        if (IsSlotAt(px, py)) areaPoints_.push_back({px, py});
    }
    RebuildAreaRects();
}

void BonusStall::RebuildAreaRects()
{
    areaRects_.clear();
    for (const TPoint& p : areaPoints_)
        areaRects_.emplace_back(p.x - kCellHalfWidth, p.y - kCellHalfHeight, p.x + kCellHalfWidth,
                                p.y + kCellHalfHeight);
}

void BonusStall::RebuildArea()
{
    areaPoints_.clear();
    areaRects_.clear();
    for (int32_t ring = 0; ring <= level; ++ring) AddAreaRing(ring);
}

bool BonusStall::IsInArea(int32_t px, int32_t py) const
{
    if (!active) return false;
    for (const TPoint& p : areaPoints_)
        if (p.x == px && p.y == py) return true;
    return false;
}

void BonusStall::InitLucky()
{
    if (!HasLucky()) return;
    bonusValue_ = At(bonus_.lucky, level, "Lucky.build");
    if (!active) return;
    level_.GetEconomic().SetLuckyAmount(id, 0);
    level_.GetEconomic().SetLuckyAmount(id, bonusValue_);
}

// --- Per frame ---

void BonusStall::Update()
{
    if (HasLucky()) SetValueText();
    watch_.Update(level_, *this, bonusType_, areaRects_);
    GameObject::Update();
    if (state == kStateBroken) Break(false, false);
}

// --- States ---

void BonusStall::SetActive(bool on, bool instant)
{
    GameObject::SetActive(on, instant);
    RebuildArea();
    bonus_.bonus = on ? bonusValues_ : zeroValues_;
}

void BonusStall::UpdatePrice(bool randomise)
{
    price = DescPrice(randomise);
}

void BonusStall::RemoveUpgradeLevel()
{
    GameObject::RemoveUpgradeLevel();
    RebuildArea();
}

void BonusStall::Work(bool enter)
{
    GameObject::Work(enter);
    // Without its lucky flag a lucky stall stands broken.
    if (active && HasLucky() && state == kStateWorking && !level_.GetEconomic().IsLuckyFlagSet(id))
        Break(true, false);
}

void BonusStall::Upgrade(bool enter)
{
    if (!enter && clock.GetTime() > timerTarget_) AddAreaRing(level);
    GameObject::Upgrade(enter);
}

void BonusStall::Break(bool enter, bool noEffect)
{
    if (enter)
    {
        Notify(state, kStateBroken);
        state = kStateBroken;
        SetLayersVisible(false);
        PlayLayerAnims(false);
        if (HasLucky()) SetBubble(kBubbleRed);
        if (!noEffect)
        {
            OverlayImage(breakImage_, 1.0f);
            PlayEffect(2);
        }
        level_.ShowHint(1);
    }
    // A stall being destroyed stays broken while it fades out.
    if (state == kStateBroken && !crashRunning_ && level_.GetEconomic().IsLuckyFlagSet(id)) Repair(true);
}

void BonusStall::Repair(bool enter)
{
    if (!enter) return;
    StopEffect();
    if (overlay_) overlay_->SetAlpha(0.0f);
    if (selected) SetSelected(true);
    PlayLayerAnims(true);
    SetLayersVisible(true);
    if (HasLucky()) SetBubble(kBubbleYellow);
    infoChanged = true;
    Work(true);
}

void BonusStall::PlayEffect(int32_t effectKind)
{
    if (effect_ && effectKind == 1) effect_->Load("effect:images/game_logic/effect/bonus_fest/clock", true);
    if (effect_ && effectKind == 2) effect_->Load("effect:images/game_logic/effect/break/no_lucky", true);
    GameObject::PlayEffect(effectKind);
}

int32_t BonusStall::GetCost(int32_t costKind, int32_t type, int32_t atLevel) const
{
    return DescCost(costKind, type, atLevel);
}

void BonusStall::UpdateRefund()
{
    refund = HasLucky() ? 0 : At(bonus_.good, level, "Good.build") / 2;
}

// --- Drawing ---

void BonusStall::DrawSelection()
{
    if (showArea_ && areaPicture_)
        for (const TPoint& p : areaPoints_)
            areaPicture_->DrawAt(static_cast<float>(p.x), static_cast<float>(p.y), 1.0f, 1.0f, 0.0f, 0);
    GameObject::DrawSelection();
}

void BonusStall::DrawBadge()
{
    if (!HasLucky() || !active || (state != kStateWorking && state != kStateBroken)) return;
    if (bubble_) bubble_->Draw();
    if (valueText_) DrawTextGraphicAt(valueText_, textRect_);
}
