// The live set of script-visible objects: handle slots in fixed pages. Each
// thread keeps free slots of its own, so making and destroying an
// object takes no lock and no atomic read-modify-write (messages are made
// and collected by the thousand); slots move between a thread and the shared
// free list in batches, under one spin lock.
#include "script/ScriptObject.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "core/Log.h"
#include "core/SpinLock.h"

namespace script_object_detail
{
std::atomic<Slot*> gPages[kMaxPages];
}  // namespace script_object_detail

namespace
{

using namespace script_object_detail;

constexpr uint32_t kNoSlot = 0xFFFFFFFFu;
// Slots a thread takes from the shared list at once, and gives back at once
// when it keeps the most it may: a script's collection frees its messages
// by the thousand, and they should find their slots at home again.
constexpr uint32_t kBatch = 256;
constexpr uint32_t kKeepMax = 16 * kBatch;

enum class CacheState : uint8_t
{
    kUnarmed,  // keeps nothing yet: its exit hook is not registered
    kArmed,    // keeps free slots
    kGone,     // the thread is ending: every slot goes through the shared list
};

// One thread's free slots, chained through Slot::nextFree. Plain data, so
// reaching it costs no initialisation check. Only its thread changes it;
// kept is atomic because the live count reads it from any thread (under the
// live set's lock, which every change of the registration holds too).
struct ThreadSlots
{
    uint32_t head = kNoSlot;
    std::atomic<uint32_t> kept{0};
    CacheState state = CacheState::kUnarmed;
    ThreadSlots* prev = nullptr;  // the armed threads, for the live count
    ThreadSlots* next = nullptr;
};

struct LiveSet
{
    TSpinLock lock;
    uint32_t freeSlots = kNoSlot;  // shared free slots, last freed first
    uint32_t nextSlot = 0;
    // Slots out of the shared list: held by objects or kept by threads.
    int64_t outstanding = 0;
    ThreadSlots* threads = nullptr;
};

// Constant-initialised and never destroyed: objects with static storage may
// be made before and outlive every other static in the program.
constinit LiveSet gLive;
constinit thread_local ThreadSlots t_slots;

Slot& SlotAt(uint32_t index)
{
    return gPages[index >> kPageBits].load(std::memory_order_relaxed)[index & (kPageSize - 1)];
}

void SetKept(ThreadSlots& mine, uint32_t n)
{
    mine.kept.store(n, std::memory_order_relaxed);
}

// A slot off the shared list, or a new one (lock held).
uint32_t TakeSharedLocked(LiveSet& live)
{
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
        if (gPages[page].load(std::memory_order_relaxed) == nullptr)
            gPages[page].store(new Slot[kPageSize], std::memory_order_release);
        ++live.nextSlot;
    }
    ++live.outstanding;
    return index;
}

void GiveSharedLocked(LiveSet& live, uint32_t index)
{
    SlotAt(index).nextFree = live.freeSlots;
    live.freeSlots = index;
    --live.outstanding;
}

// Up to count of the slots the thread keeps, back to the shared list (lock
// held).
void ReturnKeptLocked(LiveSet& live, ThreadSlots& mine, uint32_t count)
{
    uint32_t n = 0;
    while (n < count && mine.head != kNoSlot)
    {
        const uint32_t index = mine.head;
        mine.head = SlotAt(index).nextFree;
        GiveSharedLocked(live, index);
        ++n;
    }
    SetKept(mine, mine.kept.load(std::memory_order_relaxed) - n);
}

// At the thread's end its kept slots go back, and later objects (statics'
// and other thread-locals' destructors) use the shared list directly.
struct ThreadExit
{
    bool touched = false;
    ~ThreadExit()
    {
        LiveSet& live = gLive;
        ThreadSlots& mine = t_slots;
        std::lock_guard<TSpinLock> hold(live.lock);
        ReturnKeptLocked(live, mine, mine.kept.load(std::memory_order_relaxed));
        if (mine.prev != nullptr)
            mine.prev->next = mine.next;
        else if (live.threads == &mine)
            live.threads = mine.next;
        if (mine.next != nullptr) mine.next->prev = mine.prev;
        mine.prev = mine.next = nullptr;
        mine.state = CacheState::kGone;
    }
};
thread_local ThreadExit t_exit;

// The thread keeps no free slot: one for the new object, and a batch more
// to keep when the thread may.
uint32_t TakeShared(ThreadSlots& mine)
{
    if (mine.state == CacheState::kUnarmed)
    {
        // Outside the lock: registering the exit hook may allocate.
        t_exit.touched = true;
    }
    LiveSet& live = gLive;
    std::lock_guard<TSpinLock> hold(live.lock);
    const uint32_t index = TakeSharedLocked(live);
    if (mine.state == CacheState::kGone) return index;
    if (mine.state == CacheState::kUnarmed)
    {
        mine.state = CacheState::kArmed;
        mine.next = live.threads;
        if (live.threads != nullptr) live.threads->prev = &mine;
        live.threads = &mine;
    }
    uint32_t kept = mine.kept.load(std::memory_order_relaxed);
    for (uint32_t n = 0; n < kBatch; ++n)
    {
        const uint32_t extra = TakeSharedLocked(live);
        SlotAt(extra).nextFree = mine.head;
        mine.head = extra;
        ++kept;
    }
    SetKept(mine, kept);
    return index;
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
    ThreadSlots& mine = t_slots;
    uint32_t index;
    if (mine.head != kNoSlot)
    {
        index = mine.head;
        mine.head = SlotAt(index).nextFree;
        SetKept(mine, mine.kept.load(std::memory_order_relaxed) - 1);
    }
    else
    {
        index = TakeShared(mine);
    }
    Slot& s = SlotAt(index);
    s.object = this;
    uint32_t generation = s.generation.load(std::memory_order_relaxed) + 1;
    s.generation.store(generation, std::memory_order_release);
    handle_ = TScriptHandle{index, generation};
}

TScriptObject::~TScriptObject()
{
    Slot& s = SlotAt(handle_.slot);
    const uint32_t freed = handle_.generation + 1;
    s.generation.store(freed, std::memory_order_release);
    s.object = nullptr;
    ThreadSlots& mine = t_slots;
    const uint32_t kept = mine.kept.load(std::memory_order_relaxed);
    // A slot whose generations have come round is never handed out again: its
    // next object would be named by handles that scripts may still keep from
    // the slot's first objects.
    if (freed != 0 && mine.state == CacheState::kArmed && kept < kKeepMax)
    {
        s.nextFree = mine.head;
        mine.head = handle_.slot;
        SetKept(mine, kept + 1);
        return;
    }
    LiveSet& live = gLive;
    std::lock_guard<TSpinLock> hold(live.lock);
    if (freed == 0)
    {
        --live.outstanding;  // retired: out of every list for good
        return;
    }
    GiveSharedLocked(live, handle_.slot);
    // A full cache gives back a batch, keeping the rest for the next objects.
    if (mine.state == CacheState::kArmed) ReturnKeptLocked(live, mine, kBatch);
}

int TScriptObject::GetLiveCount()
{
    LiveSet& live = gLive;
    std::lock_guard<TSpinLock> hold(live.lock);
    int64_t count = live.outstanding;
    for (const ThreadSlots* t = live.threads; t != nullptr; t = t->next)
        count -= t->kept.load(std::memory_order_relaxed);
    return static_cast<int>(count);
}
