// TScriptObject: the one base of every native object that scripts may hold,
// so the binding layer can tell a live object of the right class from a
// deleted one, one of another class, or a pointer that never was an object.
//
// Every TScriptObject is entered in a live set when it is made and leaves it
// when it is destroyed. Scripts only ever see the address of the
// TScriptObject base (results are pushed through it); an address read back
// from a script is looked up in the live set before it is used, and then
// converted with dynamic_cast, so a class with several bases comes back at
// the right address. Published member functions keep a handle (a slot and a
// generation) that is checked on every call without a lookup.
//
// Objects are made, used by scripts and destroyed on the thread that runs
// the scripts; the live set itself may be updated from any thread.
//
// Failures: none; a lookup of something that is not a live object gives null.
#pragma once

#include <atomic>
#include <cstdint>

class TScriptObject;

// Names one object for as long as it lives; resolves to null afterwards,
// even when the address is reused by a later object.
struct TScriptHandle
{
    uint32_t slot = 0;
    uint32_t generation = 0;
};

namespace script_object_detail
{

struct Slot
{
    // Odd while an object holds the slot; bumped when it is taken and freed.
    std::atomic<uint32_t> generation{0};
    TScriptObject* object = nullptr;
    // The next free slot while this one is free (the live set's lock guards it).
    uint32_t nextFree = 0;
};

inline constexpr uint32_t kPageBits = 12;
inline constexpr uint32_t kPageSize = 1u << kPageBits;
inline constexpr uint32_t kMaxPages = 1u << 12;

// Pages are made on demand and never move or go away, so a handle check
// needs neither a lock nor a bounds test beyond the page table.
extern std::atomic<Slot*> g_pages[kMaxPages];

}  // namespace script_object_detail

class TScriptObject
{
public:
    TScriptObject();
    // A copy is a new object with its own identity.
    TScriptObject(const TScriptObject&);
    TScriptObject& operator=(const TScriptObject&) { return *this; }
    virtual ~TScriptObject();

    TScriptHandle GetScriptHandle() const { return handle_; }

    // The object named by handle while it lives, else null.
    static TScriptObject* FromHandle(TScriptHandle handle)
    {
        using namespace script_object_detail;
        uint32_t page = handle.slot >> kPageBits;
        if (page >= kMaxPages) return nullptr;
        Slot* slots = g_pages[page].load(std::memory_order_acquire);
        if (slots == nullptr) return nullptr;
        const Slot& s = slots[handle.slot & (kPageSize - 1)];
        if (s.generation.load(std::memory_order_acquire) != handle.generation) return nullptr;
        return s.object;
    }

    // The live object whose TScriptObject base is at address, else null. The
    // address is only compared, never read.
    static TScriptObject* FromAddress(const void* address);

    // Live objects now (for tests and leak reports).
    static int GetLiveCount();

private:
    void Enter();
    TScriptHandle handle_;
};
