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
    for (auto _ : state)
    {
        TScript script;
        script.DoLuaString(
            "gCount = 0 return function() while true do local u = coroutine.yield() "
            "if u then gCount = gCount + 1 end end end");
        lua_State* L = script.GetState();
        for (int i = 0; i < kMessages; ++i)
        {
            lua_newuserdata(L, sizeof(void*));
            script.Resume(1);
        }
        benchmark::DoNotOptimize(script.GetGlobalNumber("gCount"));
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_BareYieldLoop)->Unit(benchmark::kMillisecond);

void BM_WaitForMessageWakeUp(benchmark::State& state)
{
    BenchAppLink link;
    SetWindowAppLink(&link);
    for (auto _ : state)
    {
        auto wm = std::make_unique<TWindowManager>();
        wm->CreateRootScreen(800, 600);
        wm->CreateWindowScript();
        auto* script = static_cast<TWindowScript*>(wm->GetScript());
        script->DoLuaString(
            "gCount = 0 return function() while true do local m = WaitForMessage() "
            "if m then gCount = gCount + 1 end end end");
        TEvent idle;
        idle.type = kEventIdle;
        for (int i = 0; i < kMessages; ++i)
        {
            // One idle pass of the host: the task list, then the manager's event.
            link.tasks.RunTasks(TaskPhaseIdle);
            wm->QueueMessage(new TMessage(kUserMessageBase, "bench"));
            wm->HandleEvent(idle);
        }
        if (script->GetGlobalNumber("gCount") != kMessages) state.SkipWithError("messages lost");
        wm.reset();
    }
    SetWindowAppLink(nullptr);
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_WaitForMessageWakeUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
