// GameObject: fields, the timed states, service places, the questions and
// the price draws. The pictures are in GameObjectPictures.cpp.
#include "game/level/GameObject.h"

#include <algorithm>
#include <set>
#include <string>

#include "core/Log.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/app/MySprite.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "graphics/TextGraphic.h"

namespace
{

constexpr const char* kEffectBuild = "scripts/game_logic/effects/effect_build.lua";
constexpr const char* kEffectUpgrade = "scripts/game_logic/effects/effect_upgrade.lua";
constexpr const char* kEffectRepair = "scripts/game_logic/effects/effect_repair.lua";
constexpr const char* kEffectSell = "scripts/game_logic/effects/effect_sell.lua";
constexpr const char* kBuyFinishSound = "game_logic_audio:audio/sound/game_logic/hud_buy_normal_finish";

// The descriptions (and what of them) already logged as short; one line
// each is enough, however many stalls of it the level builds.
std::set<std::string>& Reported()
{
    static std::set<std::string> reported;
    return reported;
}

bool FirstShortReport(const SStallDesc& desc, const char* what)
{
    const std::string key = std::to_string(desc.kind) + "/" + std::to_string(desc.id) + "/" +
                            std::string(desc.name.CStr()) + "/" + what;
    return Reported().insert(key).second;
}

}  // namespace

void ResetStallLogs()
{
    Reported().clear();
}

GameObject::GameObject(ILevelContext& level, const SStallDesc& desc)
    : level_(level), desc_(desc), common_(level.GetCommon())
{
    description = &desc;
    kind = desc.kind;
    GameObject::Reset();
}

GameObject::~GameObject() = default;

void GameObject::Reset()
{
    id = -1;
    descriptionId = -1;
    slotIndex = -1;
    state = kStateWorking;
    active = true;
    level = 0;
    maxLevel_ = 0;
    rightSide = true;
    placeOffsetX = 0;
    placeOffsetY = 0;
    outOfService = 0;
    courierId = -1;
    repairCount_ = 0;
    selected = false;
    removeMe = false;
    places_.clear();
    visitors_.clear();
    timerTarget_ = 0;
    buyerWaiting = false;
    offerOn = false;
    sleepRounds_ = 0;
    infoChanged = false;
    goodsOut_ = false;
    bonusValue_ = 0;
    refund = 0;
    price = 0;
    offer = 0;
    barShown_ = false;
    fadeAlpha_ = 1.0f;
    fadeStep_ = 0.03f;
}

// --- Per-level values ---

int32_t GameObject::At(const std::vector<int32_t>& list, int32_t atLevel, const char* what) const
{
    if (atLevel >= 0 && static_cast<size_t>(atLevel) < list.size()) return list[static_cast<size_t>(atLevel)];
    if (FirstShortReport(desc_, what))
        LogPrintf("ERROR: stall description %d (%s) has no %s value for level %d; it reads 0", desc_.id,
                  desc_.name.CStr(), what, atLevel);
    return 0;
}

TPoint GameObject::StarOffset(int32_t atLevel) const
{
    // Star n is laid at the offset of level n (the first star at index 1).
    if (atLevel >= 0 && static_cast<size_t>(atLevel) < common_.starPlaces.size())
        return common_.starPlaces[static_cast<size_t>(atLevel)];
    if (FirstShortReport(desc_, "star place"))
        LogPrintf("ERROR: no upgrade star place for level %d; the star stands on the stall", atLevel);
    return {};
}

int32_t GameObject::RandomPart(int32_t range)
{
    // A range below a second has no random part (and no division by 0).
    const int32_t steps = range / 1000;
    if (steps <= 0) return 0;
    return level_.Random() % steps;
}

int32_t GameObject::RandomizePrice(int32_t base)
{
    return (15 - level_.Random() % 11) * (base / 10) / 100 * 100;
}

int32_t GameObject::DescCost(int32_t costKind, int32_t type, int32_t atLevel) const
{
    const int32_t at = atLevel == -1 ? level : atLevel;
    const SStallDesc& d = desc_;
    switch (costKind)
    {
    case 0:
        if (type == 0) return At(d.money.build, at, "Money.build");
        if (type == 1) return At(d.workers.build, at, "Worker.build");
        if (type == 2) return At(d.mana.build, at, "Mana.build");
        return 0;
    case 1:
        if (type == 0) return At(d.money.repair, at, "Money.repair");
        if (type == 1) return At(d.workers.repair, at, "Worker.repair");
        if (type == 2) return At(d.mana.repair, at, "Mana.repair");
        return 0;
    case 2:
        if (type == 1) return At(d.workers.sell, at, "Worker.sell");
        if (type == 2) return At(d.mana.sell, at, "Mana.sell");
        return 0;
    case 3: return type == 0 ? At(d.money.pay, at, "Money.pay") : 0;
    case 4: return type == 0 ? At(d.money.sell, at, "Money.sell") : 0;
    default: return 0;
    }
}

int32_t GameObject::DescPrice(bool randomise)
{
    const int32_t base = At(desc_.money.pay, level, "Money.pay");
    return randomise ? RandomizePrice(base) : base;
}

int32_t GameObject::ManaRefund() const
{
    if (state == kStateBroken) return 0;
    int32_t sum = 0;
    for (int32_t l = 0; l <= level; ++l) sum += At(desc_.mana.build, l, "Mana.build");
    return sum / 10 * 5;
}

// --- Service places ---

void GameObject::BuildPlaces(bool second)
{
    using C = SGameObjectCommon;
    const int32_t inList = second ? (rightSide ? C::kRightStallIn : C::kLeftStallIn)
                                  : (rightSide ? C::kRightHouseIn : C::kLeftHouseIn);
    const auto& ins = common_.paths[static_cast<size_t>(inList)];
    const auto& outs = common_.paths[static_cast<size_t>(inList + 1)];
    places_.clear();
    if (ins.empty() && FirstShortReport(desc_, second ? "second place set" : "first place set"))
        LogPrintf("ERROR: stall description %d (%s) finds no service places; walkers do not come", desc_.id,
                  desc_.name.CStr());
    if (outs.size() < ins.size() && FirstShortReport(desc_, "place way out"))
        LogPrintf("ERROR: a service place has no way out; its walkers leave where they stand");
    const auto shift = [&](const std::vector<TPoint>& path) {
        std::vector<TPoint> out;
        out.reserve(path.size());
        for (const TPoint& p : path) out.push_back({p.x + placeOffsetX, p.y + placeOffsetY});
        return out;
    };
    for (size_t i = 0; i < ins.size(); ++i)
    {
        SPlace place;
        place.pathIn = shift(ins[i]);
        if (i < outs.size()) place.pathOut = shift(outs[i]);
        places_.push_back(std::move(place));
    }
}

void GameObject::BuildServicePlaces()
{
    BuildPlaces(false);
}

int32_t GameObject::FindFreePlace() const
{
    for (size_t i = 0; i < places_.size(); ++i)
        if (places_[i].occupant == -1) return static_cast<int32_t>(i);
    return -1;
}

std::vector<TPoint> GameObject::GetPlacePathIn(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= places_.size()) return {};
    return places_[static_cast<size_t>(index)].pathIn;
}

std::vector<TPoint> GameObject::GetPlacePathOut(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= places_.size()) return {};
    return places_[static_cast<size_t>(index)].pathOut;
}

void GameObject::AddVisitor(int32_t walkerId)
{
    visitors_.push_back(walkerId);
}

void GameObject::RemoveVisitor(int32_t walkerId)
{
    auto it = std::find(visitors_.begin(), visitors_.end(), walkerId);
    if (it != visitors_.end()) visitors_.erase(it);
}

void GameObject::OccupyPlace(int32_t walkerId, int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= places_.size()) return;
    places_[static_cast<size_t>(index)].occupant = walkerId;
}

void GameObject::FreePlace(int32_t walkerId, int32_t index)
{
    (void)walkerId;
    if (index < 0 || static_cast<size_t>(index) >= places_.size()) return;
    places_[static_cast<size_t>(index)].occupant = -1;
}

void GameObject::ReleaseAllPlaces()
{
    for (SPlace& place : places_)
    {
        if (place.occupant == -1) continue;
        const int32_t walker = place.occupant;
        // Cleared first: the customer's going may ask the stall back.
        place.occupant = -1;
        level_.RemoveCustomer(walker);
    }
}

// --- Questions ---

bool GameObject::CanDoAction(int32_t action) const
{
    if (!active) return false;
    switch (action)
    {
    case 1:
    case 2:
    case 4: return true;
    case 3: return state == kStateWorking && level < maxLevel_;
    case 5: return state == kStateBroken;
    case 6:
    case 8: return state == kStateWorking;
    default: return false;
    }
}

bool GameObject::IsServiceable(int32_t need) const
{
    if (!active || state != kStateWorking || outOfService != 0) return false;
    if (need == 0) return kind == kStallTrade;
    if (need == 2) return level > 0;
    return true;
}

bool GameObject::IsWorking() const
{
    return active && state == kStateWorking && (kind == kStallAttraction || kind == kStallTrade);
}

bool GameObject::IsKindLevel(int32_t stallKind, int32_t descId, int32_t minLevel) const
{
    return IsKind(stallKind, descId) && level >= minLevel;
}

bool GameObject::IsKind(int32_t stallKind, int32_t descId) const
{
    return active && state == kStateWorking && kind == stallKind && descriptionId == descId;
}

// --- The timed-state pattern ---

void GameObject::Notify(int32_t left, int32_t entered)
{
    if (stateChanged) stateChanged(id, left, entered);
}

void GameObject::RestartClock()
{
    clock.Reset();
    clock.Start();
}

void GameObject::EnterTimed(int32_t newState, int32_t duration)
{
    Notify(state, newState);
    state = newState;
    RestartClock();
    timerTarget_ = duration;
    barShown_ = true;
}

bool GameObject::StepTimed()
{
    const int32_t now = clock.GetTime();
    // A state without a duration shows a full bar and ends on this step.
    SetProgress(timerTarget_ > 0 ? static_cast<float>(now) / static_cast<float>(timerTarget_) : 1.0f);
    if (action_) action_->Update();
    if (now <= timerTarget_) return false;
    barShown_ = false;
    return true;
}

void GameObject::StartAction(const char* script, int32_t workers, std::vector<TString> texts,
                             std::vector<TPoint> points)
{
    action_ = level_.NewActionEffect();
    if (!action_) return;
    action_->SetExtras(std::move(texts), std::move(points));
    action_->SetActionCallback([this](int32_t group, float value) { SetGroupAlpha(group, value); });
    action_->Start(script, x, y, timerTarget_, clock, workers);
}

void GameObject::Sound(const char* name)
{
    level_.PlaySound(name, false);
}

void GameObject::ReopenPanel()
{
    if (selected) level_.SelectTab(5, true);
}

// --- States ---

void GameObject::SetIdle(bool enter)
{
    if (!enter) return;
    Notify(state, kStateIdle);
    state = kStateIdle;
    PlayLayerAnims(false);
}

void GameObject::Work(bool enter)
{
    if (enter) EnterWork();
    WorkStep();
}

void GameObject::EnterWork()
{
    Notify(state, kStateWorking);
    buyerWaiting = false;
    state = kStateWorking;
    for (SLayer& layer : layers_)
        if (layer.layerKind == TMySpritePattern::kAnimated)
            static_cast<TMyAnimSprite*>(layer.sprite.get())->Play("DoAnim");
    for (SParticleRef& p : particles_)
        if (p.anchor == -1 && p.particle != nullptr) p.particle->Start();
    barShown_ = false;
    RestartClock();
    if (active)
    {
        PlayLayerAnims(true);
        if (level_.SumStallsByType(3, x, y) != 0)
            timerTarget_ = kNever;
        else
            timerTarget_ = RandomPart(breakRand_) * 1000 + breakTime_;
    }
    else
    {
        PlayLayerAnims(false);
        OverlayImage(sellOverlayImage_, 1.0f);
        if (overlay_) overlay_->visible = true;
        if (sleepRounds_ == 0)
            timerTarget_ = sleepTime_ != 0 ? sleepTime_ + level_.Random() % 15000 : 0;
        else
            timerTarget_ = RandomPart(sleepRand_) * 1000;
        ++sleepRounds_;
    }
    StopEffect();
}

void GameObject::WorkStep()
{
    if (!active && lockFading_) SwitchLock(false, false);
    if (clock.GetTime() <= timerTarget_) return;

    if (active)
    {
        Break(true, false);
        return;
    }
    RestartClock();
    bool flipped = false;
    if (!(offerOn && selected))
    {
        offerOn = !offerOn;
        flipped = true;
    }
    if (offerOn)
    {
        const int32_t steps = offerRand_ / 1000;
        timerTarget_ = steps != 0 ? RandomPart(offerRand_) * 1000 + offerTime_ : offerTime_;
        if (flipped) SwitchLock(true, false);
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_buy_start");
    }
    else
    {
        SetActive(false, false);
        timerTarget_ = RandomPart(sleepRand_) * 1000;
    }
}

void GameObject::Build(bool enter)
{
    if (enter)
    {
        EnterTimed(kStateBuilding, buildTime_);
        SetLayersAlpha(0.0f);
        StartAction(kEffectBuild, At(desc_.workers.build, level, "Worker.build"));
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_build");
        return;
    }
    if (!StepTimed()) return;
    Sound("game_logic_audio:audio/sound/game_logic/game_object/finish_build");
    SetLayersAlpha(1.0f);
    action_.reset();
    Work(true);
}

void GameObject::Upgrade(bool enter)
{
    if (enter)
    {
        EnterTimed(kStateUpgrading, upgradeTime_);
        ++level;
        const TPoint off = StarOffset(level);
        const TPoint at{x + off.x, y + off.y};
        auto star = std::make_unique<TMySprite>("effect:images/game_logic/effect/upgrade/star", true);
        star->SetPosition(static_cast<float>(at.x), static_cast<float>(at.y));
        star->UpdateTransform();
        star->visible = false;
        stars_.push_back(std::move(star));
        StartAction(kEffectUpgrade, At(desc_.workers.build, level, "Worker.build"), {}, {at});
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_upgrade");
        return;
    }
    if (!StepTimed()) return;
    Sound("game_logic_audio:audio/sound/game_logic/game_object/finish_upgrade");
    action_.reset();
    Work(true);
}

void GameObject::Break(bool enter, bool noEffect)
{
    if (!enter) return;
    Notify(state, kStateBroken);
    state = kStateBroken;
    SetLayersVisible(false);
    PlayLayerAnims(false);
    OverlayImage(breakImage_, 1.0f);
    if (!noEffect) PlayEffect(0);
    ReleaseAllPlaces();
    // No break sound in the level's last moments.
    if (level_.GetTimeLeftFraction() > 0.05f)
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_break");
    infoChanged = true;
}

void GameObject::Repair(bool enter)
{
    if (enter)
    {
        EnterTimed(kStateRepairing, repairTime_);
        StopEffect();
        StartAction(kEffectRepair, At(desc_.workers.repair, level, "Worker.repair"));
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_repair");
        infoChanged = true;
        return;
    }
    if (!StepTimed()) return;
    if (selected) SetSelected(true);
    PlayLayerAnims(true);
    Sound("game_logic_audio:audio/sound/game_logic/game_object/finish_repair");
    action_.reset();
    ++repairCount_;
    Work(true);
}

void GameObject::Crash(bool enter)
{
    if (enter)
    {
        const bool broken = state == kStateBroken || IsOutOfGoods();
        Notify(state, kStateCrashing);
        state = kStateCrashing;
        RestartClock();
        timerTarget_ = crashTime_;
        barShown_ = true;
        ReleaseAllPlaces();
        SetLayersVisible(false);
        PlayLayerAnims(false);
        TString image;
        if (broken)
        {
            image = breakEffectImage_;
            OverlayImage(breakImage_, 1.0f);
            StopEffect();
        }
        else
        {
            image = sellImage_;
            OverlayImage(sellOverlayImage_, 1.0f);
        }
        StartAction(kEffectSell, At(desc_.workers.sell, level, "Worker.sell"), {image});
        if (overlay_) overlay_->SetAlpha(1.0f);
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_crash");
        return;
    }
    if (!StepTimed()) return;
    Sound("game_logic_audio:audio/sound/game_logic/game_object/finish_crash");
    action_.reset();
    level_.FreeSlot(slotIndex);
    removeMe = true;
    Notify(kStateCrashing, kStateGone);
}

void GameObject::Purchase(bool enter)
{
    if (enter)
    {
        // Before the report: the level books only locked stalls on offer.
        offerOn = true;
        EnterTimed(kStatePurchase, purchaseTime_);
        return;
    }
    if (!StepTimed()) return;
    SetActive(true, false);
    offerOn = false;
    Sound(kBuyFinishSound);
    Work(true);
}

void GameObject::FindBuyer(bool enter)
{
    if (enter)
    {
        EnterTimed(kStateFindBuyer, findBuyerTime_);
        buyerWaiting = false;
        OverlayImage(sellOverlayImage_, 1.0f);
        ReleaseAllPlaces();
        StopEffect();
        PlayLayerAnims(false);
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_sell_find");
        return;
    }
    if (!StepTimed()) return;
    PlayEffect(10);
    SetIdle(true);
    buyerWaiting = true;
    Sound("game_logic_audio:audio/sound/game_logic/game_object/go_sell_find_finish");
    // Every kind offers what its description pays for a sale at its level.
    offer = RandomizeOffer(At(desc_.money.sell, level, "Money.sell"));
    ReopenPanel();
}

void GameObject::Sell(bool enter)
{
    if (enter)
    {
        EnterTimed(kStateSelling, sellTime_);
        StopEffect();
        Sound("game_logic_audio:audio/sound/game_logic/game_object/go_sell");
        return;
    }
    if (!StepTimed()) return;
    Notify(kStateSelling, kStateIdle);
    Sound("game_logic_audio:audio/sound/game_logic/game_object/go_sell_finish");
    SetActive(false, false);
    Work(true);
}

void GameObject::SetActive(bool on, bool instant)
{
    active = on;
    if (on)
    {
        SetLayersVisible(true);
        PlayLayerAnims(true);
        sleepRounds_ = 0;
    }
    else
    {
        PlayLayerAnims(false);
        SetLayersVisible(false);
        OverlayImage(sellOverlayImage_, 1.0f);
        if (overlay_) overlay_->visible = true;
        SwitchLock(true, instant);
    }
    offerOn = false;
    ReopenPanel();
}

void GameObject::SetTimerNever()
{
    if (active && state == kStateWorking) timerTarget_ = kNever;
}
