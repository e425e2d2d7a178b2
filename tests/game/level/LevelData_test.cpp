// The level data loaders over small scripts the tests write: the info
// script's defaults and shapes, the descriptions and their order, the level
// info, the layout and the resource groups, each loader's missing tables,
// and the mended faults (a zero spread, a stall beyond the use list, a
// stall that was not made, an empty Resources, a huge "n", empty labels).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/level/support/LevelDataFixture.h"

namespace
{

const char kInfo[] = "scripts/game_logic/game_logic_info.lua";

// A game info script whose order lists are the identity for ids 0 to 9.
const char kPlainInfo[] =
    "gMain = { attr_stall = {0,1,2,3,4,5,6,7,8,9}, trade_stall = {0,1,2,3,4,5,6,7,8,9},\n"
    "  bonus_stall = {0,1,2,3,4,5,6,7,8,9}, protect_stall = {} }\n"
    "gGameObjectCommon = {}\ngLuckyBubble = {}\ngGameOverText = { draw_rect = {}, time_flag = {} }\n"
    "gMonsterMana = {}\n";

// A description of the kind ("stall", "attr", "bonus") with id and extra tables.
std::string Description(int id, const std::string& extra = "", const std::string& build = "{10, 20}")
{
    return "Main = { id = " + std::to_string(id) +
           " }\nSprite = { ground = {}, image = {}, anim = {}, particle = {} }\nTime = {}\n"
           "Money = { build = " + build + ", profit = {1,2}, repair = {1,2}, sell = {1,2}, pay = {1,2} }\n"
           "Mana = { build = {1,2}, repair = {1,2}, sell = {1,2} }\nWorker = { build = {1,2}, repair = {1,2}, sell = {1,2} }\n"
           "Good = { store = {1,2}, sub = {1,2}, limit = {1,2}, cost = {1,2} }\nFunCustomer = { cnt = {1,2} }\n"
           "Bonus = { bonus = {1,2}, bonus_name = {} }\n" + extra;
}

const char kEmptyLayout[] = "Entry = { customer = {}, monster = {} }\nLandElement = {}\nSlot = {}\nResources = {}\n";

class LevelDataTest : public LevelDataFixture
{
protected:
    // Level n from its info and layout texts, over the plain game info.
    void PutLevel(int n, const std::string& info, const std::string& layout = kEmptyLayout)
    {
        PutAsset("scripts/levels/level_" + std::to_string(n) + "_info.lua", info);
        PutAsset("scripts/levels/level_" + std::to_string(n) + "_gr.lua", layout);
    }
    void PutPlain() { PutAsset(kInfo, kPlainInfo); }
};

// --- The game's info script ---

TEST_F(LevelDataTest, AnEmptyMainGivesEveryDefault)
{
    PutAsset(kInfo, "gMain = { attr_stall = {}, trade_stall = {}, bonus_stall = {}, protect_stall = {},\n"
                    "  fest_salute_rect = {}, fest_clock_place = {}, object_color = {} }\n"
                    "gGameObjectCommon = {}\ngLuckyBubble = {}\ngGameOverText = { draw_rect = {}, time_flag = {} }\n");
    Make();
    const TGameLogic::SGameInfo& info = level_->GetGameInfo();
    EXPECT_EQ(info.timeTact, 1000);
    EXPECT_EQ(info.gofTime, 5000);
    EXPECT_EQ(info.gotTact, 100);
    EXPECT_EQ(info.gofAddRadius, 3);
    EXPECT_FLOAT_EQ(info.gofAddAngle, 0.02f);
    EXPECT_EQ(info.gofEmiterCnt, 4);
    EXPECT_EQ(info.gofElementTime, 50);
    EXPECT_EQ(info.shopMana, 3000);
    EXPECT_EQ(info.shopMagic, 3000);
    EXPECT_EQ(info.shopDraft, 3000);
    EXPECT_EQ(level_->GetCommon().festSaluteTime, 600);
    EXPECT_EQ(level_->GetCommon().festSaluteRandTime, 300);
    EXPECT_TRUE(info.tradeOrder.empty());
    // An absent label is stored empty, never looked up.
    EXPECT_TRUE(level_->GetGameOverCaption().pattern.IsEmpty());
    EXPECT_EQ(Log().find("#####"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("gMain"), std::string::npos) << Log();
}

TEST_F(LevelDataTest, PointListsKeepTheirShapes)
{
    PutAsset(kInfo, "gMain = { time_tact = 250.9, gof_time = -7.9, attr_stall = {}, trade_stall = {},\n"
                    "  bonus_stall = {}, protect_stall = {}, fest_salute_rect = {1,2,3,4},\n"
                    "  fest_clock_place = {5,6}, object_color = {0.5, 0.25} }\n"
                    "gGameObjectCommon = { PassCnt = 2, right_entry = {3, 4}, left_entry = {-3},\n"
                    "  star_place = {1, 2, 3, 4, 5},\n"
                    "  right_house_in = { {1,2, 3,4}, {5,6}, {7} }, locat = {9, 8} }\n"
                    "gLuckyBubble = { text_color = {1, 0, 0, 1} }\n"
                    "gGameOverText = { draw_rect = {10, 20, 30, 40}, time_flag = {5, 6} }\n");
    Make();
    const TGameLogic::SGameInfo& info = level_->GetGameInfo();
    EXPECT_EQ(info.timeTact, 250);  // truncated
    EXPECT_EQ(info.gofTime, -7);
    EXPECT_FLOAT_EQ(info.objectColor.x, 0.5f);
    EXPECT_FLOAT_EQ(info.objectColor.z, 0.0f);
    const SGameObjectCommon& common = level_->GetCommon();
    EXPECT_EQ(common.festSaluteRect, (std::array<int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(common.festClockPlace, TPoint(5, 6));
    EXPECT_EQ(common.rightEntry, TPoint(3, 4));
    EXPECT_EQ(common.leftEntry, TPoint(-3, 0));
    // An odd flat list: the last point's y is 0.
    EXPECT_EQ(common.starPlaces, (std::vector<TPoint>{{1, 2}, {3, 4}, {5, 0}}));
    // Three paths, each its own list.
    const auto& paths = common.paths[SGameObjectCommon::kRightHouseIn];
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], (std::vector<TPoint>{{1, 2}, {3, 4}}));
    EXPECT_EQ(paths[1], (std::vector<TPoint>{{5, 6}}));
    EXPECT_EQ(paths[2], (std::vector<TPoint>{{7, 0}}));
    EXPECT_EQ(common.locat, (std::vector<int32_t>{9, 8}));
    EXPECT_FLOAT_EQ(common.luckyBubble.textColor.x, 1.0f);
    EXPECT_EQ(level_->GetGameOverCaption().drawRect, (std::array<int32_t, 4>{10, 20, 30, 40}));
    EXPECT_EQ(level_->GetTimeFlags(), (std::vector<int32_t>{5, 6}));
}

TEST_F(LevelDataTest, MissingTablesAndArraysAreLoggedAndKeepDefaults)
{
    struct Case
    {
        const char* what;
        const char* script;
        const char* logged;
    };
    const Case cases[] = {
        {"no gMain", "gGameObjectCommon = {}\ngLuckyBubble = {}\ngGameOverText = { draw_rect = {}, time_flag = {} }\n",
         "no table gMain"},
        {"no common", "gMain = { attr_stall = {}, trade_stall = {}, bonus_stall = {}, protect_stall = {},"
                      " fest_salute_rect = {}, fest_clock_place = {} }\ngLuckyBubble = {}\n"
                      "gGameOverText = { draw_rect = {}, time_flag = {} }\n",
         "no table gGameObjectCommon"},
        {"no order list", "gMain = { attr_stall = {}, bonus_stall = {}, protect_stall = {}, fest_salute_rect = {},"
                          " fest_clock_place = {} }\ngGameObjectCommon = {}\ngLuckyBubble = {}\n"
                          "gGameOverText = { draw_rect = {}, time_flag = {} }\n",
         "no list gMain.trade_stall"},
        {"no time flags", "gMain = {}\ngGameObjectCommon = {}\ngLuckyBubble = {}\ngGameOverText = { draw_rect = {} }\n",
         "no list gGameOverText.time_flag"},
        {"does not run", "gMain = {", "did not run"},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        // A file name of its own: the compiled script is not taken for another.
        PutAsset(kInfo, std::string(c.script) + std::string(static_cast<size_t>(++n), '\n'));
        const int before = LogCount(c.logged);
        Make();
        EXPECT_EQ(LogCount(c.logged), before + 1) << c.what << "\n" << Log();
        EXPECT_EQ(level_->GetGameInfo().timeTact, 1000) << c.what;
        EXPECT_TRUE(level_->GetGameInfo().tradeOrder.empty()) << c.what;
    }
}

// --- Descriptions ---

TEST_F(LevelDataTest, DescriptionsTakeTheirOfferingOrder)
{
    // Trade order 5, 3, 0; files 0 (id 3), 1 (id 7, unlisted), 2 (id 5), 3 (id 3 again).
    PutAsset(kInfo, "gMain = { attr_stall = {}, trade_stall = {5, 3, 0}, bonus_stall = {}, protect_stall = {} }\n"
                    "gGameObjectCommon = {}\ngLuckyBubble = {}\ngGameOverText = { draw_rect = {}, time_flag = {} }\n"
                    "gMonsterMana = {}\n");
    for (const auto& [file, id] : std::vector<std::pair<int, int>>{{0, 3}, {1, 7}, {2, 5}, {3, 3}})
        PutAsset("scripts/game_logic/stall/stall_" + std::to_string(file) + ".lua",
                 Description(id, "Main.trade_type = " + std::to_string(10 + file) + "\n"));
    PutLevel(1, "Trade = {{},{},{},{}}\nBonus = {}\nAttr = {}\n"
                "Main = { task = { {5, 1, 1, 3, \"1-0\"}, {11, 1, 1, 5, 0, \"1-1\"}, {9, 1, 1, 5, \"1-2\"},"
                " {7, 1, 0, 5, \"1-3\"} } }\nMonsters = {}\nCustomer = { prob = {} }\n");
    Start(1);
    const auto& trade = level_->GetDescriptions(kStallTrade);
    ASSERT_EQ(trade.size(), 4u);
    // The unlisted one first (-1), then 5 (index 0), then the two 3s in file order.
    std::vector<std::pair<int32_t, int32_t>> got;
    for (const auto& d : trade) got.emplace_back(d->id, static_cast<const STradeStallDesc&>(*d).tradeType);
    EXPECT_EQ(got, (std::vector<std::pair<int32_t, int32_t>>{{-1, 11}, {0, 12}, {1, 10}, {1, 13}}));
    // Kinds 5 and 11 name a trade stall: rewritten; kind 9 is no stall
    // condition; kind 7 names an attraction the empty list lacks.
    ASSERT_EQ(hud_->conditions.size(), 4u);
    EXPECT_EQ(hud_->conditions[0].b, 1);
    EXPECT_EQ(hud_->conditions[1].b, 0);
    EXPECT_EQ(hud_->conditions[2].b, 5);
    EXPECT_EQ(hud_->conditions[3].b, -1);
}

TEST_F(LevelDataTest, PerLevelListsFollowTheBuildCount)
{
    PutPlain();
    PutAsset("scripts/game_logic/bonus/bonus_0.lua",
             Description(0,
                         "Bonus = { [\"local\"] = 1, type = 4, bonus_pattern = \"%d%%\", bonus = {7},"
                         " bonus_name = {\"\", \"plain\", \"a:b:c\"} }\n"
                         "Mana = { build = {1,2,3,4,5}, repair = {1,2,3}, sell = {1,2,3} }\n"
                         "Lucky = { build = {4,5,6} }\n",
                         "{10, 20, 30}"));
    PutAsset("scripts/game_logic/attr/attr_0.lua", Description(0));
    PutAsset("scripts/game_logic/attr/attr_2.lua", Description(2));
    PutStrings({{"plain", "No colon"}, {"a:b:c", "Name:value:more"}});
    PutLevel(1, "Trade = {}\nBonus = {{}}\nAttr = {{}, {is_draft = 1}, {}}\nMain = { task = {} }\n"
                "Monsters = {}\nCustomer = { prob = {} }\n");
    Start(1);
    const auto& bonus = static_cast<const SBonusStallDesc&>(*level_->GetDescriptions(kStallBonus)[0]);
    EXPECT_EQ(bonus.levelCount, 3);
    EXPECT_EQ(bonus.mana.build, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(bonus.workers.build, (std::vector<int32_t>{1, 2, 0}));
    EXPECT_EQ(bonus.bonus, (std::vector<int32_t>{7, 0, 0}));
    EXPECT_EQ(bonus.lucky, (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(bonus.good, (std::vector<int32_t>{0, 0, 0}));  // a Good table without build
    EXPECT_TRUE(bonus.local);
    EXPECT_EQ(bonus.bonusType, 4);
    EXPECT_EQ(bonus.bonusPattern, TString("%d%%"));
    const std::vector<TString> names = {"", "No colon", "Name"};
    const std::vector<TString> values = {"", "No colon", "value:more"};
    EXPECT_EQ(bonus.bonusName, names);
    EXPECT_EQ(bonus.bonusValueName, values);
    // The unused attraction keeps its place with id 1 and a zeroed counter.
    const auto& attr = level_->GetDescriptions(kStallAttraction);
    ASSERT_EQ(attr.size(), 3u);
    EXPECT_EQ(attr[1]->id, 1);
    EXPECT_EQ(attr[1]->levelCount, 0);
    ASSERT_EQ(level_->GetCounters(kStallAttraction).size(), 3u);
    EXPECT_EQ(level_->GetCounters(kStallAttraction)[1], SStallCounters{});
    EXPECT_EQ(level_->GetStallUse(kStallAttraction), (std::vector<int32_t>{1, 0, 1}));
}

TEST_F(LevelDataTest, ADescriptionMissingItsTablesIsLoggedAndZero)
{
    PutPlain();
    PutAsset("scripts/game_logic/stall/stall_0.lua", "Main = { id = 0 }\nMoney = { build = {1, 2} }\n");
    PutLevel(1, "Trade = {{}}\nBonus = {}\nAttr = {}\nMain = { task = {} }\nMonsters = {}\nCustomer = { prob = {} }\n");
    Start(1);
    const auto& desc = static_cast<const STradeStallDesc&>(*level_->GetDescriptions(kStallTrade)[0]);
    EXPECT_EQ(desc.levelCount, 2);
    EXPECT_EQ(desc.money.repair, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(desc.goodStore, (std::vector<int32_t>{0, 0}));
    for (const char* table : {"Sprite", "Time", "Mana", "Worker", "Good"})
        EXPECT_EQ(LogCount(std::string("stall_0.lua: no table ") + table), 1) << table;
    EXPECT_EQ(LogCount("no list Money.repair; read as zeros"), 1);
}

// --- The level info ---

TEST_F(LevelDataTest, LevelInfoReadsItsTables)
{
    PutPlain();
    PutAsset("scripts/game_logic/bonus/bonus_0.lua", Description(0));
    PutLevel(1, "Trade = {}\nBonus = {{ is_draft = 1, time_pay = 7 }}\nAttr = {}\n"
                "Main = { task = { {1, 5}, {1, 5, \"1-0\"}, {2, 6, 3, \"1-1\"}, {3, 7, 3, 4, 5, \"1-2\"},"
                " {1, 2, 3, 4, 5, 6, \"1-3\"}, 17 } }\n"
                "Monsters = { {4, 1000, 0}, {4, 2000, -5, 1, 2, 3, 4, 5, 6}, {2} }\n"
                "Customer = { time = 2500, prob = {5, 0, 3} }\n");
    Start(1);
    // No time keys: 0:00 twice.
    EXPECT_EQ(hud_->calls[0], "clock 0:0");
    EXPECT_EQ(hud_->calls[1], "expert 0:0");
    const std::vector<FakeHud::SCondition> tasks = {
        {1, 5, "1-0", -1, -1, -1}, {2, 6, "1-1", 3, -1, -1}, {3, 7, "1-2", 3, 4, 5}};
    EXPECT_EQ(hud_->conditions, tasks);  // lengths 2 and 7 (and no table) add nothing
    EXPECT_EQ(level_->GetLandWorker(), 1);
    EXPECT_EQ(level_->GetLandMana(), 100);
    // A spread of 0 or less adds nothing; the defaults fill the rest.
    const std::vector<SpawnEvent> waves = {{1000, 30000, 4, 0, 100, 100, 20, 5000},
                                           {2000, 6, 4, 1, 2, 3, 4, 5},
                                           {0, 30000, 2, 0, 100, 100, 20, 5000}};
    EXPECT_EQ(level_->GetSpawnQueue(), waves);
    EXPECT_EQ(level_->GetCustomerSettings().interval, 2500);
    EXPECT_EQ(level_->GetCustomerSettings().price, 0);
    EXPECT_EQ(level_->GetCustomerSettings().weights, (std::vector<int32_t>{5, 0, 3}));
    // The customer check comes due at the interval, not before.
    EXPECT_EQ(factory_->walkers.size(), 0u);
    // Story absent: the record keeps its values.
    EXPECT_TRUE(level_->GetStory().startText.IsEmpty());
    const auto& bonus = static_cast<const SBonusStallDesc&>(*level_->GetDescriptions(kStallBonus)[0]);
    EXPECT_TRUE(bonus.draft);
    EXPECT_FALSE(bonus.draftAccess);
    EXPECT_EQ(bonus.time.offer, 7);
    EXPECT_EQ(bonus.time.offerRand, 5000);
    EXPECT_EQ(bonus.festWait, 500000);
    EXPECT_EQ(bonus.festDurationRand, 10);
    // The groups: the draft without access is not loaded; waves of one type once.
    const std::vector<std::string> all = Groups();
    ASSERT_GE(all.size(), 8u);
    const std::vector<std::string> tail(all.begin() + 8, all.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"customer_0", "customer_2", "monster_4", "monster_2", "employee_0",
                                              "employee_1", "employee_2", "employee_3"}));
    EXPECT_EQ(level_->GetStallUse(kStallBonus), (std::vector<int32_t>{0}));
}

TEST_F(LevelDataTest, EachLevelTableMissingIsLoggedAndSkipped)
{
    PutPlain();
    const char* const tables[] = {"Trade", "Bonus", "Attr", "Main", "Monsters", "Customer"};
    int n = 10;
    for (const char* missing : tables)
    {
        std::string info;
        for (const char* t : tables)
            if (std::string(t) != missing)
                info += std::string(t) + (std::string(t) == "Main" ? " = { task = {} }\n"
                                          : std::string(t) == "Customer" ? " = { prob = {} }\n" : " = {}\n");
        PutLevel(++n, info);
        const std::string line = "level_" + std::to_string(n) + "_info.lua: no table " + missing;
        Start(n);
        // Once by the resource listing (when it reads the table), once by the load.
        const int expected = std::string(missing) == "Main" ? 1 : 2;
        EXPECT_EQ(LogCount(line), expected) << missing << "\n" << Log();
        EXPECT_EQ(level_->GetSlotCount(), 0) << missing;
    }
    // Restoring reads no waves: a missing Monsters table is no fault then.
    PutLevel(30, "Trade = {}\nBonus = {}\nAttr = {}\nMain = { task = {} }\nCustomer = { prob = {} }\n");
    Start(30, true);
    EXPECT_EQ(LogCount("level_30_info.lua: no table Monsters"), 1);
    // A level without files: logged, an empty level.
    Start(31);
    EXPECT_EQ(LogCount("level_31_info.lua: not found or did not run"), 2);
    EXPECT_EQ(LogCount("level_31_gr.lua: not found or did not run"), 2);
}

TEST_F(LevelDataTest, ALevelWithoutItsTablesTakesNoValuesOfTheLevelBefore)
{
    PutPlain();
    PutLevel(1, "Trade = {}\nBonus = {}\nAttr = {}\nMain = { task = {}, land_worker = 4, land_mana = 7 }\n"
                "Monsters = {}\nCustomer = { price = 5, time = 900, prob = {1} }\n");
    Start(1);
    EXPECT_EQ(level_->GetLandMana(), 7);
    EXPECT_EQ(level_->GetCustomerSettings().price, 5);
    PutLevel(2, "Trade = {}\nBonus = {}\nAttr = {}\nMonsters = {}\n");
    Start(2);
    EXPECT_EQ(level_->GetLandWorker(), 1);
    EXPECT_EQ(level_->GetLandMana(), 100);
    EXPECT_EQ(level_->GetCustomerSettings().price, 0);
    EXPECT_EQ(level_->GetCustomerSettings().interval, 0);
    EXPECT_TRUE(level_->GetCustomerSettings().weights.empty());
}

TEST_F(LevelDataTest, AHugeClaimedCountIsCut)
{
    PutPlain();
    PutLevel(1, "Trade = { n = 2000000000 }\nBonus = {}\nAttr = {}\n"
                "Main = { task = { n = 2000000000 } }\nMonsters = { n = 2000000000 }\n"
                "Customer = { prob = { n = 2000000000 } }\n");
    Start(1);
    EXPECT_GE(LogCount("claims 2000000000 rows"), 4);
    EXPECT_EQ(level_->GetStallUse(kStallTrade).size(), 10000u);
    EXPECT_EQ(level_->GetDescriptions(kStallTrade).size(), 10000u);
    EXPECT_TRUE(level_->GetSpawnQueue().empty());
}

// --- The layout ---

TEST_F(LevelDataTest, LayoutBuildsElementsSlotsAndStalls)
{
    PutPlain();
    for (int i = 0; i < 2; ++i)
        PutAsset("scripts/game_logic/stall/stall_" + std::to_string(i) + ".lua",
                 Description(i, "", "{10, 20, 30}"));
    PutAsset("scripts/game_logic/attr/attr_0.lua", Description(0));
    PutLevel(1, "Trade = {{},{}}\nBonus = {}\nAttr = {{}}\nMain = { task = {}, land_worker = 2, land_mana = 7 }\n"
                "Monsters = {}\nCustomer = { prob = {} }\n",
             "Entry = { customer = {10, 20, 30}, monster = {} }\n"
             "LandElement = { {0, \"a:images/one\", 1, 2}, {2, \"a:images/l0\", 5, 50, 1, 1}, {1, \"a:images/g\", 9, 90},"
             " {0, \"a:images/two\", 3, 4}, {3, \"a:images/none\", 0, 0}, {2, \"a:images/l1\", 6, 60},"
             " {2, \"a:images/l2\", 7, 70} }\n"
             "Slot = { {45, 33, \"x\", \"y\", 0}, {100, 100, \"x\", \"y\", 1},"
             " {200, 200, \"x\", \"y\", 0, 1, 1, 2, 0}, {300, 300, \"x\", \"y\", 0, 0, 0, 0, 1, 0},"
             " {400, 400, \"x\", \"y\", 0, 5, 0}, {500, 500, \"x\", \"y\", 0, 1, 9} }\n"
             "Resources = { \"loc_3\" }\n");
    Start(1);
    EXPECT_EQ(level_->GetLevelLocation(), 3);
    EXPECT_EQ(level_->GetCustomerEntries(), (std::vector<TPoint>{{10, 20}, {30, 0}}));
    // Two backgrounds: the second stays; kind 3 makes nothing.
    ASSERT_EQ(level_->GetGroundElementCount(), 1);
    EXPECT_EQ(level_->GetGroundElement(0)->index, -1);
    ASSERT_EQ(level_->GetLandElementCount(), 3);
    EXPECT_EQ(level_->GetLandElement(2)->index, 2);
    EXPECT_EQ(level_->GetLandElement(2)->depth, 70);
    EXPECT_FLOAT_EQ(level_->GetBackground(false)->GetPosition().x, 3.0f);

    ASSERT_EQ(level_->GetSlotCount(), 6);
    // Snapped to the cell's corner; the level info's costs.
    EXPECT_EQ(level_->GetSlotPosition(0), TPoint(40, 30));
    EXPECT_EQ(level_->GetSlot(0)->manaCost, 7);
    EXPECT_EQ(level_->GetSlot(0)->workerCost, 2);
    // Five values: a slot only, for sale or open.
    EXPECT_TRUE(level_->GetSlot(0)->forSale);
    EXPECT_TRUE(level_->GetSlot(1)->free);
    // Trade stall 1 upgraded twice, running; attraction 0 broken.
    ASSERT_EQ(factory_->stalls.size(), 2u);
    EXPECT_EQ(factory_->stalls[0]->slotIndex, 2);
    EXPECT_EQ(factory_->stalls[0]->addedLevels, 2);
    EXPECT_EQ(factory_->stalls[0]->state, kStateWorking);
    EXPECT_TRUE(factory_->stalls[0]->active);
    EXPECT_EQ(factory_->stalls[1]->slotIndex, 3);
    EXPECT_EQ(factory_->stalls[1]->state, kStateBroken);
    EXPECT_FALSE(factory_->stalls[1]->active);  // ten values: inactive
    // Kind 5 and trade id 9 made nothing: those slots are plain open ones,
    // and no step reached the stalls made before.
    for (int32_t i : {4, 5})
    {
        EXPECT_TRUE(level_->GetSlot(i)->free) << i;
        EXPECT_FALSE(level_->GetSlot(i)->covered) << i;
    }
    EXPECT_EQ(factory_->stalls[1]->reports.size(), 1u);
    EXPECT_EQ(LogCount("no stall of kind 5"), 1);
    // Trade id 9 is beyond the level's use list: no group, no flag.
    EXPECT_EQ(LogCount("the stall of kind 1 and id 9 is not offered"), 1);
    EXPECT_EQ(LogCount("the stall of kind 5 and id 0 is not offered"), 1);
    EXPECT_EQ(level_->GetStallUse(kStallTrade), (std::vector<int32_t>{1, 1}));
}

TEST_F(LevelDataTest, UpgradesStopAtTheDescriptionsLevels)
{
    PutPlain();
    PutAsset("scripts/game_logic/stall/stall_0.lua", Description(0, "", "{10, 20}"));
    PutLevel(1, "Trade = {{}}\nBonus = {}\nAttr = {}\nMain = { task = {} }\nMonsters = {}\nCustomer = { prob = {} }\n",
             "Entry = { customer = {}, monster = {} }\nLandElement = {}\n"
             "Slot = { {200, 200, \"x\", \"y\", 0, 1, 0, 2000000000, 0} }\nResources = {}\n");
    Start(1);
    ASSERT_EQ(factory_->stalls.size(), 1u);
    EXPECT_EQ(factory_->stalls[0]->addedLevels, 1);
    EXPECT_EQ(LogCount("2000000000 upgrades asked"), 1);
}

TEST_F(LevelDataTest, ASixValueSlotBuildsItsStallAndAMissingLabelLogs)
{
    PutPlain();
    PutAsset("scripts/game_logic/stall/stall_0.lua", Description(0, "Main.name = \"no_such_label\"\n"));
    PutLevel(1, "Trade = {{}}\nBonus = {}\nAttr = {}\nMain = { task = {} }\nMonsters = {}\nCustomer = { prob = {} }\n"
                "Story = { start_text = \"no_story_label\" }\n",
             "Entry = { customer = {}, monster = {} }\nLandElement = {}\n"
             "Slot = { {200, 200, \"x\", \"y\", 0, 1} }\nResources = {}\n");
    Start(1);
    // Six values: a trade stall of id 0, not upgraded, running, on an opened slot.
    ASSERT_EQ(factory_->stalls.size(), 1u);
    EXPECT_EQ(factory_->stalls[0]->kind, kStallTrade);
    EXPECT_EQ(factory_->stalls[0]->addedLevels, 0);
    EXPECT_EQ(factory_->stalls[0]->state, kStateWorking);
    EXPECT_FALSE(level_->GetSlot(0)->forSale);
    // Labels the string table lacks: looked up, logged, stored as it answers.
    EXPECT_EQ(level_->GetDescriptions(kStallTrade)[0]->name, TString("#####"));
    EXPECT_EQ(level_->GetStory().startText, TString("#####"));
    EXPECT_GE(LogCount("no_such_label"), 1);
    EXPECT_GE(LogCount("no_story_label"), 1);
}

TEST_F(LevelDataTest, TheLayoutsTablesMissingAreLoggedAndSkipped)
{
    PutPlain();
    const std::string info = "Trade = {}\nBonus = {}\nAttr = {}\nMain = { task = {} }\nMonsters = {}\n"
                             "Customer = { prob = {} }\n";
    PutLevel(1, info, "LandElement = { {2, \"a:images/l\", 1, 1} }\nResources = {}\n");
    Start(1);
    EXPECT_EQ(LogCount("level_1_gr.lua: no table Entry"), 1);
    EXPECT_EQ(LogCount("level_1_gr.lua: no table Slot"), 2);  // the listing and the load
    EXPECT_EQ(level_->GetLandElementCount(), 1);
    PutLevel(2, info, "Entry = { customer = {} }\nLandElement = {}\nSlot = {}\n");
    Start(2);
    EXPECT_EQ(LogCount("level_2_gr.lua: no list Entry.monster"), 1);
    // An empty or missing Resources: location 0; a first entry without a digit too.
    EXPECT_EQ(level_->GetLevelLocation(), 0);
    PutLevel(3, info, "Entry = { customer = {}, monster = {} }\nLandElement = {}\nSlot = {}\nResources = {}\n");
    Start(3);
    EXPECT_EQ(level_->GetLevelLocation(), 0);
    PutLevel(4, info, "Entry = { customer = {}, monster = {} }\nLandElement = {}\nSlot = {}\n"
                      "Resources = { \"loc\", \"other_7\" }\n");
    Start(4);
    EXPECT_EQ(level_->GetLevelLocation(), 0);
    EXPECT_EQ(Groups().back(), "other_7");
}

TEST_F(LevelDataTest, ResourcesOfPrebuiltStallsAreListedAgain)
{
    PutPlain();
    PutLevel(1, "Trade = { {}, {is_draft = 1}, {is_draft = 1, is_draft_access = 1} }\nBonus = {}\nAttr = {}\n"
                "Main = { task = {} }\nMonsters = {}\nCustomer = { prob = {} }\n",
             "Entry = { customer = {}, monster = {} }\nLandElement = {}\n"
             "Slot = { {1, 1, \"x\", \"y\", 0, 1, 1, 0, 0}, {1, 1, \"x\", \"y\", 0, 1, 0, 0, 0},"
             " {1, 1, \"x\", \"y\", 0, 1, -1, 0, 0} }\nResources = {}\n");
    Make();
    std::vector<TString> groups;
    level_->ListLevelResources(1, groups);
    groups_ = groups;
    const std::vector<std::string> all = Groups();
    const std::vector<std::string> stalls(all.begin() + 8, all.begin() + 10);
    EXPECT_EQ(stalls, (std::vector<std::string>{"trade_stall_0", "trade_stall_2"}));
    EXPECT_EQ(all.back(), "trade_stall_0");
    EXPECT_EQ(all[all.size() - 2], "trade_stall_1");
    EXPECT_EQ(level_->GetStallUse(kStallTrade), (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(LogCount("the stall of kind 1 and id -1 is not offered"), 1);
}

}  // namespace
