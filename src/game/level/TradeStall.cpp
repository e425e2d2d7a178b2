// TradeStall: goods, income and the trade stall's costs.
#include "game/level/TradeStall.h"

#include <algorithm>

#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/level/Economic.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"

TradeStall::TradeStall(ILevelContext& level, const STradeStallDesc& desc) : GameObject(level, desc), trade_(desc)
{
    tradeType_ = desc.tradeType;
    TradeStall::Reset();
}

TradeStall::~TradeStall()
{
    incomeCallback = nullptr;
}

void TradeStall::Reset()
{
    GameObject::Reset();
    capacity_ = 0;
    stock_ = 0;
    goodsState_ = 0;
}

int32_t TradeStall::Profit() const
{
    return At(trade_.profit, level, "Money.profit");
}

int32_t TradeStall::Limit() const
{
    return At(trade_.goodLimit, level, "Good.limit");
}

void TradeStall::CreateSprites(int32_t stallId, int32_t px, int32_t py)
{
    GameObject::CreateSprites(stallId, px, py);
    CreateDescSprites();
    capacity_ = stock_ = At(trade_.goodStore, 0, "Good.store");
}

void TradeStall::SetPosition(int32_t px, int32_t py)
{
    GameObject::SetPosition(px, py);
    PlaceLayers();
}

void TradeStall::BuildServicePlaces()
{
    BuildPlaces(tradeType_ != 0);
}

bool TradeStall::IsServiceable(int32_t need) const
{
    return GameObject::IsServiceable(need) && stock_ != 0;
}

bool TradeStall::IsWorking() const
{
    return GameObject::IsWorking() && stock_ != 0;
}

void TradeStall::UpdatePrice(bool randomise)
{
    price = DescPrice(randomise);
}

void TradeStall::AddUpgradeLevel()
{
    GameObject::AddUpgradeLevel();
    capacity_ = stock_ = At(trade_.goodStore, level, "Good.store");
}

void TradeStall::RemoveUpgradeLevel()
{
    if (level <= 0) return;
    GameObject::RemoveUpgradeLevel();
    capacity_ = At(trade_.goodStore, level, "Good.store");
    stock_ = std::min(stock_, capacity_);
}

void TradeStall::PlayAnims()
{
    for (SLayer& layer : layers_)
        if (layer.layerKind == TMySpritePattern::kAnimated)
            static_cast<TMyAnimSprite*>(layer.sprite.get())->Play("DoAnim");
}

void TradeStall::Work(bool enter)
{
    if (enter)
    {
        PlayAnims();
        EnterWork();
    }
    // Out of goods the stall neither breaks nor runs its lock cycle.
    if (stock_ != 0) WorkStep();
}

void TradeStall::Upgrade(bool enter)
{
    GameObject::Upgrade(enter);
    if (enter) capacity_ = At(trade_.goodStore, level, "Good.store");
}

void TradeStall::PlayEffect(int32_t effectKind)
{
    if ((effectKind == 1 || effectKind == 2) && effect_) effect_->Load("effect:images/game_logic/effect/good/trade", true);
    GameObject::PlayEffect(effectKind);
}

int32_t TradeStall::GetCost(int32_t costKind, int32_t type, int32_t atLevel) const
{
    return DescCost(costKind, type, atLevel);
}

bool TradeStall::IsKindLevel(int32_t stallKind, int32_t descId, int32_t minLevel) const
{
    return stock_ != 0 && GameObject::IsKindLevel(stallKind, descId, minLevel);
}

bool TradeStall::IsKind(int32_t stallKind, int32_t descId) const
{
    return stock_ != 0 && GameObject::IsKind(stallKind, descId);
}

void TradeStall::UpdateRefund()
{
    refund = ManaRefund();
}

int32_t TradeStall::SellGoods(int32_t amount)
{
    stock_ -= amount;
    infoChanged = true;
    if (stock_ > 0) return amount;

    level_.ShowHint(0);
    const int32_t left = stock_;
    stock_ = 0;
    clock.Stop();
    PlayLayerAnims(false);
    level_.GetEconomic().RemoveIncomeSource(Profit(), id);
    goodsState_ = 2;
    PlayEffect(2);
    SetLayersVisible(false);
    PlayLayerAnims(false);
    OverlayImage(breakImage_, 1.0f);
    goodsOut_ = true;
    infoChanged = true;
    Sound("game_logic_audio:audio/sound/game_logic/game_object/go_good_non");
    if (selected)
    {
        level_.SelectTab(5, true);
        level_.RefreshButtonInfo();
    }
    return left;
}

void TradeStall::AddGoods(int32_t amount)
{
    bool refresh = false;
    if (stock_ == 0 && amount >= 1)
    {
        if (incomeCallback) incomeCallback(Profit(), id);
        clock.Start();
        PlayAnims();
        refresh = true;
    }
    if (stock_ > 0) refresh = refresh || Limit() >= stock_;
    stock_ = std::min(stock_ + amount, capacity_);
    if (refresh)
    {
        goodsState_ = Limit() >= stock_ ? 1 : 0;
        clock.Start();
        StopEffect();
        SetLayersVisible(true);
        PlayLayerAnims(true);
        if (overlay_) overlay_->SetAlpha(0.0f);
        infoChanged = true;
        goodsOut_ = false;
    }
    if (selected)
    {
        level_.SelectTab(5, true);
        level_.RefreshButtonInfo();
    }
}
