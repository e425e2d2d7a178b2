// Messages: delivery up the tree to the modal's focus child, quitting,
// listeners, the no-script path, the script's message values and the
// modal-closed notice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <new>

#include "script/Binding.h"
#include "script/Script.h"
#include "ui/WindowScriptLink.h"
#include "ui/WindowSpider.h"
#include "ui/support/UiTestSupport.h"

using namespace uitest;

namespace
{

using Lines = std::vector<std::string>;

int gMessagesDeleted = 0;

void SetGlobal(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
}

void GetGlobal(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_gettable(L, LUA_GLOBALSINDEX);
}

class CountedMessage : public TMessage
{
public:
    using TMessage::TMessage;
    ~CountedMessage() override { ++gMessagesDeleted; }
};

// Objects made in one fixed block, so a new one sits where the last one was
// (as it does when the small blocks hand out the block freed last).
alignas(std::max_align_t) unsigned char gBlock[256];
void* TakeBlock(size_t size)
{
    if (size > sizeof gBlock) throw std::bad_alloc();
    return gBlock;
}

class PinnedMessage : public CountedMessage
{
public:
    using CountedMessage::CountedMessage;
    static void* operator new(size_t size) { return TakeBlock(size); }
    static void operator delete(void*) {}
};

// Stands for a window or any other object that is not a message.
class PinnedObject : public TScriptObject
{
public:
    static void* operator new(size_t size) { return TakeBlock(size); }
    static void operator delete(void*) {}
};

class Listener : public TMessageListener
{
public:
    explicit Listener(std::vector<std::string>* seen, bool takes) : seen_(seen), takes_(takes) {}
    bool OnMessage(TMessage* m) override
    {
        seen_->push_back(m->GetName().CStr());
        return takes_;
    }

private:
    std::vector<std::string>* seen_;
    bool takes_;
};

// Keeps what reaches the script.
class FakeScript : public TWindowScriptLink
{
public:
    std::vector<std::unique_ptr<TMessage>> posted;
    std::vector<TWindow*> stack;
    int wakes = 0;
    bool translate = false;

    bool PostToScript(std::unique_ptr<TMessage> m, std::unique_ptr<TLuaFunction>) override
    {
        posted.push_back(std::move(m));
        return true;
    }
    void SetTopModal(TWindow* w) override { stack.assign(1, w); }
    void PushWindow(TWindow* w) override { stack.push_back(w); }
    void PopWindow() override
    {
        if (stack.size() > 1) stack.pop_back();
    }
    void ForgetWindow(TWindow* w) override
    {
        stack.erase(std::remove(stack.begin(), stack.end(), w), stack.end());
    }
    void WakeOnClose() override { ++wakes; }
    bool RunText(const TString&) override { return true; }
    void RegisterWindowType(const TString&, TWindowClassId) override {}
    bool SetTranslateLabels(bool on) override
    {
        const bool old = translate;
        translate = on;
        return old;
    }
    bool GetTranslateLabels() const override { return translate; }
};

class MessageTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        gMessagesDeleted = 0;
        MakeScreen();
        dialog = Modal("dialog", 800, 600);
        wm->PushModal(dialog);
        Calls();
    }
    RecModal* dialog = nullptr;
};

TEST_F(MessageTest, ClimbsToTheModalThenItsFocusChild)
{
    RecWindow* a = Window(dialog, "a", TRect(0, 0, 100, 100));
    RecWindow* b = Window(a, "b", TRect(0, 0, 50, 50));
    RecWindow* deep = Window(b, "deep", TRect(0, 0, 10, 10));
    RecWindow* focus = Window(dialog, "focus", TRect(200, 0, 300, 100));
    focus->take = {"OnMessage"};
    dialog->SetFocusChild(focus);
    EXPECT_EQ(focus, wm->GetFocusWindow());
    Calls();
    wm->QueueMessage(std::make_unique<CountedMessage>(kUserMessageBase + 1, "up", deep));
    wm->FlushMessages();
    EXPECT_EQ((Lines{"deep.OnMessage up", "b.OnMessage up", "a.OnMessage up", "dialog.OnMessage up",
                     "focus.OnMessage up"}),
              Calls());
    EXPECT_EQ(1, gMessagesDeleted);
}

TEST_F(MessageTest, UnclaimedMessagesGoToTheScriptOrAreDeleted)
{
    wm->QueueMessage(std::make_unique<CountedMessage>(kGeneric, "nobody"));
    wm->FlushMessages();
    EXPECT_EQ(1, gMessagesDeleted);

    auto* script = new FakeScript();
    wm->SetScript(script);
    EXPECT_EQ((std::vector<TWindow*>{dialog}), script->stack);
    wm->QueueMessage(std::make_unique<CountedMessage>(kGeneric, "kept"));
    wm->FlushMessages();
    EXPECT_EQ(1, gMessagesDeleted);
    ASSERT_EQ(1u, script->posted.size());
    EXPECT_STREQ("kept", script->posted[0]->GetName().CStr());

    // A close request wakes the waiting script.
    Send(kEventClose);
    EXPECT_EQ(1, script->wakes);
}

TEST_F(MessageTest, QuitNowIsDeletedAndQuits)
{
    dialog->take = {"OnMessage"};
    wm->QueueMessage(std::make_unique<CountedMessage>(kQuitNow, "", dialog));
    wm->FlushMessages();
    EXPECT_EQ((std::vector<int>{0}), app.quits);
    EXPECT_EQ(1, gMessagesDeleted);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(MessageTest, ListenersHearMessagesWithoutReceiverFirst)
{
    std::vector<std::string> seen;
    wm->AddListener(new Listener(&seen, false));
    wm->AddListener(new Listener(&seen, true));
    wm->AddListener(new Listener(&seen, true));
    wm->QueueMessage(std::make_unique<CountedMessage>(kGeneric, "free"));
    wm->QueueMessage(std::make_unique<CountedMessage>(kGeneric, "addressed", dialog));
    wm->FlushMessages();
    EXPECT_EQ((std::vector<std::string>{"free", "free"}), seen);
    EXPECT_EQ((Lines{"dialog.OnMessage addressed"}), Calls());
    EXPECT_EQ(2, gMessagesDeleted);
}

// Listeners are handed the message a script posted, not its wrapper; with
// no listener the wrapper itself travels on and the script's message stays
// with its value.
TEST_F(MessageTest, ListenersSeeTheScriptsMessageInsideAWrapper)
{
    TScript script;
    lua_State* L = script.GetState();
    RegisterMessageMetatable(L);
    auto* inner = new CountedMessage(kUserMessageBase, "inside");
    PushMessageValue(L, std::unique_ptr<TMessage>(inner));
    SetGlobal(L, "m");

    GetGlobal(L, "m");
    wm->QueueMessage(std::make_unique<TLuaMessageWrapper>(L));
    wm->FlushMessages();  // no listener, no script: the wrapper goes
    EXPECT_EQ(0, gMessagesDeleted);

    struct Pointers : TMessageListener
    {
        std::vector<TMessage*>* heard;
        explicit Pointers(std::vector<TMessage*>* h) : heard(h) {}
        bool OnMessage(TMessage* m) override
        {
            heard->push_back(m);
            return false;
        }
    };
    std::vector<TMessage*> heard;
    wm->AddListener(new Pointers(&heard));
    GetGlobal(L, "m");
    wm->QueueMessage(std::make_unique<TLuaMessageWrapper>(L));
    auto* plain = new CountedMessage(kGeneric, "plain");
    wm->QueueMessage(std::unique_ptr<TMessage>(plain));
    wm->FlushMessages();
    EXPECT_EQ((std::vector<TMessage*>{inner, plain}), heard);
    EXPECT_EQ(1, gMessagesDeleted);  // the plain one; the inner one is the value's
    ASSERT_EQ(0, script.DoLuaString("m = nil; collectgarbage()"));
    EXPECT_EQ(2, gMessagesDeleted);
}

TEST_F(MessageTest, CloseMessagesPopTheNamedModal)
{
    RecModal* second = Modal("second", 300, 200);
    wm->PushModal(second);
    // An empty name is taken and pops nothing.
    wm->QueueMessage(std::make_unique<TMessage>(kCloseWindow, "", second));
    wm->FlushMessages();
    EXPECT_EQ(second, wm->GetTopModal());
    const std::string id = second->GetIdString().CStr();
    const TScriptHandle secondHandle = second->GetScriptHandle();
    wm->QueueMessage(std::make_unique<TMessage>(kCloseWindow, id.c_str(), second));
    wm->FlushMessages();
    EXPECT_EQ(dialog, wm->GetTopModal());
    // The popped modal goes at the next event and says so.
    Calls();
    Send(kEventIdle);
    EXPECT_EQ(nullptr, TWindow::FromHandle(secondHandle));
    const Lines calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("dialog.OnMessage " + id, calls[0]);
}

TEST_F(MessageTest, ModalClosedIsQueuedOnlyWhileAManagerExists)
{
    auto* loose = new TModalWindow();
    const size_t before = wm->GetQueuedCount();
    delete loose;
    EXPECT_EQ(before + 1, wm->GetQueuedCount());
    wm.reset();
    TModalWindow alone;  // destroyed without a manager: nothing to queue into
}

TEST_F(MessageTest, PoppedModalTellsInnerWindowsFirst)
{
    RecModal* second = Modal("second", 300, 200);
    wm->PushModal(second);
    RecWindow* outer = Window(second, "outer", TRect(0, 0, 100, 100));
    Window(outer, "inner", TRect(0, 0, 10, 10));
    Window(second, "other", TRect(0, 0, 10, 10));
    Calls();
    wm->PopTopModal();
    EXPECT_EQ((Lines{"dialog.OnFocusChanged second", "other.OnModalPopped", "inner.OnModalPopped",
                     "outer.OnModalPopped"}),
              Calls());
}

TEST_F(MessageTest, ScriptMessageValuesAreFreedOnceByTheirCollector)
{
    TScript script;
    lua_State* L = script.GetState();
    RegisterMessageMetatable(L);
    PushMessageValue(L, std::make_unique<CountedMessage>(kUserMessageBase + 5, "hello"));
    SetGlobal(L, "m");
    ASSERT_EQ(0, script.DoLuaString("kind = m.type; text = m.name; other = m.other"));
    EXPECT_EQ(1005, script.GetGlobalNumber("kind"));
    GetGlobal(L, "text");
    EXPECT_STREQ("hello", lua_tostring(L, -1));
    lua_pop(L, 1);

    GetGlobal(L, "m");
    auto wrapper = std::make_unique<TLuaMessageWrapper>(L);
    EXPECT_EQ(1005, wrapper->GetKind());
    EXPECT_STREQ("hello", wrapper->GetName().CStr());
    ASSERT_NE(nullptr, wrapper->GetInner());
    wm->QueueMessage(std::move(wrapper));
    wm->FlushMessages();  // nobody takes it, no script: the wrapper goes
    EXPECT_EQ(0, gMessagesDeleted);
    // The value is still referenced by the global; then by nothing.
    ASSERT_EQ(0, script.DoLuaString("collectgarbage()"));
    EXPECT_EQ(0, gMessagesDeleted);
    ASSERT_EQ(0, script.DoLuaString("m = nil; collectgarbage()"));
    EXPECT_EQ(1, gMessagesDeleted);

    // Two values of one message free it once; a window's value frees nothing.
    PushMessageValue(L, std::make_unique<CountedMessage>(kGeneric, "twice"));
    lua_pushvalue(L, -1);
    TMessage* twice = ToMessageValue(L, -1);
    lua_pop(L, 2);
    LuaPushObject(L, twice);  // a second value of the same message
    SetGlobal(L, "again");
    auto* window = new TWindow();
    LuaPushObject(L, window);
    SetGlobal(L, "w");
    ASSERT_EQ(0, script.DoLuaString("local t = w.type; w = nil; again = nil; collectgarbage()"));
    EXPECT_EQ(2, gMessagesDeleted);
    EXPECT_EQ(window, TWindow::FromHandle(window->GetScriptHandle()));
    delete window;

    // A value that is no message wraps as an empty generic message.
    lua_pushnumber(L, 3);
    TLuaMessageWrapper plain(L);
    EXPECT_EQ(nullptr, plain.GetInner());
    EXPECT_EQ(kGeneric, plain.GetKind());
    EXPECT_EQ(nullptr, ToMessageValue(L, -1));
}

// A script keeps a value after its object died, and a new message is made at
// the object's address: the kept value names nothing, so reading it gives
// nothing and collecting it leaves the new message be. Both forms of values:
// owned references (released by the collector's hook) and plain ones with the
// metatable's "__gc".
TEST_F(MessageTest, KeptValuesMissANewMessageAtTheirAddress)
{
    for (const bool owned : {true, false})
    {
        SCOPED_TRACE(owned ? "owned references" : "plain references");
        gMessagesDeleted = 0;
        TScript script;
        lua_State* L = script.GetState();
        RegisterMessageMetatable(L);
        if (!owned)
        {
            lua_pushnil(L);
            lua_setownedrefs(L, nullptr);
        }
        ASSERT_EQ(owned ? 1 : 0, lua_hasownedrefs(L));
        auto keptIsNil = [&](const char* name) {
            GetGlobal(L, name);
            const bool nil = lua_isnil(L, -1);
            lua_pop(L, 1);
            return nil;
        };

        // The value of an object that is no message (a window's, say).
        auto* object = new PinnedObject();
        const void* address = static_cast<TScriptObject*>(object);
        LuaPushObject(L, object);
        SetGlobal(L, "old");
        delete object;
        auto* message = new PinnedMessage(kGeneric, "new");
        ASSERT_EQ(address, static_cast<TScriptObject*>(message));
        GetGlobal(L, "old");
        EXPECT_EQ(nullptr, ToMessageValue(L, -1));
        lua_pop(L, 1);
        ASSERT_EQ(0, script.DoLuaString("kind = old.type; old = nil; collectgarbage()"));
        EXPECT_TRUE(keptIsNil("kind"));
        EXPECT_EQ(0, gMessagesDeleted);
        EXPECT_EQ(message, TScriptObject::FromHandle(message->GetScriptHandle()));

        // Two values of one message: the first collected frees it, the
        // second is kept; a new message is made where it was.
        PushMessageValue(L, std::unique_ptr<TMessage>(message));
        SetGlobal(L, "first");
        LuaPushObject(L, message);
        SetGlobal(L, "second");
        ASSERT_EQ(0, script.DoLuaString("first = nil; collectgarbage()"));
        EXPECT_EQ(1, gMessagesDeleted);
        auto* next = new PinnedMessage(kUserMessageBase + 9, "next");
        ASSERT_EQ(address, static_cast<TScriptObject*>(next));
        ASSERT_EQ(0, script.DoLuaString("kind = second.type; second = nil; collectgarbage()"));
        EXPECT_TRUE(keptIsNil("kind"));
        EXPECT_EQ(1, gMessagesDeleted);
        EXPECT_EQ(next, TScriptObject::FromHandle(next->GetScriptHandle()));
        delete next;
        EXPECT_EQ(2, gMessagesDeleted);
    }
}

}  // namespace
