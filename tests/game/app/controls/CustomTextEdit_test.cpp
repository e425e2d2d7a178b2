// The game's name field through the window manager: a hint cleared by the
// first click or edit (and only then), the enable window shown and hidden
// by typing and backspace, no caret keys, delete or paste, and the enable
// window left alone without a modal parent or a window of its name.
#include <gtest/gtest.h>

#include "core/Event.h"
#include "game/app/controls/CustomTextEdit.h"
#include "game/app/controls/support/GameControlsTest.h"
#include "graphics/TextGraphic.h"

using controlstest::GameControlsTest;

namespace
{

class ClipboardLink : public uitest::FakeAppLink
{
public:
    TString GetClipboardText() const override { return TString("pasted"); }
};

class CustomTextEditTest : public GameControlsTest
{
protected:
    void SetUp() override
    {
        GameControlsTest::SetUp();
        SetWindowAppLink(&clipboard);
        Open("textedit.lua");
    }
    TCustomTextEdit* Edit(const char* name)
    {
        auto* e = Find<TCustomTextEdit>(name);
        EXPECT_NE(e, nullptr) << name;
        return e;
    }
    // The edit of that name, holding the focus (given as a script gives it,
    // not by a click, which would clear a hint).
    TCustomTextEdit* Focused(const char* name)
    {
        TCustomTextEdit* e = Edit(name);
        if (e != nullptr) wm->SetFocusWindow(e);
        return e;
    }
    bool OkShown() { return (Find<TButton>("ok")->GetFlags() & kWindowVisible) != 0; }
    // Key and character events go to the focus window.
    void Type(const std::string& bytes)
    {
        for (char c : bytes) Send(kEventChar, -500, -500, static_cast<unsigned char>(c));
    }
    void Key(int key, int modifiers = 0) { Send(kEventKeyDown, -500, -500, key & 0xFF, modifiers); }
    void Click(TWindow* w)
    {
        const TPoint p = w->ToScreen(TPoint(3, 3));
        Send(kEventLeftDown, p.x, p.y);
        Send(kEventLeftUp, p.x, p.y);
    }
    static std::string Content(TTextEdit* e) { return e->GetText().CStr(); }

    ClipboardLink clipboard;
};

TEST_F(CustomTextEditTest, TheTextEditTypeIsTheGamesEdit)
{
    TCustomTextEdit* e = Edit("hint");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->IsKindOf(TTextEdit::ClassId()));
    EXPECT_FALSE(e->IsInitialCleared());
    EXPECT_EQ(Content(e), "Type a name");
    EXPECT_TRUE(Edit("plain")->IsInitialCleared());
    EXPECT_EQ(std::string(e->GetEnableWindowName().CStr()), "ok");
}

TEST_F(CustomTextEditTest, TheHintGoesAtTheFirstClickOrEdit)
{
    // "click", "key" (caret left) or characters to type.
    struct Case
    {
        const char* act;
        const char* content;
        bool cleared;
        bool okShown;
    } cases[] = {
        {"click", "", true, false},
        {"x", "x", true, true},
        {"\b", "", true, false},
        {"\r", "", true, false},  // a hint never passes for a name
        {"key", "Type a name", false, false},
    };
    for (const Case& c : cases)
    {
        Open("textedit.lua");  // a fresh dialog on top
        TCustomTextEdit* e = Focused("hint");
        const std::string act = c.act;
        if (act == "click")
            Click(e);
        else if (act == "key")
            Key(kKeyLeft);
        else
            Type(act);
        EXPECT_EQ(Content(e), c.content) << act;
        EXPECT_EQ(e->IsInitialCleared(), c.cleared) << act;
        EXPECT_EQ(OkShown(), c.okShown) << act;
    }

    // Once cleared, clicks are the text's again and keep what was typed.
    TCustomTextEdit* e = Focused("hint");
    Type("ab");
    Click(e);
    EXPECT_EQ(Content(e), "ab");
}

TEST_F(CustomTextEditTest, AHintLongerThanTheFieldDoesNotRefuseTheFirstCharacter)
{
    TCustomTextEdit* e = Focused("long");
    Type("x");
    EXPECT_EQ(Content(e), "x");
}

// A name too long for the field is drawn smaller on one line, and back at
// the field's size once it fits again.
TEST_F(CustomTextEditTest, ALongNameIsDrawnSmallerOnOneLine)
{
    TCustomTextEdit* e = Focused("narrow");
    ASSERT_NE(e, nullptr);
    TTextGraphic* text = e->GetTextGraphic();
    ASSERT_NE(text, nullptr);
    struct Case
    {
        const char* typed;  // after the field was emptied
        bool smaller;
    } cases[] = {{"WWWWWWWWWW", true}, {"ab", false}, {"WWWWWWWWWW", true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        while (!e->GetText().IsEmpty()) Type("\b");
        Type(c.typed);
        // Both blink states of the caret.
        for (int i = 0; i < 2; ++i)
        {
            uitest::AdvanceTime(300);
            Send(kEventIdle);
            e->Draw();
            EXPECT_EQ(Content(e), c.typed);
            EXPECT_EQ(text->GetLineCount(), 1);
            EXPECT_EQ(text->GetFontSize() < 16, c.smaller);
        }
    }
}

TEST_F(CustomTextEditTest, TheEnableWindowShowsOnlyWhileTheEditHoldsText)
{
    TCustomTextEdit* e = Focused("plain");
    ASSERT_FALSE(OkShown());
    struct Step
    {
        const char* typed;
        const char* content;
        bool okShown;
    } steps[] = {
        {"c", "abc", true},   // an insertion shows it
        {"\b\b", "a", true},  // a backspace that leaves text keeps it
        {"\b", "", false},    // emptied
        {"\b", "", false},    // refused at the start
        {"z", "z", true},
    };
    for (const Step& s : steps)
    {
        Type(s.typed);
        EXPECT_EQ(Content(e), s.content) << s.typed;
        EXPECT_EQ(OkShown(), s.okShown) << s.typed;
    }
}

TEST_F(CustomTextEditTest, HidingAHoveredButtonEndsItsHover)
{
    TCustomTextEdit* e = Focused("plain");
    Type("c");
    TButton* ok = Find<TButton>("ok");
    const TPoint p = ok->ToScreen(TPoint(3, 3));
    Send(kEventMouseMove, p.x, p.y);
    ASSERT_EQ(ok->GetVisualState(), TButton::kHover);
    Type("\b\b\b");
    EXPECT_FALSE(OkShown());
    EXPECT_EQ(ok->GetVisualState(), TButton::kNormal);
    EXPECT_TRUE(wm->GetHoverList().empty());
}

TEST_F(CustomTextEditTest, CaretKeysDeleteAndPasteDoNothing)
{
    TCustomTextEdit* e = Focused("plain");
    struct Case
    {
        int key, modifiers;
    } cases[] = {
        {kKeyLeft, 0}, {kKeyRight, 0}, {kKeyDelete, 0}, {'V', kModControl}, {kKeyInsert, kModShift},
    };
    for (const Case& c : cases)
    {
        EXPECT_FALSE(e->OnKeyDown(static_cast<int8_t>(c.key), c.modifiers)) << c.key;
        Key(c.key, c.modifiers);
        EXPECT_EQ(Content(e), "ab") << c.key;
    }
    // The caret never left the end.
    Type("c");
    EXPECT_EQ(Content(e), "abc");
}

TEST_F(CustomTextEditTest, WithoutItsWindowOrModalTheEnableWindowIsLeftAlone)
{
    TCustomTextEdit* lost = Focused("lost");
    Type("q\b");
    EXPECT_EQ(Content(lost), "");
    EXPECT_FALSE(OkShown());

    // Out of its dialog: no modal parent to search.
    TCustomTextEdit* e = Edit("plain");
    TWindow* panel = e->GetParent();
    panel->RemoveChild(e);
    EXPECT_TRUE(e->OnText(TString("c")));
    EXPECT_EQ(Content(e), "abc");
    EXPECT_FALSE(OkShown());
    panel->AddChild(e, false);
}

}  // namespace
