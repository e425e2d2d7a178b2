// The level's own map objects: building slots (SSlot) and the land and
// ground elements with their snow overlays (SLandElem, SGroundElem).
// Pictures that are not loaded draw nothing (a level with no resource group
// loaded still runs).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/Clock.h"
#include "core/String.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "game/level/LevelFactory.h"
#include "game/level/ObjectZ.h"

class ILevelContext;
class WalkGrid;
struct SGameObjectCommon;

// A place on which a stall can be built.
struct SSlot : ObjectZ
{
    // The slot's cell's top-left corner; depth y + 100. Makes its pictures
    // for the location (on location 4 also its particle, started), its
    // progress bar at the bar offsets of common. The level must outlive it.
    SSlot(ILevelContext& level, int32_t slotId, int32_t px, int32_t py, const SGameObjectCommon& common);
    ~SSlot() override;

    // Crossfade step, purchase step, particle.
    void Update() override;
    void Draw() override;

    // False unless for sale, free or being bought; else the hit picture at
    // (x, y) with alpha threshold 100.
    bool HitTest(int32_t px, int32_t py);
    // Starts the purchase: effect, clock, bar, sound, one step.
    void StartPurchase();
    // The purchase effect's actions: 0 and 1 fade the pictures, 4 reloads them.
    void OnEffectAction(int32_t kind, float value);
    // The bar fill and alpha for a fraction (clamped to 0..1).
    void SetProgress(float fraction);
    // The base picture takes the alpha, the slot picture too except on
    // locations 1 and 4 (whose slot picture never fades).
    void SetPictureAlpha(float alpha);
    // A for-sale slot shows the for-sale picture as its base and no slot
    // picture; any other shows the slot and base pictures.
    void SwitchPictures();
    // The win sequence's crossfade over steps updates (0 or less: at once).
    void StartCrossfade(int32_t steps);
    // The slot covers no stall any more: free, pictures at full alpha.
    void Vacate();

    int32_t id = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t location = 0;
    bool selected = false;
    bool forSale = false;
    bool free = false;
    bool enabled = true;
    bool beingBought = false;
    bool covered = false;
    bool barShown = false;
    int32_t buyTime = 6000;
    int32_t manaCost = 0;
    int32_t workerCost = 0;
    // The for-sale picture and its replacement (the layout's values 3, 4),
    // and the location's base and slot pictures.
    TString forSaleName;
    TString replacementName;
    TString baseName;
    TString slotName;
    // Called with the slot id when the purchase ends.
    std::function<void(int32_t)> onBought;
    TClock purchaseClock;

    struct SCrossfade
    {
        bool running = false;
        int32_t phase = 0;
        int32_t counter = 0;
        int32_t steps = 0;
    };
    SCrossfade crossfade;
    bool mayFade = true;

    std::unique_ptr<TMySprite> slotPicture;
    std::unique_ptr<TMySprite> selectPicture;
    std::unique_ptr<TMySprite> basePicture;
    std::unique_ptr<TMySprite> hitSprite;
    std::unique_ptr<TMyAnimSprite> buildSign;
    std::unique_ptr<TMyParticle> particle;
    std::unique_ptr<TMySprite> barBack;
    std::unique_ptr<TMySprite> barFront;
    std::unique_ptr<IObjectEffect> purchaseEffect;

private:
    void PurchaseStep();
    void CrossfadeStep();

    ILevelContext& level_;
};

// Blocks a slot's footprint around (column, row) in the grid: the cells
// (column - c + i, row - c + k), i and k in 0..2c-1, with sumMin < i + k <
// sumMax and subMin < i - k < subMax. Visits only cells inside the grid, so
// any pass count ends.
void BlockSlotFootprint(WalkGrid& grid, int32_t column, int32_t row, const SGameObjectCommon& common);

// A map element with its snow overlay, which fades out during the win.
struct SMapElement : ObjectZ
{
    // Pictures from the groups, origin (ox, oy), at (x, y); depth y.
    // fadeSteps is the number of updates of the fade.
    SMapElement(const TString& picture, int32_t px, int32_t py, int32_t ox, int32_t oy, int32_t fadeSteps);

    void Update() override;
    void Draw() override;
    // A 0-step fade ends at once, overlay gone.
    void StartFade();
    bool FadeDone() const { return faded; }
    float OverlayAlpha() const { return overlay ? overlay->GetAlpha() : 0.0f; }

    int32_t x = 0;
    int32_t y = 0;
    int32_t index = -1;
    bool fading = false;
    bool faded = false;
    int32_t counter = 0;
    int32_t steps = 0;
    std::unique_ptr<TMySprite> base;
    std::unique_ptr<TMySprite> overlay;
};

struct SLandElem : SMapElement
{
    using SMapElement::SMapElement;
};

struct SGroundElem : SMapElement
{
    using SMapElement::SMapElement;
};
