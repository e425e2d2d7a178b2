// GameObject: how a stall builds, moves, animates and draws its pictures:
// selection frame, layers with their particles, overlay, locks, upgrade
// stars, progress bar, coin and effect animations, level-down and crash
// particles; and the fades an action effect asks for.
#include <algorithm>

#include "core/Log.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "game/level/GameObject.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "graphics/TextGraphic.h"

namespace
{

constexpr const char* kSelect = "game_logic_common:images/game_logic/select";
constexpr const char* kSelectAttent = "game_logic_common:images/game_logic/select_attent";
constexpr const char* kLockSilver = "game_logic_common:images/game_logic/lock_silver";
constexpr const char* kLockGold = "game_logic_common:images/game_logic/lock_gold";
constexpr const char* kBarBack = "game_logic_common:images/game_logic/stall_bar_layer_0";
constexpr const char* kBarFront = "game_logic_common:images/game_logic/stall_bar_layer_1";
constexpr const char* kCoin = "game_logic_common:images/game_logic/stalls/coin";
constexpr const char* kStar = "effect:images/game_logic/effect/upgrade/star";
constexpr const char* kEffectBreak = "effect:images/game_logic/effect/break/break";
constexpr const char* kEffectBuy = "game_logic_common:images/game_logic/stalls/buy";
constexpr const char* kLevelDownFile = "images/game_logic/effect/level_down/level_down.psi";
constexpr const char* kLevelDownImage = "images/game_logic/effect/level_down/level_down";
constexpr const char* kCrashFile = "images/game_logic/effect/crash/crash.psi";
constexpr const char* kCrashImage = "images/game_logic/effect/crash/crash";
constexpr const char* kNameFont = "fonts/comic_sans.mvec";

}  // namespace

// --- Set-up ---

void GameObject::CreateSprites(int32_t stallId, int32_t px, int32_t py)
{
    id = stallId;
    x = px;
    y = py;
    depth = py;
    level = 0;
    maxLevel_ = 3;

    selection_ = std::make_unique<TMySprite>(kSelect, true);
    selection_->MoveTo(px, py);
    RestartClock();
    coin_ = std::make_unique<TMyAnimSprite>(TString(), true);
    coin_->SetClock(&level_.GetMainClock());
    effect_ = std::make_unique<TMyAnimSprite>(TString(), true);
    effect_->SetClock(&level_.GetEffectClock());
    overlay_ = std::make_unique<TMySprite>(TString(), true);
    overlay_->visible = true;
    overlay_->SetAlpha(0.0f);
    barBack_ = std::make_unique<TMySprite>(kBarBack, true);
    barFront_ = std::make_unique<TMySprite>(kBarFront, true);
    barFront_->SetSourceRectEnabled(true);
    barFront_->SetSourceRect(0, 0, 0, 0);
    nameText_ = TTextGraphic::Create(TString(), 60, 26, 5, kNameFont, 12, TFloatVector4(0.0f, 0.0f, 0.0f, 1.0f));
    silverLock_ = std::make_unique<TMySprite>(kLockSilver, true);
    goldLock_ = std::make_unique<TMySprite>(kLockGold, true);
    levelDown_ = std::make_unique<TMyParticle>(kLevelDownFile, kLevelDownImage);
    levelDown_->SetClock(&level_.GetMainClock());
    levelDownRunning_ = false;
    crashParticle_ = std::make_unique<TMyParticle>(kCrashFile, kCrashImage);
    crashParticle_->SetClock(&level_.GetMainClock());
    crashRunning_ = false;

    sleepTime_ = 0;
    sleepRand_ = 100;
    offerTime_ = 0;
    offerRand_ = 100;
    purchaseTime_ = 0;
    findBuyerTime_ = 0;
    sellTime_ = 0;
    offerOn = false;
    buyerWaiting = false;
    lockFading_ = false;
    lockGold_ = true;
    lockFadeTime_ = kLockFadeTime;
    infoChanged = false;
}

void GameObject::CreateDescSprites()
{
    const SStallDesc& d = desc_;
    descriptionId = d.id;
    clickMask_ = std::make_unique<TMySprite>(d.clickMask, true);
    clickMask_->MoveTo(x, y);
    rightSide = d.rightSide;

    layers_.clear();
    particles_.clear();
    for (const SStallDesc::SGround& g : d.ground)
    {
        auto sprite = std::make_unique<TMySprite>(g.name, true);
        sprite->SetOriginEnabled(true);
        sprite->SetOrigin(g.at.x, g.at.y);
        sprite->MoveTo(x, y);
        layers_.push_back({std::move(sprite), -5.0f, TMySpritePattern::kStill, {}});
    }
    for (const SStallDesc::SLayer& l : d.images)
    {
        auto sprite = std::make_unique<TMySprite>(l.name, true);
        sprite->SetOriginEnabled(true);
        sprite->SetOrigin(l.at.x, l.at.y);
        sprite->MoveTo(x, y);
        layers_.push_back({std::move(sprite), static_cast<float>(l.layer), TMySpritePattern::kStill, {}});
    }
    for (const SStallDesc::SLayer& l : d.anims)
    {
        auto sprite = std::make_unique<TMyAnimSprite>(l.name, true);
        sprite->SetClock(&level_.GetMainClock());
        sprite->MoveTo(x + l.at.x, y + l.at.y);
        layers_.push_back({std::move(sprite), static_cast<float>(l.layer), TMySpritePattern::kAnimated, l.at});
    }
    // A particle entry: its layer key and offset, then the key of the
    // animated layer that restarts it (-1: none) and, first of its second
    // point, the frame at which it does.
    for (const SStallDesc::SParticle& p : d.particles)
    {
        auto sprite = std::make_unique<TMyParticle>(p.file, p.image);
        sprite->SetClock(&level_.GetMainClock());
        sprite->MoveTo(x + p.at.x, y + p.at.y);
        particles_.push_back({sprite.get(), p.number, p.at2.x});
        layers_.push_back({std::move(sprite), static_cast<float>(p.layer), TMySpritePattern::kParticle, p.at});
    }
    SortLayers();

    const SStallDesc::STimes& t = d.time;
    buildTime_ = t.build;
    upgradeTime_ = t.upgrade;
    repairTime_ = t.repair;
    crashTime_ = t.crash;
    findBuyerTime_ = t.preBuy;
    sellTime_ = t.buy;
    purchaseTime_ = t.pay;
    breakTime_ = t.breakTime;
    breakRand_ = t.breakRand;
    sleepTime_ = t.sleep;
    sleepRand_ = t.sleepRand;
    offerTime_ = t.offer;
    offerRand_ = t.offerRand;

    sellImage_ = d.sellImage;
    breakImage_ = d.breakImage;
    overlay_->Load(breakImage_, true);
    breakEffectImage_ = breakImage_ + TString("_");
    sellOverlayImage_ = sellImage_ + TString("_");

    coin_->Load(kCoin, true);
    coin_->playing = false;
}

void GameObject::SortLayers()
{
    // Anchors name a layer by key; they become indices once the order is
    // known. The keys are read before the sort moves the layers.
    std::vector<float> anchorKeys;
    for (const SParticleRef& p : particles_) anchorKeys.push_back(static_cast<float>(p.anchor));
    std::stable_sort(layers_.begin(), layers_.end(), [](const SLayer& a, const SLayer& b) { return a.key < b.key; });
    for (size_t i = 0; i < particles_.size(); ++i)
    {
        if (particles_[i].anchor == -1) continue;
        int32_t index = -1;
        for (size_t k = 0; k < layers_.size(); ++k)
        {
            if (layers_[k].key != anchorKeys[i]) continue;
            index = static_cast<int32_t>(k);
            break;
        }
        if (index < 0)
            LogPrintf("ERROR: stall description %d: a particle's anchor layer %d does not exist; it runs while working",
                      desc_.id, particles_[i].anchor);
        particles_[i].anchor = index;
    }
}

void GameObject::SetPosition(int32_t px, int32_t py)
{
    x = px;
    y = py;
    depth = py + 2;
    if (selection_) selection_->MoveTo(px, py);
    if (clickMask_) clickMask_->MoveTo(px, py);
    if (coin_) coin_->MoveTo(px, py);
    if (overlay_) overlay_->MoveTo(px, py);
    if (silverLock_) silverLock_->MoveTo(px, py);
    if (goldLock_) goldLock_->MoveTo(px, py);
    if (effect_) effect_->MoveTo(px, py - 35);
    if (barBack_) barBack_->MoveTo(px + common_.barFon.x, py + common_.barFon.y);
    if (barFront_) barFront_->MoveTo(px + common_.barLine.x, py + common_.barLine.y);
    if (crashParticle_) crashParticle_->MoveTo(px, py + 10);
    hoverRect_ = TRect(px - 30, py - 13, px + 30, py + 13);
}

void GameObject::PlaceLayers()
{
    for (SLayer& layer : layers_) layer.sprite->MoveTo(x + layer.offset.x, y + layer.offset.y);
}

// --- Per frame ---

void GameObject::Update()
{
    if (coin_ && coin_->playing)
    {
        const auto& sprite = coin_->GetSprite();
        if (!sprite || !sprite->GetAnimation() || sprite->IsDone(0)) coin_->playing = false;
    }
    for (SParticleRef& p : particles_)
    {
        if (p.particle == nullptr) continue;
        p.particle->Update();
        if (p.anchor < 0 || static_cast<size_t>(p.anchor) >= layers_.size()) continue;
        SLayer& anchor = layers_[static_cast<size_t>(p.anchor)];
        if (anchor.layerKind != TMySpritePattern::kAnimated) continue;
        const auto& sprite = static_cast<TMyAnimSprite*>(anchor.sprite.get())->GetSprite();
        if (sprite && sprite->GetCurrentFrame() == p.frame) p.particle->Start();
    }
    if (levelDownRunning_)
    {
        levelDown_->Update();
        if (levelDown_->IsFinished())
        {
            levelDown_->Stop(true);
            levelDownRunning_ = false;
        }
    }
    if (crashRunning_)
    {
        crashParticle_->Update();
        fadeAlpha_ = std::max(0.0f, fadeAlpha_ - fadeStep_);
        SetGroupAlpha(0, fadeAlpha_);
        SetGroupAlpha(2, fadeAlpha_);
        if (crashParticle_->IsFinished())
        {
            crashParticle_->Stop(true);
            crashRunning_ = false;
            removeMe = true;
        }
    }
    switch (state)
    {
    case kStateWorking: Work(false); break;
    case kStateBuilding: Build(false); break;
    case kStateUpgrading: Upgrade(false); break;
    case kStateRepairing: Repair(false); break;
    case kStateCrashing: Crash(false); break;
    case kStatePurchase: Purchase(false); break;
    case kStateFindBuyer: FindBuyer(false); break;
    case kStateSelling: Sell(false); break;
    default: break;
    }
}

void GameObject::DrawPeople()
{
    for (const SPlace& place : places_)
        if (place.occupant != -1 && drawOccupant) drawOccupant(place.occupant);
    // A visitor drawing that was never bound is skipped like the others.
    if (!drawVisitor) return;
    for (int32_t visitor : visitors_) drawVisitor(visitor);
}

void GameObject::Draw()
{
    for (SLayer& layer : layers_)
    {
        layer.sprite->Draw();
        if (layer.key == kPeopleLayer) DrawPeople();
    }
    const bool overlayState = state == kStateBroken || state == kStateRepairing || state == kStateCrashing ||
                              state == kStateFindBuyer;
    if (overlay_ && overlayState) overlay_->Draw();
    if (overlay_ && (buyerWaiting || goodsOut_)) overlay_->Draw();
    const bool actionState = state == kStateBuilding || state == kStateUpgrading || state == kStateRepairing ||
                             state == kStateCrashing;
    if (action_ && actionState) action_->Draw();
    if (!active)
    {
        if (overlay_) overlay_->Draw();
        if (silverLock_) silverLock_->Draw();
        if (goldLock_) goldLock_->Draw();
    }
    for (auto& star : stars_) star->Draw();
    DrawBadge();
    if (levelDownRunning_) levelDown_->Draw();
    if (crashRunning_) crashParticle_->Draw();
    if (effect_ && effect_->playing) effect_->Draw();
    if (coin_ && coin_->playing) coin_->Draw();
    if (barShown_)
    {
        if (barBack_) barBack_->Draw();
        if (barFront_) barFront_->Draw();
    }
}

void GameObject::DrawSelection()
{
    if (selection_) selection_->Draw();
}

// --- Layers ---

void GameObject::PlayLayerAnims(bool on)
{
    for (SLayer& layer : layers_)
    {
        if (layer.layerKind != TMySpritePattern::kAnimated) continue;
        auto* anim = static_cast<TMyAnimSprite*>(layer.sprite.get());
        if (on)
        {
            anim->Play("DoAnim");
            continue;
        }
        if (const auto& sprite = anim->GetSprite())
        {
            sprite->StopAnimation();
            sprite->SetCurrentFrame(0);
        }
        anim->playing = false;
    }
}

void GameObject::SetLayersVisible(bool on)
{
    for (SLayer& layer : layers_)
        if (layer.layerKind == TMySpritePattern::kAnimated) layer.sprite->visible = on;
}

void GameObject::SetLayersAlpha(float alpha)
{
    for (SLayer& layer : layers_) layer.sprite->SetAlpha(alpha);
}

void GameObject::OverlayImage(const TString& name, float alpha)
{
    if (!overlay_) return;
    overlay_->Load(name, true);
    overlay_->SetAlpha(alpha);
}

void GameObject::SetSelectImage(bool attention)
{
    if (selection_) selection_->Load(attention ? kSelectAttent : kSelect, true);
}

bool GameObject::HitTest(int32_t px, int32_t py)
{
    return clickMask_ && clickMask_->HitTest(px, py, 250, TMySpritePattern::NeutralParent());
}

// --- Lock ---

void GameObject::SwitchLock(bool toggle, bool instant)
{
    if (toggle) lockGold_ = !lockGold_;
    if (instant)
    {
        lockFading_ = false;
        SetLockBlend(1.0f, lockGold_);
        return;
    }
    lockFading_ = true;
    const int32_t now = clock.GetTime();
    SetLockBlend(std::clamp(static_cast<float>(now) / static_cast<float>(lockFadeTime_), 0.0f, 1.0f), lockGold_);
    if (now >= lockFadeTime_)
    {
        SetLockBlend(1.0f, lockGold_);
        lockFading_ = false;
    }
}

void GameObject::SetLockBlend(float t, bool gold)
{
    if (!silverLock_ || !goldLock_) return;
    silverLock_->SetAlpha(gold ? 1.0f - t : t);
    goldLock_->SetAlpha(gold ? t : 1.0f - t);
}

// --- Levels and the end ---

void GameObject::Destroy()
{
    // Marked first: what breaking does may ask whether the stall is going.
    crashRunning_ = crashParticle_ != nullptr;
    Break(true, true);
    if (crashParticle_) crashParticle_->Start();
    fadeAlpha_ = 1.0f;
    fadeStep_ = 0.03f;
}

void GameObject::AddUpgradeLevel()
{
    ++level;
    const TPoint off = StarOffset(level);
    auto star = std::make_unique<TMySprite>(kStar, true);
    star->visible = true;
    star->MoveTo(x + off.x, y + off.y);
    stars_.push_back(std::move(star));
}

void GameObject::RemoveUpgradeLevel()
{
    if (level <= 0) return;
    if (levelDown_)
    {
        const TFloatPoint at = stars_.empty() ? TFloatPoint(static_cast<float>(x), static_cast<float>(y))
                                              : stars_.back()->GetPosition();
        levelDown_->SetPosition(at.x, at.y);
        levelDown_->Start();
        levelDownRunning_ = true;
    }
    Notify(kStateLevelChange, kStateLevelRemoved);
    if (!stars_.empty()) stars_.pop_back();
    --level;
    Notify(kStateLevelRemoved, kStateLevelChange);
    ReopenPanel();
}

// --- Effects, coin, bar ---

void GameObject::SetGroupAlpha(int32_t group, float value)
{
    const bool on = value != 0.0f;
    switch (group)
    {
    case 0:
    case 1:
        if (overlay_) overlay_->SetAlpha(value);
        SetLayersAlpha(value);
        break;
    case 2:
    case 3:
        if (overlay_) overlay_->SetAlpha(value);
        break;
    case 4:
        for (SLayer& layer : layers_) layer.sprite->visible = on;
        for (auto& star : stars_) star->visible = on;
        break;
    case 5:
        if (overlay_) overlay_->visible = on;
        break;
    case 6:
        if (TMySprite* star = LastStar()) star->visible = on;
        break;
    case 7: SetLayersAlpha(value); break;
    case 8:
        for (SLayer& layer : layers_) layer.sprite->visible = on;
        break;
    case 10:
    case 11: level_.SetSlotEffectAlpha(slotIndex, value); break;
    default: break;
    }
}

void GameObject::PlayCoin()
{
    if (!coin_) return;
    coin_->Play("DoAnim");
}

void GameObject::PlayEffect(int32_t effectKind)
{
    if (!effect_) return;
    effect_->playing = true;
    if (effectKind == 0) effect_->Load(kEffectBreak, true);
    if (effectKind == 10) effect_->Load(kEffectBuy, true);
    effect_->Play("DoAnim");
}

void GameObject::StopEffect()
{
    if (!effect_) return;
    if (const auto& sprite = effect_->GetSprite()) sprite->StopAnimation();
    effect_->playing = false;
}

void GameObject::SetProgress(float fraction)
{
    const float f = std::clamp(fraction, 0.0f, 1.0f);
    if (barFront_)
    {
        int32_t w = 0;
        int32_t h = 0;
        barFront_->GetSize(&w, &h);
        barFront_->SetSourceRect(0, 0, static_cast<int32_t>(f * static_cast<float>(w)), h);
    }
    float alpha = 1.0f;
    if (f < 0.1f)
        alpha = 10.0f * f;
    else if (f >= 0.9f)
        alpha = std::max(0.0f, 1.0f - 10.0f * (f - 0.9f));
    if (barBack_) barBack_->SetAlpha(alpha);
    if (barFront_) barFront_->SetAlpha(alpha);
}
