// The live set of script-visible objects: handle slots in fixed pages and an
// address set for pointers that come back from scripts.
#include "script/ScriptObject.h"

#include <cstdlib>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "core/Log.h"

namespace script_object_detail
{
std::atomic<Slot*> g_pages[kMaxPages];
}  // namespace script_object_detail

namespace
{

using namespace script_object_detail;

struct LiveSet
{
    std::mutex lock;
    std::unordered_set<const void*> addresses;
    std::vector<uint32_t> freeSlots;
    uint32_t nextSlot = 0;
};

// Never destroyed: objects with static storage may outlive every other
// static in the program.
LiveSet& Live()
{
    static LiveSet* live = new LiveSet;
    return *live;
}

Slot& SlotAt(uint32_t index)
{
    return g_pages[index >> kPageBits].load(std::memory_order_relaxed)[index & (kPageSize - 1)];
}

}  // namespace

TScriptObject::TScriptObject()
{
    Enter();
}

TScriptObject::TScriptObject(const TScriptObject&)
{
    Enter();
}

void TScriptObject::Enter()
{
    LiveSet& live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    uint32_t index;
    if (!live.freeSlots.empty())
    {
        index = live.freeSlots.back();
        live.freeSlots.pop_back();
    }
    else
    {
        index = live.nextSlot;
        uint32_t page = index >> kPageBits;
        if (page >= kMaxPages)
        {
            // Sixteen million live objects means a leak that has already
            // eaten the machine; carrying on would hand out shared slots.
            LogPrintf("Script objects: more than %u live objects", kMaxPages * kPageSize);
            std::abort();
        }
        if (g_pages[page].load(std::memory_order_relaxed) == nullptr)
            g_pages[page].store(new Slot[kPageSize], std::memory_order_release);
        ++live.nextSlot;
    }
    Slot& s = SlotAt(index);
    s.object = this;
    uint32_t generation = s.generation.load(std::memory_order_relaxed) + 1;
    s.generation.store(generation, std::memory_order_release);
    handle_ = TScriptHandle{index, generation};
    live.addresses.insert(this);
}

TScriptObject::~TScriptObject()
{
    LiveSet& live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    Slot& s = SlotAt(handle_.slot);
    s.generation.store(handle_.generation + 1, std::memory_order_release);
    s.object = nullptr;
    live.freeSlots.push_back(handle_.slot);
    live.addresses.erase(this);
}

TScriptObject* TScriptObject::FromAddress(const void* address)
{
    if (address == nullptr) return nullptr;
    LiveSet& live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    if (live.addresses.count(address) == 0) return nullptr;
    // Only a live TScriptObject's own address is in the set, so this is the
    // object itself.
    return static_cast<TScriptObject*>(const_cast<void*>(address));
}

int TScriptObject::GetLiveCount()
{
    LiveSet& live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    return static_cast<int>(live.addresses.size());
}
