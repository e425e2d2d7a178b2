// The HUD's read-outs and the shops: texts rebuilt only on change, the
// income indicator, the coverage and worker rows; the mana and worker
// purchases from press to completion, a second purchase refused, the rows
// disabled with their hints, and discounts that never make a price negative.
#include <gtest/gtest.h>

#include <string>

#include "game/app/MyAnimSprite.h"
#include "game/hud/support/HudScene.h"
#include "game/level/Economic.h"
#include "game/level/LevelRecords.h"
#include "graphics/TextGraphic.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

const char* const kPayMana = "game_logic_audio:audio/sound/game_logic/hud_pay_mana";
const char* const kPayWorker = "game_logic_audio:audio/sound/game_logic/hud_pay_worker";
const char* const kManaDone = "game_logic_audio:audio/sound/game_logic/hud_pay_mana_complete";
const char* const kWorkerDone = "game_logic_audio:audio/sound/game_logic/hud_pay_worker_complete";

std::string ReadOut(const char* name, const char* pattern, int x, int y)
{
    const std::string n = name;
    return n + "_pattern = \"" + pattern + "\", " + n + "_rect = { " + std::to_string(x) + ", " + std::to_string(y) +
           ", 120, 20 }, " + n + "_size = 14, " + n + "_font = \"fonts/default.mvec\", " + n +
           "_color = { 1, 1, 1, 1 }, " + n + "_color_dop = { 1, 0, 0, 1 },\n";
}

std::string ReadOutLayout()
{
    std::string layout = hudscene::Layout();
    const std::string anchor = "level_pattern = \"lvl\",";
    const size_t at = layout.find(anchor);
    std::string extra = "\n" + ReadOut("money", "%d", 100, 20) + ReadOut("profit", "%d", 100, 50) +
                        ReadOut("mana", "%d", 100, 80) + ReadOut("worker", "%d", 100, 110) +
                        ReadOut("worker_2", "%d", 160, 110) + ReadOut("worker_dop", "/", 130, 110) +
                        ReadOut("good", "%d", 100, 140) + ReadOut("fun_customer", "%d", 300, 20) +
                        ReadOut("fun_customer_2", "%d", 360, 20) + ReadOut("fun_customer_dop", "/", 330, 20) +
                        "fun_customer_x = 400,\n";
    layout.insert(at + anchor.size(), extra);
    return layout;
}

class HudPurchaseTest : public HudFixture
{
protected:
    HudPurchaseTest()
    {
        hudscene::PutPictures(*this);
        PutPicture("images/game_logic/hud/ico/worker_0", 40, 40, TRect(0, 0, 40, 40));
        PutPicture("images/game_logic/hud/ico/worker_d_0", 40, 40, TRect(0, 0, 40, 40));
        PutLayout(ReadOutLayout());
        PutStrings({{"lvl", "Level %%d"}});
        loaded_ = LoadPictures();
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }
    HUD& StartWith(int32_t money)
    {
        HUD& hud = Start(1);
        level_->GetEconomic().SetMoney(money);
        hud.Update();
        return hud;
    }
    static std::string Shown(const HudText& t) { return t.graphic ? t.graphic->GetText().CStr() : "<none>"; }
    // A working bonus stall of that bonus type and amount.
    void AddDiscountStall(int32_t id, int32_t type, int32_t amount)
    {
        auto desc = std::make_unique<SBonusStallDesc>();
        desc->bonusType = type;
        desc->bonus = {amount};
        auto b = std::make_unique<FakeStall>(id, kStallBonus);
        b->description = desc.get();
        b->state = kStateWorking;
        level_->AddGameObject(std::move(b), -1, false);
        descs_.push_back(std::move(desc));
    }

    bool loaded_ = false;
    std::vector<std::unique_ptr<SBonusStallDesc>> descs_;
};

TEST_F(HudPurchaseTest, AReadOutIsRebuiltOnlyWhenItsValueChanges)
{
    HUD& hud = StartWith(1234);
    HudText& money = hud.GetReadOut(HUD::kMoney);
    ASSERT_NE(money.graphic, nullptr);
    EXPECT_NE(Shown(money).find("1,234"), std::string::npos) << Shown(money);
    EXPECT_EQ(money.value, 1234);
    const int moneyLayouts = money.graphic->GetLayoutCount();
    const int goodLayouts = hud.GetReadOut(HUD::kGood).graphic->GetLayoutCount();
    const int manaLayouts = hud.GetReadOut(HUD::kMana).graphic->GetLayoutCount();
    hud.Update();
    hud.Update();
    EXPECT_EQ(money.graphic->GetLayoutCount(), moneyLayouts) << "unchanged: not rebuilt";
    EXPECT_EQ(hud.GetReadOut(HUD::kGood).graphic->GetLayoutCount(), goodLayouts);
    EXPECT_EQ(hud.GetReadOut(HUD::kMana).graphic->GetLayoutCount(), manaLayouts);
    level_->GetEconomic().AddMana(30);
    hud.Update();
    EXPECT_EQ(Shown(hud.GetReadOut(HUD::kMana)), "30");
    level_->GetEconomic().AddMoney(1);
    hud.Update();
    EXPECT_GT(money.graphic->GetLayoutCount(), moneyLayouts);
    EXPECT_NE(Shown(money).find("1,235"), std::string::npos) << Shown(money);
    // The icon's room is kept inside the text as leading spaces.
    EXPECT_EQ(Shown(money).rfind(' '), Shown(money).find("1,235") - 1);
    level_->SetGoodsSold(7);
    hud.Update();
    EXPECT_NE(Shown(hud.GetReadOut(HUD::kGood)).find('7'), std::string::npos);
}

TEST_F(HudPurchaseTest, CoverageUsedUpShowsZeroAndTheWorkerRowFollowsItsTexts)
{
    HUD& hud = StartWith(0);
    EXPECT_EQ(Shown(hud.GetReadOut(HUD::kFunCustomer)), "0");
    EXPECT_EQ(Shown(hud.GetReadOut(HUD::kFunCustomer2)), "0");
    level_->GetEconomic().SetWorkers(12, true);
    level_->GetEconomic().SubFreeWorkers(5);
    hud.Update();
    const HudText& freeW = hud.GetReadOut(HUD::kWorker);
    const HudText& dop = hud.GetReadOut(HUD::kWorkerDop);
    const HudText& all = hud.GetReadOut(HUD::kWorker2);
    EXPECT_EQ(Shown(freeW), "7");
    EXPECT_EQ(Shown(all), "12");
    EXPECT_EQ(dop.rect.left, freeW.rect.left + freeW.MeasuredWidth() - 1);
    EXPECT_EQ(all.rect.left, dop.rect.left + dop.MeasuredWidth() - 2);
}

TEST_F(HudPurchaseTest, TheIncomeIndicatorShowsOnlyWhileAnEarningStallIsNotBeingBuilt)
{
    HUD& hud = StartWith(0);
    ASSERT_FALSE(hud.GetIndicators().empty());
    TMyAnimSprite& indicator = *hud.GetIndicators()[0];
    Economic& e = level_->GetEconomic();
    // Income exactly at its target (both 0): hidden.
    EXPECT_FALSE(indicator.visible);
    auto stall = std::make_unique<FakeStall>(40, kStallTrade);
    FakeStall* s = stall.get();
    s->state = kStateBuilding;
    level_->AddGameObject(std::move(stall), -1, false);
    e.AddIncomeSource(50, 40);
    e.RemoveIncomeSource(50, 40);
    e.AddIncomeTarget(100);
    hud.Update();
    EXPECT_FALSE(indicator.visible) << "no earning stall";
    e.AddIncomeSource(10, 40);
    hud.Update();
    EXPECT_FALSE(indicator.visible) << "its only stall is being built";
    s->state = kStateWorking;
    e.AddIncomeSource(20, 41);  // a change of the compared value
    hud.Update();
    EXPECT_TRUE(indicator.visible);
    e.SubIncomeTarget(100);
    e.AddIncomeTarget(30);
    hud.Update();
    EXPECT_FALSE(indicator.visible) << "at its target";
}

TEST_F(HudPurchaseTest, AManaPurchaseFromPressToCompletion)
{
    HUD& hud = StartWith(5000);
    level_->GetGameInfo().shopMana = 3000;
    const int32_t mana = level_->GetEconomic().GetMana();
    // Press and release on button 1 (price 2000, 250 mana).
    EXPECT_TRUE(hud.OnMouseDown(360, 560));
    EXPECT_TRUE(hud.OnMouseUp(360, 560));
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 3000);
    EXPECT_EQ(Sounds(kPayMana), 1u);
    EXPECT_EQ(hud.GetPurchase(0).item, 1);
    // A second press before the refresh is refused: nothing paid or lost.
    hud.OnManaButton(0);
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 3000);
    EXPECT_EQ(hud.GetPurchase(0).item, 1);
    Advance(1500);
    hud.Update();
    EXPECT_FLOAT_EQ(hud.GetButtons()[1]->GetProgress(), 0.5f);
    for (const auto& b : hud.GetButtons()) EXPECT_EQ(b->GetState(), HudButton::kDisabled);
    EXPECT_EQ(hud.GetButtons()[0]->GetHintId(), 9);
    EXPECT_EQ(hud.GetButtons()[2]->GetHintId(), 9);
    Advance(1499);
    hud.Update();
    EXPECT_EQ(level_->GetEconomic().GetMana(), mana);
    Advance(1);
    hud.Update();
    EXPECT_EQ(level_->GetEconomic().GetMana(), mana + 250);
    EXPECT_EQ(hud.GetPurchase(0).item, -1);
    EXPECT_FLOAT_EQ(hud.GetButtons()[1]->GetProgress(), 0.0f);
    hud.Update();
    Advance(5000);
    hud.Update();
    EXPECT_EQ(Sounds(kManaDone), 1u) << "completed once";
    EXPECT_EQ(level_->GetEconomic().GetMana(), mana + 250);
    // 3000 left: items 0 and 1 again, item 2 (4000) disabled with hint 0.
    EXPECT_NE(hud.GetButtons()[0]->GetState(), HudButton::kDisabled);
    EXPECT_NE(hud.GetButtons()[1]->GetState(), HudButton::kDisabled);
    EXPECT_EQ(hud.GetButtons()[2]->GetState(), HudButton::kDisabled);
    EXPECT_EQ(hud.GetButtons()[2]->GetHintId(), 0);
    // The money below the cost: the callback does nothing.
    hud.OnManaButton(2);
    EXPECT_EQ(hud.GetPurchase(0).item, -1);
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 3000);
}

TEST_F(HudPurchaseTest, AWorkerPurchaseCompletesWhateverTabIsOpen)
{
    HUD& hud = StartWith(600);
    level_->GetGameInfo().shopMagic = 1000;
    level_->GetEconomic().SetWorkers(3, true);
    hud.SelectTab(1, false);
    ASSERT_EQ(hud.GetButtons().size(), 1u);
    hud.OnWorkerButton(0);
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 100);
    EXPECT_EQ(Sounds(kPayWorker), 1u);
    Advance(16);
    hud.Update();
    EXPECT_EQ(hud.GetButtons()[0]->GetState(), HudButton::kDisabled);
    hud.OnWorkerButton(0);
    EXPECT_EQ(level_->GetEconomic().GetMoney(), 100) << "refused while one runs";
    hud.SelectTab(0, false);
    Advance(984);
    hud.Update();
    EXPECT_EQ(level_->GetEconomic().GetWorkers(), 4);
    EXPECT_EQ(level_->GetEconomic().GetFreeWorkers(), 4);
    EXPECT_EQ(Sounds(kWorkerDone), 1u);
    // Every mana item is too dear now.
    for (const auto& b : hud.GetButtons()) EXPECT_EQ(b->GetHintId(), 0);
}

TEST_F(HudPurchaseTest, DiscountsLowerPricesButNeverBelowZero)
{
    struct Case
    {
        int32_t discount;
        int32_t cost1;  // item 1, price 2000
    };
    for (const Case& c : {Case{0, 2000}, Case{15, 1700}, Case{99, 20}, Case{100, 0}, Case{150, 0}})
    {
        HUD& hud = StartWith(1000);
        if (c.discount != 0) AddDiscountStall(90, 2, c.discount);
        EXPECT_EQ(hud.ShopCost(true, 1), c.cost1) << c.discount;
        EXPECT_EQ(hud.ShopCost(false, 0), 500) << "the worker shop has its own discount type";
        hud.Update();
        EXPECT_EQ(hud.GetButtons()[1]->GetCostAmount(0), c.cost1) << c.discount;
        if (c.cost1 <= 1000)
        {
            hud.OnManaButton(1);
            EXPECT_EQ(level_->GetEconomic().GetMoney(), 1000 - c.cost1) << "never adds money";
        }
    }
    HUD& hud = StartWith(1000);
    EXPECT_EQ(hud.ShopCost(true, 3), 0) << "no such item";
    EXPECT_EQ(hud.ShopCost(true, -1), 0);
}

}  // namespace

namespace
{

class HudDraftTest : public HudPurchaseTest
{
protected:
    HudDraftTest()
    {
        // Three alternative labels after the five tab labels.
        std::string layout = ReadOutLayout();
        const std::string last = "{ 5, \"\", { 445, 500, 90, 30 }, { 1, 1, 1, 1 }, 14, \"fonts/default.mvec\" },";
        const size_t at = layout.find(last);
        std::string alts;
        for (int x : {245, 345, 445})
            alts += "\n    { 5, \"\", { " + std::to_string(x) + ", 500, 90, 30 }, { 1, 1, 1, 1 }, 14, \"fonts/default.mvec\" },";
        layout.insert(at + last.size(), alts);
        PutLayout(layout);
    }
    // A level whose kinds 0 and 1 each offer one draft.
    HUD& StartWithDrafts()
    {
        HUD& hud = StartWith(10000);
        for (int32_t kind : {0, 1})
        {
            auto desc = std::make_unique<SStallDesc>();
            desc->kind = kind;
            desc->draft = true;
            desc->draftAccess = true;
            desc->draftCost = 100;
            level_->AddDescription(std::move(desc));
        }
        level_->GetGameInfo().shopDraft = 500;
        return hud;
    }
    bool LabelShown(HUD& hud, size_t i) const { return hud.GetTabTexts()[i]->visible; }
};

TEST_F(HudDraftTest, TwoPaidDraftsBlinkUntilTheirTabIsOpened)
{
    HUD& hud = StartWithDrafts();
    ASSERT_EQ(hud.GetTabTexts().size(), 8u);
    EXPECT_FALSE(hud.IsDraftBlinkRunning());
    for (int32_t kind : {0, 1})
    {
        hud.Pay(2, 0, kind);
        Advance(500);
        hud.Update();
        EXPECT_FALSE(level_->GetDescriptions(kind)[0]->draft) << kind;
        EXPECT_EQ(hud.GetPurchase(2).item, -1);
    }
    EXPECT_EQ(Sounds("game_logic_audio:audio/sound/game_logic/hud_pay_scroll"), 2u);
    EXPECT_TRUE(hud.IsDraftBlinkRunning());
    EXPECT_TRUE(hud.IsNewDraft(0));
    EXPECT_TRUE(hud.IsNewDraft(1));
    EXPECT_FALSE(hud.IsNewDraft(2));
    // Every blink interval the flagged labels swap with their alternatives.
    bool swapped = false;
    for (int i = 0; i < 3; ++i)
    {
        Advance(1000);
        hud.Update();
        EXPECT_EQ(LabelShown(hud, 2), !LabelShown(hud, 5));
        EXPECT_EQ(LabelShown(hud, 3), LabelShown(hud, 2));
        swapped = swapped || !LabelShown(hud, 2);
        EXPECT_TRUE(LabelShown(hud, 4)) << "kind 2 has no new draft";
        EXPECT_FALSE(LabelShown(hud, 7));
    }
    EXPECT_TRUE(swapped);
    // Opening the first build tab stops its blink only.
    hud.SelectTab(2, false);
    EXPECT_FALSE(hud.IsNewDraft(0));
    EXPECT_TRUE(hud.IsDraftBlinkRunning());
    for (int i = 0; i < 3; ++i)
    {
        Advance(1000);
        hud.Update();
        EXPECT_TRUE(LabelShown(hud, 2));
        EXPECT_FALSE(LabelShown(hud, 5));
        swapped = swapped && LabelShown(hud, 3);
    }
    EXPECT_FALSE(swapped) << "the other label still blinks";
    hud.SelectTab(3, false);
    EXPECT_FALSE(hud.IsDraftBlinkRunning());
    EXPECT_TRUE(LabelShown(hud, 3));
    EXPECT_FALSE(LabelShown(hud, 6));
}

TEST_F(HudDraftTest, DraftCountersAtLevelStartAndAPurchaseOfAnEntryThatIsGone)
{
    HUD& hud = StartWithDrafts();
    hud.InitDraftCounters();
    EXPECT_TRUE(hud.IsDraftBlinkRunning());
    EXPECT_TRUE(hud.IsNewDraft(0));
    EXPECT_TRUE(hud.IsNewDraft(1));
    EXPECT_FALSE(LabelShown(hud, 5));
    // An entry the list lacks ends its purchase and changes nothing.
    hud.Pay(2, 7, 2);
    Advance(500);
    hud.Update();
    EXPECT_EQ(hud.GetPurchase(2).item, -1);
    EXPECT_FALSE(hud.IsNewDraft(2));
}

}  // namespace
