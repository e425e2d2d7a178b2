// Building slots and the land and ground elements.
#include "game/level/LevelObjects.h"

#include <algorithm>

#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "game/level/WalkGrid.h"

namespace
{

const char kSelectPicture[] = "game_logic_common:images/game_logic/select";
const char kHitPicture[] = "game_logic_common:images/game_logic/slot";
const char kBuildSign[] = "effect:images/game_logic/effect/slot/for_build";
const char kLocationParticle[] = "images/game_logic/effect/slot/particle/locat_5_effect.psi";
const char kLocationParticleImage[] = "images/game_logic/effect/slot/particle/locat_5_effect";
const char kBarBack[] = "game_logic_common:images/game_logic/stall_bar_layer_0";
const char kBarFront[] = "game_logic_common:images/game_logic/stall_bar_layer_1";
const char kSlotEffect[] = "scripts/game_logic/effects/effect_slot.lua";
const char kBuySound[] = "game_logic_audio:audio/sound/game_logic/slot_buy";
const char kBoughtSound[] = "game_logic_audio:audio/sound/game_logic/slot_buy_finish";

// Locations whose slot picture keeps its alpha.
bool KeepsSlotPicture(int32_t location)
{
    return location == 1 || location == 4;
}

// Slots are hit-tested as they are drawn: against the neutral parent.
}  // namespace

// --- SSlot ---

SSlot::SSlot(ILevelContext& level, int32_t slotId, int32_t px, int32_t py, const SGameObjectCommon& common)
    : id(slotId), level_(level)
{
    elementTag = 1;
    const TGridCell cell = WalkGrid::PixelToCell(px, py);
    const TGridPixel corner = WalkGrid::CellToPixel(cell.column, cell.row, false);
    x = corner.x;
    y = corner.y;
    depth = y + 100;
    location = level_.GetLocationNumber();

    barBack = std::make_unique<TMySprite>(kBarBack, true);
    barFront = std::make_unique<TMySprite>(kBarFront, true);
    barBack->MoveTo(x + common.barFon.x, y + common.barFon.y);
    barFront->SetOriginEnabled(true);
    barFront->SetOrigin(0, 0);
    barFront->SetSourceRectEnabled(true);
    barFront->MoveTo(x + common.barLine.x, y + common.barLine.y);

    baseName = TString::Format("location_%d:images/game_logic/location_%d/slots/slot", location, location);
    slotName = TString::Format("location_%d:images/game_logic/location_%d/slots/slot_fon", location, location);
    slotPicture = std::make_unique<TMySprite>(TString(), true);
    selectPicture = std::make_unique<TMySprite>(kSelectPicture, true);
    basePicture = std::make_unique<TMySprite>(TString(), true);
    hitSprite = std::make_unique<TMySprite>(kHitPicture, true);
    for (TMySprite* s : {slotPicture.get(), selectPicture.get(), basePicture.get(), hitSprite.get()}) s->MoveTo(x, y);
    buildSign = std::make_unique<TMyAnimSprite>(kBuildSign, true);
    buildSign->SetClock(&level_.GetMainClock());
    buildSign->MoveTo(x, y);
    buildSign->Play("DoAnim");
    if (location == 4)
    {
        particle = std::make_unique<TMyParticle>(kLocationParticle, kLocationParticleImage);
        particle->SetClock(&level_.GetMainClock());
        particle->SetPosition(static_cast<float>(x), static_cast<float>(y));
        particle->Start();
    }
    SwitchPictures();
}

SSlot::~SSlot() = default;

void SSlot::SwitchPictures()
{
    if (forSale)
    {
        slotPicture->Load(TString(), true);
        basePicture->Load(forSaleName, true);
    }
    else
    {
        slotPicture->Load(slotName, true);
        basePicture->Load(baseName, true);
    }
}

void SSlot::Update()
{
    if (crossfade.running) CrossfadeStep();
    if (beingBought) PurchaseStep();
    if (particle) particle->Update();
}

void SSlot::Draw()
{
    slotPicture->Draw();
    if (selected) selectPicture->Draw();
    if (particle && enabled) particle->Draw();
    if (!covered) basePicture->Draw();
    if (beingBought && purchaseEffect) purchaseEffect->Draw();
    if (free) buildSign->Draw();
    if (barShown)
    {
        barBack->Draw();
        barFront->Draw();
    }
}

bool SSlot::HitTest(int32_t px, int32_t py)
{
    if (!forSale && !free && !beingBought) return false;
    return hitSprite->HitTest(px, py, 100, TMySpritePattern::NeutralParent());
}

void SSlot::StartPurchase()
{
    forSale = false;
    free = false;
    beingBought = true;
    purchaseEffect = level_.NewActionEffect();
    if (purchaseEffect)
    {
        purchaseEffect->SetActionCallback([this](int32_t kind, float value) { OnEffectAction(kind, value); });
        purchaseEffect->Start(kSlotEffect, x, y, buyTime, purchaseClock, workerCost);
    }
    purchaseClock.Reset();
    purchaseClock.Start();
    barShown = true;
    level_.PlaySound(kBuySound, false);
    PurchaseStep();
}

void SSlot::PurchaseStep()
{
    if (purchaseEffect) purchaseEffect->Update();
    const int32_t now = purchaseClock.GetTime();
    // A purchase without a duration is done at once.
    SetProgress(buyTime > 0 ? static_cast<float>(now) / static_cast<float>(buyTime) : 1.0f);
    if (now <= buyTime) return;
    barShown = false;
    beingBought = false;
    free = true;
    if (onBought) onBought(id);
    level_.PlaySound(kBoughtSound, false);
}

void SSlot::OnEffectAction(int32_t kind, float value)
{
    if (kind == 0 || kind == 1)
        SetPictureAlpha(value);
    else if (kind == 4)
        SwitchPictures();
}

void SSlot::SetPictureAlpha(float alpha)
{
    if (!KeepsSlotPicture(location)) slotPicture->SetAlpha(alpha);
    basePicture->SetAlpha(alpha);
}

void SSlot::SetProgress(float fraction)
{
    const float f = std::clamp(fraction, 0.0f, 1.0f);
    int32_t width = 0;
    int32_t height = 0;
    barFront->GetSize(&width, &height);
    barFront->SetSourceRect(0, 0, static_cast<int32_t>(static_cast<float>(width) * f), height);
    float alpha = 1.0f;
    if (f < 0.1f)
        alpha = f * 10.0f;
    else if (f > 0.9f)
        alpha = 1.0f - (f - 0.9f) * 10.0f;
    alpha = std::clamp(alpha, 0.0f, 1.0f);
    barBack->SetAlpha(alpha);
    barFront->SetAlpha(alpha);
}

void SSlot::StartCrossfade(int32_t steps)
{
    crossfade = SCrossfade{};
    crossfade.running = true;
    crossfade.steps = steps;
}

void SSlot::CrossfadeStep()
{
    SCrossfade& c = crossfade;
    ++c.counter;
    // Counted after the step, so the last step reaches the final alpha; a
    // fade without steps is there at once.
    const float x = c.steps > 0 ? std::min(1.0f, static_cast<float>(c.counter) / static_cast<float>(c.steps)) : 1.0f;
    if (!forSale)
    {
        slotPicture->SetAlpha(1.0f - x);
        if (c.counter >= c.steps) c.running = false;
        return;
    }
    if (c.phase == 0)
    {
        basePicture->SetAlpha(1.0f - x);
        if (c.counter < c.steps) return;
        c.phase = 1;
        c.counter = 0;
        forSaleName = replacementName;
        SwitchPictures();
        basePicture->SetAlpha(c.steps > 0 ? 0.0f : 1.0f);
        if (c.steps <= 0) c.running = false;
        return;
    }
    basePicture->SetAlpha(x);
    if (c.counter >= c.steps) c.running = false;
}

void SSlot::Vacate()
{
    covered = false;
    free = true;
    basePicture->SetAlpha(1.0f);
    if (!KeepsSlotPicture(location)) slotPicture->SetAlpha(1.0f);
}

void BlockSlotFootprint(WalkGrid& grid, int32_t column, int32_t row, const SGameObjectCommon& common)
{
    const int64_t c = common.passCnt;
    if (c <= 0) return;
    // i runs over 0..2c-1 but only where column - c + i lies in the grid.
    const int64_t iFirst = std::max<int64_t>(0, c - column);
    const int64_t iLast = std::min<int64_t>(2 * c - 1, c - column + grid.GetColumns() - 1);
    const int64_t kFirst = std::max<int64_t>(0, c - row);
    const int64_t kLast = std::min<int64_t>(2 * c - 1, c - row + grid.GetRows() - 1);
    for (int64_t i = iFirst; i <= iLast; ++i)
    {
        for (int64_t k = kFirst; k <= kLast; ++k)
        {
            if (common.sumMin < i + k && i + k < common.sumMax && common.subMin < i - k && i - k < common.subMax)
                grid.SetCell(static_cast<int>(column - c + i), static_cast<int>(row - c + k), -1);
        }
    }
}

// --- SMapElement ---

SMapElement::SMapElement(const TString& picture, int32_t px, int32_t py, int32_t ox, int32_t oy, int32_t fadeSteps)
    : x(px), y(py), steps(fadeSteps)
{
    base = std::make_unique<TMySprite>(picture, true);
    overlay = std::make_unique<TMySprite>(picture + "_snow", true);
    for (TMySprite* s : {base.get(), overlay.get()})
    {
        s->SetOriginEnabled(true);
        s->SetOrigin(ox, oy);
        s->MoveTo(x, y);
    }
    depth = y;
}

void SMapElement::StartFade()
{
    if (faded) return;
    fading = true;
    counter = 0;
    if (steps <= 0)
    {
        overlay->SetAlpha(0.0f);
        fading = false;
        faded = true;
    }
}

void SMapElement::Update()
{
    if (!fading) return;
    ++counter;
    overlay->SetAlpha(std::max(0.0f, 1.0f - static_cast<float>(counter) / static_cast<float>(steps)));
    if (counter >= steps)
    {
        fading = false;
        faded = true;
    }
}

void SMapElement::Draw()
{
    base->Draw();
    overlay->Draw();
}
