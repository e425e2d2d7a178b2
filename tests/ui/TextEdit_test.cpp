// The text edit, driven through the window manager with injected time:
// length limits with and without utf8, refusals told to CanEdit, the
// password mask and the blinking caret, multi-byte caret moves, paste, the
// Tab ring, glyph refusal and untranslated labels.
#include <gtest/gtest.h>

#include "core/Event.h"
#include "core/StringTable.h"
#include "graphics/FontRegistry.h"
#include "graphics/VecFont.h"
#include "ui/TextEdit.h"
#include "ui/support/ControlTestSupport.h"

using namespace uitest;

namespace
{

// Records every CanEdit it is asked.
class RecordingEdit : public TTextEdit
{
public:
    std::vector<std::pair<int, int>> asked;
    bool CanEdit(int32_t kind, int32_t c) override
    {
        asked.emplace_back(kind, c);
        return TTextEdit::CanEdit(kind, c);
    }
};
const TWindowClassInfo kRecordingEditClass{"RecordingEdit", &MakeWindowOf<RecordingEdit>};

// The application with a clipboard and a string table.
class EditLink : public FakeAppLink
{
public:
    TString clipboard;
    TStringTable strings;
    TString GetClipboardText() const override { return clipboard; }
    TStringTable* GetStringTable() const override { return const_cast<TStringTable*>(&strings); }
};

// Takes every message without receiver and logs its kind and name.
class LogListener : public TMessageListener
{
public:
    explicit LogListener(std::vector<std::string>* log) : log_(log) {}
    bool OnMessage(TMessage* m) override
    {
        log_->push_back(std::to_string(m->GetKind()) + ":" + m->GetName().CStr());
        return true;
    }

private:
    std::vector<std::string>* log_;
};

class TextEditTest : public ScriptUiTest
{
protected:
    void SetUp() override
    {
        ScriptUiTest::SetUp();
        SetWindowAppLink(&edits);
        wm->AddListener(new LogListener(&messages));
        wm->RegisterWindowType("RecEdit", &kRecordingEditClass);
        Eval("PushModal('dlg')");
        ASSERT_EQ(script->DoLuaString(ReadControls("textedits.lua").c_str()), 0);
        Eval("EnableWindow('hidden', false)");
        Send(kEventIdle);
        messages.clear();
    }
    void TearDown() override
    {
        wm.reset();
        GetFontRegistry().Clear();
        ScriptUiTest::TearDown();
    }
    TTextEdit* Edit(const char* name)
    {
        TWindow* w = wm->GetTopModal()->FindChild(name, -1);
        EXPECT_TRUE(w != nullptr && w->IsKindOf(TTextEdit::ClassId())) << name;
        return static_cast<TTextEdit*>(w);
    }
    RecordingEdit* Rec() { return static_cast<RecordingEdit*>(Edit("rec")); }
    // Focus on edit by a press, as a player gives it.
    void Focus(TTextEdit* edit)
    {
        const TPoint p = edit->ToScreen(TPoint(2, 2));
        Send(kEventLeftDown, p.x, p.y);
        Send(kEventLeftUp, p.x, p.y);
        ASSERT_EQ(wm->GetFocusWindow(), edit);
        messages.clear();  // the release nobody took
    }
    // A key or character event. Its point lies off every window: a refused
    // key event goes on to the sibling under its point.
    void KeyEvent(int type, int data, int modifiers = 0) { Send(type, -500, -500, data, modifiers); }
    void Type(const std::string& bytes)
    {
        for (char c : bytes) KeyEvent(kEventChar, static_cast<unsigned char>(c));
    }
    void Key(int key, int modifiers = 0) { KeyEvent(kEventKeyDown, static_cast<unsigned char>(key), modifiers); }
    static std::string Content(TTextEdit* e) { return e->GetText().CStr(); }
    static std::string Shown(TTextEdit* e) { return e->GetTextGraphic()->GetText().CStr(); }

    EditLink edits;
    std::vector<std::string> messages;
};

TEST_F(TextEditTest, LengthTenAdmitsNineBytesOrTenCharacters)
{
    TTextEdit* narrow = Edit("first");
    Focus(narrow);
    Type("defghijklmn");
    EXPECT_EQ(Content(narrow), "abcdefghi");
    // Every typed character posts a change, refused ones do not.
    EXPECT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages.front(), "7:first");

    TTextEdit* wide = Edit("second");
    Focus(wide);
    KeyEvent(kEventCharUtf8, 0xE9);  // é
    Type("123456789xyz");
    EXPECT_EQ(Content(wide), "\xC3\xA9" "123456789");
}

TEST_F(TextEditTest, RefusedEditsAtTheEndsAreToldAsKindFive)
{
    RecordingEdit* e = Rec();
    Focus(e);
    struct Case
    {
        int type, data;
        std::pair<int, int> asked;
    } cases[] = {
        {kEventChar, 8, {5, 8}},              // backspace at caret 0
        {kEventKeyDown, kKeyLeft & 0xFF, {5, kKeyLeft}},
        {kEventKeyDown, kKeyRight & 0xFF, {5, kKeyRight}},
        {kEventKeyDown, kKeyDelete & 0xFF, {5, kKeyDelete}},
    };
    for (const Case& c : cases)
    {
        e->asked.clear();
        KeyEvent(c.type, c.data);
        ASSERT_FALSE(e->asked.empty()) << c.data;
        EXPECT_EQ(e->asked.back(), c.asked) << c.data;
        EXPECT_EQ(Content(e), "");
    }
    EXPECT_TRUE(messages.empty());
    // Typing asks kind 0; a move asks kind 1; the ignore set swallows.
    e->asked.clear();
    Type("a#b");
    Key(kKeyLeft & 0xFF);
    EXPECT_EQ(Content(e), "ab");
    EXPECT_EQ(e->asked, (std::vector<std::pair<int, int>>{{0, 'a'}, {0, 'b'}, {1, kKeyLeft}}));
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(TextEditTest, PasswordShowsStarsAndTheCaretBlinksWhileFocused)
{
    TTextEdit* e = Edit("second");
    e->SetPassword(true);
    e->SetText("p\xC3\xA9");
    EXPECT_EQ(Shown(e), "***");  // one per byte, no caret without focus
    Focus(e);
    const uint32_t t = static_cast<uint32_t>(e->GetCaretClock().GetTime());
    AdvanceTime(800 - t % 800 + 500);  // the second half of a period
    Send(kEventIdle);
    EXPECT_EQ(Shown(e), "***<cursor>");
    Key(kKeyLeft & 0xFF);
    EXPECT_EQ(Shown(e), "*<cursor>**");
    AdvanceTime(400);  // the first half: the caret is hidden
    Send(kEventIdle);
    EXPECT_EQ(Shown(e), "***");
    EXPECT_EQ(Content(e), "p\xC3\xA9");
}

TEST_F(TextEditTest, CaretMovesAndDeletionsKeepWholeCharacters)
{
    TTextEdit* e = Edit("second");
    Focus(e);
    // a, é (2 bytes), € (3), G clef (4), b.
    e->SetText("a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E" "b");
    const int left = kKeyLeft & 0xFF, right = kKeyRight & 0xFF, del = kKeyDelete & 0xFF;
    struct Step
    {
        int type, data;
        uint32_t caret;
        const char* content;
    } steps[] = {
        {kEventKeyDown, left, 10, nullptr},
        {kEventKeyDown, left, 6, nullptr},
        {kEventKeyDown, left, 3, nullptr},
        {kEventKeyDown, right, 6, nullptr},
        {kEventKeyDown, del, 6, "a\xC3\xA9\xE2\x82\xAC" "b"},
        {kEventChar, 8, 3, "a\xC3\xA9" "b"},
        {kEventKeyDown, right, 4, nullptr},
        {kEventKeyDown, right, 4, nullptr},  // the end: refused
        {kEventChar, 8, 3, "a\xC3\xA9"},
        {kEventChar, 8, 1, "a"},
        {kEventChar, 8, 0, ""},
    };
    for (const Step& s : steps)
    {
        KeyEvent(s.type, s.data);
        EXPECT_EQ(e->GetCaret(), s.caret) << s.data;
        if (s.content) EXPECT_EQ(Content(e), s.content) << s.data;
    }
    // A stray byte (a password edit takes high bytes without utf8) is a
    // character of its own.
    TTextEdit* p = Edit("first");
    p->SetPassword(true);
    Focus(p);
    p->SetText("x\xA9\xE2y");
    Key(left);
    Key(left);
    EXPECT_EQ(p->GetCaret(), 2u);
    KeyEvent(kEventChar, 8);
    EXPECT_EQ(Content(p), "x\xE2y");
    Key(del);
    EXPECT_EQ(Content(p), "xy");
}

TEST_F(TextEditTest, NarrowHighBytesInUtf8ModeBecomeTheirCharacters)
{
    TTextEdit* wide = Edit("second");
    Focus(wide);
    KeyEvent(kEventChar, 0xE9);
    EXPECT_EQ(Content(wide), "\xC3\xA9");
    // Without utf8 or password, high bytes are refused.
    TTextEdit* narrow = Edit("first");
    Focus(narrow);
    KeyEvent(kEventChar, 0xE9);
    EXPECT_EQ(Content(narrow), "abc");
}

TEST_F(TextEditTest, PasteReplacesTheContentWithTheCleanedClipboard)
{
    struct Case
    {
        const char* edit;
        const char* clipboard;
        int key, modifiers;
        const char* content;
        bool taken;
    } cases[] = {
        {"first", "two\nwords", 'V', kModControl, "twowords", true},
        {"first", "shift\tins", kKeyInsert & 0xFF, kModShift, "shiftins", true},
        {"first", "0123456789\n", 'V', kModControl, "0123456789", true},  // cut, then cleaned
        {"first", "caf\xC3\xA9", 'V', kModControl, "abc", false},  // multi-byte without utf8
        {"first", "", 'V', kModControl, "abc", false},
        {"second", "caf\xC3\xA9 et plus encore", 'V', kModControl, "caf\xC3\xA9 et pl", true},
        {"rec", "a#b|c\r\n", 'V', kModControl, "abc", true},
        {"first", "v", 'V', 0, "abc", true},  // a plain V is typing, not paste
    };
    for (const Case& c : cases)
    {
        TTextEdit* e = Edit(c.edit);
        e->SetText(c.edit == std::string("first") ? "abc" : "");
        edits.clipboard = c.clipboard;
        EXPECT_EQ(e->OnKeyDown(static_cast<int8_t>(c.key), c.modifiers), c.taken) << c.clipboard;
        EXPECT_EQ(Content(e), c.content) << c.clipboard;
        EXPECT_EQ(e->GetCaret(), std::string(c.content).size());
    }
}

TEST_F(TextEditTest, TabSkipsHiddenEditsAndStaysInItsModal)
{
    TTextEdit* first = Edit("first");
    TTextEdit* second = Edit("second");
    ASSERT_EQ(first->GetRing(), second->GetRing());
    EXPECT_EQ(first->GetRing()->size(), 4u);
    Focus(first);
    Type("\t");
    EXPECT_EQ(wm->GetFocusWindow(), second);
    Type("\t");
    EXPECT_EQ(wm->GetFocusWindow(), Edit("rec"));
    Type("\t");
    EXPECT_EQ(wm->GetFocusWindow(), first);

    // A dialog above has a ring of its own.
    Eval("PushModal('above'); MakeDialog{ TextEdit{ name = 'top', w = 100, h = 20 } }");
    TTextEdit* top = Edit("top");
    EXPECT_EQ(top->GetRing()->size(), 1u);
    EXPECT_EQ(first->GetRing()->size(), 4u);
    Focus(top);
    Type("\t");
    EXPECT_EQ(wm->GetFocusWindow(), top);
}

TEST_F(TextEditTest, AnEditWithoutRingIsPassedOver)
{
    auto* loose = new TTextEdit();
    loose->SetName("loose");
    Edit("first")->GetParent()->AddChild(loose, false);  // no attach: no ring
    ASSERT_EQ(loose->GetRing(), nullptr);
    Eval("MakeDialog{ TextEdit{ name = 'late', w = 100, h = 20 } }");
    TTextEdit* late = Edit("late");
    ASSERT_NE(late->GetRing(), nullptr);
    EXPECT_EQ(late->GetRing(), Edit("first")->GetRing());
}

TEST_F(TextEditTest, ACharacterWithoutAGlyphIsRefused)
{
    TVecFont* font = GetFontRegistry().GetFont("__DEFAULT");
    ASSERT_NE(font, nullptr);
    ASSERT_LT(font->FindGlyph(0x4E2D), 0);
    RecordingEdit* e = Rec();
    Focus(e);
    KeyEvent(kEventCharUtf8, 0x4E2D);
    EXPECT_EQ(Content(e), "");
    EXPECT_EQ(e->asked, (std::vector<std::pair<int, int>>{{5, ' '}}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(TextEditTest, LabelsAreNeverTranslated)
{
    const std::string sheet =
        "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n"
        "<Row><Cell><Data ss:Type=\"String\">HELLO</Data></Cell><Cell><Data ss:Type=\"String\">"
        "Bonjour</Data></Cell></Row>\n</Table></Worksheet></Workbook>\n";
    edits.strings.AddBuffer(sheet.data(), sheet.size());
    wm->SetTranslateLabels(true);
    Eval("MakeDialog{ TextEdit{ name = 'name', w = 100, h = 20, label = 'HELLO' },"
         " Text{ name = 'caption', w = 100, h = 20, label = 'HELLO' } }");
    EXPECT_EQ(Content(Edit("name")), "HELLO");
    EXPECT_EQ(Eval("r = GetLabel('caption')"), "Bonjour");
    EXPECT_TRUE(wm->GetTranslateLabels());
}

}  // namespace

namespace
{

// Without a window manager (shutdown, tests) an edit types, moves, pastes
// and goes without reaching for one.
TEST(TextEditWithoutManager, EditsAndGoes)
{
    ASSERT_EQ(GetWindowManager(), nullptr);
    auto* e = new TTextEdit();
    e->JoinRing();
    ASSERT_NE(e->GetRing(), nullptr);
    EXPECT_TRUE(e->OnText("a"));
    EXPECT_TRUE(e->OnChar('b'));
    EXPECT_TRUE(e->OnKeyDown(static_cast<int8_t>(kKeyLeft), 0));
    EXPECT_TRUE(e->OnKeyDown(static_cast<int8_t>(kKeyDelete), 0));
    EXPECT_FALSE(e->OnText("\t"));
    e->OnKeyDown('V', kModControl);  // no clipboard without an application
    EXPECT_STREQ(e->GetText().CStr(), "a");
    EXPECT_TRUE(e->OnTimer());
    delete e;
}

}  // namespace
