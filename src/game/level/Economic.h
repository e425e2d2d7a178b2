// Economic: one level's money, mana and workers, the income of working stalls
// with its periodic payout, and the coverage that attraction stalls give
// inside the areas of coverage bonus stalls against what bonus stalls need.
// It reaches the clock, the stalls, the win flag and the HUD's profit bar
// through the level. Amounts are not clamped: paying without checking may
// take money, mana or free workers below 0.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class ILevelContext;

// Amounts saturate at the 32-bit range instead of wrapping (a script can
// hand the level any number).
inline int32_t SaturatedSum(int64_t a, int64_t b)
{
    const int64_t sum = a + b;
    return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : static_cast<int32_t>(sum);
}

class Economic
{
public:
    // All amounts 0, no interval; the last payout is now (main clock).
    explicit Economic(ILevelContext& level);

    // The first interval a level gets before its own tact.
    void SetPayoutInterval() { interval_ = 6000; }
    void SetPayoutInterval(int32_t ms) { interval_ = ms; }
    int32_t GetPayoutInterval() const { return interval_; }
    uint32_t GetLastPayoutTime() const { return lastPayout_; }

    void SetMoney(int32_t n) { money_ = n; }
    int32_t GetMoney() const { return money_; }
    void AddMoney(int32_t n) { money_ = SaturatedSum(money_, n); }
    void SubMoney(int32_t n) { money_ = SaturatedSum(money_, -static_cast<int64_t>(n)); }

    void SetMana(int32_t n) { mana_ = n; }
    int32_t GetMana() const { return mana_; }
    void AddMana(int32_t n) { mana_ = SaturatedSum(mana_, n); }
    void SubMana(int32_t n) { mana_ = SaturatedSum(mana_, -static_cast<int64_t>(n)); }

    // Free = total = n, and base too when setBase.
    void SetWorkers(int32_t n, bool setBase);
    int32_t GetFreeWorkers() const { return freeWorkers_; }
    int32_t GetWorkers() const { return workers_; }
    int32_t GetBaseWorkers() const { return baseWorkers_; }
    void AddWorkers(int32_t n, bool alsoTotal);
    void SubFreeWorkers(int32_t n) { freeWorkers_ = SaturatedSum(freeWorkers_, -static_cast<int64_t>(n)); }

    void AddIncomeBonus(int32_t n) { bonus_ = SaturatedSum(bonus_, n); }
    void SubIncomeBonus(int32_t n) { bonus_ = SaturatedSum(bonus_, -static_cast<int64_t>(n)); }
    int32_t GetIncomeBonus() const { return bonus_; }
    // The income per payout with the bonus, truncated toward zero.
    int32_t GetIncome() const;
    int32_t GetIncomeTarget() const;
    // Without the bonus.
    int32_t GetBaseIncome() const { return income_; }

    // A key (stall id) counts its amount once however often it is added;
    // removing it as often as it was added takes the amount away. A key
    // never counts below 0 (removing an unknown or spent key does nothing).
    void AddIncomeSource(int32_t amount, int32_t key);
    void RemoveIncomeSource(int32_t amount, int32_t key);
    // How often the key is counted now (0 for an unknown key).
    int32_t GetIncomeSourceCount(int32_t key) const;
    // The keys counted now, in the order they were first added.
    std::vector<int32_t> GetIncomeSourceKeys() const
    {
        std::vector<int32_t> keys;
        for (const SSource& s : sources_)
            if (s.count > 0) keys.push_back(s.key);
        return keys;
    }
    void AddIncomeTarget(int32_t n);
    void SubIncomeTarget(int32_t n);

    // Once per frame: pays the income when the interval has passed on the
    // main clock, then calls the payout notification. No income, or the win
    // sequence running, moves the next payout a full interval away. An
    // interval of 0 or less pays nothing (logged once).
    void PayIncome();
    void SetPayoutNotification(std::function<void()> notify) { notify_ = std::move(notify); }

    int32_t GetCoverage() const { return coverage_; }
    int32_t GetCoverageUsed() const { return needUsed_; }
    void AddCoverageSource(int32_t stallId);
    void RemoveCoverageSource(int32_t stallId);
    void AddCoverageTarget(int32_t stallId);
    void RemoveCoverageTarget(int32_t stallId);
    void RecomputeCoverage();
    // A new key is added with its need; a known one adds the need to its own
    // (a need of 0 keeps the key as it is).
    void SetCoverageNeed(int32_t key, int32_t need);
    // The key's need is gone (its stall was crashed or sold).
    void RemoveCoverageNeed(int32_t key);
    // False for an unknown key.
    bool IsNeedSatisfied(int32_t key) const;
    int32_t GetNeedTotal() const { return needTotal_; }

    // A bonus stall's lucky amount and flag, by stall id.
    void SetLuckyAmount(int32_t key, int32_t amount);
    int32_t GetLuckyAmount(int32_t key) const;
    void SetLuckyFlag(int32_t key, bool on);
    // False for an unknown key.
    bool IsLuckyFlagSet(int32_t key) const;

private:
    struct SSource
    {
        int32_t key;
        int32_t count;
    };
    struct SNeed
    {
        int32_t key;
        int32_t need;
        bool satisfied;
    };
    struct SLucky
    {
        int32_t key;
        int32_t amount;
        bool flag;
    };

    void TellProfitBar();
    void UpdateSatisfied();
    SLucky& LuckyEntry(int32_t key);
    const SLucky* FindLucky(int32_t key) const;

    ILevelContext& level_;
    int32_t money_ = 0;
    int32_t income_ = 0;
    int32_t incomeTarget_ = 0;
    int32_t bonus_ = 0;
    std::vector<SSource> sources_;
    int32_t mana_ = 0;
    int32_t freeWorkers_ = 0;
    int32_t workers_ = 0;
    int32_t baseWorkers_ = 0;
    uint32_t lastPayout_ = 0;
    int32_t interval_ = 0;
    bool intervalLogged_ = false;
    int32_t coverage_ = 0;
    std::vector<int32_t> coverageSources_;
    std::vector<int32_t> coverageAreas_;
    int32_t needUsed_ = 0;
    std::vector<SNeed> needs_;
    int32_t needTotal_ = 0;
    std::vector<SLucky> lucky_;
    std::function<void()> notify_;
};
