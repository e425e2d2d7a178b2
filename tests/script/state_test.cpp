// States and loading: chunk detection (byte 27, FF FE), the input stream's
// look-ahead across blocks, statuses, and threads.
#include <algorithm>
#include <string>
#include <vector>

#include "ScriptTestUtil.h"
#include "script/lang/state.h"
#include "script/lang/stream.h"

namespace
{

std::string Utf16(const std::string& ascii, bool bom = true)
{
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (char c : ascii)
    {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

class Loading : public ScriptTest
{
};

TEST_F(Loading, Utf16SourceIsDetectedInAnyBlockSize)
{
    const std::string src = Utf16("return 6 * 7");
    for (size_t piece : {0u, 1u, 2u, 3u})
    {
        ASSERT_EQ(LoadText(L, src, "=u16", piece), 0) << piece;
        ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
        EXPECT_EQ(lua_tonumber(L, -1), 42) << piece;
        lua_pop(L, 1);
    }
}

TEST_F(Loading, OtherByteOrderMarksAreReadAsBytes)
{
    // The lexer sees the marks as symbols: a syntax error, not UTF-16.
    for (const char* mark : {"\xFE\xFF", "\xEF\xBB\xBF"})
    {
        std::string src = std::string(mark) + "return 1";
        EXPECT_EQ(LoadText(L, src), LUA_ERRSYNTAX);
        lua_pop(L, 1);
    }
    // A lone FF byte is not mistaken for half a mark.
    EXPECT_EQ(LoadText(L, "\xFF", "=one", 1), LUA_ERRSYNTAX);
    lua_pop(L, 1);
}

TEST_F(Loading, EmptyChunkIsAFunction)
{
    ASSERT_EQ(LoadText(L, ""), 0);
    EXPECT_TRUE(lua_isfunction(L, -1));
    EXPECT_EQ(lua_pcall(L, 0, 0, 0), 0);
}

TEST_F(Loading, SyntaxErrorsHaveStatusThree)
{
    std::string err;
    EXPECT_EQ(RunScript(L, "x = = 1", &err), LUA_ERRSYNTAX);
    EXPECT_NE(err.find("test:1:"), std::string::npos) << err;
}

TEST_F(Loading, ChunkNameDefaultsToQuestionMark)
{
    TextReader r{"x = ", 0, 0};
    ASSERT_EQ(lua_load(L, TextReader::Read, &r, nullptr), LUA_ERRSYNTAX);
    std::string err = lua_tostring(L, -1);
    EXPECT_NE(err.find("?"), std::string::npos) << err;
}

TEST_F(Loading, ByteTwentySevenMeansAPrecompiledChunk)
{
    // Not a valid chunk: the loader reports it with the run-time status.
    ASSERT_EQ(LoadText(L, "\x1bLux", "=bin"), LUA_ERRRUN);
    EXPECT_STREQ(lua_tostring(L, -1), "bad signature in bin");
}

TEST_F(Loading, StreamLookaheadNeverReadsPastABlock)
{
    // Blocks are separate heap copies so a read past one shows under ASan.
    struct Owned
    {
        std::vector<std::string> blocks;
        size_t next = 0;
        static const char* Read(lua_State*, void* ud, size_t* size)
        {
            Owned* o = static_cast<Owned*>(ud);
            if (o->next >= o->blocks.size())
            {
                *size = 0;
                return nullptr;
            }
            const std::string& b = o->blocks[o->next++];
            *size = b.size();
            return b.data();
        }
    } owned;
    owned.blocks = {"\xFF", "\xFE", "A", "BC"};
    Stream z;
    StreamInit(L, &z, Owned::Read, &owned, "=s");
    EXPECT_EQ(StreamLookahead16(&z), 0xFEFF);
    EXPECT_EQ(StreamGetc(&z), 0xFF);
    EXPECT_EQ(StreamGetc(&z), 0xFE);
    EXPECT_EQ(StreamLookahead16(&z), 'A' | ('B' << 8));
    char buf[3];
    EXPECT_EQ(StreamRead(&z, buf, 3), 0u);
    EXPECT_EQ(std::string(buf, 3), "ABC");
    EXPECT_EQ(StreamLookahead16(&z), EOZ);
    EXPECT_EQ(StreamGetc(&z), EOZ);

    owned.blocks = {"Z"};
    owned.next = 0;
    StreamInit(L, &z, Owned::Read, &owned, "=s");
    EXPECT_EQ(StreamLookahead16(&z), EOZ);  // one byte only
    EXPECT_EQ(StreamGetc(&z), 'Z');         // and it is still there
    EXPECT_EQ(StreamGetc(&z), EOZ);
}

TEST(States, ThreadsShareGlobalsAndCloseWithTheirState)
{
    lua_State* L = lua_open();
    ASSERT_NE(L, nullptr);
    lua_State* t1 = lua_newthread(L);
    lua_pushstring(t1, "g");
    lua_pushnumber(t1, 3);
    lua_settable(t1, LUA_GLOBALSINDEX);
    EXPECT_EQ(NumberOf(L, "return g"), 3);
    // Closing through a coroutine closes the whole state.
    lua_close(t1);
}

TEST(States, PanicEndsTheProcessWithStatusOne)
{
    EXPECT_EXIT(
        {
            lua_State* L = lua_open();
            lua_atpanic(L, [](lua_State*) { return 0; });
            lua_pushstring(L, "unprotected");
            lua_error(L);
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
