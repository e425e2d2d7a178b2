// TradeStall: the stall of kind 1. It keeps a stock of goods that the
// level's sale ticks and monsters take and couriers refill, earns the
// level's income only while it has goods, and stops working (clock paused,
// pictures out, the out-of-goods overlay) when it runs out.
//
// Failure: none; the description's short per-level lists read 0 (logged
// once by the base).
#pragma once

#include "game/level/GameObject.h"

struct STradeStallDesc;

class TradeStall : public GameObject
{
public:
    TradeStall(ILevelContext& level, const STradeStallDesc& desc);
    ~TradeStall() override;

    void Reset() override;
    void CreateSprites(int32_t stallId, int32_t px, int32_t py) override;
    void SetPosition(int32_t px, int32_t py) override;
    // The house places, or the stall places for a trade type other than 0.
    void BuildServicePlaces() override;
    bool IsServiceable(int32_t need) const override;
    bool IsWorking() const override;
    void UpdatePrice(bool randomise) override;
    void AddUpgradeLevel() override;
    void RemoveUpgradeLevel() override;
    // The entry always runs; the per-frame step only while there are goods.
    void Work(bool enter) override;
    void Upgrade(bool enter) override;
    void PlayEffect(int32_t effectKind) override;
    int32_t GetCost(int32_t costKind, int32_t type, int32_t atLevel) const override;
    bool IsKindLevel(int32_t stallKind, int32_t descId, int32_t minLevel) const override;
    bool IsKind(int32_t stallKind, int32_t descId) const override;
    void UpdateRefund() override;

    int32_t GetGoods() const override { return stock_; }
    int32_t GetGoodsLimit() const { return capacity_; }
    int32_t GetGoodsRoom() const override { return capacity_ - stock_; }
    // Returns amount while stock remains, else the stock after the
    // subtraction (0 or less): the sale that empties the stall.
    int32_t SellGoods(int32_t amount) override;
    // Fills up to the capacity; a delivery to an empty stall restores its
    // income once, before the stock rises.
    void AddGoods(int32_t amount) override;

    // 0 enough, 1 low (at or below the limit), 2 out.
    int32_t GetGoodsState() const { return goodsState_; }
    int32_t GetTradeType() const { return tradeType_; }

protected:
    bool IsOutOfGoods() const override { return stock_ == 0; }

private:
    int32_t Profit() const;
    int32_t Limit() const;
    void PlayAnims();

    const STradeStallDesc& trade_;
    int32_t capacity_ = 0;
    int32_t stock_ = 0;
    int32_t tradeType_ = 0;
    int32_t goodsState_ = 0;
};
