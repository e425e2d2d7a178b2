// The static text: label translation, font defaults, the zero-size error,
// link presses that run a button's command, the label bindings.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/StringTable.h"
#include "graphics/FontRegistry.h"
#include "graphics/support/TestDisplayHost.h"
#include "script/Binding.h"
#include "script/LuaTable.h"
#include "ui/WindowStyle.h"
#include "ui/Button.h"
#include "ui/Text.h"
#include "ui/WindowScript.h"
#include "ui/support/ControlTestSupport.h"

using namespace uitest;

namespace
{

class StringsLink : public FakeAppLink
{
public:
    TStringTable strings;
    bool hasStrings = true;
    TStringTable* GetStringTable() const override
    {
        return hasStrings ? const_cast<TStringTable*>(&strings) : nullptr;
    }
};

class TextTest : public ScriptUiTest
{
protected:
    void SetUp() override
    {
        ScriptUiTest::SetUp();
        const std::string sheet =
            "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n"
            "<Row><Cell><Data ss:Type=\"String\">HELLO</Data></Cell><Cell><Data ss:Type=\"String\">"
            "Bonjour</Data></Cell></Row>\n</Table></Worksheet></Workbook>\n";
        strings.strings.AddBuffer(sheet.data(), sheet.size());
        SetWindowAppLink(&strings);
    }
    void TearDown() override
    {
        wm.reset();
        GetFontRegistry().Clear();
        ScriptUiTest::TearDown();
    }
    void LoadText()
    {
        Eval("PushModal('dlg')");
        ASSERT_EQ(script->DoLuaString(ReadControls("text.lua").c_str()), 0);
        links = static_cast<TText*>(wm->GetTopModal()->FindChild("links", -1));
        ASSERT_NE(links, nullptr);
        ASSERT_NE(links->GetTextGraphic(), nullptr);
        for (const char* name : {"ok", "other"})
            static_cast<TButton*>(wm->GetTopModal()->FindChild(name, -1))->SetAction(new NameAction(&runs));
    }
    // A point on line n of the links text.
    TPoint OnLine(int n) const
    {
        int y = 0;
        const auto& lines = links->GetTextGraphic()->GetLines();
        for (int i = 0; i < n; ++i) y += lines[size_t(i)]->height;
        return TPoint(3, y + lines[size_t(n)]->height / 2);
    }

    TempLog tempLog;
    StringsLink strings;
    TText* links = nullptr;
    std::vector<std::string> runs;
};

TEST_F(TextTest, TranslationRules)
{
    struct Case
    {
        const char* label;
        bool translate;
        const char* shown;
    } cases[] = {
        {"HELLO", true, "Bonjour"}, {"HELLO", false, "HELLO"}, {"#HELLO", true, "HELLO"},
        {"#HELLO", false, "#HELLO"}, {"12.50", true, "12.50"}, {"", true, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(TText::TranslateLabel(c.label, c.translate).CStr(), c.shown) << c.label;
    // Through the script's flag, as windows are made.
    wm->SetTranslateLabels(true);
    Eval("PushModal('dlg'); MakeDialog{ Text{ name = 't', w = 100, h = 30, label = 'HELLO' } }");
    EXPECT_EQ(Eval("r = GetLabel('t')"), "Bonjour");
}

TEST_F(TextTest, FontDefaultsAndTheZeroSizeError)
{
    Eval("PushModal('dlg'); MakeDialog{ Text{ name = 'plain', w = 100, h = 30, label = 'x' },"
         " Text{ name = 'sized', w = 100, h = 30, label = 'x', font = { 'other.mvec', 0 } } }");
    auto* plain = static_cast<TText*>(wm->GetTopModal()->FindChild("plain", -1));
    auto* sized = static_cast<TText*>(wm->GetTopModal()->FindChild("sized", -1));
    ASSERT_TRUE(plain && plain->GetTextGraphic() && sized && sized->GetTextGraphic());
    EXPECT_STREQ(plain->GetTextGraphic()->GetFontName().CStr(), "__DEFAULT");
    EXPECT_STREQ(sized->GetTextGraphic()->GetFontName().CStr(), "other.mvec");
    // Size 0 became 12: a line is lower than at the default 16.
    ASSERT_FALSE(plain->GetTextGraphic()->GetLines().empty());
    EXPECT_LT(sized->GetTextGraphic()->GetLines()[0]->height, plain->GetTextGraphic()->GetLines()[0]->height);

    LoadText();
    EXPECT_TRUE(tempLog.Has("ERROR: Attempting to create text window of size(0,0): named 'empty', label 'never shown'"));
    auto* empty = static_cast<TText*>(wm->GetTopModal()->FindChild("empty", -1));
    EXPECT_EQ(empty->GetTextGraphic(), nullptr);
    EXPECT_FALSE(empty->OnMouseDown(TPoint(0, 0)));
    empty->SetText("still nothing");
    EXPECT_EQ(Eval("r = GetLabel('empty')"), "");
}

TEST_F(TextTest, LinkPressesRunTheNamedButton)
{
    LoadText();
    struct Case
    {
        int down, up;  // lines; -1: below every link
        std::vector<std::string> runs;
        const char* logged;
    } cases[] = {
        {0, 0, {"ok"}, nullptr},
        {1, 1, {"other"}, nullptr},
        {0, 1, {}, nullptr},   // released on another link
        {0, -1, {}, nullptr},  // released outside any link
        {2, 2, {}, "ERROR: Command window missing not found"},
        {3, 3, {}, "ERROR: Command window panel not a derived class of TButton"},
    };
    for (const Case& c : cases)
    {
        runs.clear();
        EXPECT_TRUE(links->OnMouseDown(OnLine(c.down)));
        EXPECT_TRUE(links->OnMouseUp(c.up < 0 ? TPoint(3, 190) : OnLine(c.up)));
        EXPECT_EQ(runs, c.runs) << c.down << " " << c.up;
        EXPECT_TRUE(links->GetCommandWindowName().IsEmpty());
        if (c.logged) EXPECT_TRUE(tempLog.Has(c.logged)) << c.logged;
    }
    // Plain text starts no press.
    EXPECT_FALSE(links->OnMouseDown(OnLine(4)));
    EXPECT_FALSE(links->OnMouseUp(OnLine(4)));
}

TEST_F(TextTest, LinkPressWithoutModalParentIsNotFound)
{
    TText text;
    TScript lua;
    ASSERT_EQ(lua.DoLuaString("gT = { w = 100, h = 40, label = \"<a id='ok'>OK</a>\" }"), 0);
    lua_State* S = lua.GetState();
    lua_pushstring(S, "gT");
    lua_gettable(S, LUA_GLOBALSINDEX);
    TLuaTable t(S);
    TWindowStyle style(S, &t);
    text.Init(style);
    ASSERT_TRUE(text.OnMouseDown(TPoint(3, 8)));
    EXPECT_TRUE(text.OnMouseUp(TPoint(3, 8)));
    EXPECT_TRUE(tempLog.Has("ERROR: Command window ok not found"));
}

TEST_F(TextTest, LabelBindings)
{
    EXPECT_EQ(Eval("r = GetLabel('x')"), "x_is_not_found");  // the screen is the top modal
    LoadText();
    struct Case
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"r = GetLabel('ok')", "Fine"},
        {"r = GetLabel('other')", ""},
        {"r = GetLabel('panel')", "panel_is_not_a_TText_window_or_TButton"},
        {"r = GetLabel('nowhere')", "nowhere_is_not_found"},
        {"SetLabel('ok', 'Done'); r = GetLabel('ok')", "Done"},
        {"SetLabel('label', 'Direct'); r = GetLabel('ok')", "Direct"},
        {"SetLabel('nowhere', 'x'); r = GetLabel('label')", "Direct"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.expected) << c.text;
    // Hovering a link registers the text with the hover list.
    EXPECT_TRUE(links->OnMouseMove(OnLine(0)));
    EXPECT_EQ(wm->GetHoverList().size(), 1u);
    links->OnMouseLeave();
    EXPECT_TRUE(wm->GetHoverList().empty());
}

TEST_F(TextTest, RescaleScrollsToTheEnd)
{
    Eval("PushModal('dlg'); MakeDialog{ Text{ name = 's', w = 100, h = 20, label = 'a<br>b<br>c<br>d' } }");
    auto* s = static_cast<TText*>(wm->GetTopModal()->FindChild("s", -1));
    const int hidden = s->GetTextGraphic()->CountLinesFitting(1.0f, 0.0f);
    ASSERT_GT(hidden, 0);
    s->Rescale(1.0f, 0);
    EXPECT_FLOAT_EQ(s->GetTextGraphic()->GetFirstLine(), 0.5f + float(hidden));
    s->Rescale(0.0f, 0);
    EXPECT_FLOAT_EQ(s->GetTextGraphic()->GetFirstLine(), 0.0f);
}

}  // namespace
