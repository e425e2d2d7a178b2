// Buttons made from the controls fixture: the layer shown per type, state
// and on bit, image reuse, radio groups, the press with its command and
// messages, the close option, a command that closes its dialog, and button
// names that never become script source.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/AssetManager.h"
#include "core/Settings.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/TestDisplayHost.h"
#include "platform/null/AudioFake.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "sound/support/OggFixtures.h"
#include "script/Binding.h"
#include "ui/Button.h"
#include "ui/WindowScript.h"
#include "ui/support/ControlTestSupport.h"

using namespace uitest;

// The GL driver of the headless display keeps allocations past exit.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

// Takes every message without receiver and logs it.
class LogListener : public TMessageListener
{
public:
    explicit LogListener(CallLog* log) : log_(log) {}
    bool OnMessage(TMessage* m) override
    {
        log_->push_back("listener " + std::to_string(m->GetKind()) + " " + m->GetName().CStr());
        return true;
    }

private:
    CallLog* log_;
};

// Closes the top dialog at once, as a command run by a waiting script does.
class PopAction : public TButton::Action
{
public:
    void Run(TButton*) override { GetWindowManager()->PopModal("dlg"); }
};

// Records the on bit its button has while the command runs.
class ToggleProbe : public TButton::Action
{
public:
    static inline int seen = -1;
    void Run(TButton* b) override { seen = b->IsOn() ? 1 : 0; }
};

class ButtonTest : public ScriptUiTest
{
protected:
    // The fixture dialog pushed as "dlg".
    void LoadButtons()
    {
        Eval("PushModal('dlg')");
        ASSERT_EQ(script->DoLuaString(ReadControls("buttons.lua").c_str()), 0);
    }
    TButton* Button(const char* name)
    {
        TWindow* w = wm->GetTopModal()->FindChild(name, -1);
        EXPECT_TRUE(w != nullptr && w->IsKindOf(TButton::ClassId())) << name;
        return static_cast<TButton*>(w);
    }
    // The names of the visible children, front first.
    static std::string Shown(const TWindow* w)
    {
        std::string out;
        for (const TWindow* c : w->GetChildren())
            if (c->GetFlags() & kWindowVisible) out += (out.empty() ? "" : " ") + std::string(c->GetName().CStr());
        return out;
    }
    // A press; the commands it queued run as the script's message loop
    // runs them.
    void Press(TButton* b, TPoint p = TPoint(1, 1))
    {
        b->OnMouseDown(p);
        b->OnMouseUp(p);
        RunCommands();
    }
    void RunCommands() { Eval("while gCommandQueue[1] ~= nil do table.remove(gCommandQueue)() end"); }
};

TEST_F(ButtonTest, LayerPerTypeStateAndOnBit)
{
    LoadButtons();
    struct Case
    {
        const char* button;
        int state;
        const char* shown;
    } cases[] = {
        {"push", TButton::kNormal, "image0"},   {"push", TButton::kPressed, "image1"},
        {"push", TButton::kHover, "image2"},
        // Graphics a, "", c: the pressed layer reuses a.
        {"gap", TButton::kNormal, "image0"},    {"gap", TButton::kPressed, "image0"},
        {"gap", TButton::kHover, "image2"},
        // A toggle made with "on" shows the on layers.
        {"toggle", TButton::kNormal, "image1"}, {"toggle", TButton::kPressed, "image0"},
        {"toggle", TButton::kHover, "image3"},
        // Radio buttons off.
        {"r3", TButton::kNormal, "image0"},     {"r3", TButton::kPressed, "image1"},
        {"r3", TButton::kHover, "image2"},
    };
    for (const Case& c : cases)
    {
        TButton* b = Button(c.button);
        b->SetStateBits(c.state);
        EXPECT_EQ(Shown(b), c.shown) << c.button << " " << c.state;
        b->SetStateBits(TButton::kNormal);
    }
    // Every layer holds exactly its image; a missing middle entry files the
    // previous image twice.
    EXPECT_EQ(Button("gap")->GetChildren().size(), 2u);
    EXPECT_EQ(Button("gap")->GetLayer(1), Button("gap")->GetLayer(0));
    EXPECT_EQ(Button("push")->GetLayer(3).size(), 0u);
}

TEST_F(ButtonTest, EmptyFirstGraphicsEntryFilesNothingAndLaterChildrenShowOnEveryLayer)
{
    Eval("PushModal('dlg'); MakeDialog{ Button{ name = 'b', w = 10, h = 10, graphics = { '', 'x.png', '' },"
         " Window{ name = 'label', w = 5, h = 5 } } }");
    TButton* b = Button("b");
    EXPECT_EQ(b->GetLayer(0).size(), 1u);  // the label only
    EXPECT_EQ(b->GetLayer(2), b->GetLayer(1));
    TWindow* label = b->FindChild("label", 1);
    ASSERT_NE(label, nullptr);
    for (int state : {TButton::kNormal, TButton::kPressed, TButton::kHover})
    {
        b->SetStateBits(state);
        EXPECT_TRUE(label->GetFlags() & kWindowVisible) << state;
    }
    b->RemoveChild(label);
    for (int layer = 0; layer < 4; ++layer)
        for (TWindow* w : b->GetLayer(layer)) EXPECT_NE(w, label);
    wm->ScheduleDelete(label);
}

TEST_F(ButtonTest, RadioGroupsRunFromTheirFirstButtonToTheNext)
{
    LoadButtons();
    // r4 was turned on before its own group flag was set: its group then
    // still began at r1, so r2 went off.
    EXPECT_EQ(Eval("r = tostring(GetButtonToggleState('r2')) .. tostring(GetButtonToggleState('r4'))"),
              "falsetrue");
    Press(Button("r3"));
    EXPECT_FALSE(Button("r1")->IsOn());
    EXPECT_FALSE(Button("r2")->IsOn());
    EXPECT_TRUE(Button("r3")->IsOn());
    EXPECT_TRUE(Button("r4")->IsOn());  // the next group
    Eval("SetButtonToggleState('r1', true)");
    EXPECT_TRUE(Button("r1")->IsOn());
    EXPECT_FALSE(Button("r3")->IsOn());
    EXPECT_TRUE(Button("r4")->IsOn());
    // Without any group start nobody turns anybody off.
    EXPECT_TRUE(Button("n1")->IsOn());
    EXPECT_TRUE(Button("n2")->IsOn());
    EXPECT_EQ(Eval("r = tostring(GetButtonToggleState('panel')) .. tostring(GetButtonToggleState('none'))"),
              "falsefalse");
}

TEST_F(ButtonTest, ToggleRunsItsCommandWhileStillOnThenShowsHoverOff)
{
    LoadButtons();
    TButton* t = Button("toggle");
    t->SetAction(new ToggleProbe());
    t->OnMouseMove(TPoint(2, 2));
    EXPECT_EQ(Shown(t), "image3");
    EXPECT_EQ(wm->GetHoverList().size(), 1u);
    Press(t, TPoint(2, 2));
    EXPECT_EQ(ToggleProbe::seen, 1);
    EXPECT_FALSE(t->IsOn());
    EXPECT_EQ(t->GetVisualState(), TButton::kHover);
    EXPECT_EQ(Shown(t), "image2");
    // Leaving the rectangle leaves the hover state and the hover list.
    EXPECT_FALSE(t->OnMouseMove(TPoint(-1, 2)));
    EXPECT_EQ(t->GetVisualState(), TButton::kNormal);
    EXPECT_TRUE(wm->GetHoverList().empty());
    // A release outside does not click.
    t->OnMouseDown(TPoint(2, 2));
    t->OnMouseUp(TPoint(200, 2));
    EXPECT_FALSE(t->IsOn());
}

TEST_F(ButtonTest, NamesReachGetButtonNameAsValuesNeverAsSource)
{
    const char* name = "]]; end; gInjected = true; function GetButtonName() return [[";
    Eval("PushModal('dlg')");
    Eval(std::string("MakeDialog{ Button{ name = '") + name +
         "', w = 10, h = 10, command = function() gName = GetButtonName() end } }");
    auto* b = static_cast<TButton*>(wm->GetTopModal()->FindChild(name, -1));
    ASSERT_NE(b, nullptr);
    Press(b);
    EXPECT_EQ(Global("gName"), name);
    EXPECT_EQ(Global("gInjected"), "nil");
    // "SetCommand" replaces the action; the name still arrives unchanged.
    Eval("SetCommand('" + std::string(name) + "', function() gSecond = GetButtonName() end)");
    Press(b);
    EXPECT_EQ(Global("gSecond"), name);
    EXPECT_EQ(Global("gInjected"), "nil");
}

TEST_F(ButtonTest, CloseButtonQueuesTheCloseBeforeThePressAndSetsTheReturnValue)
{
    wm->AddListener(new LogListener(&log));
    RecModal* dlg = Modal("dlg", 200, 100);
    RecWindow* parent = Window(dlg, "parent", TRect(0, 0, 100, 100));
    parent->take = {"OnMessage"};
    auto* b = new TButton();
    b->SetName("ok");
    b->SetSize(20, 20);
    parent->AddChild(b, true);
    b->SetOptions(TButton::kOptionClose);
    Calls();
    Press(b);
    wm->FlushMessages();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"listener 1 " + std::string(dlg->GetIdString().CStr()),
                                                  "parent.OnMessage ok"}));
    EXPECT_EQ(Global("gReturnValue"), "ok");
}

TEST_F(ButtonTest, CommandClosingItsDialogDropsThePressUnlessSentToTheParent)
{
    for (bool toParent : {false, true})
    {
        RecModal* base = Modal("base", 300, 300);
        base->take = {"OnMessage"};
        wm->PushModal(base);
        Eval("PushModal('dlg')");
        Eval(std::string("MakeDialog{ Button{ name = 'shut', w = 10, h = 10, sendToParent = ") +
             (toParent ? "true" : "false") + " } }");
        TButton* b = Button("shut");
        b->SetAction(new PopAction());
        EXPECT_TRUE(b->RunCommand());
        wm->FlushMessages();
        EXPECT_EQ(base->messageKinds, toParent ? std::vector<int>{kButtonPress} : std::vector<int>{})
            << toParent;
        wm->PopTopModal();
        wm->FlushMessages();
    }
}

TEST_F(ButtonTest, HiddenButtonsLeaveTheHoverList)
{
    LoadButtons();
    TButton* p = Button("push");
    p->OnMouseMove(TPoint(1, 1));
    ASSERT_EQ(wm->GetHoverList().size(), 1u);
    EXPECT_EQ(Eval("r = EnableWindow('push', false)"), "true");
    EXPECT_TRUE(wm->GetHoverList().empty());
    EXPECT_EQ(p->GetVisualState(), TButton::kNormal);
}

TEST_F(ButtonTest, DoSelectLayerShowsALayerOfTheCurrentWindow)
{
    LoadButtons();
    TButton* p = Button("push");
    wm->GetScript()->PushWindow(p);
    Eval("DoSelectLayer(2)");
    EXPECT_EQ(Shown(p), "image2");
    wm->GetScript()->PopWindow();
    Eval("DoSelectLayer(1)");  // the modal is no layered window
    EXPECT_EQ(Shown(p), "image2");
}

// Counts the presses that reach the command.
class CountAction : public TButton::Action
{
public:
    int* runs;
    explicit CountAction(int* r) : runs(r) {}
    void Run(TButton*) override { ++*runs; }
};

// A 20x20 mask, bright but for a dark 5x5 top-left corner, over a 40x40
// button: with "fixbuttonmask" the point is scaled down into the mask,
// without it scaled up (and past the mask's end from the middle on).
TEST_F(ButtonTest, ReleaseOnADarkMaskPixelDoesNotClick)
{
    ImageAssets assets;
    TAssetManager manager;
    ImageDisplay display{64, 64};
    ASSERT_TRUE(display.Ready());
    SetGlobalAssetManager(&manager);
    std::vector<uint32_t> px(20 * 20, 0xFFC0C0C0u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) px[size_t(y) * 20 + x] = 0xFF131313u;
    assets.Put("mask.png", imagefx::PngFromArgb(20, 20, px, false));
    struct Case
    {
        const char* fix;
        TPoint point;
        bool clicks;
    } cases[] = {
        {"1", TPoint(4, 4), false},  {"1", TPoint(30, 30), true}, {"1", TPoint(12, 12), true},
        {"0", TPoint(4, 4), true},   {"0", TPoint(1, 1), false},  {"0", TPoint(30, 30), false},
    };
    for (const Case& c : cases)
    {
        SetSetting("fixbuttonmask", c.fix);
        Eval("PushModal('dlg'); MakeDialog{ Button{ name = 'm', w = 40, h = 40, mask = 'mask.png' } }");
        TButton* b = Button("m");
        int runs = 0;
        b->SetAction(new CountAction(&runs));
        Press(b, c.point);
        EXPECT_EQ(runs, c.clicks ? 1 : 0) << c.fix << " " << c.point.x << "," << c.point.y;
        wm->PopTopModal();
        wm->FlushMessages();
    }
    SetSetting("fixbuttonmask", "");
    wm.reset();
    SetGlobalAssetManager(nullptr);
}

// Sounds on the fake audio device: the rollover sound on entering hover
// (again when a click returns to hover), the click sound on the press, and
// nothing from a hidden button.
TEST_F(ButtonTest, RolloverAndClickSoundsPlayOnlyWhenShown)
{
    std::shared_ptr<TFakeAudio> fake = TFakeAudio::Install();
    auto manager = std::make_unique<TSoundManager>();
    ASSERT_TRUE(manager->Init());
    RegisterOggDataSourceBuilder();
    TAssetManager assets;
    SetGlobalAssetManager(&assets);
    TTempFolder folder;
    folder.Write("click.ogg", MakeOggTone(1, 22050, 0.2, 880.0));
    folder.Write("roll.ogg", MakeOggTone(1, 22050, 0.2, 440.0));
    const std::string click = folder.Name("click"), roll = folder.Name("roll");
    Eval("PushModal('dlg'); MakeDialog{ Button{ name = 's', w = 20, h = 20, sound = '" + click +
         "', rolloversound = '" + roll + "' } }");
    TButton* b = Button("s");
    int runs = 0;
    b->SetAction(new CountAction(&runs));
    const auto plays = [&](const std::string& name)
    { return TSound::Get(name.c_str(), true, 0)->GetData()->instances.size(); };
    struct Step
    {
        const char* what;
        size_t clicks, rolls;
    } steps[] = {{"move", 0, 1}, {"down", 0, 1}, {"up", 1, 2}, {"leave", 1, 2}, {"hide", 1, 2},
                 {"move", 1, 2}, {"down", 1, 2}, {"up", 1, 2}};
    for (const Step& s : steps)
    {
        const std::string what = s.what;
        if (what == "move") b->OnMouseMove(TPoint(5, 5));
        if (what == "down") b->OnMouseDown(TPoint(5, 5));
        if (what == "up") b->OnMouseUp(TPoint(5, 5));
        if (what == "leave") b->OnMouseLeave();
        if (what == "hide") Eval("EnableWindow('s', false)");
        EXPECT_EQ(plays(click), s.clicks) << what;
        EXPECT_EQ(plays(roll), s.rolls) << what;
    }
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(fake->LiveBuffers().size(), 3u);
    wm.reset();
    manager.reset();
    TFakeAudio::Uninstall();
    SetGlobalAssetManager(nullptr);
}

}  // namespace

namespace
{

// Hot keys and Enter/Escape of a modal over buttons made in C++; a focus
// window below the dialog records the characters and messages it gets.
class HotKeyTest : public ButtonTest
{
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        Eval("PushModal('dlg')");
        dlg = static_cast<TModalWindow*>(wm->GetTopModal());
        dlg->SetSize(300, 200);
        focus = Window(dlg, "focus", TRect(0, 100, 50, 150));
        focus->take = {"OnMessage"};
        for (const char* name : {"open", "print", "ok", "cancel"})
        {
            auto* b = new TButton();
            b->SetName(name);
            b->SetSize(20, 20);
            dlg->AddChild(b, true);
            b->SetAction(new NameAction(&runs));
        }
        Button("ok")->SetOptions(TButton::kOptionDefault);
        Button("cancel")->SetOptions(TButton::kOptionCancel);
        wm->SetFocusWindow(focus);
        Calls();
    }
    void KeyDown(char key, int modifiers) { Send(kEventKeyDown, 0, 0, static_cast<unsigned char>(key), modifiers); }
    void Char(char c) { Send(kEventChar, 0, 0, static_cast<unsigned char>(c)); }

    TempLog tempLog;
    TModalWindow* dlg = nullptr;
    RecWindow* focus = nullptr;
    std::vector<std::string> runs;
};

TEST_F(HotKeyTest, HotKeysPressTheirButtons)
{
    Eval("_RegisterHotkey('control-o', 'open'); _RegisterHotkey('@p', 'print'); _RegisterHotkey('', 'open')");
    struct Case
    {
        char key;
        int modifiers;
        std::vector<std::string> runs;
    } cases[] = {
        {'O', 2, {"open"}}, {'O', 0, {}},        {'O', 3, {}},
        {'P', 0, {"print"}}, {'P', 7, {"print"}}, {'Q', 2, {}},
    };
    for (const Case& c : cases)
    {
        runs.clear();
        KeyDown(c.key, c.modifiers);
        EXPECT_EQ(runs, c.runs) << c.key << " " << c.modifiers;
    }
    // An empty button name removes the key.
    Eval("_RegisterHotkey('ctrl-o', '')");
    runs.clear();
    KeyDown('O', 2);
    EXPECT_TRUE(runs.empty());
    // A button that is not there is reported; the key still counts.
    dlg->RegisterHotkey("x", "nowhere");
    EXPECT_TRUE(dlg->OnKeyDown('X', 0));
    EXPECT_TRUE(tempLog.Has("ERROR: Hot key button not found. Button:'nowhere'"));
}

TEST_F(HotKeyTest, TheHotKeysOwnCharacterIsSwallowedButNotTheNext)
{
    dlg->RegisterHotkey("@p", "print");
    KeyDown('P', 0);
    Char('p');
    Char('q');
    std::vector<std::string> chars;
    for (const std::string& line : Calls())
        if (line.rfind("focus.OnChar", 0) == 0) chars.push_back(line);
    EXPECT_EQ(chars, (std::vector<std::string>{"focus.OnChar 113"}));
    EXPECT_EQ(runs, (std::vector<std::string>{"print"}));
}

TEST_F(HotKeyTest, EnterAndEscapeRunTheDefaultAndCancelButtons)
{
    // The command leaves the button in the tree, so the focus window hears
    // kDefaultAction as well.
    Char(13);
    Char(27);
    EXPECT_EQ(runs, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_EQ(focus->messageKinds, (std::vector<int>{kDefaultAction, kDefaultAction}));
    // A hidden default button is passed over.
    runs.clear();
    focus->messageKinds.clear();
    EXPECT_EQ(Eval("r = tostring(EnableWindow('ok', false))"), "true");
    Char(13);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(focus->messageKinds, (std::vector<int>{kDefaultAction}));
    EXPECT_FALSE(dlg->OnChar('a'));
}

TEST_F(HotKeyTest, LabelAndKeyTexts)
{
    struct Case
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"local l, k = StripKeyFromLabel('&Open'); r = l .. '|' .. k", "Open|@O"},
        {"local l, k = StripKeyFromLabel('Save'); r = l .. '|' .. k", "Save|"},
        {"local l, k = StripKeyFromLabel('S&'); r = l .. '|' .. k", "S|"},
        {"local l, k = StripKeyFromLabel('&\\195\\169t\\195\\169'); r = l .. '|' .. k", "\xC3\xA9t\xC3\xA9|"},
        {"r = TagHotKey('@O', 'Open')", "<u>O</u>pen"},
        {"r = TagHotKey('ctrl-s', 'Press save')", "Pre<u>s</u>s save"},
        {"r = TagHotKey('', 'Open')", "Open"},
        {"r = TagHotKey('@z', 'Open')", "Open"},
        {"r = TagHotKey('@\\169', '\\195\\169')", "\xC3\xA9"},
        {"r = GetLabel('ok')", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.expected) << c.text;
    EXPECT_STREQ(HotKeyText("").CStr(), "");
    EXPECT_STREQ(HotKeyText("\xC3\xA9").CStr(), "\xA9");
    EXPECT_STREQ(HotKeyText("control-alt-x").CStr(), "ctrl-alt-X");
}

}  // namespace
