// Economic: money, mana, workers, income and its payout, coverage.
#include "game/level/Economic.h"

#include <algorithm>

#include "core/Clock.h"
#include "core/Log.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "game/level/ObjectZ.h"

namespace
{

// (1 + percent / 100) x amount in double, truncated as a whole: 25% on 90
// is 112, not 90 + 22.
int32_t WithBonus(int32_t amount, int32_t percent)
{
    const double v = (1.0 + percent / 100.0) * amount;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

const char kPayoutSound[] = "game_logic_audio:audio/sound/game_logic/profit";

}  // namespace

Economic::Economic(ILevelContext& level) : level_(level)
{
    lastPayout_ = static_cast<uint32_t>(level_.GetMainClock().GetTime());
}

void Economic::SetWorkers(int32_t n, bool setBase)
{
    freeWorkers_ = n;
    workers_ = n;
    if (setBase) baseWorkers_ = n;
}

void Economic::AddWorkers(int32_t n, bool alsoTotal)
{
    freeWorkers_ = SaturatedSum(freeWorkers_, n);
    if (alsoTotal) workers_ = SaturatedSum(workers_, n);
}

int32_t Economic::GetIncome() const
{
    return WithBonus(income_, bonus_);
}

int32_t Economic::GetIncomeTarget() const
{
    return WithBonus(incomeTarget_, bonus_);
}

void Economic::AddIncomeSource(int32_t amount, int32_t key)
{
    auto it = std::find_if(sources_.begin(), sources_.end(), [key](const SSource& s) { return s.key == key; });
    if (it == sources_.end())
    {
        sources_.push_back({key, 0});
        it = sources_.end() - 1;
    }
    if (++it->count == 1) income_ = SaturatedSum(income_, amount);
    TellProfitBar();
}

void Economic::RemoveIncomeSource(int32_t amount, int32_t key)
{
    auto it = std::find_if(sources_.begin(), sources_.end(), [key](const SSource& s) { return s.key == key; });
    // A spent key stays spent: counting below 0 would make the next add
    // bring no income back.
    if (it == sources_.end() || it->count <= 0) return;
    if (--it->count == 0) income_ = SaturatedSum(income_, -static_cast<int64_t>(amount));
    TellProfitBar();
}

int32_t Economic::GetIncomeSourceCount(int32_t key) const
{
    for (const SSource& s : sources_)
        if (s.key == key) return s.count;
    return 0;
}

void Economic::AddIncomeTarget(int32_t n)
{
    incomeTarget_ = SaturatedSum(incomeTarget_, n);
    TellProfitBar();
}

void Economic::SubIncomeTarget(int32_t n)
{
    incomeTarget_ = SaturatedSum(incomeTarget_, -static_cast<int64_t>(n));
    TellProfitBar();
}

void Economic::TellProfitBar()
{
    level_.SetProfitBarComplete(income_ == incomeTarget_);
}

void Economic::PayIncome()
{
    const uint32_t now = static_cast<uint32_t>(level_.GetMainClock().GetTime());
    if (income_ == 0 || level_.IsWinSequenceRunning())
    {
        lastPayout_ = now;
        return;
    }
    if (interval_ <= 0)
    {
        if (!intervalLogged_) LogPrintf("ERROR: payout interval %d, no income is paid", interval_);
        intervalLogged_ = true;
        return;
    }
    if (now - lastPayout_ < static_cast<uint32_t>(interval_)) return;
    lastPayout_ = now;
    money_ = SaturatedSum(money_, GetIncome());
    level_.PlaySound(kPayoutSound, false);
    if (notify_) notify_();
}

void Economic::AddCoverageSource(int32_t stallId)
{
    coverageSources_.push_back(stallId);
    RecomputeCoverage();
}

void Economic::RemoveCoverageSource(int32_t stallId)
{
    auto it = std::find(coverageSources_.begin(), coverageSources_.end(), stallId);
    if (it != coverageSources_.end()) coverageSources_.erase(it);
    RecomputeCoverage();
}

void Economic::AddCoverageTarget(int32_t stallId)
{
    coverageAreas_.push_back(stallId);
    RecomputeCoverage();
}

void Economic::RemoveCoverageTarget(int32_t stallId)
{
    auto it = std::find(coverageAreas_.begin(), coverageAreas_.end(), stallId);
    if (it != coverageAreas_.end()) coverageAreas_.erase(it);
    RecomputeCoverage();
}

namespace
{

// An attraction's coverage at its level: its customer count.
int32_t CoverageOf(const TLevelStall& stall)
{
    if (stall.kind != kStallAttraction || stall.description == nullptr ||
        stall.description->kind != kStallAttraction)
        return 0;
    const auto& desc = static_cast<const SAttrStallDesc&>(*stall.description);
    return LevelValue(desc.customerCount, stall.level);
}

int32_t BonusOf(const TLevelStall& stall)
{
    if (stall.description == nullptr || stall.description->kind != kStallBonus) return 0;
    const auto& desc = static_cast<const SBonusStallDesc&>(*stall.description);
    return LevelValue(desc.bonus, stall.level);
}

}  // namespace

void Economic::RecomputeCoverage()
{
    int64_t total = 0;
    std::vector<bool> covered(coverageSources_.size(), false);
    for (int32_t areaId : coverageAreas_)
    {
        const TLevelStall* area = level_.FindStall(areaId);
        if (area == nullptr) continue;
        int64_t sum = 0;
        for (size_t i = 0; i < coverageSources_.size(); ++i)
        {
            const TLevelStall* source = level_.FindStall(coverageSources_[i]);
            if (source == nullptr || !area->IsInArea(source->x, source->y)) continue;
            sum += CoverageOf(*source);
            covered[i] = true;
        }
        total += static_cast<int64_t>(static_cast<double>(sum) * BonusOf(*area) / 100.0) + sum;
    }
    for (size_t i = 0; i < coverageSources_.size(); ++i)
    {
        if (covered[i]) continue;
        if (const TLevelStall* source = level_.FindStall(coverageSources_[i])) total += CoverageOf(*source);
    }
    coverage_ = static_cast<int32_t>(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX));
    UpdateSatisfied();
}

void Economic::SetCoverageNeed(int32_t key, int32_t need)
{
    auto it = std::find_if(needs_.begin(), needs_.end(), [key](const SNeed& n) { return n.key == key; });
    if (it == needs_.end())
        needs_.push_back({key, need, false});
    else
        it->need = SaturatedSum(it->need, need);
    needTotal_ = 0;
    for (const SNeed& n : needs_) needTotal_ = SaturatedSum(needTotal_, n.need);
    needUsed_ = needTotal_;
    UpdateSatisfied();
}

void Economic::RemoveCoverageNeed(int32_t key)
{
    auto it = std::find_if(needs_.begin(), needs_.end(), [key](const SNeed& n) { return n.key == key; });
    if (it == needs_.end()) return;
    needs_.erase(it);
    needTotal_ = 0;
    for (const SNeed& n : needs_) needTotal_ = SaturatedSum(needTotal_, n.need);
    needUsed_ = needTotal_;
    UpdateSatisfied();
}

void Economic::UpdateSatisfied()
{
    // All needing stalls are served together or not at all.
    const bool satisfied = coverage_ >= needTotal_;
    for (SNeed& n : needs_) n.satisfied = satisfied;
}

bool Economic::IsNeedSatisfied(int32_t key) const
{
    for (const SNeed& n : needs_)
        if (n.key == key) return n.satisfied;
    return false;
}

Economic::SLucky& Economic::LuckyEntry(int32_t key)
{
    for (SLucky& l : lucky_)
        if (l.key == key) return l;
    lucky_.push_back({key, 0, false});
    return lucky_.back();
}

const Economic::SLucky* Economic::FindLucky(int32_t key) const
{
    for (const SLucky& l : lucky_)
        if (l.key == key) return &l;
    return nullptr;
}

void Economic::SetLuckyAmount(int32_t key, int32_t amount)
{
    LuckyEntry(key).amount = amount;
}

int32_t Economic::GetLuckyAmount(int32_t key) const
{
    const SLucky* l = FindLucky(key);
    return l != nullptr ? l->amount : 0;
}

void Economic::SetLuckyFlag(int32_t key, bool on)
{
    LuckyEntry(key).flag = on;
}

bool Economic::IsLuckyFlagSet(int32_t key) const
{
    const SLucky* l = FindLucky(key);
    return l != nullptr && l->flag;
}
