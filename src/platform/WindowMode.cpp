// The windowed-only switch of headless runs.
#include <cstdlib>

#include "platform/Window.h"

namespace platform
{

bool IsFullScreenRefused()
{
    // Read each time: tests set and clear it inside one process.
    return std::getenv("ORVELLE_WINDOWED") != nullptr;
}

}  // namespace platform
