// Cost of waking a window script with a message: a script waiting in
// WaitForMessage receives 10,000 posted messages, one per idle pass, each
// returned to the waiting Lua function; against the same script engine
// resuming a bare Lua loop that yields, with a userdata argument each time.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/Event.h"
#include "core/Task.h"
#include "script/Script.h"
#include "ui/Message.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace
{

constexpr int kMessages = 10000;

class BenchAppLink : public TWindowAppLink
{
public:
    TTaskList tasks;
    bool IsFastFrameRate() const override { return true; }
    bool IsFlipDone() const override { return true; }
    bool IsDisplayReady() const override { return false; }
    bool IsAppReady() const override { return true; }
    bool IsRelativeMouse() const override { return false; }
    void Quit(int) override {}
    TTaskList* GetTaskList() override { return &tasks; }
};

void BM_BareYieldLoop(benchmark::State& state)
{
    TScript script;
    script.DoLuaString(
        "gCount = 0 return function() while true do local u = coroutine.yield() "
        "if u then gCount = gCount + 1 end end end");
    lua_State* L = script.GetState();
    for (auto _ : state)
    {
        for (int i = 0; i < kMessages; ++i)
        {
            lua_newuserdata(L, sizeof(void*));
            script.Resume(1);
        }
    }
    if (script.GetGlobalNumber("gCount") != double(state.iterations()) * kMessages)
        state.SkipWithError("resumes lost");
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_BareYieldLoop)->Unit(benchmark::kMillisecond);

// wait: the text of WaitForMessage's wait argument; null: no script (the
// manager deletes the messages nobody takes).
void RunWakeUps(benchmark::State& state, const char* wait)
{
    BenchAppLink link;
    SetWindowAppLink(&link);
    auto wm = std::make_unique<TWindowManager>();
    wm->CreateRootScreen(800, 600);
    TWindowScript* script = nullptr;
    if (wait != nullptr)
    {
        wm->CreateWindowScript();
        script = static_cast<TWindowScript*>(wm->GetScript());
        script->DoLuaString(TString::Format(
            "gCount = 0 return function() while true do local m = WaitForMessage(%s) "
            "if m then gCount = gCount + 1 end end end",
            wait));
    }
    TEvent idle;
    idle.type = kEventIdle;
    for (auto _ : state)
    {
        for (int i = 0; i < kMessages; ++i)
        {
            // One idle pass of the host: the task list, then the manager's event.
            link.tasks.RunTasks(TaskPhaseIdle);
            wm->QueueMessage(std::make_unique<TMessage>(kUserMessageBase, "bench"));
            wm->HandleEvent(idle);
        }
    }
    if (script != nullptr &&
        script->GetGlobalNumber("gCount") != double(state.iterations()) * kMessages)
        state.SkipWithError("messages lost");
    wm.reset();
    SetWindowAppLink(nullptr);
    state.SetItemsProcessed(state.iterations() * kMessages);
}

// Waiting with a time that does not run out: every resume brings a message.
void BM_WaitForMessageWakeUp(benchmark::State& state)
{
    RunWakeUps(state, "100000");
}
BENCHMARK(BM_WaitForMessageWakeUp)->Unit(benchmark::kMillisecond);

// WaitForMessage() polls: its 0 ms wait also wakes the script once per pass
// without a message, so each message costs two trips through the loop.
void BM_WaitForMessagePolling(benchmark::State& state)
{
    RunWakeUps(state, "");
}
BENCHMARK(BM_WaitForMessagePolling)->Unit(benchmark::kMillisecond);

// The same idle passes and messages with no script: what the manager and the
// message objects cost on their own.
void BM_ManagerPassesWithoutScript(benchmark::State& state)
{
    RunWakeUps(state, nullptr);
}
BENCHMARK(BM_ManagerPassesWithoutScript)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
