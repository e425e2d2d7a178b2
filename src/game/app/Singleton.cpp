// The creation-order list behind Singleton<T> and its teardown.
#include "game/app/Singleton.h"

#include <cstdlib>
#include <vector>

namespace
{

std::vector<void (*)()>& Living()
{
    // Never destroyed: the at-exit teardown may run after static
    // destructors of this file.
    static auto* living = new std::vector<void (*)()>;
    return *living;
}

bool gAtExitArranged = false;

}  // namespace

namespace singleton_detail
{

void Register(void (*destroy)())
{
    if (!gAtExitArranged)
    {
        gAtExitArranged = true;
        std::atexit(&DestroySingletons);
    }
    Living().push_back(destroy);
}

}  // namespace singleton_detail

void DestroySingletons()
{
    std::vector<void (*)()>& living = Living();
    // Popped before the call: a destructor may make (and so register)
    // another singleton, which this loop then ends as well.
    while (!living.empty())
    {
        void (*destroy)() = living.back();
        living.pop_back();
        destroy();
    }
}
