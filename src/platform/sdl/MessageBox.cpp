// Message boxes over SDL, or log lines when boxes are off.
#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "core/Log.h"

namespace platform
{

namespace
{
bool gToLog = false;

bool Headless()
{
    if (std::getenv("ORVELLE_NO_MESSAGEBOX")) return true;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}
}  // namespace

void SetMessageBoxesToLog(bool toLog)
{
    gToLog = toLog;
}

void ShowMessageBox(const std::string& title, const std::string& text)
{
    if (gToLog || Headless() ||
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(),
                                 nullptr) != 0)
        LogPrintf("MessageBox: %s: %s", title.c_str(), text.c_str());
}

}  // namespace platform
