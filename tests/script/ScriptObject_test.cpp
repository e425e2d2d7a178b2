// The live set of script-visible objects: handles and addresses resolve
// while their object lives and never afterwards, copies are new objects.
#include "script/ScriptObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <unordered_set>
#include <vector>

namespace
{

class Widget : public TScriptObject
{
};

TEST(ScriptObjectTest, HandlesAndAddressesResolveOnlyWhileTheObjectLives)
{
    int before = TScriptObject::GetLiveCount();
    auto w = std::make_unique<Widget>();
    TScriptHandle h = w->GetScriptHandle();
    const void* address = static_cast<TScriptObject*>(w.get());
    EXPECT_EQ(TScriptObject::FromHandle(h), w.get());
    EXPECT_EQ(TScriptObject::FromAddress(address), w.get());
    EXPECT_EQ(TScriptObject::GetLiveCount(), before + 1);
    w.reset();
    EXPECT_EQ(TScriptObject::FromHandle(h), nullptr);
    EXPECT_EQ(TScriptObject::FromAddress(address), nullptr);
    EXPECT_EQ(TScriptObject::GetLiveCount(), before);

    // The freed slot goes to the next object with a new generation.
    Widget next;
    EXPECT_EQ(next.GetScriptHandle().slot, h.slot);
    EXPECT_EQ(TScriptObject::FromHandle(h), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(next.GetScriptHandle()), &next);

    int local = 0;
    EXPECT_EQ(TScriptObject::FromAddress(&local), nullptr);
    EXPECT_EQ(TScriptObject::FromAddress(nullptr), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(TScriptHandle{}), nullptr);
    EXPECT_EQ(TScriptObject::FromHandle(TScriptHandle{0xFFFFFFFFu, 1}), nullptr);
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
    std::vector<std::unique_ptr<Widget>> many;
    for (int i = 0; i < 10000; ++i) many.push_back(std::make_unique<Widget>());
    for (const auto& w : many) ASSERT_EQ(TScriptObject::FromHandle(w->GetScriptHandle()), w.get());
    TScriptHandle first = many.front()->GetScriptHandle();
    many.clear();
    EXPECT_EQ(TScriptObject::FromHandle(first), nullptr);
}

// Objects destroyed in a scattered order while others are made: every live
// address still resolves and no gone one does (the address set closes the
// gaps removals leave in its probe runs).
TEST(ScriptObjectTest, AddressesSurviveScatteredRemovals)
{
    std::vector<std::unique_ptr<Widget>> live;
    std::vector<const void*> gone;
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
        gone.push_back(static_cast<TScriptObject*>(live[victim].get()));
        live[victim] = std::move(live.back());
        live.pop_back();
    }
    std::unordered_set<const void*> liveAddresses;
    for (const auto& w : live)
    {
        const void* address = static_cast<TScriptObject*>(w.get());
        liveAddresses.insert(address);
        ASSERT_EQ(TScriptObject::FromAddress(address), w.get());
    }
    // (A later object may have been given a gone one's address.)
    for (const void* address : gone)
    {
        if (liveAddresses.count(address) != 0) continue;
        ASSERT_EQ(TScriptObject::FromAddress(address), nullptr);
    }
    live.clear();
    for (const void* address : gone) ASSERT_EQ(TScriptObject::FromAddress(address), nullptr);
}

}  // namespace
