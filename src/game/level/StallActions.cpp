// TGameLogic: the stall action dispatcher. Every state a stall leaves or
// enters has a row of bookings per stall kind; the rows are data, one table
// per kind, and one interpreter applies them.
#include <algorithm>

#include "game/level/GameLogic.h"

namespace
{

enum class TOp : uint8_t
{
    kAddIncome,
    kRemoveIncome,
    kAddTarget,  // at level + arg
    kSubTarget,  // at level + arg
    kWorkersBack,
    kSubMoney,
    kSubMana,
    kSubManaDiscounted,
    kSubWorkers,
    kSubPrice,
    kAddOffer,
    kAddRefundMana,
    kStat,  // counter arg
    kAddCoverageSource,
    kRemoveCoverageSource,
    kRecomputeCoverage,
    kAddBonus,
    kRemoveBonus,
    kGoodsSoldSubPrice,  // the bonus description's goods price
    kGoodsSoldAddRefund,
    kNeedFirst,
    kNeedUpgrade,
    kNeedRemove,
    kNeedRestore,
};

// Which per-level list a cost step reads.
enum class TList : uint8_t
{
    kNone,
    kBuild,
    kRepair,
    kCrash,
};

// Which level a cost step reads it at.
enum class TAt : uint8_t
{
    kLevel,
    kZero,
    kNext,
};

enum class TWhen : uint8_t
{
    kAlways,
    kPay,
    // Finished 8, or the stall had a buyer waiting when it reported.
    kFromSale,
    kFromSaleOrBroken,
    kFinishedNot4,
    kFinishedNot4WithGoods,
    kFinished1,
    kEnteredNot1,
};

struct SStep
{
    TOp op;
    TWhen when = TWhen::kAlways;
    TList list = TList::kNone;
    TAt at = TAt::kLevel;
    int32_t arg = 0;
};

struct SRow
{
    int32_t state;
    std::vector<SStep> finished;
    std::vector<SStep> entered;
};

using TTable = std::vector<SRow>;

constexpr TWhen kPay = TWhen::kPay;

SStep Cost(TOp op, TList list, TAt at, TWhen when = TWhen::kAlways)
{
    return {op, when, list, at, 0};
}

SStep Stat(int32_t counter, TWhen when = TWhen::kAlways)
{
    return {TOp::kStat, when, TList::kNone, TAt::kLevel, counter};
}

SStep Do(TOp op, TWhen when = TWhen::kAlways, int32_t arg = 0)
{
    return {op, when, TList::kNone, TAt::kLevel, arg};
}

// Entering an upgrade: the next level's costs, the mana under the discount.
std::vector<SStep> UpgradeCosts()
{
    return {Cost(TOp::kSubMoney, TList::kBuild, TAt::kNext, kPay),
            Cost(TOp::kSubManaDiscounted, TList::kBuild, TAt::kNext, kPay),
            Cost(TOp::kSubWorkers, TList::kBuild, TAt::kNext, kPay)};
}

std::vector<SStep> Join(std::vector<SStep> a, const std::vector<SStep>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const TTable& TradeTable()
{
    static const TTable table = {
        {1, {}, {Do(TOp::kAddIncome, TWhen::kFromSale)}},
        {2,
         {Cost(TOp::kWorkersBack, TList::kBuild, TAt::kLevel, kPay), Stat(kCountBuilt, kPay), Do(TOp::kAddIncome)},
         {Cost(TOp::kSubMoney, TList::kBuild, TAt::kZero, kPay), Cost(TOp::kSubMana, TList::kBuild, TAt::kZero, kPay),
          Cost(TOp::kSubWorkers, TList::kBuild, TAt::kZero, kPay), Do(TOp::kAddTarget, TWhen::kAlways, 0)}},
        {3,
         {Cost(TOp::kWorkersBack, TList::kBuild, TAt::kLevel, kPay), Stat(kCountUpgraded, kPay),
          Do(TOp::kAddIncome)},
         Join(UpgradeCosts(), {Do(TOp::kRemoveIncome), Do(TOp::kSubTarget, TWhen::kAlways, 0),
                               Do(TOp::kAddTarget, TWhen::kAlways, 1)})},
        {4, {}, {Do(TOp::kRemoveIncome), Stat(kCountBroken)}},
        {5,
         {Cost(TOp::kWorkersBack, TList::kRepair, TAt::kLevel), Stat(kCountRepaired), Do(TOp::kAddIncome)},
         {Cost(TOp::kSubMoney, TList::kRepair, TAt::kLevel), Cost(TOp::kSubMana, TList::kRepair, TAt::kLevel),
          Cost(TOp::kSubWorkers, TList::kRepair, TAt::kLevel)}},
        {6,
         {Do(TOp::kAddRefundMana), Cost(TOp::kWorkersBack, TList::kCrash, TAt::kLevel), Stat(kCountCrashed)},
         {Do(TOp::kRemoveIncome, TWhen::kFinishedNot4WithGoods), Do(TOp::kSubTarget, TWhen::kAlways, 0),
          Cost(TOp::kSubWorkers, TList::kCrash, TAt::kLevel)}},
        {7, {Do(TOp::kAddIncome), Stat(kCountPurchased)}, {Do(TOp::kSubPrice), Do(TOp::kAddTarget, TWhen::kAlways, 0)}},
        {8, {}, {Do(TOp::kRemoveIncome, TWhen::kFinished1)}},
        {9, {Do(TOp::kAddOffer), Stat(kCountSold)}, {Do(TOp::kSubTarget, TWhen::kAlways, 0)}},
        {10, {Do(TOp::kSubTarget, TWhen::kAlways, 0), Do(TOp::kRemoveIncome)},
         {Do(TOp::kAddTarget, TWhen::kAlways, 0), Do(TOp::kAddIncome)}},
    };
    return table;
}

const TTable& AttractionTable()
{
    static const TTable table = {
        {1, {}, {Do(TOp::kAddCoverageSource, TWhen::kFromSale), Do(TOp::kAddIncome, TWhen::kFromSale)}},
        {2,
         {Cost(TOp::kWorkersBack, TList::kBuild, TAt::kLevel, kPay), Stat(kCountBuilt, kPay),
          Do(TOp::kAddCoverageSource), Do(TOp::kAddIncome)},
         {Cost(TOp::kSubMoney, TList::kBuild, TAt::kZero, kPay), Cost(TOp::kSubMana, TList::kBuild, TAt::kZero, kPay),
          Cost(TOp::kSubWorkers, TList::kBuild, TAt::kZero, kPay), Do(TOp::kAddTarget, TWhen::kAlways, 0)}},
        {3,
         {Cost(TOp::kWorkersBack, TList::kBuild, TAt::kLevel, kPay), Stat(kCountUpgraded, kPay),
          Do(TOp::kRecomputeCoverage), Do(TOp::kAddIncome)},
         Join(UpgradeCosts(), {Do(TOp::kRemoveIncome), Do(TOp::kSubTarget, TWhen::kAlways, 0),
                               Do(TOp::kAddTarget, TWhen::kAlways, 1)})},
        {4, {}, {Do(TOp::kRemoveCoverageSource), Do(TOp::kRemoveIncome), Stat(kCountBroken)}},
        {5,
         {Cost(TOp::kWorkersBack, TList::kRepair, TAt::kLevel), Stat(kCountRepaired), Do(TOp::kAddCoverageSource),
          Do(TOp::kAddIncome)},
         {Cost(TOp::kSubMoney, TList::kRepair, TAt::kLevel), Cost(TOp::kSubMana, TList::kRepair, TAt::kLevel),
          Cost(TOp::kSubWorkers, TList::kRepair, TAt::kLevel)}},
        {6,
         {Do(TOp::kAddRefundMana), Cost(TOp::kWorkersBack, TList::kCrash, TAt::kLevel), Stat(kCountCrashed)},
         {Do(TOp::kRemoveCoverageSource, TWhen::kFinishedNot4), Do(TOp::kRemoveIncome, TWhen::kFinishedNot4),
          Do(TOp::kSubTarget, TWhen::kFinishedNot4, 0), Cost(TOp::kSubWorkers, TList::kCrash, TAt::kLevel)}},
        {7, {Do(TOp::kAddCoverageSource), Do(TOp::kAddIncome), Stat(kCountPurchased)},
         {Do(TOp::kSubPrice), Do(TOp::kAddTarget, TWhen::kAlways, 0)}},
        {8, {}, {Do(TOp::kRemoveIncome, TWhen::kFinished1), Do(TOp::kRemoveCoverageSource, TWhen::kFinished1)}},
        {9, {Do(TOp::kAddOffer, TWhen::kEnteredNot1), Stat(kCountSold, TWhen::kEnteredNot1)},
         {Do(TOp::kSubTarget, TWhen::kAlways, 0)}},
        {10,
         {Do(TOp::kSubTarget, TWhen::kAlways, 0), Do(TOp::kRemoveIncome), Do(TOp::kRemoveCoverageSource)},
         {Do(TOp::kAddTarget, TWhen::kAlways, 0), Do(TOp::kAddIncome), Do(TOp::kAddCoverageSource)}},
    };
    return table;
}

const TTable& BonusTable()
{
    static const TTable table = {
        {1, {}, {Do(TOp::kAddBonus, TWhen::kFromSaleOrBroken)}},
        {2, {Cost(TOp::kWorkersBack, TList::kBuild, TAt::kLevel, kPay), Stat(kCountBuilt, kPay), Do(TOp::kAddBonus)},
         {Do(TOp::kGoodsSoldSubPrice, kPay, 0), Cost(TOp::kSubWorkers, TList::kBuild, TAt::kZero, kPay),
          Do(TOp::kNeedFirst)}},
        {3,
         {Cost(TOp::kWorkersBack, TList::kBuild, TAt::kLevel, kPay), Stat(kCountUpgraded, kPay), Do(TOp::kAddBonus)},
         {Do(TOp::kNeedUpgrade, kPay), Do(TOp::kGoodsSoldSubPrice, kPay, 1),
          Cost(TOp::kSubWorkers, TList::kBuild, TAt::kNext, kPay), Do(TOp::kRemoveBonus)}},
        {4, {}, {Do(TOp::kRemoveBonus), Stat(kCountBroken)}},
        {5, {Cost(TOp::kWorkersBack, TList::kRepair, TAt::kLevel), Stat(kCountRepaired), Do(TOp::kAddBonus)},
         {Cost(TOp::kSubMana, TList::kRepair, TAt::kLevel), Cost(TOp::kSubWorkers, TList::kRepair, TAt::kLevel)}},
        {6,
         {Do(TOp::kNeedRemove), Do(TOp::kGoodsSoldAddRefund), Cost(TOp::kWorkersBack, TList::kCrash, TAt::kLevel),
          Stat(kCountCrashed)},
         {Do(TOp::kRemoveBonus, TWhen::kFinishedNot4), Cost(TOp::kSubWorkers, TList::kCrash, TAt::kLevel)}},
        {7, {Do(TOp::kAddBonus), Stat(kCountPurchased), Do(TOp::kNeedRestore)}, {Do(TOp::kSubPrice)}},
        {8, {}, {Do(TOp::kRemoveBonus, TWhen::kFinished1)}},
        {9, {Do(TOp::kAddOffer), Stat(kCountSold), Do(TOp::kNeedRemove)}, {}},
        {10, {Do(TOp::kRemoveBonus)}, {Do(TOp::kAddBonus)}},
    };
    return table;
}

const TTable& TableOf(int32_t kind)
{
    if (kind == kStallTrade) return TradeTable();
    if (kind == kStallBonus) return BonusTable();
    return AttractionTable();
}

const std::vector<int32_t>& ListOf(const SStallDesc& desc, TOp op, TList list)
{
    static const std::vector<int32_t> none;
    const bool money = op == TOp::kSubMoney;
    const bool mana = op == TOp::kSubMana || op == TOp::kSubManaDiscounted;
    const SStallDesc::SAmounts& amounts = mana ? desc.mana : desc.workers;
    switch (list)
    {
    case TList::kBuild: return money ? desc.money.build : amounts.build;
    case TList::kRepair: return money ? desc.money.repair : amounts.repair;
    case TList::kCrash: return money ? desc.money.sell : amounts.sell;
    case TList::kNone: break;
    }
    return none;
}

// An income list of the stall's kind: trade and attraction profits.
const std::vector<int32_t>& IncomeList(const SStallDesc& desc)
{
    static const std::vector<int32_t> none;
    if (desc.kind == kStallTrade) return static_cast<const STradeStallDesc&>(desc).profit;
    if (desc.kind == kStallAttraction) return static_cast<const SAttrStallDesc&>(desc).profit;
    return none;
}

}  // namespace

int32_t TGameLogic::Discount(const TLevelStall& stall)
{
    // Discounts beyond 100 would pay out; below 0 they would charge more.
    return std::clamp(SumStallsByType(4, stall.x, stall.y), 0, 100);
}

int32_t TGameLogic::SumStallsByType(int32_t bonusType, int32_t x, int32_t y)
{
    int64_t sum = 0;
    for (auto& stall : stalls_)
    {
        if (stall->kind != kStallBonus || !stall->active || stall->state != kStateWorking) continue;
        if (stall->description == nullptr || stall->description->kind != kStallBonus) continue;
        const auto& desc = static_cast<const SBonusStallDesc&>(*stall->description);
        if (desc.bonusType != bonusType) continue;
        if ((x != 0 || y != 0) && !stall->IsInArea(x, y)) continue;
        sum += LevelValue(desc.bonus, stall->level);
    }
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

void TGameLogic::CountTask(const TLevelStall& stall, int32_t counter)
{
    if (stall.kind < 0 || stall.kind > 2 || stall.descriptionId < 0) return;
    std::vector<SStallCounters>& list = counters_[stall.kind];
    if (static_cast<size_t>(stall.descriptionId) >= list.size())
        list.resize(static_cast<size_t>(stall.descriptionId) + 1, SStallCounters{});
    ++list[static_cast<size_t>(stall.descriptionId)][static_cast<size_t>(counter)];
}

void TGameLogic::DoStallAction(int32_t stallId, int32_t finished, int32_t entered, bool pay)
{
    TLevelStall* stall = FindStall(stallId);
    // A locked stall without an open offer books nothing.
    if (stall == nullptr || (!stall->active && !stall->offerOn)) return;
    ApplyActionRow(*stall, stall->kind, finished, true, finished, entered, pay);
    ApplyActionRow(*stall, stall->kind, entered, false, finished, entered, pay);
    if (SSlot* slot = GetSlot(stall->slotIndex))
    {
        if (finished == kStateBuilding) slot->covered = true;
        if (entered == kStateCrashing) slot->covered = false;
    }
}

void TGameLogic::ApplyActionRow(TLevelStall& stall, int32_t kind, int32_t state, bool finishedSide, int32_t finished,
                                int32_t entered, bool pay)
{
    const TTable& table = TableOf(kind);
    const auto row = std::find_if(table.begin(), table.end(), [state](const SRow& r) { return r.state == state; });
    // The pseudo-states (-100, -1) and 0 have no row.
    if (row == table.end() || stall.description == nullptr) return;
    const SStallDesc& desc = *stall.description;
    Economic& eco = *economic_;
    const int32_t level = stall.level;
    const int32_t id = stall.id;
    const bool fromSale = finished == kStateFindBuyer || stall.buyerWaiting;

    for (const SStep& step : finishedSide ? row->finished : row->entered)
    {
        bool run = true;
        switch (step.when)
        {
        case TWhen::kAlways: break;
        case TWhen::kPay: run = pay; break;
        case TWhen::kFromSale: run = fromSale; break;
        case TWhen::kFromSaleOrBroken: run = fromSale || finished == kStateBroken; break;
        case TWhen::kFinishedNot4: run = finished != kStateBroken; break;
        case TWhen::kFinishedNot4WithGoods: run = finished != kStateBroken && stall.GetGoods() > 0; break;
        case TWhen::kFinished1: run = finished == kStateWorking; break;
        case TWhen::kEnteredNot1: run = entered != kStateWorking; break;
        }
        if (!run) continue;
        const int32_t at = step.at == TAt::kZero ? 0 : step.at == TAt::kNext ? level + 1 : level;
        const int32_t cost = LevelValue(ListOf(desc, step.op, step.list), at);
        const auto* bonus = desc.kind == kStallBonus ? static_cast<const SBonusStallDesc*>(&desc) : nullptr;
        switch (step.op)
        {
        case TOp::kAddIncome: eco.AddIncomeSource(LevelValue(IncomeList(desc), level), id); break;
        case TOp::kRemoveIncome: eco.RemoveIncomeSource(LevelValue(IncomeList(desc), level), id); break;
        case TOp::kAddTarget: eco.AddIncomeTarget(LevelValue(IncomeList(desc), level + step.arg)); break;
        case TOp::kSubTarget: eco.SubIncomeTarget(LevelValue(IncomeList(desc), level + step.arg)); break;
        case TOp::kWorkersBack: eco.AddWorkers(cost, false); break;
        case TOp::kSubMoney: eco.SubMoney(cost); break;
        case TOp::kSubMana: eco.SubMana(cost); break;
        case TOp::kSubManaDiscounted:
            // In double, truncated as a whole: 150 at 25% costs 112.
            eco.SubMana(static_cast<int32_t>(cost - static_cast<double>(cost) * Discount(stall) / 100.0));
            break;
        case TOp::kSubWorkers: eco.SubFreeWorkers(cost); break;
        case TOp::kSubPrice: eco.SubMoney(stall.price); break;
        case TOp::kAddOffer: eco.AddMoney(stall.offer); break;
        case TOp::kAddRefundMana: eco.AddMana(stall.refund); break;
        case TOp::kStat: CountTask(stall, step.arg); break;
        case TOp::kAddCoverageSource: eco.AddCoverageSource(id); break;
        case TOp::kRemoveCoverageSource: eco.RemoveCoverageSource(id); break;
        case TOp::kRecomputeCoverage: eco.RecomputeCoverage(); break;
        case TOp::kAddBonus:
        case TOp::kRemoveBonus:
        {
            if (bonus == nullptr) break;
            const int32_t amount = LevelValue(bonus->bonus, level);
            const bool add = step.op == TOp::kAddBonus;
            if (bonus->bonusType == 0)
            {
                if (add)
                    eco.AddIncomeBonus(amount);
                else
                    eco.SubIncomeBonus(amount);
            }
            else if (bonus->bonusType == 8)
            {
                if (add)
                    eco.AddCoverageTarget(id);
                else
                    eco.RemoveCoverageTarget(id);
            }
            else if (bonus->bonusType == 3 && add)
            {
                for (auto& other : stalls_)
                    if (stall.IsInArea(other->x, other->y)) other->SetTimerNever();
            }
            break;
        }
        case TOp::kGoodsSoldSubPrice:
            if (!desc.good.empty())
                goodsSold_ = SaturatedSum(goodsSold_, -static_cast<int64_t>(LevelValue(desc.good, step.arg == 0 ? 0 : level + 1)));
            break;
        case TOp::kGoodsSoldAddRefund:
            if (!desc.good.empty()) goodsSold_ = SaturatedSum(goodsSold_, stall.refund);
            break;
        case TOp::kNeedFirst:
            if (desc.lucky.empty()) break;
            stall.coverageNeed = desc.lucky.front();
            eco.SetCoverageNeed(id, stall.coverageNeed);
            break;
        case TOp::kNeedUpgrade:
        {
            if (desc.lucky.empty()) break;
            const int32_t step2 = SaturatedSum(LevelValue(desc.lucky, level + 1), -static_cast<int64_t>(LevelValue(desc.lucky, level)));
            const int32_t v = static_cast<int32_t>((1.0 - Discount(stall) / 100.0) * step2);
            stall.coverageNeed = SaturatedSum(stall.coverageNeed, v);
            eco.SetCoverageNeed(id, v);
            break;
        }
        case TOp::kNeedRemove:
            if (!desc.lucky.empty()) eco.RemoveCoverageNeed(id);
            break;
        case TOp::kNeedRestore:
            if (!desc.lucky.empty()) eco.SetCoverageNeed(id, stall.coverageNeed);
            break;
        }
    }
}
