// TScriptObject: the one base of every native object that scripts may hold,
// so the binding layer can tell a live object of the right class from a
// deleted one, one of another class, or a pointer that never was an object.
//
// Every TScriptObject takes a handle (a slot and a generation) when it is
// made and gives it back when it is destroyed. What scripts hold of an object
// carries its handle, and published member functions keep one: either is
// checked without a lookup or a lock before the object is used, and then
// converted with dynamic_cast, so a class with several bases comes back at
// the right address. An address alone is never trusted: a later object may
// sit where a dead one was.
//
// Objects are made, used by scripts and destroyed on the thread that runs
// the scripts; the live set itself may be updated from any thread.
//
// Failures: none; the handle of an object that is gone gives null.
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

    // The handle as one word, for carriers that hold a word (script values).
    uint64_t ToWord() const { return static_cast<uint64_t>(generation) << 32 | slot; }
    static TScriptHandle FromWord(uint64_t word)
    {
        return TScriptHandle{static_cast<uint32_t>(word), static_cast<uint32_t>(word >> 32)};
    }
};

namespace script_object_detail
{

struct Slot
{
    // Odd while an object holds the slot; bumped when it is taken and freed.
    // A slot freed with its generation come round to 0 stays free for good.
    std::atomic<uint32_t> generation{0};
    TScriptObject* object = nullptr;
    // The next free slot while this one is free (on its thread's list or the
    // shared one, which the live set's lock guards).
    uint32_t nextFree = 0;
};

inline constexpr uint32_t kPageBits = 12;
inline constexpr uint32_t kPageSize = 1u << kPageBits;
inline constexpr uint32_t kMaxPages = 1u << 12;

// Pages are made on demand and never move or go away, so a handle check
// needs neither a lock nor a bounds test beyond the page table.
extern std::atomic<Slot*> gPages[kMaxPages];

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
        Slot* slots = gPages[page].load(std::memory_order_acquire);
        if (slots == nullptr) return nullptr;
        const Slot& s = slots[handle.slot & (kPageSize - 1)];
        if (s.generation.load(std::memory_order_acquire) != handle.generation) return nullptr;
        return s.object;
    }

    // Live objects now (for tests and leak reports).
    static int GetLiveCount();

private:
    void Enter();
    TScriptHandle handle_;
};
