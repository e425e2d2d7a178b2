// The window script: its bindings, the window type registry, windows made
// from tables, the hand-over of messages to the waiting script, and the
// window library driven as the game drives it (a script coroutine, idle
// passes through the manager, injected time).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "graphics/support/ImageFixtures.h"
#include "script/lib/auxlib.h"
#include "core/FileTestSupport.h"
#include "core/Settings.h"
#include "core/StringTable.h"
#include "host/HostServices.h"
#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "ui/Image.h"
#include "ui/MovieHost.h"
#include "ui/WindowScript.h"
#include "ui/support/UiTestSupport.h"

using namespace uitest;

namespace
{

class FakeGameState : public THostGameState
{
public:
    std::vector<std::string> states;
    void SetState(const TString& key, const TString& value) override
    {
        states.push_back(std::string(key.CStr()) + "=" + value.CStr());
    }
    void SetStateInt(const TString&, int) override {}
    bool IsHeld() override { return false; }
    bool LoadModule(const TString&) override { return false; }
    void AddFirstPeekHandler() override {}
    void AddPostMetricsHandler() override {}
    void EnableMsnMode() override {}
    void EnableZylomMode() override {}
    void EnablePortalHandler() override {}
    bool IsZylomMode() const override { return false; }
    uint32_t GetHostPausedTime() const override { return 0; }
};

class ScriptAppLink : public FakeAppLink
{
public:
    std::string clipboard;
    TStringTable strings;
    FakeGameState* gameState = nullptr;
    void GetDisplaySize(int& w, int& h) const override { w = 800, h = 600; }
    bool SetClipboardText(const TString& text) override
    {
        clipboard = text.CStr();
        return true;
    }
    TStringTable* GetStringTable() const override { return const_cast<TStringTable*>(&strings); }
    THostGameState* GetGameState() const override { return gameState; }
};

// Refuses to be attached: GenericCreate must delete it.
class RefusingWindow : public TWindow
{
public:
    static int deleted;
    ~RefusingWindow() override { ++deleted; }
    bool OnAttached() override { return false; }
};
int RefusingWindow::deleted = 0;
const TWindowClassInfo kRefusingClass{"RefusingWindow", &MakeWindowOf<RefusingWindow>};

std::string ReadFixture(const char* name)
{
    std::ifstream in(std::string(ORVELLE_TEST_DATA) + "/ui/scripts/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class WindowScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"dialog.lua", "main.lua", "swap.lua", "params.lua"})
            tree.Write(std::string("assets/") + name, ReadFixture(name));
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        SetFakeTime(1000);
        ResetWindowIdCounter();
        SetWindowAppLink(&app);
        app.gameState = &gameState;
        wm = std::make_unique<TWindowManager>();
        wm->CreateRootScreen(800, 600);
        wm->CreateWindowScript();
        script = static_cast<TWindowScript*>(wm->GetScript());
        L = script->GetState();
    }
    void TearDown() override
    {
        wm.reset();
        EXPECT_EQ(app.tasks.Count(), 0);
        SetWindowAppLink(nullptr);
        SetClockTimeSource(nullptr);
        SetMovieHostFactory(nullptr);
    }

    // Runs text, then gives the global r as text ("nil" when unset).
    std::string Eval(const std::string& text)
    {
        EXPECT_EQ(script->DoLuaString(("r = nil; " + text).c_str()), 0) << text;
        return Global("r");
    }
    // Read through the API: a text run while the script waits would be
    // handed to the waiting script as a command.
    std::string Global(const char* name)
    {
        lua_pushstring(L, name);
        lua_gettable(L, LUA_GLOBALSINDEX);
        std::string out;
        switch (lua_type(L, -1))
        {
        case LUA_TNIL: out = "nil"; break;
        case LUA_TBOOLEAN: out = lua_toboolean(L, -1) ? "true" : "false"; break;
        case LUA_TNUMBER:
        case LUA_TSTRING: out = LuaArgString(L, -1).CStr(); break;
        default: out = lua_typename(L, lua_type(L, -1)); break;
        }
        lua_pop(L, 1);
        return out;
    }
    // Starts body as the script's coroutine, as the game's main loop does.
    void Start(const std::string& body)
    {
        ASSERT_EQ(script->DoLuaString(("return function() " + body + " end").c_str()), 0);
    }
    // One idle pass of the host: the manager's event, then the task list.
    void Pass(uint32_t advanceMs = 0)
    {
        AdvanceTime(advanceMs);
        TEvent ev;
        ev.type = kEventIdle;
        wm->HandleEvent(ev);
        app.tasks.RunTasks(TaskPhaseIdle);
    }
    void Key(int type, int data)
    {
        TEvent ev;
        ev.type = type;
        ev.data = data;
        wm->HandleEvent(ev);
    }
    void Post(int kind, const char* name) { wm->QueueMessage(new TMessage(kind, name)); }
    std::string Log() const { return tree.Log(); }

    filetest::TempTree tree;
    ScriptAppLink app;
    FakeGameState gameState;
    std::unique_ptr<TWindowManager> wm;
    TWindowScript* script = nullptr;
    lua_State* L = nullptr;
};

TEST_F(WindowScriptTest, LibraryIsBuiltInAndDefinesItsGlobals)
{
    EXPECT_NE(std::string(GetWindowLibraryText(), GetWindowLibrarySize()).find("WaitForCloseMessage"),
              std::string::npos);
    EXPECT_EQ(Eval("r = kPushButtonAlignment .. kSliderPageDown .. kUserMessageBase .. gCurID"),
              "5121000100");
    EXPECT_EQ(Eval("r = kHiscoreAnonymous .. type(gMessageQueue) .. type(WaitForCloseMessage)"),
              "hiscoreanontablefunction");
    EXPECT_TRUE(script->IsRegisteredType("Bitmap"));
    EXPECT_TRUE(script->IsRegisteredType("Window"));
    // Listed once on the application task list; the manager takes it off.
    EXPECT_EQ(app.tasks.Count(), 1);
}

TEST_F(WindowScriptTest, LibraryCompilesOnItsOwn)
{
    TScript fresh;
    lua_State* F = fresh.GetState();
    const int top = lua_gettop(F);
    ASSERT_EQ(luaL_loadbuffer(F, GetWindowLibraryText(), GetWindowLibrarySize(), "gScreenInit"), 0)
        << lua_tostring(F, -1);
    lua_settop(F, top);
    // Running it in the window script logged no error.
    EXPECT_EQ(Log().find("gScreenInit"), std::string::npos);
}

TEST_F(WindowScriptTest, BindingsAsLuaTexts)
{
    RecWindow* child = new RecWindow(nullptr, "child");
    wm->GetScreen()->AddChild(child, false);
    child->SetSize(40, 20);
    app.strings.AddBuffer("<x/>", 4);
    SetSetting("flag", "1");
    SetSetting("speed", "fast");
    const std::string screenId = wm->GetScreen()->GetIdString().CStr();
    struct Case
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"r = GetWindowDepth()", "1"},
        {"r = _GetString('#plain', '', '', '', '', '')", "plain"},
        {"r = EnableWindow('nowhere', true)", "false"},
        {"r = EnableWindow('child', false)", "true"},
        {"r = GetConfig('speed', 'slow') .. GetConfig('none', 'dflt')", "fastdflt"},
        {"r = tostring(IsEnabled('flag')) .. tostring(IsEnabled('none'))", "truefalse"},
        {"r = ImageLoaded('child')", "false"},
        {"r = IsMoviePlaying()", "false"},
        {"r = StartMovie('intro.swf', false, false)", "false"},
        {"r = GetTimer()", "1000"},
        {"StringToClipboard('copied'); r = 1", "1"},
        {"local m = CreateNamedMessage(1001, 'hello'); r = m.type .. m.name .. tostring(m.other)",
         "1001hellonil"},
        {"r = CreateCloseMessage().name", screenId.c_str()},
        {"r = string.len(PushModal('dlg')) .. GetWindowDepth()", "82"},
        {"DoPopModal('dlg'); r = GetWindowDepth()", "1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.expected) << c.text;
    EXPECT_FALSE(child->GetFlags() & kWindowVisible);
    EXPECT_EQ(app.clipboard, "copied");
}

TEST_F(WindowScriptTest, EnableWindowClimbsFromTheTopModal)
{
    RecWindow* below = new RecWindow(nullptr, "below");
    wm->GetScreen()->AddChild(below, false);
    Eval("PushModal('dlg')");
    // Not in the dialog: found one level up, in the screen.
    EXPECT_EQ(Eval("r = EnableWindow('below', false)"), "true");
    EXPECT_FALSE(below->GetFlags() & kWindowVisible);
    EXPECT_EQ(Eval("r = EnableWindow('below', true)"), "true");
    EXPECT_TRUE(below->GetFlags() & kWindowVisible);
}

TEST_F(WindowScriptTest, MissingWindowsAndAnEmptyStackDoNothing)
{
    // The last modal popped: the current-window stack holds a null entry.
    wm->PopTopModal();
    Pass();
    EXPECT_EQ(script->GetCurrentWindow(), nullptr);
    EXPECT_EQ(Eval("PostCreate({}); SetWindowName('x'); DoFitToChildren(); RealSetFocus('x');"
                   "DestroyWindow('x'); ClearModalChildren(); r = GetWindowDepth()"),
              "0");
    EXPECT_EQ(Eval("r = CreateCloseMessage().name"), "");
    EXPECT_EQ(Eval("r = EnableWindow('x', true)"), "false");
    EXPECT_EQ(Eval("GenericCreate({ typename = 'Window' }); r = 1"), "1");
}

TEST_F(WindowScriptTest, DestroyWindowRefusesModalsAndRoots)
{
    Eval("PushModal('dlg')");
    Eval("MakeDialog{ Window{ name = 'gone', w = 5, h = 5 } }");
    TWindow* top = wm->GetTopModal();
    ASSERT_NE(top->FindChild("gone", -1), nullptr);
    Eval("DestroyWindow('dlg')");
    EXPECT_NE(Log().find("DestroyWindow: \"dlg\""), std::string::npos);
    EXPECT_EQ(wm->GetTopModal(), top);
    Eval("DestroyWindow('gone')");
    EXPECT_EQ(top->FindChild("gone", -1), nullptr);
    Pass();
    // The screen itself has no parent.
    wm->PopTopModal();
    Pass();
    script->SetTopModal(wm->GetScreen());
    Eval("DestroyWindow('_screen_')");
    EXPECT_NE(Log().find("DestroyWindow: \"_screen_\""), std::string::npos);
}

TEST_F(WindowScriptTest, GenericCreateByTypeName)
{
    EXPECT_EQ(Eval("Window{ name = 'w', w = 100, h = 50 }(); r = gDialogWidth .. 'x' .. gDialogHeight"),
              "100x50");
    EXPECT_EQ(Eval("local x = DistributeX(3) local y = DistributeY(1) r = x[1] .. ',' .. x[3] .. ',' .. y[1]"),
              "25,75,25");
    TWindow* w = wm->GetScreen()->FindChild("w", 1);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetWidth(), 100);
    // Back at the screen after DoWindow's PopWindow.
    EXPECT_EQ(script->GetCurrentWindow(), wm->GetScreen());

    // Unknown names make nothing and are not entered.
    const size_t before = wm->GetScreen()->GetChildren().size();
    Eval("GenericCreate({ typename = 'Nope' }); GenericCreate({})");
    EXPECT_EQ(wm->GetScreen()->GetChildren().size(), before);
    EXPECT_FALSE(script->IsRegisteredType("Nope"));

    // A window its parent refuses is deleted, not leaked.
    script->RegisterWindowType("Refusing", &kRefusingClass);
    RefusingWindow::deleted = 0;
    Eval("Refusing{ name = 'no' }()");
    EXPECT_EQ(RefusingWindow::deleted, 1);
    EXPECT_EQ(wm->GetScreen()->GetChildren().size(), before);
}

TEST_F(WindowScriptTest, TypeNamesMustBeIdentifiers)
{
    for (const char* bad : {"", "1abc", "a-b", "x')print('y", "two words"})
    {
        script->RegisterWindowType(bad, &kRefusingClass);
        EXPECT_FALSE(script->IsRegisteredType(bad)) << bad;
    }
    EXPECT_NE(Log().find("RegisterWindowType: refused"), std::string::npos);
    script->RegisterWindowType("_Ok9", &kRefusingClass);
    EXPECT_TRUE(script->IsRegisteredType("_Ok9"));
    EXPECT_EQ(Eval("r = type(_Ok9)"), "function");
}

TEST_F(WindowScriptTest, PostMessageTakesOnlyMessageValues)
{
    const size_t before = wm->GetQueuedCount();
    Eval("PostMessage(5); PostMessage({}); PostMessage(nil); PostMessage('x');"
         "PostMessage(newproxy and newproxy() or 7)");
    EXPECT_EQ(wm->GetQueuedCount(), before);
    Eval("PushModal('dlg'); PostMessageToParent(CreateNamedMessage(1001, 'up'))");
    ASSERT_EQ(wm->GetQueuedCount(), before + 1);
    Eval("PostMessage(CreateNamedMessage(1002, 'here'))");
    EXPECT_EQ(wm->GetQueuedCount(), before + 2);
    // Nobody takes them: the idle script queues both values.
    Pass();
    EXPECT_EQ(Eval("r = table.getn(gMessageQueue)"), "2");

}

// A global function as a command reference, made without running anything.
TLuaFunction* Command(lua_State* L, const char* global)
{
    lua_pushstring(L, global);
    lua_gettable(L, LUA_GLOBALSINDEX);
    return new TLuaFunction(L);
}

TEST_F(WindowScriptTest, PostToScriptInItsThreeStates)
{
    Eval("function Cmd1() return 'c1' end function Cmd2() return 'c2' end "
         "function Cmd3() gDirect = 1 end");
    // Not suspended: queued.
    EXPECT_TRUE(script->PostToScript(new TMessage(kGeneric, "a"), Command(L, "Cmd1")));
    EXPECT_EQ(Eval("r = table.getn(gMessageQueue) .. table.getn(gCommandQueue) .. gMessageQueue[1].name"),
              "11a");

    // Waiting in HandleGetMessage: resumed with the message and the command.
    Start("local m, c = HandleGetMessage() gGot = m.name .. tostring(m.type) gCmd = c() "
          "coroutine.yield()");
    EXPECT_EQ(script->GetWaitState(), kScriptWaiting);
    EXPECT_TRUE(script->PostToScript(nullptr, Command(L, "Cmd2")));
    EXPECT_EQ(Global("gGot"), "8");
    EXPECT_EQ(Global("gCmd"), "c2");
    EXPECT_EQ(script->GetWaitState(), kScriptResumed);

    // Suspended elsewhere: the command runs at once, the message is dropped.
    EXPECT_FALSE(script->PostToScript(new TMessage(kGeneric, "lost"), Command(L, "Cmd3")));
    EXPECT_EQ(Global("gDirect"), "1");
    EXPECT_TRUE(script->IsYielded());
}

TEST_F(WindowScriptTest, PassClosureResumesOnlyAWaitingScript)
{
    Eval("function Closure() return 'closure' end");
    Start("coroutine.yield()");
    lua_pushstring(L, "Closure");
    lua_gettable(L, LUA_GLOBALSINDEX);
    const int top = lua_gettop(L);
    EXPECT_FALSE(script->PassClosure());
    EXPECT_EQ(lua_gettop(L), top - 1);
    Pass();  // the plain yield ends
    Start("local m, c = HandleGetMessage() gPassed = tostring(m) .. c()");
    lua_pushstring(L, "Closure");
    lua_gettable(L, LUA_GLOBALSINDEX);
    EXPECT_TRUE(script->PassClosure());
    EXPECT_EQ(Global("gPassed"), "nilclosure");
}

TEST_F(WindowScriptTest, WaitingOutsideTheScriptsCoroutineIsAnError)
{
    // A command run while the script is suspended elsewhere runs on a
    // coroutine of its own: a wait loop there must end, not spin.
    Eval("function Cmd() WaitForCloseMessage('never') gAfter = 1 end");
    Start("coroutine.yield()");
    lua_pushstring(L, "Cmd");
    lua_gettable(L, LUA_GLOBALSINDEX);
    EXPECT_NE(script->RunFunction(0, 0), 0);
    EXPECT_EQ(Global("gAfter"), "nil");
    EXPECT_NE(Log().find("only the window script's own coroutine can wait"), std::string::npos);
    EXPECT_TRUE(script->IsYielded());
}

// The wait hands its resumer the value of "gYieldResult" (what the last
// command run by the library returned).
TEST_F(WindowScriptTest, AWaitYieldsTheLastCommandsResult)
{
    Start("HandleGetMessage(100) HandleGetMessage(100) gYieldResult = 'kept' HandleGetMessage(100)");
    ASSERT_TRUE(script->PostToScript(new TMessage(kGeneric, "a"), nullptr));
    ASSERT_TRUE(script->IsYielded());
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_TRUE(lua_isnil(L, -1));
    ASSERT_TRUE(script->PostToScript(new TMessage(kGeneric, "b"), nullptr));
    ASSERT_TRUE(script->IsYielded());
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_STREQ(lua_tostring(L, -1), "kept");
}

TEST_F(WindowScriptTest, CloseRequestWakesOnlyASuspendedScript)
{
    Key(kEventClose, 0);  // nothing suspended: no resume attempted
    EXPECT_EQ(Log().find("cannot resume"), std::string::npos);
    Start("HandleGetMessage() gWoke = 1");
    Key(kEventClose, 0);
    EXPECT_EQ(Global("gWoke"), "1");
}

// --- The library, driven as the game drives it ---------------------------

TEST_F(WindowScriptTest, HandleGetMessageWakesAfterItsTime)
{
    Start("local m = HandleGetMessage(500) gResult = tostring(m) gDone = 1");
    Pass(499);
    EXPECT_EQ(Global("gDone"), "nil");
    Pass(1);
    EXPECT_EQ(Global("gDone"), "1");
    EXPECT_EQ(Global("gResult"), "nil");

}

void Busy(double ms)
{
    AdvanceTime(static_cast<uint32_t>(ms));
}

// The task list's pass reads the time before it resumes the script; a step
// that takes long (a level load) must not eat into the wait that follows it.
TEST_F(WindowScriptTest, AWaitCountsFromWhenTheScriptWaits)
{
    LuaBindFunction(L, "Busy", &Busy);
    Start("HandleGetMessage(100) Busy(300) HandleGetMessage(500) gDone = 1");
    Pass(100);
    Pass(499);
    EXPECT_EQ(Global("gDone"), "nil");
    Pass(1);
    EXPECT_EQ(Global("gDone"), "1");
}

TEST_F(WindowScriptTest, WaitForMessageGivesTheNewestFirst)
{
    Post(1001, "first");
    Post(1002, "second");
    Pass();
    Start("local a = WaitForMessage() local b = WaitForMessage() gOrder = a.name .. b.name");
    EXPECT_EQ(Global("gOrder"), "secondfirst");
}

TEST_F(WindowScriptTest, PauseEndsOnAnyKeyAndKeepsTheRest)
{
    Start("Pause(1000, true) gPaused = GetTimer()");
    Pass(10);
    Post(1001, "other");
    Pass(10);
    EXPECT_EQ(Global("gPaused"), "nil");
    Post(kPressAnyKey, "raw:a");
    Pass(10);
    EXPECT_EQ(Global("gPaused"), "1030");
    EXPECT_EQ(Eval("r = table.getn(gMessageQueue) .. gMessageQueue[1].name"), "1other");
}

TEST_F(WindowScriptTest, GetTagFollowsTheDefaultStyleOnly)
{
    struct Case
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"SetDefaultStyle({ parent = { font = 'big' } }); r = GetTag({}, 'font')", "big"},
        {"SetDefaultStyle({}); r = GetTag({ parent = { font = 'p' } }, 'font')", "nil"},
        {"r = GetTag({ parent = { font = 'p' } }, 'font', true)", "p"},
        {"local a = {} local b = { parent = a } a.parent = b SetDefaultStyle(a);"
         "r = GetTag({}, 'nothing')",
         "nil"},
        {"local a = {} a.parent = a r = GetTag(a, 'x', true)", "nil"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.expected) << c.text;
}

TEST_F(WindowScriptTest, SetStateReachesTheGameState)
{
    Eval("SetState(kLevel, true); SetState('score', 12); SetState('mute', false)");
    EXPECT_EQ(gameState.states, (std::vector<std::string>{"level=1", "score=12", "mute=0"}));
    app.gameState = nullptr;
    Eval("SetState('x', 1)");
    EXPECT_EQ(gameState.states.size(), 3u);
}

TEST_F(WindowScriptTest, DoModalReturnsTheClosingValue)
{
    Eval("gDialogValue = 42");
    Start("gValue = DoModal('dialog.lua') gAfter = tostring(gReturnValue)");
    for (int i = 0; i < 5 && Global("gValue") == "nil"; ++i) Pass(1);
    EXPECT_EQ(Global("gValue"), "42");
    EXPECT_EQ(Global("gAfter"), "nil");
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
}

TEST_F(WindowScriptTest, DisplayDialogWithAndWithoutScript)
{
    Start("local v = DisplayDialog({}) gNone = tostring(v) gDepth = GetWindowDepth()"
          "gAnswer = DisplayDialog({ 'params.lua', answer = 'yes' })");
    EXPECT_EQ(Global("gNone"), "nil");
    EXPECT_EQ(Global("gDepth"), "1");
    for (int i = 0; i < 5 && Global("gAnswer") == "nil"; ++i) Pass(1);
    EXPECT_EQ(Global("gAnswer"), "yes");
}

TEST_F(WindowScriptTest, SwapToModalReplacesTheChildren)
{
    Eval("PushModal('dlg'); MakeDialog{ Window{ name = 'old', w = 5, h = 5 } }");
    TWindow* top = wm->GetTopModal();
    Eval("SwapToModal('swap.lua')");

    Pass();
    EXPECT_EQ(top->FindChild("old", -1), nullptr);
    ASSERT_NE(top->FindChild("swapped", -1), nullptr);
    EXPECT_EQ(top->GetWidth(), 50);
}

TEST_F(WindowScriptTest, DoMainWindowReturnsWhenPopped)
{
    Start("DoMainWindow('main.lua') gReturned = 1");
    Pass(1);
    EXPECT_EQ(Global("gReturned"), "nil");
    ASSERT_NE(wm->GetTopModal()->FindChild("mainpanel", -1), nullptr);
    wm->PopModal("main.lua");
    for (int i = 0; i < 5 && Global("gReturned") == "nil"; ++i) Pass(1);
    EXPECT_EQ(Global("gReturned"), "1");
}

TEST_F(WindowScriptTest, DisplaySplashWithoutImagePopsItsModal)
{
    Start("DisplaySplash('', nil, 1000) gDone = GetWindowDepth()");
    Pass();
    EXPECT_EQ(Global("gDone"), "1");
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
}

TEST_F(WindowScriptTest, DisplaySplashShowsItsImageUntilTimeOrAnyKey)
{
    TAssetManager manager;
    SetGlobalAssetManager(&manager);
    std::vector<uint32_t> px(100 * 50, 0xFF336699u);
    tree.Write("assets/splash.png", imagefx::PngFromArgb(100, 50, px, false));
    ClearAssetIndex();
    ScanAssetFolder("assets", "");

    Start("DisplaySplash('', 'splash.png', 1000) gDone = 1");
    Pass(60);  // past its short pause
    TWindow* image = wm->GetTopModal()->FindChild("splashimage", -1);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->IsKindOf(TImage::ClassId()));
    // Fitted to the 800 x 600 display.
    EXPECT_EQ(image->GetHeight(), 600);
    EXPECT_EQ(Global("gDone"), "nil");
    Post(kPressAnyKey, "raw:a");
    Pass(1);
    EXPECT_EQ(Global("gDone"), "1");
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());

    // Without a key it ends on time.
    Start("DisplaySplash('', 'splash.png', 1000) gDone = 2");
    Pass(60);
    Pass(500);
    EXPECT_EQ(Global("gDone"), "1");
    Pass(500);
    EXPECT_EQ(Global("gDone"), "2");
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());
    SetGlobalAssetManager(nullptr);
}

class FakeMovie : public TMovieHost
{
public:
    static int stops;
    static bool playing;
    bool Play(int, bool, bool) override { return true; }
    bool IsPlaying() const override { return playing; }
    void Stop() override { ++stops; }
};
int FakeMovie::stops = 0;
bool FakeMovie::playing = true;

TEST_F(WindowScriptTest, DisplaySplashWithAMovieEndsWhenItStopsOrOnAnyKey)
{
    SetMovieHostFactory([](const TString&) { return std::make_unique<FakeMovie>(); });
    FakeMovie::stops = 0;
    FakeMovie::playing = true;
    Start("DisplaySplash('intro', nil, 100) gDone = 1");
    EXPECT_TRUE(wm->IsMoviePlaying());
    Pass(500);  // past its time, but the movie still plays
    EXPECT_EQ(Global("gDone"), "nil");
    Post(kPressAnyKey, "raw:a");
    Pass(1);
    EXPECT_EQ(Global("gDone"), "1");
    EXPECT_EQ(FakeMovie::stops, 1);
    EXPECT_FALSE(wm->IsMoviePlaying());
    EXPECT_EQ(wm->GetTopModal(), wm->GetScreen());

    // "disableAbort": keys do not end it; the movie's end does.
    Eval("SetDefaultStyle({ disableAbort = true })");
    Start("DisplaySplash('intro', nil, 100) gDone2 = 1");
    Post(kPressAnyKey, "raw:a");
    Pass(1);
    EXPECT_EQ(Global("gDone2"), "nil");
    FakeMovie::playing = false;
    Pass(1);
    EXPECT_EQ(Global("gDone2"), "1");
}

TEST_F(WindowScriptTest, StopMovieIfPlayingFreesTheHost)
{
    SetMovieHostFactory([](const TString&) { return std::make_unique<FakeMovie>(); });
    FakeMovie::stops = 0;
    EXPECT_EQ(Eval("r = StartMovie('m', true, true)"), "true");
    EXPECT_TRUE(wm->IsMovieInput());
    wm->StopMovieIfPlaying();
    EXPECT_EQ(script->GetMovieHost(), nullptr);
    EXPECT_EQ(FakeMovie::stops, 1);
}

}  // namespace
