// Stalls made by the game's factory on FakeLevel, with the clock source
// stepped by hand, scripted random draws and no resource group loaded
// (every picture empty). Reports are recorded as "left>entered".
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/support/FakeClock.h"
#include "game/level/AttrStall.h"
#include "game/level/BonusStall.h"
#include "game/level/LevelFactory.h"
#include "game/level/LevelRecords.h"
#include "game/level/TradeStall.h"
#include "game/level/support/FakeLevel.h"

class StallFixture : public ::testing::Test
{
protected:
    StallFixture()
    {
        fake_clock::gNow = 1000;
        SetClockTimeSource(&fake_clock::FakeNow);
        level_ = std::make_unique<FakeLevel>();
        level_->common.starPlaces = {{0, 0}, {-20, -40}, {0, -45}, {20, -40}};
        level_->common.barFon = {-25, 30};
        level_->common.barLine = {-24, 31};
        FillCommon(trade_);
        trade_.goodStore = {10, 20, 30, 40};
        trade_.goodSub = {1, 1, 1, 1};
        trade_.goodLimit = {3, 5, 7, 9};
        trade_.profit = {50, 60, 70, 80};
        FillCommon(attr_);
        attr_.customerCount = {2, 3, 4, 5};
        attr_.profit = {10, 20, 30, 40};
        FillCommon(bonus_);
    }
    ~StallFixture() override
    {
        stalls_.clear();
        level_.reset();
        SetClockTimeSource(nullptr);
    }

    static void FillCommon(SStallDesc& d)
    {
        d.id = 0;
        d.name = "test stall";
        d.levelCount = 4;
        d.breakImage = "game_logic_stalls:images/broken";
        d.sellImage = "game_logic_stalls:images/sold";
        d.time.build = 1000;
        d.time.upgrade = 2000;
        d.time.repair = 3000;
        d.time.crash = 4000;
        d.time.pay = 500;
        d.time.preBuy = 600;
        d.time.buy = 700;
        d.time.breakTime = 100000;
        d.time.breakRand = 0;
        d.money.build = {100, 200, 300, 400};
        d.money.repair = {11, 12, 13, 14};
        d.money.sell = {1000, 2000, 3000, 4000};
        d.money.pay = {1500, 2500, 3500, 4500};
        d.mana.build = {40, 50, 60, 70};
        d.mana.repair = {4, 5, 6, 7};
        d.mana.sell = {8, 9, 10, 11};
        d.workers.build = {1, 2, 3, 4};
        d.workers.repair = {2, 2, 3, 3};
        d.workers.sell = {3, 3, 4, 4};
    }

    // Made by the game's factory, set up as the level does: sprites, state
    // 0, callbacks, placed at (x, y) on slot 0.
    template <typename T>
    T& Make(const SStallDesc& desc, int32_t x = 400, int32_t y = 300)
    {
        TLevelFactory factory;
        std::unique_ptr<TLevelStall> made = factory.MakeStall(*level_, desc.kind, desc);
        EXPECT_NE(made, nullptr);
        T& s = static_cast<T&>(*made);
        const int32_t id = static_cast<int32_t>(stalls_.size()) + 7;
        s.CreateSprites(id, 0, 0);
        s.state = kStateIdle;
        s.stateChanged = [this](int32_t sid, int32_t left, int32_t entered) {
            reports_.push_back(std::to_string(sid) + ":" + std::to_string(left) + ">" + std::to_string(entered));
        };
        s.drawOccupant = [this](int32_t w) { drawn_.push_back("occupant " + std::to_string(w)); };
        s.drawVisitor = [this](int32_t w) { drawn_.push_back("visitor " + std::to_string(w)); };
        s.incomeCallback = [this](int32_t amount, int32_t sid) {
            level_->GetEconomic().AddIncomeSource(amount, sid);
            incomes_.push_back(std::to_string(amount) + "@" + std::to_string(sid));
        };
        s.slotIndex = 0;
        s.SetPosition(x, y);
        s.BuildServicePlaces();
        stalls_.push_back(std::move(made));
        return s;
    }
    // A working stall: built and finished (records cleared).
    template <typename T>
    T& Working(const SStallDesc& desc, int32_t x = 400, int32_t y = 300)
    {
        T& s = Make<T>(desc, x, y);
        s.Work(true);
        Clear();
        return s;
    }
    void Clear()
    {
        reports_.clear();
        level_->calls.clear();
    }
    void Advance(uint32_t ms) { fake_clock::gNow += ms; }
    // Advances, then one update.
    void Step(TLevelStall& s, uint32_t ms)
    {
        Advance(ms);
        s.Update();
    }
    std::vector<std::string> Sounds() const { return level_->CallsOf("sound "); }
    static std::string Short(const std::string& name)
    {
        return "sound game_logic_audio:audio/sound/game_logic/game_object/" + name;
    }

    std::unique_ptr<FakeLevel> level_;
    STradeStallDesc trade_;
    SAttrStallDesc attr_;
    SBonusStallDesc bonus_;
    std::vector<std::unique_ptr<TLevelStall>> stalls_;
    std::vector<std::string> reports_;
    std::vector<std::string> drawn_;
    std::vector<std::string> incomes_;
};
