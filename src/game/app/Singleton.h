// Singleton<T>: the game's one-of-a-kind objects (resource groups, log,
// profile, level logic, ...), each made on first use. DestroySingletons
// ends them all, newest first, while the framework they use still exists;
// an instance ended so is made afresh on its next use, so the game can run
// twice in one process.
//
// This is the one way to keep a one-of-a-kind object. Framework classes
// below the game follow the same shape by hand (TDrawContext, TGameState):
// static GetInstance() makes it on first use (null when it cannot be made),
// GetIfMade() never makes it, Destroy() ends it, and the library's reset
// function ends it for tests. An object that its owner makes and publishes
// (the application, the window manager, the sound manager) is not one of
// these: a GetX() function hands out the current one, or null.
#pragma once

#include <new>

namespace singleton_detail
{

// Enters a destroy function in the creation-order list (and, on the first
// entry, arranges for the list to be destroyed at process exit as well).
void Register(void (*destroy)());

}  // namespace singleton_detail

// Destroys every living instance in the reverse order of creation. An
// instance made while this runs (a destructor reaching another singleton) is
// destroyed too, before it returns. Never fails.
void DestroySingletons();

template <class T>
class Singleton
{
public:
    // The one T, made on first use; null when it cannot be made (allocation
    // failed, or the constructor threw: the next call tries again). Main
    // thread only.
    static T* GetInstance()
    {
        if (!made_)
        {
            made_ = true;
            try
            {
                instance_ = new (std::nothrow) T();
            }
            catch (...)
            {
                made_ = false;
                instance_ = nullptr;
                return nullptr;
            }
            if (instance_)
                singleton_detail::Register(&Destroy);
            else
                made_ = false;
        }
        return instance_;
    }
    // The instance when one exists; never makes one.
    static T* GetIfMade() { return instance_; }

    virtual ~Singleton() = default;

protected:
    Singleton() = default;
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

private:
    static void Destroy()
    {
        T* doomed = instance_;
        // Cleared first: a destructor that asks for its own class must not
        // get the half-destroyed object back.
        instance_ = nullptr;
        made_ = false;
        delete doomed;
    }

    static inline T* instance_ = nullptr;
    static inline bool made_ = false;
};
