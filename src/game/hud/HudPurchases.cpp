// The HUD's purchases: the mana shop, the worker shop and the drafts of the
// build lists, their start (Pay), their completion, and the shop buttons'
// callbacks and per-frame refresh.
#include <algorithm>

#include "game/app/TextFormat.h"
#include "game/hud/Hud.h"
#include "core/Saturate.h"
#include "game/level/Economic.h"
#include "game/level/GameLogic.h"

namespace
{

const char* const kPayMana = "game_logic_audio:audio/sound/game_logic/hud_pay_mana";
const char* const kPayWorker = "game_logic_audio:audio/sound/game_logic/hud_pay_worker";
const char* const kPayScroll = "game_logic_audio:audio/sound/game_logic/hud_pay_scroll";
const char* const kManaDone = "game_logic_audio:audio/sound/game_logic/hud_pay_mana_complete";
const char* const kWorkerDone = "game_logic_audio:audio/sound/game_logic/hud_pay_worker_complete";

// Stall bonus types that lower the shops' prices.
constexpr int32_t kManaDiscountType = 2;
constexpr int32_t kWorkerDiscountType = 1;

// Helper messages for the disabled shop buttons.
constexpr int32_t kHintNoMoney = 0;
constexpr int32_t kHintManaRunning = 9;
constexpr int32_t kHintWorkerRunning = 10;

// price less price x discount / 100, truncated, never below 0.
int32_t Discounted(int32_t price, int32_t discount)
{
    const double p = price;
    const double cost = p - p * static_cast<double>(discount) / 100.0;
    return std::max(0, ClampToInt32(static_cast<int64_t>(cost)));
}

bool Elapsed(const HUD::SPurchase& p, int32_t now)
{
    return int64_t{now} - p.start >= p.duration;
}

}  // namespace

int32_t HUD::ShopCost(bool mana, int32_t item)
{
    const auto& offers = mana ? manaOffers_ : workerOffers_;
    if (item < 0 || static_cast<size_t>(item) >= offers.size()) return 0;
    const int32_t discount = owner_.SumStallsByType(mana ? kManaDiscountType : kWorkerDiscountType, 0, 0);
    return Discounted(offers[static_cast<size_t>(item)].second, discount);
}

void HUD::Pay(int32_t kind, int32_t item, int32_t listKind)
{
    const int32_t now = Now();
    switch (kind)
    {
        case 0:
        case 1:
        {
            const bool mana = kind == 0;
            const auto& offers = mana ? manaOffers_ : workerOffers_;
            if (item < 0 || static_cast<size_t>(item) >= offers.size()) return;
            SPurchase& p = mana ? manaPurchase_ : workerPurchase_;
            p.item = item;
            p.start = now;
            p.duration = mana ? owner_.GetGameInfo().shopMana : owner_.GetGameInfo().shopMagic;
            owner_.GetEconomic().SubMoney(ShopCost(mana, item));
            PlaySound(mana ? kPayMana : kPayWorker);
            return;
        }
        case 2:
        {
            buildPurchase_.kind = listKind;
            buildPurchase_.item = item;
            buildPurchase_.start = now;
            buildPurchase_.duration = owner_.GetGameInfo().shopDraft;
            for (auto& b : buttons_)
                if (b->GetId() == item) b->StopPulse();
            PlaySound(kPayScroll);
            return;
        }
        default:
            return;
    }
}

void HUD::OnManaButton(int32_t item)
{
    // A second press before the refresh disabled the row must not replace
    // the running purchase and lose what it cost.
    if (manaPurchase_.item >= 0) return;
    if (owner_.GetEconomic().GetMoney() < ShopCost(true, item)) return;
    Pay(0, item);
}

void HUD::OnWorkerButton(int32_t item)
{
    if (workerPurchase_.item >= 0) return;
    if (owner_.GetEconomic().GetMoney() < ShopCost(false, item)) return;
    Pay(1, item);
}

void HUD::RefreshShopTab(bool mana)
{
    const int32_t money = owner_.GetEconomic().GetMoney();
    const bool running = (mana ? manaPurchase_ : workerPurchase_).item >= 0;
    for (auto& b : buttons_)
    {
        const int32_t cost = ShopCost(mana, b->GetId());
        if (cost != b->GetCostAmount(0)) b->SetCostAmount(0, cost);
        if (money < cost)
        {
            b->SetCostColour(0, false);
            b->SetEnabled(false, kHintNoMoney);
        }
        else if (b->GetState() == HudButton::kDisabled)
        {
            b->SetCostColour(0, true);
            // While the shop's purchase runs the row stays disabled below.
            if (!running) b->SetEnabled(true, -1);
        }
    }
    if (!running) return;
    for (auto& b : buttons_) b->SetEnabled(false, mana ? kHintManaRunning : kHintWorkerRunning);
}

void HUD::RefreshTabButtons()
{
    switch (openTab_)
    {
        case 0:
            RefreshShopTab(true);
            break;
        case 1:
            RefreshShopTab(false);
            break;
        default:
            break;
    }
}

void HUD::CompletePurchases()
{
    const int32_t now = Now();
    auto finish = [&](SPurchase& p, bool mana) {
        if (p.item < 0 || !Elapsed(p, now)) return;
        const auto& offers = mana ? manaOffers_ : workerOffers_;
        const size_t item = static_cast<size_t>(p.item);
        if (item < offers.size())
        {
            if (mana)
                owner_.GetEconomic().AddMana(offers[item].first);
            else
                owner_.GetEconomic().AddWorkers(offers[item].first, true);
        }
        if (openTab_ == (mana ? 0u : 1u))
            for (auto& b : buttons_)
                if (b->GetId() == p.item) b->SetProgress(0.0f);
        p.item = -1;
        PlaySound(mana ? kManaDone : kWorkerDone);
    };
    finish(manaPurchase_, true);
    finish(workerPurchase_, false);
    if (buildPurchase_.item >= 0 && Elapsed(buildPurchase_, now))
    {
        const int32_t kind = buildPurchase_.kind;
        const int32_t item = buildPurchase_.item;
        buildPurchase_.item = -1;
        if (kind < 0 || kind > 2) return;
        const auto& list = owner_.GetDescriptions(kind);
        if (item < 0 || static_cast<size_t>(item) >= list.size() || !list[static_cast<size_t>(item)]) return;
        // The stall can be built now.
        list[static_cast<size_t>(item)]->draft = false;
        if (newDrafts_.size() < 3) newDrafts_.resize(3, 0);
        newDrafts_[static_cast<size_t>(kind)] = 1;
        if (!blinkRunning_)
        {
            for (int32_t k = 0; k < 3; ++k)
                if (newDrafts_[static_cast<size_t>(k)] == 0) ShowDraftLabel(k, false);
            blinkRunning_ = true;
            blinkLast_ = now;
            blinkPhase_ = true;
        }
    }
}

void HUD::ShowDraftLabel(int32_t kind, bool alternative)
{
    const size_t label = static_cast<size_t>(kind) + 2;
    const size_t alt = static_cast<size_t>(kind) + 5;
    if (label < tabTexts_.size()) tabTexts_[label]->visible = !alternative;
    if (alt < tabTexts_.size()) tabTexts_[alt]->visible = alternative;
}

void HUD::InitDraftCounters()
{
    newDrafts_.assign(3, 0);
    for (size_t i = 5; i < tabTexts_.size() && i < 8; ++i) tabTexts_[i]->visible = false;
    bool any = false;
    for (int32_t k = 0; k < 3; ++k)
    {
        int32_t n = 0;
        for (const auto& desc : owner_.GetDescriptions(k))
            if (desc && desc->draft && desc->draftAccess) ++n;
        newDrafts_[static_cast<size_t>(k)] = n;
        any = any || n != 0;
    }
    if (!any) return;
    blinkRunning_ = true;
    blinkLast_ = Now();
    blinkPhase_ = true;
}

void HUD::StepDraftBlink()
{
    if (!blinkRunning_) return;
    const int32_t now = Now();
    if (int64_t{now} - blinkLast_ < layout_.blinkInterval) return;
    blinkLast_ = now;
    blinkPhase_ = !blinkPhase_;
    for (int32_t k = 0; k < 3; ++k)
        if (IsNewDraft(k)) ShowDraftLabel(k, blinkPhase_);
}

void HUD::ClearDraftBlink(int32_t tab)
{
    const int32_t kind = tab - 2;
    if (kind < 0 || kind > 2) return;
    if (static_cast<size_t>(kind) < newDrafts_.size()) newDrafts_[static_cast<size_t>(kind)] = 0;
    ShowDraftLabel(kind, false);
    for (int32_t k = 0; k < 3; ++k)
        if (IsNewDraft(k)) return;
    blinkRunning_ = false;
}
