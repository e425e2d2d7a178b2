// Window class identities: one static record per window class, carrying the
// factory that makes the class by name (null when it cannot be made so).
#pragma once

class TWindow;

using TWindowFactory = TWindow* (*)();

struct TWindowClassInfo
{
    const char* name;
    TWindowFactory factory;  // null: not creatable by name
};

// Compared by address: each class has exactly one record.
using TWindowClassId = const TWindowClassInfo*;

// The factory of a class, or null (also for a null identity).
inline TWindowFactory GetClassFactory(TWindowClassId id)
{
    return id != nullptr ? id->factory : nullptr;
}

// The factory a creatable class registers: a new instance made with its
// default constructor.
template <class T>
TWindow* MakeWindowOf()
{
    return new T();
}
