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

// Inside a window class: its name, its kind test through its base class and
// its identity. The class's source file defines the identity with
// ORVELLE_WINDOW_RECORD (made by name with its default constructor) or
// ORVELLE_BASE_WINDOW_RECORD (a base that is not made by name), where the
// class name is written once for both the record and GetClassName.
#define ORVELLE_WINDOW_CLASS(Base)                    \
    const char* GetClassName() const override         \
    {                                                 \
        return ClassId()->name;                       \
    }                                                 \
    bool IsKindOf(TWindowClassId id) const override   \
    {                                                 \
        return id == ClassId() || Base::IsKindOf(id); \
    }                                                 \
    static TWindowClassId ClassId()

#define ORVELLE_WINDOW_RECORD(Class) ORVELLE_WINDOW_RECORD_OF(Class, &MakeWindowOf<Class>)
#define ORVELLE_BASE_WINDOW_RECORD(Class) ORVELLE_WINDOW_RECORD_OF(Class, nullptr)
#define ORVELLE_WINDOW_RECORD_OF(Class, factory)                    \
    TWindowClassId Class::ClassId()                                 \
    {                                                               \
        static constexpr TWindowClassInfo kRecord{#Class, factory}; \
        return &kRecord;                                            \
    }
