// The live set of script-visible objects: handles resolve while their object
// lives and never afterwards, also once the slot serves another object;
// copies are new objects.
#include "script/ScriptObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <unordered_set>
#include <vector>

namespace
{

class Widget : public TScriptObject
{
};

TEST(ScriptObjectTest, HandlesResolveOnlyWhileTheObjectLives)
{
    int before = TScriptObject::GetLiveCount();
    auto w = std::make_unique<Widget>();
    TScriptHandle h = w->GetScriptHandle();
    EXPECT_EQ(TScriptObject::FromHandle(h), w.get());
    EXPECT_EQ(TScriptObject::GetLiveCount(), before + 1);
    w.reset();
    EXPECT_EQ(TScriptObject::FromHandle(h), nullptr);
    EXPECT_EQ(TScriptObject::GetLiveCount(), before);

    // The freed slot goes to the next object with a new generation.
    Widget next;
    EXPECT_EQ(next.GetScriptHandle().slot, h.slot);
    EXPECT_EQ(TScriptObject::FromHandle(h), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(next.GetScriptHandle()), &next);

    EXPECT_EQ(TScriptObject::FromHandle(TScriptHandle{}), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(TScriptHandle{0xFFFFFFFFu, 1}), nullptr);
    // As one word (how script values carry it) and back.
    const TScriptHandle back = TScriptHandle::FromWord(next.GetScriptHandle().ToWord());
    EXPECT_EQ(back.slot, next.GetScriptHandle().slot);
    EXPECT_EQ(back.generation, next.GetScriptHandle().generation);
    const TScriptHandle high =
        TScriptHandle::FromWord(TScriptHandle{0x89ABCDEFu, 0xFEDCBA91u}.ToWord());
    EXPECT_EQ(high.slot, 0x89ABCDEFu);
    EXPECT_EQ(high.generation, 0xFEDCBA91u);
}

TEST(ScriptObjectTest, CopiesAreNewObjectsAndAssignmentKeepsIdentity)
{
    Widget a;
    Widget b(a);
    EXPECT_NE(a.GetScriptHandle().slot, b.GetScriptHandle().slot);
    TScriptHandle hb = b.GetScriptHandle();
    b = a;
    EXPECT_EQ(b.GetScriptHandle().slot, hb.slot);
    EXPECT_EQ(TScriptObject::FromHandle(hb), &b);
    EXPECT_EQ(TScriptObject::FromHandle(a.GetScriptHandle()), &a);
}

TEST(ScriptObjectTest, ManyObjectsSpanPages)
{
    const int before = TScriptObject::GetLiveCount();
    std::vector<std::unique_ptr<Widget>> many;
    for (int i = 0; i < 10000; ++i) many.push_back(std::make_unique<Widget>());
    EXPECT_EQ(TScriptObject::GetLiveCount(), before + 10000);
    for (const auto& w : many) ASSERT_EQ(TScriptObject::FromHandle(w->GetScriptHandle()), w.get());
    TScriptHandle first = many.front()->GetScriptHandle();
    many.clear();
    EXPECT_EQ(TScriptObject::FromHandle(first), nullptr);
    EXPECT_EQ(TScriptObject::GetLiveCount(), before);
}

// Objects destroyed in a scattered order while others are made and take the
// freed slots: every live handle still resolves to its object and no gone
// one resolves, though most gone slots now serve other objects.
TEST(ScriptObjectTest, HandlesSurviveScatteredRemovalsAndReuse)
{
    std::vector<std::unique_ptr<Widget>> live;
    std::vector<TScriptHandle> gone;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 20000; ++round)
    {
        if (live.empty() || next() % 3 != 0)
        {
            live.push_back(std::make_unique<Widget>());
            continue;
        }
        const size_t victim = (next() >> 8) % live.size();
        gone.push_back(live[victim]->GetScriptHandle());
        live[victim] = std::move(live.back());
        live.pop_back();
    }
    std::unordered_set<uint32_t> liveSlots;
    for (const auto& w : live)
    {
        ASSERT_EQ(TScriptObject::FromHandle(w->GetScriptHandle()), w.get());
        liveSlots.insert(w->GetScriptHandle().slot);
    }
    size_t reused = 0;
    for (const TScriptHandle& h : gone)
    {
        ASSERT_EQ(TScriptObject::FromHandle(h), nullptr);
        reused += liveSlots.count(h.slot);
    }
    EXPECT_GT(reused, 0u);
    live.clear();
    for (const TScriptHandle& h : gone) ASSERT_EQ(TScriptObject::FromHandle(h), nullptr);
}

// A slot whose generation comes round is retired: were it handed out again,
// its next object would answer to handles kept from the slot's first objects.
TEST(ScriptObjectTest, SlotIsRetiredWhenItsGenerationComesRound)
{
    using namespace script_object_detail;
    TScriptHandle early;
    {
        Widget w;
        early = w.GetScriptHandle();
    }
    // Age the freed slot (it is the next one handed out) to its last generation.
    Slot& slot = gPages[early.slot >> kPageBits].load()[early.slot & (kPageSize - 1)];
    slot.generation.store(0xFFFFFFFEu);
    TScriptHandle last;
    {
        Widget w;
        last = w.GetScriptHandle();
        ASSERT_EQ(last.slot, early.slot);
        EXPECT_EQ(last.generation, 0xFFFFFFFFu);
        EXPECT_EQ(TScriptObject::FromHandle(last), &w);
    }
    std::vector<std::unique_ptr<Widget>> later;
    for (int i = 0; i < 100; ++i)
    {
        later.push_back(std::make_unique<Widget>());
        ASSERT_NE(later.back()->GetScriptHandle().slot, early.slot);
    }
    EXPECT_EQ(TScriptObject::FromHandle(last), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(TScriptHandle{early.slot, 1}), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(TScriptHandle{early.slot, 0}), nullptr);
}

// Each thread keeps some free slots of its own: the live count still counts
// objects, not slots, while a thread keeps slots, after it hands objects to
// another thread, and once it has ended.
TEST(ScriptObjectTest, LiveCountHoldsAcrossThreadsAndTheirEnd)
{
    const int before = TScriptObject::GetLiveCount();
    std::vector<std::unique_ptr<Widget>> handedOver;
    int duringThread = 0;
    std::thread worker(
        [&]
        {
            std::vector<std::unique_ptr<Widget>> mine;
            for (int i = 0; i < 300; ++i) mine.push_back(std::make_unique<Widget>());
            duringThread = TScriptObject::GetLiveCount();
            for (int i = 0; i < 300; i += 2) handedOver.push_back(std::move(mine[i]));
            mine.clear();
        });
    worker.join();
    EXPECT_EQ(duringThread, before + 300);
    EXPECT_EQ(TScriptObject::GetLiveCount(), before + 150);
    for (const auto& w : handedOver) ASSERT_EQ(TScriptObject::FromHandle(w->GetScriptHandle()), w.get());
    // The slots the ended thread kept are shared again and serve new objects.
    std::vector<std::unique_ptr<Widget>> more;
    for (int i = 0; i < 500; ++i) more.push_back(std::make_unique<Widget>());
    EXPECT_EQ(TScriptObject::GetLiveCount(), before + 650);
    handedOver.clear();
    more.clear();
    EXPECT_EQ(TScriptObject::GetLiveCount(), before);
}

}  // namespace
