// BonusStall: the stall of kind 2. It serves no customers and gives the
// level a bonus: an area of neighbouring building slots that grows a ring
// with each upgrade level, a lucky amount on a badge, protection from
// breaking for the stalls in its area (bonus type 3, asked through the
// level), and lightning on monsters entering its area (bonus type 10). A
// broken bonus stall needs no timed repair: it works again in the frame the
// economy sets its lucky flag.
#pragma once

#include <memory>
#include <vector>

#include "game/level/GameObject.h"
#include "game/level/LightningManager.h"
#include "graphics/Texture.h"

struct SBonusStallDesc;

class BonusStall : public GameObject
{
public:
    static constexpr int32_t kCellHalfWidth = 90;
    static constexpr int32_t kCellHalfHeight = 45;

    // The stall writes its bonus values into desc while it works (zeros
    // while locked): desc belongs to the level and is not const there.
    BonusStall(ILevelContext& level, const SBonusStallDesc& desc);
    ~BonusStall() override;

    void Update() override;
    void Reset() override;
    void CreateSprites(int32_t stallId, int32_t px, int32_t py) override;
    void SetPosition(int32_t px, int32_t py) override;
    void SetActive(bool on, bool instant) override;
    void UpdatePrice(bool randomise) override;
    void RemoveUpgradeLevel() override;
    void Work(bool enter) override;
    void Upgrade(bool enter) override;
    void Break(bool enter, bool noEffect) override;
    // Immediate: no repair time, effect or report of state 5.
    void Repair(bool enter) override;
    void PlayEffect(int32_t effectKind) override;
    int32_t GetCost(int32_t costKind, int32_t type, int32_t atLevel) const override;
    void UpdateRefund() override;
    void DrawSelection() override;
    void DrawBadge() override;

    // Active and (px, py) is one of the area points.
    bool IsInArea(int32_t px, int32_t py) const override;
    // A building slot stands exactly at (px, py).
    bool IsSlotAt(int32_t px, int32_t py) const;
    // The lucky amount at the level; an active stall's economy entry is
    // set to it (through 0).
    void InitLucky();
    // The area again: rings 0 to the level.
    void RebuildArea();

    int32_t GetBonusType() const { return bonusType_; }
    bool HasLucky() const;
    const std::vector<TPoint>& GetAreaPoints() const { return areaPoints_; }
    const std::vector<TRect>& GetAreaRects() const { return areaRects_; }
    TMySprite* GetBubble() const { return bubble_.get(); }
    TTextGraphic* GetValueText() const { return valueText_.get(); }
    const TRect& GetTextRect() const { return textRect_; }

private:
    void AddAreaRing(int32_t ring);
    void RebuildAreaRects();
    void SetValueText();
    void SetBubble(const char* colour);

    SBonusStallDesc& bonus_;
    int32_t bonusType_ = 0;
    bool showArea_ = false;
    std::vector<TPoint> areaPoints_;
    TTextureRef areaPicture_;
    std::vector<TRect> areaRects_;
    LightningWatch watch_;
    std::vector<int32_t> bonusValues_;
    std::vector<int32_t> zeroValues_;
    std::unique_ptr<TMySprite> bubble_;
    std::shared_ptr<TTextGraphic> valueText_;
    TRect textRect_;
};
