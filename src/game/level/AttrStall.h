// AttrStall: the stall of kind 0, an attraction customers visit. It has no
// goods; besides the stall base it shows a badge: a green bubble with the
// attraction's customer count at its current level.
#pragma once

#include <memory>

#include "game/level/GameObject.h"

struct SAttrStallDesc;

class AttrStall : public GameObject
{
public:
    AttrStall(ILevelContext& level, const SAttrStallDesc& desc);
    ~AttrStall() override;

    // The base's, then the badge text follows the level.
    void Update() override;
    void CreateSprites(int32_t stallId, int32_t px, int32_t py) override;
    void SetPosition(int32_t px, int32_t py) override;
    void UpdatePrice(bool randomise) override;
    int32_t GetCost(int32_t costKind, int32_t type, int32_t atLevel) const override;
    void UpdateRefund() override;
    // Working or upgrading, active, and while the level shows badges.
    void DrawBadge() override;

    TTextGraphic* GetValueText() const { return valueText_.get(); }
    TMySprite* GetBubble() const { return bubble_.get(); }
    const TRect& GetTextRect() const { return textRect_; }

private:
    void SetCountText();

    const SAttrStallDesc& attr_;
    std::unique_ptr<TMySprite> bubble_;
    std::shared_ptr<TTextGraphic> valueText_;
    TRect textRect_;
};
