// Style lookups: the window's table first, then the default style chain;
// conversions of the typed getters; placement read from a table.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "script/LuaFunction.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/Window.h"
#include "ui/WindowStyle.h"
#include "ui/support/UiTestSupport.h"

namespace
{

class WindowStyleTest : public uitest::UiTest
{
protected:
    void Run(const char* text) { ASSERT_EQ(0, script.DoLuaString(text)); }
    std::unique_ptr<TLuaTable> Table(const char* name)
    {
        return std::unique_ptr<TLuaTable>(script.GetGlobalTable(name));
    }
    TScript script;
};

TEST_F(WindowStyleTest, KeysFallBackThroughTheDefaultChainOnly)
{
    Run(R"(
        base = { colour = {1, 0.5, 0.25}, font = "big", depth = 3 }
        gCurrentDefaultStyle = { parent = base, font = "small" }
        t = { name = "ok", parent = { depth = 9 } }
    )");
    auto t = Table("t");
    TWindowStyle style(script.GetState(), t.get());
    const int top = lua_gettop(script.GetState());
    EXPECT_STREQ("ok", style.GetString("name").CStr());
    EXPECT_STREQ("small", style.GetString("font").CStr());
    // The window table's own "parent" is not followed; the default's is.
    EXPECT_EQ(3, style.GetInt("depth", 0));
    const TFloatVector4 c = style.GetColor("colour", TFloatVector4(9, 9, 9, 7));
    EXPECT_FLOAT_EQ(1.0f, c.x);
    EXPECT_FLOAT_EQ(0.25f, c.z);
    EXPECT_FLOAT_EQ(7.0f, c.w);  // missing entries keep the default's
    EXPECT_EQ(42, style.GetInt("absent", 42));
    EXPECT_FALSE(style.Find("absent"));
    EXPECT_EQ(top, lua_gettop(script.GetState()));
}

TEST_F(WindowStyleTest, ALoopedDefaultChainEndsAsNotFound)
{
    Run(R"(
        a = { x = 1 }
        b = { parent = a }
        a.parent = b
        gCurrentDefaultStyle = b
        t = {}
    )");
    auto t = Table("t");
    TWindowStyle style(script.GetState(), t.get());
    EXPECT_EQ(1, style.GetInt("x", 0));
    EXPECT_FALSE(style.Find("missing"));
    EXPECT_EQ(-5, style.GetInt("missing", -5));
}

TEST_F(WindowStyleTest, NumbersConvertAsTheBindingsDo)
{
    Run(R"(
        t = { a = 2.9, b = -2.9, c = 1e300, d = -1e300, e = 0/0, s = "12", tab = {}, yes = 0, no = false }
    )");
    auto t = Table("t");
    TWindowStyle style(script.GetState(), t.get());
    EXPECT_EQ(2, style.GetInt("a", 0));
    EXPECT_EQ(-2, style.GetInt("b", 0));
    EXPECT_EQ(INT_MAX, style.GetInt("c", 0));
    EXPECT_EQ(INT_MIN, style.GetInt("d", 0));
    EXPECT_EQ(0, style.GetInt("e", 7));
    EXPECT_EQ(12, style.GetInt("s", 0));
    EXPECT_STREQ("", style.GetString("tab", "def").CStr());
    EXPECT_TRUE(style.GetBool("yes", false));
    EXPECT_FALSE(style.GetBool("no", true));
    std::unique_ptr<TLuaTable> sub(style.GetTable("tab"));
    EXPECT_NE(nullptr, sub);
    EXPECT_EQ(nullptr, style.GetTable("a"));
    EXPECT_EQ(nullptr, style.GetFunction("a"));
}

TEST_F(WindowStyleTest, InitAndPostInitPlaceTheWindow)
{
    TScreen* screen = MakeScreen();
    Run(R"(
        gCurrentDefaultStyle = { h = 40 }
        t = { name = "panel", x = 80000, y = -40, w = 200 }
        fit = { fit = true }
    )");
    auto t = Table("t");
    TWindowStyle style(script.GetState(), t.get());
    auto* w = new TWindow();
    screen->AddChild(w, true);
    w->Init(style);
    EXPECT_STREQ("panel", w->GetName().CStr());
    EXPECT_EQ(TRect(300, 560, 500, 600), w->GetRect());

    // Fitting grows the window to its children and never shrinks it.
    auto f = Table("fit");
    TWindowStyle fitStyle(script.GetState(), f.get());
    auto* inner = new TWindow();
    inner->SetPosition(150, 10);
    inner->SetSize(100, 100);
    w->AddChild(inner, false);
    w->PostInit(fitStyle);
    EXPECT_EQ(250, w->GetWidth());
    EXPECT_EQ(110, w->GetHeight());
    inner->SetSize(10, 10);
    w->FitToChildren();
    EXPECT_EQ(250, w->GetWidth());
}

}  // namespace
