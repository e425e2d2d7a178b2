// The board's five script functions, called from Lua.
#include "services/GameStateBindings.h"

#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "script/Script.h"

using namespace servicestest;

namespace
{

class BindingsTest : public BoardTest
{
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        RegisterGameStateFunctions(script_);
    }
    TString Text(const char* expression)
    {
        EXPECT_EQ(0, script_.DoLuaString(TString("return ") + expression, -1, 1)) << expression;
        return script_.PopString();
    }
    bool Bool(const char* expression)
    {
        EXPECT_EQ(0, script_.DoLuaString(TString("return ") + expression, -1, 1)) << expression;
        return script_.PopBool();
    }

    TScript script_;
};

TEST_F(BindingsTest, ScriptsReadWriteAndAskTheBoard)
{
    RecordingHandler* a = Add("a");
    ASSERT_EQ(0, script_.DoLuaString("_SetState('score', 10) _SetState('++score', 'ignored')"));
    EXPECT_STREQ("11", TGameState::GetInstance()->GetStoredStates().at("score").CStr());
    EXPECT_STREQ("11", Text("GetState('score')").CStr());
    EXPECT_STREQ("string", Text("type(GetState('never'))").CStr());
    EXPECT_STREQ("", Text("GetState('never')").CStr());

    EXPECT_STREQ("boolean", Text("type(QueryMuteGame())").CStr());
    EXPECT_FALSE(Bool("QueryMuteGame()"));
    EXPECT_FALSE(Bool("QueryRestartMode()"));
    EXPECT_FALSE(Bool("QueryJumpToMenu()"));
    a->restart = a->menu = true;
    EXPECT_TRUE(Bool("QueryRestartMode()"));
    EXPECT_TRUE(Bool("QueryJumpToMenu()"));
    ASSERT_EQ(0, script_.DoLuaString("_SetState('mute', '1')"));
    EXPECT_TRUE(Bool("QueryMuteGame()"));
}

TEST_F(BindingsTest, WithoutABoardTheFunctionsAnswerEmpty)
{
    TGameState::SetFacadeTestForTest([] { return false; });
    ASSERT_EQ(0, script_.DoLuaString("_SetState('k', 'v')"));
    EXPECT_STREQ("", Text("GetState('k')").CStr());
    EXPECT_FALSE(Bool("QueryMuteGame()"));
    EXPECT_FALSE(Bool("QueryRestartMode()"));
    EXPECT_FALSE(Bool("QueryJumpToMenu()"));
    EXPECT_EQ(nullptr, TGameState::GetIfMade());
}

}  // namespace
