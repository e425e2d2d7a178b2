// The live set of script-visible objects: handle slots in fixed pages and an
// address set for pointers that come back from scripts.
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

// The addresses of live objects: open addressing with linear probing and
// backward-shift removal, so making and destroying an object (messages come
// and go by the thousand) allocates nothing once the table has grown. Kept
// at most a quarter full: runs stay short, so a lookup or a removal mostly
// touches one or two entries.
class AddressSet
{
public:
    bool Contains(const void* address) const
    {
        if (slots_ == nullptr) return false;
        for (size_t i = Home(address);; i = (i + 1) & mask_)
        {
            if (slots_[i] == address) return true;
            if (slots_[i] == nullptr) return false;
        }
    }

    // The address is not in the set yet.
    void Insert(const void* address)
    {
        if ((count_ + 1) * 4 > size_) Grow();
        size_t i = Home(address);
        while (slots_[i] != nullptr) i = (i + 1) & mask_;
        slots_[i] = address;
        ++count_;
    }

    void Erase(const void* address)
    {
        if (slots_ == nullptr) return;
        size_t i = Home(address);
        while (slots_[i] != address)
        {
            if (slots_[i] == nullptr) return;
            i = (i + 1) & mask_;
        }
        // Pull back every later entry of the run that may sit there, so no
        // probe meets an empty slot before its entry.
        for (size_t j = (i + 1) & mask_; slots_[j] != nullptr; j = (j + 1) & mask_)
        {
            const size_t home = Home(slots_[j]);
            // Movable when its home is not in the stretch (i, j].
            if (((j - home) & mask_) >= ((j - i) & mask_))
            {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = nullptr;
        --count_;
    }

    size_t Size() const { return count_; }

private:
    size_t Home(const void* address) const
    {
        // Objects are at least 8-byte aligned; Fibonacci hashing spreads the rest.
        const uint64_t key = reinterpret_cast<uintptr_t>(address) >> 3;
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    void Grow()
    {
        const void** old = slots_;
        const size_t oldSize = size_;
        size_ = old == nullptr ? 1024 : oldSize * 2;
        slots_ = new const void*[size_]();
        mask_ = size_ - 1;
        shift_ = 64 - static_cast<unsigned>(__builtin_ctzll(size_));
        count_ = 0;
        for (size_t i = 0; i < oldSize; ++i)
            if (old[i] != nullptr) Insert(old[i]);
        delete[] old;
    }

    // A plain array, not a vector: the set has static storage and must be
    // usable by objects made and destroyed before and after every other
    // static (see g_live).
    const void** slots_ = nullptr;
    size_t size_ = 0;
    size_t mask_ = 0;
    unsigned shift_ = 63;
    size_t count_ = 0;
};

constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

struct LiveSet
{
    TSpinLock lock;
    AddressSet addresses;
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
    live.addresses.Insert(this);
}

TScriptObject::~TScriptObject()
{
    LiveSet& live = g_live;
    std::lock_guard<TSpinLock> hold(live.lock);
    Slot& s = SlotAt(handle_.slot);
    s.generation.store(handle_.generation + 1, std::memory_order_release);
    s.object = nullptr;
    s.nextFree = live.freeSlots;
    live.freeSlots = handle_.slot;
    live.addresses.Erase(this);
}

TScriptObject* TScriptObject::FromAddress(const void* address)
{
    if (address == nullptr) return nullptr;
    LiveSet& live = g_live;
    std::lock_guard<TSpinLock> hold(live.lock);
    if (!live.addresses.Contains(address)) return nullptr;
    // Only a live TScriptObject's own address is in the set, so this is the
    // object itself.
    return static_cast<TScriptObject*>(const_cast<void*>(address));
}

int TScriptObject::GetLiveCount()
{
    LiveSet& live = g_live;
    std::lock_guard<TSpinLock> hold(live.lock);
    return static_cast<int>(live.addresses.Size());
}
