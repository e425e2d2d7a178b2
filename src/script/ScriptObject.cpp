// The live set of script-visible objects: handle slots in fixed pages, taken
// and given back under one spin lock.
#include "script/ScriptObject.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "core/Log.h"
#include "core/SpinLock.h"

namespace script_object_detail
{
std::atomic<Slot*> g_pages[kMaxPages];
}  // namespace script_object_detail

namespace
{

using namespace script_object_detail;

constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

struct LiveSet
{
    TSpinLock lock;
    int count = 0;
    uint32_t freeSlots = kNoSlot;  // freed slots, last freed first, through Slot::nextFree
    uint32_t nextSlot = 0;
};

// Constant-initialised and never destroyed: objects with static storage may
// be made before and outlive every other static in the program.
constinit LiveSet g_live;

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
    LiveSet& live = g_live;
    std::lock_guard<TSpinLock> hold(live.lock);
    uint32_t index;
    if (live.freeSlots != kNoSlot)
    {
        index = live.freeSlots;
        live.freeSlots = SlotAt(index).nextFree;
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
    ++live.count;
}

TScriptObject::~TScriptObject()
{
    LiveSet& live = g_live;
    std::lock_guard<TSpinLock> hold(live.lock);
    Slot& s = SlotAt(handle_.slot);
    const uint32_t freed = handle_.generation + 1;
    s.generation.store(freed, std::memory_order_release);
    s.object = nullptr;
    --live.count;
    // A slot whose generations have come round is never handed out again: its
    // next object would be named by handles that scripts may still keep from
    // the slot's first objects.
    if (freed == 0) return;
    s.nextFree = live.freeSlots;
    live.freeSlots = handle_.slot;
}

int TScriptObject::GetLiveCount()
{
    LiveSet& live = g_live;
    std::lock_guard<TSpinLock> hold(live.lock);
    return live.count;
}
