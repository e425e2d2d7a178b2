// The saved level's list texts: the parser on the writer's own texts and on
// texts the writer never produces, and each list written and read back.
#include "game/app/LevelSnapshot.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{

TEST(SavedList, Parse)
{
    const struct
    {
        const char* text;
        SavedGroups groups;
    } cases[] = {
        {"", {}},
        {"#", {{}}},
        {"12,-3,#", {{12, -3}}},
        {"5,#,#", {{5}, {}}},
        {"3,1,0,#7,0,0,#", {{3, 1, 0}, {7, 0, 0}}},
        {"##", {{}, {}}},
        // Not written by the game, read without harm.
        {"1,2", {{1, 2}}},
        {"1,2,#3", {{1, 2}, {3}}},
        {"x,+4,-,7z,#", {{0, 4, 0, 7}}},
        {" 8,#", {{8}}},
        {"1,,2,#", {{1, 2}}},
        {"2147483647,-2147483648,#", {{INT32_MAX, INT32_MIN}}},
        {"99999999999999999999,-99999999999999999999,#", {{INT32_MAX, INT32_MIN}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseSavedList(c.text), c.groups);
    }
}

TEST(SavedList, WrittenTextsReadBack)
{
    const SavedGroups groups[] = {{}, {{}}, {{0}}, {{-1, 2}, {}, {INT32_MIN, INT32_MAX}}};
    for (const SavedGroups& g : groups)
    {
        const TString text = SavedListText(g);
        SCOPED_TRACE(text.CStr());
        EXPECT_EQ(ParseSavedList(text), g);
    }
    EXPECT_STREQ(SavedListText({{3, 1, 0}, {7, 0, 0}}).CStr(), "3,1,0,#7,0,0,#");
}

TEST(LevelSnapshotLists, EveryListRoundTrips)
{
    LevelSnapshot s;
    s.slots = {{3, true, false}, {-7, false, true}};
    s.gameObjects = {{1, 4, 0, true, 2, false, 18}, {2, 0, 5, false, 0, true, -1}};
    s.payDrafts = {{0, 3}, {2, 1}};
    s.tradeTasks = {{1, 2, 3, 4, 5, 6, 7}};
    s.bonusTasks = {{7, 6, 5, 4, 3, 2, 1}, {0, 0, 0, 0, 0, 0, 0}};
    s.attrTasks = {{-1, -2, -3, -4, -5, -6, -7}};
    s.monsters = {{5000, -1, 3, 0, 100, 100, 20, 777}};
    s.monsterKills = {4, 4, 1};

    LevelSnapshot back;
    ReadSlotList(SlotListText(s), back);
    ReadGameObjectList(GameObjectListText(s), back);
    ReadPayDraftList(PayDraftListText(s), back);
    ReadTaskList(TaskListText(s.tradeTasks), back.tradeTasks);
    ReadTaskList(TaskListText(s.bonusTasks), back.bonusTasks);
    ReadTaskList(TaskListText(s.attrTasks), back.attrTasks);
    ReadMonsterList(MonsterListText(s), back);
    ReadMonsterKills(MonsterKillText(s), back);
    EXPECT_EQ(back, s);

    EXPECT_STREQ(GameObjectListText(s).CStr(), "1,4,0,1,2,0,18,#2,0,5,0,0,1,-1,#");
    EXPECT_STREQ(MonsterKillText(s).CStr(), "4,4,1,#");

    // Reading replaces what a list held.
    ReadSlotList("", back);
    EXPECT_TRUE(back.slots.empty());
    s.monsterKills.clear();
    EXPECT_STREQ(MonsterKillText(s).CStr(), "#");
    for (const char* none : {"", "#"})
    {
        ReadMonsterKills(none, back);
        EXPECT_TRUE(back.monsterKills.empty()) << none;
    }
}

TEST(LevelSnapshotLists, ShortAndLongGroups)
{
    LevelSnapshot s;
    ReadMonsterList("1,2,3,4,5,6,7,#1,2,3,4,5,6,7,8,9,#,#", s);
    ASSERT_EQ(s.monsters.size(), 3u);
    EXPECT_EQ(s.monsters[0], (LevelSnapshot::Monster{1, 2, 3, 4, 5, 6, 7, 5000}));
    EXPECT_EQ(s.monsters[1], (LevelSnapshot::Monster{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(s.monsters[2], (LevelSnapshot::Monster{0, 0, 0, 0, 0, 0, 0, 5000}));

    ReadTaskList("1,2,#", s.tradeTasks);
    ASSERT_EQ(s.tradeTasks.size(), 1u);
    EXPECT_EQ(s.tradeTasks[0], (LevelSnapshot::TaskCounters{1, 2, 0, 0, 0, 0, 0}));

    ReadGameObjectList("1,2,3,5,#", s);
    ASSERT_EQ(s.gameObjects.size(), 1u);
    EXPECT_EQ(s.gameObjects[0], (LevelSnapshot::GameObject{1, 2, 3, true, 0, false, 0}));

    // Only the first group holds kills.
    ReadMonsterKills("1,2,#3,#", s);
    EXPECT_EQ(s.monsterKills, (std::vector<int32_t>{1, 2}));
}

TEST(LevelSnapshotLists, ClearEmptiesEverything)
{
    LevelSnapshot s;
    s.level = 4;
    s.valid = true;
    s.goodsSold = 2;
    s.slots = {{1, true, true}};
    s.monsterKills = {1};
    s.Clear();
    EXPECT_EQ(s, LevelSnapshot());
    EXPECT_FALSE(s.valid);
    EXPECT_EQ(s.level, 0);
}

}  // namespace
