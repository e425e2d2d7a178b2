// The player's mouse on the level: the click order, selection, dragging a
// new stall (the delay, the clamp, placing, cancelling and the stall deleted
// exactly once), buying slots, and a scripted play through a stall's life
// checked frame by frame. Slots are hit on a real picture: the slot group's
// hit picture is written into a private asset folder and loaded.
#include <gtest/gtest.h>

#include <functional>

#include "core/AssetManager.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/level/support/LevelFixture.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/ImageFixtures.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

// The slot's hit picture, 40 x 40 and opaque, in a loaded group.
class SlotPictures
{
public:
    SlotPictures()
    {
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        assets_.Put("images/game_logic/slot.png",
                    imagefx::PngFromArgb(40, 40, std::vector<uint32_t>(1600, 0xFF808080u)));
        assets_.Put("resources.lua", "game_logic_common = { 'images/game_logic/slot' }\n");
    }
    ~SlotPictures()
    {
        DestroySingletons();
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
    }
    bool Load()
    {
        if (!display_.Ready()) return false;
        TRes::GetInstance()->LoadGroupNow("game_logic_common");
        return true;
    }

private:
    ImageAssets assets_;
    TAssetManager manager_;
    ImageDisplay display_{800, 600};
};

class InputTest : public LevelFixture
{
protected:
    InputTest()
    {
        loaded_ = pictures_.Load();
        auto trade = std::make_unique<STradeStallDesc>();
        trade->id = 5;
        trade->money.build = {100, 200};
        trade->money.repair = {30, 40};
        trade->mana.build = {20, 200};
        trade->mana.repair = {5, 6};
        trade->workers.build = {2, 3};
        trade->workers.repair = {1, 1};
        trade->workers.sell = {1, 1};
        trade->profit = {50, 80};
        trade->goodSub = {1, 1};
        level_->AddDescription(std::move(trade));
        // The level starts with money, mana and workers of its own.
        Eco().SetMoney(1000);
        Eco().SetMana(500);
        Eco().SetWorkers(10, true);
        // Two slots: 0 for sale (5 mana, 2 workers), 1 free.
        level_->AddSlot(200, 200, 5, 2)->forSale = true;
        level_->AddSlot(400, 200, 0, 0)->free = true;
    }
    ~InputTest() override
    {
        // The level's pictures go before the display they were made on.
        level_.reset();
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }

    // A point on slot i's picture.
    TPoint OnSlot(int32_t i) const
    {
        const SSlot* s = const_cast<TGameLogic&>(*level_).GetSlot(i);
        return {s->x + 1, s->y + 1};
    }
    bool Click(TPoint p) { return level_->OnMouseDown(p.x, p.y); }
    FakeStall* Dragged() { return static_cast<FakeStall*>(level_->GetDraggedStall()); }

    SlotPictures pictures_;
    bool loaded_ = false;
};

TEST_F(InputTest, SlotsAreHitOnTheirPicture)
{
    EXPECT_TRUE(level_->GetSlot(0)->HitTest(OnSlot(0).x, OnSlot(0).y));
    EXPECT_FALSE(level_->GetSlot(0)->HitTest(OnSlot(0).x + 200, OnSlot(0).y + 200));
    level_->GetSlot(0)->forSale = false;
    EXPECT_FALSE(level_->GetSlot(0)->HitTest(OnSlot(0).x, OnSlot(0).y)) << "neither for sale, free nor bought";
}

TEST_F(InputTest, ClicksSelectMonstersStallsAndSlotsInThatOrder)
{
    // A slot for sale opens the land tab; a free one the shop.
    EXPECT_TRUE(Click(OnSlot(0)));
    EXPECT_EQ(level_->GetSelectedSlot(), 0);
    EXPECT_EQ(hud_->tab, 6);
    EXPECT_EQ(SoundCount("game_logic_audio:audio/sound/game_logic/select_slot"), 1u);
    EXPECT_TRUE(Click(OnSlot(1)));
    EXPECT_EQ(hud_->tab, 0);
    EXPECT_FALSE(level_->GetSlot(0)->selected);

    // A stall over the slot wins and drops the slot's selection.
    level_->AddGameObject(std::make_unique<FakeStall>(40, kStallTrade), 1, false);
    FakeStall& stall = static_cast<FakeStall&>(*level_->FindStall(40));
    EXPECT_TRUE(Click({stall.x, stall.y}));
    EXPECT_TRUE(stall.selected);
    EXPECT_EQ(level_->GetSelectedStallId(), 40);
    EXPECT_EQ(level_->GetSelectedSlot(), -1);
    EXPECT_EQ(hud_->tab, 5);

    // A monster taking the click wins over both.
    level_->SpawnMonster(SpawnEvent{});
    factory_->walkers.back()->clickable = true;
    EXPECT_TRUE(Click({stall.x, stall.y}));
    EXPECT_EQ(factory_->walkers.back()->clicks, 1);
    EXPECT_EQ(hud_->tab, 0);

    // Nothing there.
    factory_->walkers.back()->clickable = false;
    EXPECT_FALSE(Click({780, 20}));
    // The HUD first.
    hud_->hudTop = 450;
    EXPECT_TRUE(Click({stall.x, 500}));
    // The win swallows everything.
    level_->FinishLevel(true);
    EXPECT_TRUE(Click({780, 20}));
}

TEST_F(InputTest, ClicksDuringTheDragDelayAreSwallowed)
{
    level_->OnMouseMove(300, 300);
    level_->StartStallDrag(true, kStallTrade, 5, 7, 8);
    ASSERT_TRUE(level_->IsDragging());
    EXPECT_EQ(level_->GetDragValues(), TPoint(7, 8));
    FakeStall* stall = Dragged();
    ASSERT_NE(stall, nullptr);
    EXPECT_TRUE(stall->attentionShown);
    EXPECT_EQ(level_->GetDragPosition(), TPoint(300, 300));
    // The start counted one; three updates more end the delay.
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_TRUE(Click(OnSlot(1))) << i;
        EXPECT_TRUE(level_->IsDragging()) << i;
        EXPECT_EQ(level_->GetStallCount(), 0) << i;
        EXPECT_TRUE(level_->OnMouseUp(0, 0, 1)) << "a cancel is swallowed too";
        EXPECT_TRUE(level_->IsDragging());
        Frame();
    }
    EXPECT_FALSE(level_->IsDragDelayed());
    EXPECT_TRUE(Click(OnSlot(1)));
    EXPECT_FALSE(level_->IsDragging());
    ASSERT_EQ(level_->GetStallCount(), 1);
    EXPECT_EQ(level_->GetStallAt(0), stall);
    EXPECT_EQ(stall->slotIndex, 1);
    EXPECT_EQ(stall->reports, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}}));
    EXPECT_TRUE(stall->selected);
    EXPECT_EQ(hud_->tab, 5);
    EXPECT_FALSE(level_->GetSlot(1)->free);
}

TEST_F(InputTest, TheDragFollowsThePointerInsideTheFieldAndSnapsToFreeSlots)
{
    level_->StartStallDrag(true, kStallTrade, 5, 0, 0);
    Frame(4);
    struct Case
    {
        int32_t x, y, dragX, dragY;
    };
    const Case cases[] = {{5, 5, 80, 60}, {790, 590, 720, 460}, {300, 100, 300, 100}};
    for (const Case& c : cases)
    {
        level_->OnMouseMove(c.x, c.y);
        EXPECT_EQ(level_->GetDragPosition(), TPoint(c.dragX, c.dragY)) << c.x << "," << c.y;
        EXPECT_EQ(Dragged()->x, c.dragX);
        EXPECT_TRUE(Dragged()->attentionShown);
    }
    EXPECT_TRUE(level_->OnMouseMove(OnSlot(1).x, OnSlot(1).y));
    EXPECT_EQ(Dragged()->x, level_->GetSlot(1)->x);
    EXPECT_EQ(Dragged()->y, level_->GetSlot(1)->y);
    EXPECT_FALSE(Dragged()->attentionShown);
    // A slot for sale is no place to snap to.
    level_->OnMouseMove(OnSlot(0).x, OnSlot(0).y);
    EXPECT_TRUE(Dragged()->attentionShown);
}

TEST_F(InputTest, ACancelledStallIsDeletedExactlyOnce)
{
    struct Case
    {
        const char* name;
        std::function<void()> cancel;
    };
    const Case cases[] = {
        {"click elsewhere", [this] { Click({780, 20}); }},
        {"click on a slot for sale", [this] { Click(OnSlot(0)); }},
        {"other button", [this] { level_->OnMouseUp(0, 0, 1); }},
        {"cancel", [this] { level_->CancelStallDrag(); }},
        {"another stall bought", [this] { level_->BuyStall(kStallTrade, 5); }},
        {"level cleared", [this] { level_->ClearLevel(); }},
    };
    for (const Case& c : cases)
    {
        factory_->stallDeaths = 0;
        factory_->stalls.clear();
        level_->StartStallDrag(true, kStallTrade, 5, 0, 0);
        Frame(4);
        c.cancel();
        EXPECT_EQ(factory_->stallDeaths, 1) << c.name;
        EXPECT_FALSE(level_->IsDragging() && level_->GetDraggedStall() == factory_->stalls[0]) << c.name;
        // Nothing deletes it again: not a cancel nor a clear. Every stall made
        // goes exactly once.
        level_->CancelStallDrag();
        level_->ClearLevel();
        EXPECT_EQ(factory_->stallDeaths, static_cast<int32_t>(factory_->stalls.size())) << c.name;
        level_->BeginLevel(1, 0);
        auto trade = std::make_unique<STradeStallDesc>();
        trade->id = 5;
        level_->AddDescription(std::move(trade));
        level_->AddSlot(200, 200, 5, 2)->forSale = true;
        level_->AddSlot(400, 200, 0, 0)->free = true;
    }
}

TEST_F(InputTest, ASlotThatIsNotFreeGivesTheHintAndTheTutorialKeepsTheDrag)
{
    level_->StartStallDrag(true, kStallTrade, 5, 0, 0);
    Frame(4);
    helper_.tutorial = true;
    helper_.clickType = 5;
    EXPECT_TRUE(Click(OnSlot(0)));
    EXPECT_EQ(helper_.hints, std::vector<int32_t>{2});
    EXPECT_TRUE(level_->IsDragging()) << "a tutorial keeps the drag";
    // The tutorial's filter refuses: swallowed, nothing else.
    helper_.allows = false;
    EXPECT_TRUE(Click(OnSlot(1)));
    EXPECT_TRUE(level_->IsDragging());
    // Click types 0 to 2 go to the HUD only.
    helper_.allows = true;
    helper_.clickType = 1;
    EXPECT_TRUE(Click(OnSlot(1)));
    EXPECT_TRUE(level_->IsDragging());
    helper_.tutorial = false;
    EXPECT_TRUE(Click(OnSlot(0)));
    EXPECT_EQ(helper_.hints, (std::vector<int32_t>{2, 2}));
    EXPECT_FALSE(level_->IsDragging());
}

TEST_F(InputTest, AnIdTheKindLacksBuildsNothing)
{
    EXPECT_FALSE(level_->BuyStall(kStallTrade, -1));
    EXPECT_FALSE(level_->BuyStall(kStallBonus, 5));
    EXPECT_FALSE(level_->BuyStall(7, 5));
    EXPECT_FALSE(level_->IsDragging());
    EXPECT_TRUE(factory_->stalls.empty());
    level_->StartStallDrag(true, kStallTrade, 99, 0, 0);
    EXPECT_FALSE(level_->IsDragging());
}

// A whole stall's life, frame by frame: money, mana, free and total workers,
// income and target.
TEST_F(InputTest, ScriptedPlay)
{
    Economic& e = Eco();
    struct State
    {
        int32_t money, mana, free, total, income, target;
        bool operator==(const State&) const = default;
    };
    auto now = [&] {
        return State{e.GetMoney(), e.GetMana(), e.GetFreeWorkers(), e.GetWorkers(), e.GetIncome(),
                     e.GetIncomeTarget()};
    };
    auto show = [](const State& s) {
        return std::to_string(s.money) + " " + std::to_string(s.mana) + " " + std::to_string(s.free) + "/" +
               std::to_string(s.total) + " " + std::to_string(s.income) + "/" + std::to_string(s.target);
    };
#define EXPECT_STATE(...) EXPECT_EQ(show(now()), show(State{__VA_ARGS__}))

    // Buy slot 0: its mana and workers go now, the workers come back once.
    level_->BuySlot(0, false);
    EXPECT_STATE(1000, 495, 8, 10, 0, 0);
    int frames = 0;
    while (!level_->GetSlot(0)->free)
    {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 376) << "the first update after 6000 ms";
    EXPECT_STATE(1000, 495, 10, 10, 0, 0);
    EXPECT_EQ(level_->GetSlotsBought(), 1);
    Frame(10);
    EXPECT_STATE(1000, 495, 10, 10, 0, 0);

    // Drag a stall onto it and build.
    level_->StartStallDrag(true, kStallTrade, 5, 0, 0);
    Frame(3);
    EXPECT_TRUE(Click(OnSlot(0)));
    FakeStall* stall = factory_->stalls.back();
    EXPECT_STATE(900, 475, 8, 10, 0, 50);
    stall->Work(true);  // the build is done
    EXPECT_STATE(900, 475, 10, 10, 50, 50);
    EXPECT_TRUE(level_->GetSlot(0)->covered);

    // Payouts each interval of 1000 ms.
    const int32_t before = e.GetMoney();
    int paid = 0;
    for (int i = 0; i < 126; ++i)
    {
        const int32_t m = e.GetMoney();
        Frame();
        if (e.GetMoney() != m) ++paid;
    }
    EXPECT_EQ(paid, 2);
    EXPECT_EQ(e.GetMoney(), before + 100);

    // A full pause: nothing is paid.
    level_->Pause(true, false);
    const int32_t paused = e.GetMoney();
    Frame(300);
    EXPECT_EQ(e.GetMoney(), paused);
    level_->Pause(false, false);

    // Upgrade under two discount stalls (10 and 15): 200 mana costs 150.
    SBonusStallDesc ten, fifteen;
    ten.bonusType = fifteen.bonusType = 4;
    ten.bonus = {10};
    fifteen.bonus = {15};
    for (auto [id, desc] : {std::pair{80, &ten}, std::pair{81, &fifteen}})
    {
        auto b = std::make_unique<FakeStall>(id, kStallBonus);
        b->description = desc;
        b->area = {{stall->x, stall->y}};
        level_->AddGameObject(std::move(b), -1, false);
    }
    const State beforeUpgrade = now();
    stall->Upgrade(true);
    EXPECT_STATE(beforeUpgrade.money - 200, beforeUpgrade.mana - 150, 7, 10, 0, 80);
    stall->Work(true);
    EXPECT_STATE(beforeUpgrade.money - 200, beforeUpgrade.mana - 150, 10, 10, 80, 80);
    EXPECT_EQ(level_->GetCounters(kStallTrade)[0][kCountUpgraded], 1);

    // Break and repair.
    const State working = now();
    stall->Break(true, false);
    EXPECT_STATE(working.money, working.mana, 10, 10, 0, 80);
    stall->Repair(true);
    EXPECT_STATE(working.money - 40, working.mana - 6, 9, 10, 0, 80);
    stall->Work(true);
    EXPECT_STATE(working.money - 40, working.mana - 6, 10, 10, 80, 80);

    // A buyer refused: the income comes back.
    const State offered = now();
    stall->FindBuyer(true);
    EXPECT_EQ(e.GetIncome(), 0);
    stall->Report(kStateIdle);
    stall->buyerWaiting = true;
    stall->Work(true);
    EXPECT_EQ(now(), offered);

    // Sold: the offer is paid and the target drops.
    stall->offer = 700;
    stall->FindBuyer(true);
    stall->Report(kStateIdle);
    stall->buyerWaiting = true;
    stall->Sell(true);
    stall->Report(kStateIdle);
    EXPECT_STATE(offered.money + 700, offered.mana, 10, 10, 0, 0);
    // A locked stall reports nothing to the economy until it is bought back.
    stall->active = false;
    stall->Work(true);
    EXPECT_STATE(offered.money + 700, offered.mana, 10, 10, 0, 0);
    stall->price = 300;
    stall->Purchase(true);
    stall->active = true;
    stall->offerOn = false;
    stall->Work(true);
    EXPECT_STATE(offered.money + 400, offered.mana, 10, 10, 80, 80);

    // A crash: the target goes, the refund and workers come back at its end.
    stall->refund = 12;
    stall->goods = 3;
    const State crashing = now();
    stall->Crash(true);
    EXPECT_STATE(crashing.money, crashing.mana, 9, 10, 0, 0);
    stall->Report(kStateGone);
    EXPECT_STATE(crashing.money, crashing.mana + 12, 10, 10, 0, 0);
    EXPECT_EQ(level_->GetCounters(kStallTrade)[0][kCountCrashed], 1);

    // The win: no payout, no spawns (an income that would bring customers).
    e.AddIncomeSource(10, 999);
    level_->GetCustomerSettings() = {1, 100, {100}};
    const int32_t atWin = e.GetMoney();
    level_->FinishLevel(true);
    Frame(200);
    EXPECT_EQ(e.GetMoney(), atWin);
    EXPECT_EQ(level_->GetCustomerCount(), 0);
#undef EXPECT_STATE
}

}  // namespace
